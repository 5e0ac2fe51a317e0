#include "custom/myinifile.h"

#include "lists/fileutils.h"
#include "platform/appdirs.h"
#include "platform/locale.h"

#include <QFile>
#include <QObject>
#include <QUtf8StringView>
#include <QSet>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

bool IsBlank(QChar c) { return c.unicode() <= 0x20; }

QStringView Trim(QStringView text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && IsBlank(text[b]))
        ++b;
    while (e > b && IsBlank(text[e - 1]))
        --e;
    return text.sliced(b, e - b);
}

QStringView TrimLeft(QStringView text)
{
    qsizetype b = 0;
    while (b < text.size() && IsBlank(text[b]))
        ++b;
    return text.sliced(b);
}

// Names and keys compare ignoring case: two texts are one name when their upper-case forms
// agree after canonical decomposition.
QString Fold(QStringView text) { return platform::UpperUnits(text).normalized(QString::NormalizationForm_D); }

bool ParseHeader(QStringView line, QString &name)
{
    const QStringView t = Trim(line);
    if (!t.startsWith(u'['))
        return false;
    const QStringView rest = TrimLeft(t.sliced(1));
    const qsizetype close = rest.indexOf(u']');
    if (close <= 0)
        return false;
    const QStringView n = Trim(rest.first(close));
    if (n.isEmpty())
        return false;
    name = n.toString();
    return true;
}

// The text before the first "=", or a null view when there is none.
QStringView KeyOf(QStringView line)
{
    const qsizetype eq = line.indexOf(u'=');
    return eq >= 0 ? line.first(eq) : QStringView();
}

bool HasLineBreak(QStringView text) { return text.contains(u'\r') || text.contains(u'\n'); }

// A line that would end its section when the file is read again: one holding a line break
// (a piece of it could be a header) or one that reads as a header itself ("[HD] clips" typed
// into a history, a key beginning with "[").
bool EndsSection(QStringView line)
{
    QString name;
    return HasLineBreak(line) || ParseHeader(line, name);
}

// The header that names the section, or an empty text when no header can: "[" + name + "]"
// must read back as the same name (an empty name or one holding "]" would not, and its lines
// would join the section above or another one).
QString HeaderFor(QStringView section)
{
    const QString header = QLatin1Char('[') + section.toString() + QLatin1Char(']');
    QString name;
    return !section.isEmpty() && ParseHeader(header, name) && name == section ? header : QString();
}

// A value cannot hold a line break: each CR or LF becomes a blank.
QString OneLine(QStringView text)
{
    QString out = text.toString();
    if (HasLineBreak(out)) {
        out.replace(u'\r', u' ');
        out.replace(u'\n', u' ');
    }
    return out;
}

// True for a key line whose key (ignoring case) is not in seen yet; the key is added.
bool FirstOfItsKey(const QString &line, QSet<QString> &seen)
{
    const QStringView key = KeyOf(line);
    if (key.isEmpty())
        return false;
    const QString folded = Fold(key);
    if (seen.contains(folded))
        return false;
    seen.insert(folded);
    return true;
}

// Key lines for reading: blank lines, lines without a key and earlier copies of a key go;
// the lowest copy of a key stays, in file order.
QStringList CleanForRead(const QStringList &lines)
{
    QStringList kept;
    QSet<QString> seen;
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        const QString &line = lines[i];
        if (!Trim(line).isEmpty() && FirstOfItsKey(line, seen))
            kept.append(line);
    }
    std::reverse(kept.begin(), kept.end());
    return kept;
}

// Key lines for writing: the first copy of a key wins.
QStringList CleanForWrite(const QStringList &lines)
{
    QStringList kept;
    QSet<QString> seen;
    for (const QString &raw : lines) {
        const QString line = OneLine(raw);
        if (!Trim(line).isEmpty() && !EndsSection(line) && FirstOfItsKey(line, seen))
            kept.append(line);
    }
    return kept;
}

QString FloatText(double value) { return QString::number(value, 'g', 15); }

