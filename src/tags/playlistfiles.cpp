#include "tags/playlistfiles.h"

#include "lists/textencoding.h"
#include "platform/codepage.h"
#include "platform/files.h"

#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

#include <algorithm>
#include <map>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// Splits at CR LF, CR or LF, as the string list reads a text; a final line break opens no line.
QList<QStringView> SplitLines(QStringView text)
{
    QList<QStringView> lines;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype start = i;
        while (i < n && text[i] != u'\r' && text[i] != u'\n')
            ++i;
        lines.append(text.sliced(start, i - start));
        if (i < n && text[i] == u'\r')
            ++i;
        if (i < n && text[i] == u'\n')
            ++i;
    }
    return lines;
}

QStringView WithoutBom(QStringView text)
{
    return (!text.isEmpty() && text.front() == QChar(0xFEFF)) ? text.sliced(1) : text;
}

bool EqualsIgnoringCase(QStringView a, QStringView b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// The section name of a header line, or an empty view when the line is no header.
QStringView SectionName(QStringView line)
{
    QStringView t = line.trimmed();
    if (!t.startsWith(u'['))
        return {};
    QStringView rest = t.sliced(1);
    while (!rest.isEmpty() && rest.front().isSpace())
        rest = rest.sliced(1);
    const qsizetype close = rest.indexOf(u']');
    if (close <= 0)
        return {};
    return rest.first(close).trimmed();
}

bool WriteBytes(const QString &fileName, const QByteArray &bytes)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return platform::CommitSaveFile(file);
}

// True when a reader that detects the encoding (as ".m3u" and ".pls" are read) gets the text back.
bool DetectedAs(const QByteArray &bytes, const QString &text)
{
    TextEncoding enc = DetectEncoding(bytes);
    if (enc == TextEncoding::Auto || enc > TextEncoding::EucJp)
        enc = TextEncoding::Ansi;
    return DecodeText(bytes, enc) == text;
}

// ANSI when every line survives windows-932 unchanged and the bytes read back as what was
// written; else UTF-8 with a byte-order mark, which every reader recognises. (Short ANSI texts
// can look like another encoding: "ｶﾞ" like EUC-JP, "a+ZeVnLIqe-" like UTF-7.)
bool WriteAnsiOrUtf8(const QString &fileName, const QStringList &lines)
{
    QString text;
    qsizetype total = 0;
    for (const QString &line : lines)
        total += line.size() + 2;
    text.reserve(total);
    for (const QString &line : lines) {
        text += line;
        text += kCrLf;
    }
    if (FitsAnsiExactly(text)) {
        const QByteArray ansi = platform::WideToAnsi(text);
        if (DetectedAs(ansi, text))
            return WriteBytes(fileName, ansi);
    }
    return WriteBytes(fileName, EncodeText(text, TextEncoding::Utf8Bom));
}

// The number N of a key "FileN" (decimal digits only), or 0.
int FileKeyNumber(QStringView key)
{
    if (key.size() < 5 || !key.first(4).startsWith(u"file", Qt::CaseInsensitive))
        return 0;
    const QStringView digits = key.sliced(4);
    if (digits.size() > 10)
        return 0;
    qint64 n = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return 0;
        n = n * 10 + (c.unicode() - u'0');
    }
    return n > 0x7FFFFFFF ? 0 : int(n);
}

const struct {
    QStringView name;
    char16_t ch;
} kEntities[] = {
    {u"amp", u'&'}, {u"apos", u'\''}, {u"quot", u'"'}, {u"lt", u'<'}, {u"gt", u'>'},
};

} // namespace

PlaylistFormat PlaylistFormatOf(QStringView fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0 || fileName.indexOf(u'/', dot) >= 0)
        return PlaylistFormat::None;
    const QStringView ext = fileName.sliced(dot);
    if (EqualsIgnoringCase(ext, u".m3u"))
        return PlaylistFormat::M3U;
    if (EqualsIgnoringCase(ext, u".m3u8"))
        return PlaylistFormat::M3U8;
    if (EqualsIgnoringCase(ext, u".pls"))
        return PlaylistFormat::PLS;
    if (EqualsIgnoringCase(ext, u".wpl"))
        return PlaylistFormat::WPL;
    return PlaylistFormat::None;
}