// The encoding the file is written in when none was given: ANSI when every character fits and
// a reader that detects the encoding gets the same text back (short ANSI texts can pass for
// UTF-7, JIS or EUC-JP: "a+ZeVnLIqe-" reads as "a日本語"), else UTF-8 with a byte-order mark.
TextEncoding AutoEncodingFor(const QString &text)
{
    const QByteArray ansi = EncodeText(text, TextEncoding::Ansi);
    if (ansi.startsWith("\xEF\xBB\xBF") || ansi.startsWith("\xFF\xFE") || ansi.startsWith("\xFE\xFF"))
        return TextEncoding::Utf8Bom;
    TextEncoding detected = DetectEncoding(ansi);
    const bool known = detected == TextEncoding::HexDump ||
                       (detected >= TextEncoding::Utf16LeBom && detected <= TextEncoding::EucJp);
    if (!known)
        detected = TextEncoding::Ansi;
    return DecodeText(ansi, detected) == text ? TextEncoding::Ansi : TextEncoding::Utf8Bom;
}

} // namespace

QRect FitRectOntoWorkArea(const QRect &rect, const QRect &workArea)
{
    const int w = rect.width(), h = rect.height();
    const int areaLeft = workArea.x(), areaTop = workArea.y();
    const int areaRight = workArea.x() + workArea.width(), areaBottom = workArea.y() + workArea.height();
    const int left = w < workArea.width() ? std::clamp(rect.x(), areaLeft, areaRight - w) : areaLeft;
    const int top = h < workArea.height() ? std::clamp(rect.y(), areaTop, areaBottom - h) : areaTop;
    return QRect(left, top, w, h);
}

TMyIniFile::TMyIniFile() : TMyIniFile(DefaultFileName(), TextEncoding::Auto) {}

TMyIniFile::TMyIniFile(const QString &fileName) : TMyIniFile(fileName, TextEncoding::Auto) {}

TMyIniFile::TMyIniFile(const QString &fileName, TextEncoding saveEncoding)
    : m_fileName(fileName), m_saveEncoding(saveEncoding)
{
    Load();
}

TMyIniFile::~TMyIniFile() = default;

QString TMyIniFile::DefaultFileName() { return ChangeFileExt(platform::DataPathBase(), u".ini"); }

void TMyIniFile::Load()
{
    TextEncoding encoding = TextEncoding::Auto;
    m_lines.LoadFromFileEncoding(m_fileName, encoding);
    if (encoding == TextEncoding::HexDump) {
        // A few stray zero or control bytes (a write cut short, a damaged disk block) made the
        // file look binary. A settings file is always text: read what text it holds rather than
        // a dump of its bytes, which would lose every setting and be written back as the file.
        // Binary junk (control bytes other than zeros in more than one byte of twenty) stays a
        // dump and gives no settings.
        QFile file(m_fileName);
        QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        bytes.removeIf([](char c) { return c == '\0'; });
        const auto control = std::count_if(bytes.cbegin(), bytes.cend(), [](char c) {
            const auto b = uchar(c);
            return (b < 0x20 && b != '\t' && b != '\r' && b != '\n') || b == 0x7F;
        });
        if (!bytes.isEmpty() && control * 20 <= bytes.size()) {
            encoding = QUtf8StringView(bytes).isValidUtf8() ? TextEncoding::Utf8 : TextEncoding::Ansi;
            m_lines.Encoding = encoding;
            m_lines.SetTextStr(DecodeText(bytes, encoding));
        }
    }
    m_loadedEncoding = encoding;
    RebuildIndex();
}

void TMyIniFile::RebuildIndex()
{
    m_index.clear();
    QString name;
    for (int i = 0; i < m_lines.Count(); ++i) {
        if (ParseHeader(m_lines.Get(i), name))
            m_index.push_back(SectionEntry{name, Fold(name), i});
    }
}

int TMyIniFile::FindSection(const QString &section) const
{
    const QString key = Fold(Trim(section));
    for (size_t e = 0; e < m_index.size(); ++e)
        if (m_index[e].key == key)
            return int(e);
    return -1;
}