QStringView TrimEntry(QStringView text)
{
    qsizetype a = 0, b = text.size();
    while (a < b && text[a].unicode() <= 32)
        ++a;
    while (b > a && text[b - 1].unicode() <= 32)
        --b;
    return text.sliced(a, b - a);
}

QStringList ParseM3UText(QStringView text)
{
    const QList<QStringView> lines = SplitLines(WithoutBom(text));
    QStringList out;
    out.reserve(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringView t = TrimEntry(lines[i]);
        if (i == 0 && t == u"#EXTM3U")
            continue;
        if (t.startsWith(u"#EXTINF:"))
            continue;
        out.append(lines[i].toString());
    }
    return out;
}

QStringList ParsePLSText(QStringView text)
{
    const QList<QStringView> lines = SplitLines(WithoutBom(text));
    // The first section named "playlist" is the one; later ones are not read.
    qsizetype begin = -1, end = lines.size();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringView name = SectionName(lines[i]);
        if (name.isEmpty())
            continue;
        if (begin >= 0) {
            end = i;
            break;
        }
        if (EqualsIgnoringCase(name, u"playlist"))
            begin = i + 1;
    }
    if (begin < 0)
        return {};
    // Every FileN key present counts, whatever NumberOfEntries says: many writers leave the count
    // out or get it wrong, and an entry past it is still an entry.
    std::map<int, QStringView> files;  // the lowest line of a key wins
    for (qsizetype i = end - 1; i >= begin; --i) {
        const QStringView line = lines[i];
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            continue;
        const QStringView key = line.first(eq).trimmed();
        if (const int n = FileKeyNumber(key); n > 0)
            files.try_emplace(n, line.sliced(eq + 1));
    }
    // Only the keys that exist are visited, so a huge key number costs nothing: a run of missing
    // keys leaves one empty entry, not one per number.
    QStringList out;
    int next = 1;
    for (const auto &[n, value] : files) {
        if (next < n)
            out.append(QString());
        out.append(value.toString());
        next = n + 1;
    }
    return out;
}

namespace {

// The entry of one <media ...> element: its src attribute where it can be found, else the first
// double-quoted text; undecoded.
QStringView MediaSource(QStringView t)
{
    qsizetype at = -1;
    for (qsizetype k = t.indexOf(u"src", 0, Qt::CaseInsensitive); k >= 0;
         k = t.indexOf(u"src", k + 3, Qt::CaseInsensitive)) {
        if (k > 0 && t[k - 1].unicode() > 32)
            continue;
        qsizetype j = k + 3;
        while (j < t.size() && t[j].unicode() <= 32)
            ++j;
        if (j >= t.size() || t[j] != u'=')
            continue;
        ++j;
        while (j < t.size() && t[j].unicode() <= 32)
            ++j;
        if (j < t.size() && (t[j] == u'"' || t[j] == u'\'')) {
            at = j;
            break;
        }
    }
    if (at < 0)
        at = t.indexOf(u'"');
    if (at >= 0) {
        const qsizetype close = t.indexOf(t[at], at + 1);
        if (close > at)
            return t.sliced(at + 1, close - at - 1);
    }
    return {};
}

bool IsTagNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u':' || c == u'.';
}

struct MarkupTag {
    QStringView name;
    bool closing = false;
    QStringView whole;  // from "<" to the closing ">" (or to where the tag breaks off)
};

// The tags of a markup text in order, however its lines are laid out. Comments are skipped. A
// tag ends at the first ">" outside quotes; the next "<" or the end of the text ends a broken one
// (no "<" stands inside a tag, quoted or not), and a quote without its partner before that point
// is an ordinary character. Each character is looked at a bounded number of times.
QList<MarkupTag> MarkupTags(QStringView text)
{
    QList<MarkupTag> tags;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype lt = text.indexOf(u'<', i);
        if (lt < 0)
            break;
        if (text.sliced(lt).startsWith(u"<!--")) {
            const qsizetype close = text.indexOf(u"-->", lt + 4);
            if (close < 0)
                break;
            i = close + 3;
            continue;
        }
        MarkupTag tag;
        qsizetype j = lt + 1;
        if (j < n && text[j] == u'/') {
            tag.closing = true;
            ++j;
        }
        const qsizetype nameStart = j;
        while (j < n && IsTagNameChar(text[j]))
            ++j;
        tag.name = text.sliced(nameStart, j - nameStart);
        qsizetype limit = text.indexOf(u'<', j);
        if (limit < 0)
            limit = n;
        const QStringView inside = text.sliced(j, limit - j);
        bool partnerless[2] = {false, false};
        qsizetype end = limit;  // one past the tag
        for (qsizetype k = 0; k < inside.size(); ++k) {
            const QChar c = inside[k];
            if (c == u'>') {
                end = j + k + 1;
                break;
            }
            if (c == u'"' || c == u'\'') {
                const int kind = c == u'"' ? 0 : 1;
                const qsizetype close = partnerless[kind] ? -1 : inside.indexOf(c, k + 1);
                if (close < 0)
                    partnerless[kind] = true;
                else
                    k = close;
            }
        }
        tag.whole = text.sliced(lt, end - lt);
        tags.append(tag);
        i = end;
    }
    return tags;
}

} // namespace

QStringList ParseWPLText(QStringView text)
{
    // The media elements between the last </seq> and the <seq> before it.
    const QList<MarkupTag> tags = MarkupTags(WithoutBom(text));
    qsizetype close = tags.size() - 1;
    while (close >= 0 && !(tags[close].closing && EqualsIgnoringCase(tags[close].name, u"seq")))
        --close;
    if (close < 0)
        return {};
    qsizetype open = close - 1;
    while (open >= 0 && !(!tags[open].closing && EqualsIgnoringCase(tags[open].name, u"seq")))
        --open;
    QStringList entries;
    for (qsizetype k = open + 1; k < close; ++k)
        if (!tags[k].closing && EqualsIgnoringCase(tags[k].name, u"media"))
            entries.append(UnescapeWplText(MediaSource(tags[k].whole)));
    return entries;
}

QStringList ReadPlaylistEntries(const QString &fileName)
{
    const PlaylistFormat format = PlaylistFormatOf(fileName);
    if (format == PlaylistFormat::None)
        return {};
    const QFileInfo info(fileName);
    if (!info.exists() || info.isDir())
        return {};
    TextEncoding enc = (format == PlaylistFormat::M3U8 || format == PlaylistFormat::WPL) ? TextEncoding::Utf8
                                                                                         : TextEncoding::Auto;
    const QString text = ReadTextFile(fileName, enc);
    switch (format) {
    case PlaylistFormat::M3U:
    case PlaylistFormat::M3U8: return ParseM3UText(text);
    case PlaylistFormat::PLS: return ParsePLSText(text);
    case PlaylistFormat::WPL: return ParseWPLText(text);
    default: return {};
    }
}

QString EscapeWplText(QStringView text)
{
    QString out;
    out.reserve(text.size() + 16);
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'&': out += u"&amp;"; break;
        case u'\'': out += u"&apos;"; break;
        case u'"': out += u"&quot;"; break;
        case u'<': out += u"&lt;"; break;
        case u'>': out += u"&gt;"; break;
        default: out += c;
        }
    }
    return out;
}

QString UnescapeWplText(QStringView text)
{
    if (!text.contains(u'&'))
        return text.toString();
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (text[i] != u'&') {
            out += text[i];
            continue;
        }
        // One pass: what an entity stands for is never read again, so "&amp;lt;" gives "&lt;".
        // The ";" is looked for only as far as the longest entity reaches, so a long run of "&"
        // costs no more than its length.
        const qsizetype reach = std::min<qsizetype>(12, n - i - 1);
        const qsizetype found = text.sliced(i + 1, reach).indexOf(u';');
        const qsizetype semi = found < 0 ? -1 : i + 1 + found;
        if (semi < 0) {
            out += text[i];
            continue;
        }
        const QStringView name = text.sliced(i + 1, semi - i - 1);
        bool done = false;
        for (const auto &e : kEntities) {
            if (name == e.name) {
                out += QChar(e.ch);
                done = true;
                break;
            }
        }
        if (!done && name.size() >= 2 && name[0] == u'#') {
            const bool hex = name[1] == u'x' || name[1] == u'X';
            const QStringView digits = name.sliced(hex ? 2 : 1);
            bool ok = !digits.isEmpty();
            for (QChar c : digits) {
                const bool digit = c >= u'0' && c <= u'9';
                const bool letter = (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
                ok = ok && (digit || (hex && letter));
            }
            const uint value = ok ? digits.toUInt(&ok, hex ? 16 : 10) : 0;
            if (ok && value > 0 && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF)) {
                const char32_t cp = char32_t(value);
                out += QString::fromUcs4(&cp, 1);
                done = true;
            }
        }
        if (done)
            i = semi;
        else
            out += text[i];
    }
    return out;
}