int TMyIniFile::SectionEnd(int entry) const
{
    return size_t(entry) + 1 < m_index.size() ? m_index[size_t(entry) + 1].line : m_lines.Count();
}

QStringList TMyIniFile::SectionLines(const QString &section) const
{
    QStringList lines;
    const int e = FindSection(section);
    if (e < 0)
        return lines;
    const int end = SectionEnd(e);
    for (int i = m_index[size_t(e)].line + 1; i < end; ++i)
        lines.append(m_lines.Get(i));
    return lines;
}

bool TMyIniFile::IsCached(const QString &section) const
{
    return m_cacheValid && Fold(Trim(section)) == m_cacheKey;
}

void TMyIniFile::ForgetCache()
{
    m_cacheValid = false;
    m_cacheDirty = false;
    m_cacheName.clear();
    m_cacheKey.clear();
    m_cache.clear();
    m_cacheKeys.clear();
}

void TMyIniFile::SelectSection(const QString &section)
{
    if (IsCached(section))
        return;
    FlushCache();
    m_cache = CleanForRead(SectionLines(section));
    m_cacheName = Trim(section).toString();
    m_cacheKey = Fold(m_cacheName);
    m_cacheKeys.clear();
    for (int i = 0; i < m_cache.size(); ++i)
        m_cacheKeys.insert(Fold(KeyOf(m_cache[i])), i);
    m_cacheValid = true;
    m_cacheDirty = false;
}

void TMyIniFile::FlushCache()
{
    if (!m_cacheValid || !m_cacheDirty)
        return;
    QStringList lines = CleanForWrite(m_cache);
    lines.append(QString());
    const QString name = m_cacheName;
    ReplaceSection(name, lines);
}

void TMyIniFile::RemoveSectionLines(const QString &key)
{
    std::vector<bool> drop(size_t(m_lines.Count()), false);
    bool any = false;
    for (size_t e = 0; e < m_index.size(); ++e) {
        if (m_index[e].key != key)
            continue;
        any = true;
        const int end = SectionEnd(int(e));
        for (int i = m_index[e].line; i < end; ++i)
            drop[size_t(i)] = true;
    }
    if (!any)
        return;
    QStringList kept;
    kept.reserve(m_lines.Count());
    for (int i = 0; i < m_lines.Count(); ++i)
        if (!drop[size_t(i)])
            kept.append(m_lines.Get(i));
    m_lines.Clear();
    m_lines.AddStrings(kept);
    RebuildIndex();
}

void TMyIniFile::ReplaceSection(const QString &section, const QStringList &lines)
{
    m_modified = true;
    const QString name = OneLine(Trim(section));
    if (IsCached(name))
        ForgetCache();
    RemoveSectionLines(Fold(name));
    const QString header = HeaderFor(name);
    if (header.isEmpty())
        return;
    m_lines.BeginUpdate();
    m_lines.Add(header);
    for (const QString &line : lines)
        m_lines.Add(line);
    m_lines.EndUpdate();
    RebuildIndex();
}

bool TMyIniFile::UpdateFile()
{
    if (!m_modified)
        return false;
    FlushCache();
    const QString text = m_lines.GetTextStr();
    const TextEncoding encoding = m_saveEncoding == TextEncoding::Auto ? AutoEncodingFor(text) : m_saveEncoding;
    if (!WriteTextFile(m_fileName, text, encoding))
        return false;
    m_modified = false;
    return true;
}

bool TMyIniFile::SectionExists(const QString &section) const { return FindSection(section) >= 0; }

void TMyIniFile::ReadSections(TMyWStrings &list) const
{
    list.BeginUpdate();
    list.Clear();
    for (const SectionEntry &e : m_index)
        list.Add(e.name);
    list.EndUpdate();
}

void TMyIniFile::ReadSection(const QString &section, TMyWStrings &list)
{
    const QStringList lines = IsCached(section) ? m_cache : CleanForRead(SectionLines(section));
    list.BeginUpdate();
    list.Clear();
    for (const QString &line : lines)
        list.Add(Trim(KeyOf(line)).toString());
    list.EndUpdate();
}

void TMyIniFile::EraseSection(const QString &section)
{
    if (IsCached(section))
        ForgetCache();
    if (FindSection(section) < 0)
        return;
    RemoveSectionLines(Fold(Trim(section)));
    m_modified = true;
}

void TMyIniFile::ReadSectionValues(const QString &section, TMyWStrings &list)
{
    const QStringList lines = IsCached(section) ? m_cache : CleanForRead(SectionLines(section));
    list.BeginUpdate();
    list.Clear();
    list.AddStrings(lines);
    list.EndUpdate();
}

void TMyIniFile::WriteSectionValues(const QString &section, const TMyWStrings &list)
{
    FlushCache();
    QStringList lines = CleanForWrite(list.ToStringList());
    lines.append(QString());
    ReplaceSection(section, lines);
}

void TMyIniFile::ReadSectionLines(const QString &section, TMyWStrings &list)
{
    const QStringList lines = IsCached(section) ? m_cache : SectionLines(section);
    list.BeginUpdate();
    list.Clear();
    list.AddStrings(lines);
    list.EndUpdate();
}

void TMyIniFile::WriteSectionLines(const QString &section, const TMyWStrings &list)
{
    FlushCache();
    QStringList lines;
    lines.reserve(list.Count());
    for (int i = 0; i < list.Count(); ++i) {
        // An item holding a line break, or one that reads as a header, would end the section
        // there and take the following lines into another one.
        const QString line = list.Get(i);
        if (!EndsSection(line))
            lines.append(line);
    }
    ReplaceSection(section, lines);
}

QString TMyIniFile::ReadString(const QString &section, const QString &key, const QString &defaultValue)
{
    SelectSection(section);
    const int i = m_cacheKeys.value(Fold(key), -1);
    if (i < 0)
        return defaultValue;
    const QString &line = m_cache[i];
    const QString value = line.mid(line.indexOf(u'=') + 1);
    return value.isEmpty() ? defaultValue : value;
}

void TMyIniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    m_modified = true;
    SelectSection(section);
    m_cacheDirty = true;
    const QString k = Trim(OneLine(key)).toString();
    const QString line = k + QLatin1Char('=') + OneLine(value);
    const QString folded = Fold(k);
    const auto it = m_cacheKeys.constFind(folded);
    if (it != m_cacheKeys.constEnd()) {
        m_cache[it.value()] = line;
    } else {
        m_cacheKeys.insert(folded, int(m_cache.size()));
        m_cache.append(line);
    }
}

int TMyIniFile::ReadInteger(const QString &section, const QString &key, int defaultValue)
{
    const qint64 v = LenientStrToInt(ReadString(section, key, QString::number(defaultValue)));
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return defaultValue;
    return int(v);
}

void TMyIniFile::WriteInteger(const QString &section, const QString &key, int value)
{
    WriteString(section, key, QString::number(value));
}

bool TMyIniFile::ReadBool(const QString &section, const QString &key, bool defaultValue)
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TMyIniFile::ReadBoolInPlace(const QString &section, const QString &key, bool &value)
{
    value = ReadBool(section, key, value);
}

void TMyIniFile::WriteBool(const QString &section, const QString &key, bool value)
{
    WriteInteger(section, key, value ? 1 : 0);
}

double TMyIniFile::ReadFloat(const QString &section, const QString &key, double defaultValue)
{
    const QString text = ReadString(section, key, FloatText(defaultValue));
    bool ok = false;
    const double v = Trim(text).toDouble(&ok);
    // "nan" and "inf" are no numbers a setting can use.
    return ok && std::isfinite(v) ? v : 0.0;
}

void TMyIniFile::WriteFloat(const QString &section, const QString &key, double value)
{
    WriteString(section, key, FloatText(value));
}