bool FitsAnsiExactly(QStringView text)
{
    bool usedDefault = false;
    const QByteArray bytes = platform::WideToAnsi(text, '?', &usedDefault);
    return !usedDefault && platform::AnsiToWide(bytes) == text;
}

QString WithPlaylistExtension(const QString &fileName, QStringView extension)
{
    return fileName.endsWith(extension) ? fileName : fileName + extension.toString();
}

QString M3UText(const TMyWStrings &entries)
{
    QString text;
    for (int i = 0; i < entries.Count(); ++i) {
        text += entries.Get(i);
        text += kCrLf;
    }
    return text;
}

QString WPLText(const TMyWStrings &entries)
{
    QString text;
    text += u"<?wpl version=\"1.0\"?>\r\n<smil>\r\n    <body>\r\n        <seq>\r\n";
    for (int i = 0; i < entries.Count(); ++i) {
        text += u"            <media src=\"";
        text += EscapeWplText(entries.Get(i));
        text += u"\"/>\r\n";
    }
    text += u"        </seq>\r\n    </body>\r\n</smil>\r\n";
    return text;
}

bool SaveM3U(const TMyWStrings &entries, const QString &fileName)
{
    return WriteAnsiOrUtf8(WithPlaylistExtension(fileName, u".m3u"), entries.ToStringList());
}

bool SaveM3U8(const TMyWStrings &entries, const QString &fileName, bool withBom)
{
    return WriteBytes(WithPlaylistExtension(fileName, u".m3u8"),
                      EncodeText(M3UText(entries), withBom ? TextEncoding::Utf8Bom : TextEncoding::Utf8));
}

bool SavePLS(const TMyWStrings &entries, const QString &fileName)
{
    const QString name = WithPlaylistExtension(fileName, u".pls");
    TextEncoding enc = TextEncoding::Auto;
    const QString old = ReadTextFile(name, enc);
    // Every section named "playlist" goes (a stale second copy would shadow nothing, but a
    // reader meeting the old one first would get the old entries); the rest keeps its lines.
    QStringList lines;
    bool dropping = false;
    for (QStringView line : SplitLines(WithoutBom(old))) {
        const QStringView section = SectionName(line);
        if (!section.isEmpty())
            dropping = EqualsIgnoringCase(section, u"playlist");
        if (!dropping)
            lines.append(line.toString());
    }
    lines.reserve(lines.size() + entries.Count() + 3);
    lines.append(QStringLiteral("[playlist]"));
    lines.append(QStringLiteral("NumberOfEntries=%1").arg(entries.Count()));
    for (int i = 0; i < entries.Count(); ++i)
        lines.append(QStringLiteral("File%1=").arg(i + 1) + entries.Get(i));
    lines.append(QString());
    return WriteAnsiOrUtf8(name, lines);
}

bool SaveWPL(const TMyWStrings &entries, const QString &fileName)
{
    return WriteBytes(WithPlaylistExtension(fileName, u".wpl"), EncodeText(WPLText(entries), TextEncoding::Utf8));
}

bool SavePlaylistByExtension(TMyWStrings &entries, const QString &fileName)
{
    switch (PlaylistFormatOf(fileName)) {
    case PlaylistFormat::M3U: return SaveM3U(entries, fileName);
    case PlaylistFormat::M3U8: return SaveM3U8(entries, fileName, false);
    case PlaylistFormat::PLS: return SavePLS(entries, fileName);
    case PlaylistFormat::WPL: return SaveWPL(entries, fileName);
    default: return entries.SaveToFile(fileName);
    }
}