void TMyIniFile::EnsureSection(const QString &section)
{
    // A dirty cached section is written by its flush; one that was only read still needs
    // its header.
    if (FindSection(section) >= 0 || (IsCached(section) && m_cacheDirty))
        return;
    const QString header = HeaderFor(OneLine(Trim(section)));
    if (header.isEmpty())
        return;
    m_lines.Add(header);
    m_lines.Add(QString());
    m_modified = true;
    RebuildIndex();
}

QRect TMyIniFile::ReadRect(const QString &section, const QString &prefix, const QRect &defaultRect)
{
    const int left = ReadInteger(section, prefix + QStringLiteral("_Left"), defaultRect.x());
    const int top = ReadInteger(section, prefix + QStringLiteral("_Top"), defaultRect.y());
    const int right = ReadInteger(section, prefix + QStringLiteral("_Right"), defaultRect.x() + defaultRect.width());
    const int bottom = ReadInteger(section, prefix + QStringLiteral("_Bottom"), defaultRect.y() + defaultRect.height());
    return QRect(left, top, right - left, bottom - top);
}

void TMyIniFile::WriteRect(const QString &section, const QString &prefix, const QRect &rect)
{
    WriteInteger(section, prefix + QStringLiteral("_Left"), rect.x());
    WriteInteger(section, prefix + QStringLiteral("_Top"), rect.y());
    WriteInteger(section, prefix + QStringLiteral("_Right"), rect.x() + rect.width());
    WriteInteger(section, prefix + QStringLiteral("_Bottom"), rect.y() + rect.height());
}

QRect TMyIniFile::ReadControlBounds(const QString &section, const QObject *control)
{
    if (!control)
        return QRect();
    return ReadRect(section, control->objectName(), control->property("geometry").toRect());
}

void TMyIniFile::WriteControlBounds(const QString &section, const QObject *control)
{
    if (control)
        WriteRect(section, control->objectName(), control->property("geometry").toRect());
}

void TMyIniFile::WriteFormBounds(const QObject *form) { WriteControlBounds(QStringLiteral("Bounds"), form); }

void TMyIniFile::ReadFont(const QString &section, const QString &prefix, TMyFontSpec &font)
{
    font.Name = ReadString(section, prefix + QStringLiteral("_FontName"), font.Name);
    font.Size = ReadInteger(section, prefix + QStringLiteral("_FontSize"), font.Size);
    font.Color = ReadInteger(section, prefix + QStringLiteral("_FontColor"), font.Color);
    font.Bold = ReadBool(section, prefix + QStringLiteral("_FontStyleBold"), font.Bold);
    font.Italic = ReadBool(section, prefix + QStringLiteral("_FontStyleItalic"), font.Italic);
    font.UnderLine = ReadBool(section, prefix + QStringLiteral("_FontStyleUnderLine"), font.UnderLine);
    font.StrikeOut = ReadBool(section, prefix + QStringLiteral("_FontStyleStrikeOut"), font.StrikeOut);
    font.Charset = std::clamp(ReadInteger(section, prefix + QStringLiteral("_FontCharset"), font.Charset), 0, 255);
}

void TMyIniFile::WriteFont(const QString &section, const QString &prefix, const TMyFontSpec &font)
{
    WriteString(section, prefix + QStringLiteral("_FontName"), font.Name);
    WriteInteger(section, prefix + QStringLiteral("_FontSize"), font.Size);
    WriteInteger(section, prefix + QStringLiteral("_FontColor"), font.Color);
    WriteBool(section, prefix + QStringLiteral("_FontStyleBold"), font.Bold);
    WriteBool(section, prefix + QStringLiteral("_FontStyleItalic"), font.Italic);
    WriteBool(section, prefix + QStringLiteral("_FontStyleUnderLine"), font.UnderLine);
    WriteBool(section, prefix + QStringLiteral("_FontStyleStrikeOut"), font.StrikeOut);
    WriteInteger(section, prefix + QStringLiteral("_FontCharset"), font.Charset);
}
