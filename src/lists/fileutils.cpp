#include "lists/fileutils.h"

#include "platform/appdirs.h"
#include "platform/files.h"
#include "platform/locale.h"
#include "platform/process.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>

#include <functional>

namespace {

constexpr qint64 kUnixEpochAsFileTime = 116444736000000000LL;

qsizetype LastSeparator(QStringView path) { return path.lastIndexOf(u'/'); }

bool IsBlank(QChar c) { return c.unicode() <= 0x20; }

} // namespace

int AttributesOfStatus(QStringView name, const platform::FileStatus &st)
{
    int attrs = 0;
    if (st.isDir)
        attrs |= faDirectory;
    else if (st.exists && !st.isRegular)
        attrs |= faSysFile;
    if (st.exists && st.readOnly)
        attrs |= faReadOnly;
    if (name.startsWith(u'.'))
        attrs |= faHidden;
    if (st.isLink)
        attrs |= faSymLink;
    return attrs ? attrs : faNormal;
}

namespace {

TMySearchRec RecordOf(const QString &name, const platform::FileStatus &st)
{
    TMySearchRec rec;
    rec.Name = name;
    rec.Attributes = AttributesOfStatus(name, st);
    rec.Size = st.isRegular ? st.size : 0;
    rec.WriteTime = st.writeTime;
    rec.CreationTime = st.creationTime;
    return rec;
}

// Calls visit for every entry of the pattern's folder whose name matches the pattern's mask,
// until visit returns false.
void ForEachMatch(const QString &pattern,
                  const std::function<bool(const QString &name, const platform::FileStatus &st)> &visit)
{
    const QString folder = ExtractFilePath(pattern);
    const QString mask = ExtractFileName(pattern);
    platform::FolderReader reader(folder.isEmpty() ? QStringLiteral(".") : folder);
    QString name;
    platform::FileStatus st;
    while (reader.Next(name, st)) {
        if (MatchesMask(name, mask) && !visit(name, st))
            return;
    }
}

// The first match (with wildcards) or the path itself.
bool FirstEntry(const QString &path, bool skipFolders, QString &name, platform::FileStatus &st)
{
    if (path.isEmpty())
        return false;
    if (!HasWildcards(ExtractFileName(path))) {
        st = platform::GetFileStatus(path);
        name = ExtractFileName(path);
        return st.exists && !(skipFolders && st.isDir);
    }
    bool found = false;
    ForEachMatch(path, [&](const QString &n, const platform::FileStatus &s) {
        if (!s.exists || (skipFolders && s.isDir))
            return true;
        name = n;
        st = s;
        found = true;
        return false;
    });
    return found;
}

// Splits an absolute path into its parts, resolving "." and ".." and dropping empty parts.
QStringList CleanParts(QStringView path)
{
    QStringList parts;
    for (QStringView part : path.split(u'/', Qt::SkipEmptyParts)) {
        if (part == u".")
            continue;
        if (part == u"..") {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts.append(part.toString());
    }
    return parts;
}

QString JoinAbsolute(const QStringList &parts, bool trailingSlash)
{
    QString out = QStringLiteral("/") + parts.join(u'/');
    if (trailingSlash && !parts.isEmpty())
        out += u'/';
    return out;
}

bool EndsAsFolder(QStringView path)
{
    return path.endsWith(u'/') || path.endsWith(QStringLiteral("/.")) || path.endsWith(QStringLiteral("/.."));
}

bool HasDotParts(QStringView path)
{
    // A part that is "." or ".." starts after a "/" (or at the start) with a dot.
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (path[i] != u'.' || (i > 0 && path[i - 1] != u'/'))
            continue;
        qsizetype j = i + 1;
        if (j < path.size() && path[j] == u'.')
            ++j;
        if (j == path.size() || path[j] == u'/')
            return true;
    }
    return false;
}

QString TrimBlanks(QStringView text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && IsBlank(text[b]))
        ++b;
    while (e > b && IsBlank(text[e - 1]))
        --e;
    return text.sliced(b, e - b).toString();
}

QString FoldExtension(QStringView ext) { return platform::UpperUnits(ext).normalized(QString::NormalizationForm_D); }

} // namespace

QString ExtractFilePath(QStringView path)
{
    const qsizetype i = LastSeparator(path);
    return i >= 0 ? path.first(i + 1).toString() : QString();
}

QString ExtractFileDir(QStringView path)
{
    const qsizetype i = LastSeparator(path);
    if (i < 0)
        return QString();
    if (i == 0)
        return QStringLiteral("/");
    return path.first(i).toString();
}

QString ExtractFileName(QStringView path) { return path.sliced(LastSeparator(path) + 1).toString(); }

QString ExtractFileExt(QStringView path)
{
    const qsizetype sep = LastSeparator(path);
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot > sep ? path.sliced(dot).toString() : QString();
}

QString ExtractFileBaseName(QStringView path)
{
    const QString name = ExtractFileName(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot >= 0 ? name.left(dot) : name;
}

QString ExtractFileDrive(QStringView) { return QString(); }

TFileNameParts SplitFileNameFull(QStringView path)
{
    TFileNameParts parts;
    parts.Folder = ExtractFilePath(path);
    parts.Name = ExtractFileName(path);
    const qsizetype dot = parts.Name.lastIndexOf(u'.');
    parts.BaseName = dot >= 0 ? parts.Name.left(dot) : parts.Name;
    parts.Extension = dot >= 0 ? parts.Name.mid(dot) : QString();
    return parts;
}

QString ChangeFileExt(QStringView path, QStringView extension)
{
    QString ext = extension.toString();
    if (!ext.isEmpty() && !ext.startsWith(u'.'))
        ext.prepend(u'.');
    const qsizetype sep = LastSeparator(path);
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot <= sep)
        return path.toString() + ext;
    if (dot == 0)
        return ext;
    return path.first(dot).toString() + ext;
}

bool SameFileExt(QStringView a, QStringView b)
{
    return FoldExtension(ExtractFileExt(a)) == FoldExtension(ExtractFileExt(b));
}

bool IsUrl(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    const qsizetype start = i;
    auto isAlpha = [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); };
    if (i >= text.size() || !isAlpha(text[i]))
        return false;
    while (i < text.size()) {
        const QChar c = text[i];
        if (isAlpha(c) || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.')
            ++i;
        else
            break;
    }
    return i > start && text.sliced(i).startsWith(QStringLiteral("://"));
}

QString ExpandFileName(QStringView path)
{
    if (path.isEmpty())
        return QString();
    if (IsUrl(path))
        return path.toString();
    QString full = path.startsWith(u'/') ? path.toString() : QDir::currentPath() + u'/' + path.toString();
    // A path that is already clean (no empty, "." or ".." parts) stays as it is, without
    // being taken apart.
    if (!full.contains(QStringLiteral("//")) && !HasDotParts(full))
        return full;
    return JoinAbsolute(CleanParts(full), EndsAsFolder(full));
}

QString ExpandRelativePath(QStringView path, QStringView baseFolder)
{
    if (IsUrl(path))
        return path.toString();
    QString p = path.toString();
    p.replace(u'\\', u'/');
    if (p.startsWith(u'/'))
        return HasDotParts(p) ? ExpandFileName(p) : p;
    QString base = baseFolder.toString();
    base.replace(u'\\', u'/');
    return ExpandFileName(EnsureSuffix(base, u"/") + p);
}

QString MakeRelativePath(QStringView path, QStringView baseFile)
{
    if (IsUrl(path) || !path.startsWith(u'/') || !baseFile.startsWith(u'/'))
        return path.toString();
    const QStringList from = CleanParts(ExtractFileDir(baseFile));
    const QStringList to = CleanParts(path);
    qsizetype common = 0;
    while (common < from.size() && common < to.size() && from[common] == to[common])
        ++common;
    QString out;
    if (common == from.size())
        out = QStringLiteral(".");
    for (qsizetype i = common; i < from.size(); ++i)
        out += out.isEmpty() ? QStringLiteral("..") : QStringLiteral("/..");
    for (qsizetype i = common; i < to.size(); ++i)
        out += u'/' + to[i];
    if (EndsAsFolder(path) && common < to.size())
        out += u'/';
    return out;
}

QString ShortPathName(const QString &path) { return path; }

bool HasWildcards(QStringView path) { return path.contains(u'*') || path.contains(u'?'); }

bool MatchesMask(QStringView name, QStringView mask)
{
    if (mask == u"*" || mask == u"*.*")
        return true;
    const QString n = platform::UpperUnits(name);
    const QString m = platform::UpperUnits(mask);
    // Iterative glob with one level of backtracking on the last "*".
    qsizetype i = 0, j = 0, star = -1, mark = 0;
    while (i < n.size()) {
        if (j < m.size() && (m[j] == u'?' || m[j] == n[i])) {
            ++i;
            ++j;
        } else if (j < m.size() && m[j] == u'*') {
            star = j++;
            mark = i;
        } else if (star >= 0) {
            j = star + 1;
            i = ++mark;
        } else {
            return false;
        }
    }
    while (j < m.size() && m[j] == u'*')
        ++j;
    return j == m.size();
}

bool FileExists(const QString &path)
{
    if (path.isEmpty())
        return false;
    if (HasWildcards(QStringView(path).sliced(LastSeparator(path) + 1))) {
        if (!DirectoryExists(ExtractFilePath(path)))
            return false;
        QString name;
        platform::FileStatus st;
        return FirstEntry(path, true, name, st);
    }
    const platform::FileStatus st = platform::GetFileStatus(path);
    return st.exists && !st.isDir;
}

bool DirectoryExists(const QString &path)
{
    if (path.isEmpty())
        return false;
    if (HasWildcards(path)) {
        bool found = false;
        ForEachMatch(RemoveSuffix(path, u"/"), [&](const QString &, const platform::FileStatus &st) {
            found = st.isDir;
            return !found;
        });
        return found;
    }
    return platform::GetFileStatus(path).isDir;
}

int FileAttributes(const QString &path)
{
    QString name;
    platform::FileStatus st;
    if (!FirstEntry(path, false, name, st))
        return -1;
    return AttributesOfStatus(name, st);
}

bool SetFileAttributes(const QString &path, int attributes)
{
    if (!platform::GetFileStatus(path).exists)
        return false;
    return platform::SetReadOnly(path, (attributes & faReadOnly) != 0);
}

bool IsReadOnly(const QString &path)
{
    const platform::FileStatus st = platform::GetFileStatus(path);
    return st.exists && st.readOnly;
}

bool IsExecutable(const QString &path) { return platform::IsExecutableFile(path); }

qint64 FileSize(const QString &path)
{
    QString name;
    platform::FileStatus st;
    return FirstEntry(path, true, name, st) && st.isRegular ? st.size : 0;
}

qint64 FileWriteTime(const QString &path)
{
    QString name;
    platform::FileStatus st;
    return FirstEntry(path, true, name, st) ? st.writeTime : 0;
}

qint64 FileCreationTime(const QString &path)
{
    QString name;
    platform::FileStatus st;
    return FirstEntry(path, true, name, st) ? st.creationTime : 0;
}

namespace {
QDateTime LocalTimeOf(qint64 fileTime)
{
    if (fileTime <= 0)
        return QDateTime();
    return QDateTime::fromMSecsSinceEpoch((fileTime - kUnixEpochAsFileTime) / 10000).toLocalTime();
}

QString LongTimeFormat(const QLocale &locale)
{
    // Hours, minutes and seconds in the locale's own order and marks ("H:mm:ss" for Japanese):
    // its short format with the seconds added. Qt's long format would add the time zone.
    QString f = locale.timeFormat(QLocale::ShortFormat);
    if (!f.contains(u's')) {
        const qsizetype m = f.lastIndexOf(QStringLiteral("mm"));
        if (m >= 0)
            f.insert(m + 2, QStringLiteral(":ss"));
    }
    return f;
}
} // namespace

QDateTime FileWriteTimeLocal(const QString &path) { return LocalTimeOf(FileWriteTime(path)); }

QString FileWriteTimeText(const QString &path) { return FileTimeText(FileWriteTime(path)); }

QString FileTimeText(qint64 fileTime)
{
    QDateTime local = LocalTimeOf(fileTime);
    if (!local.isValid() || local.date().year() < 1980 || local.date().year() > 2107)
        return QString();
    const QTime t = local.time();
    const QTime dos(t.hour(), t.minute(), t.second() & ~1);
    const QLocale locale;
    QString text = locale.toString(local.date(), QLocale::ShortFormat);
    if (dos != QTime(0, 0))
        text += u' ' + locale.toString(dos, LongTimeFormat(locale));
    return text;
}

QString FormatSizeText(qint64 size)
{
    if (size < 1024)
        return QStringLiteral("%1B").arg(size);
    const qint64 k = (size + 1023) / 1024;
    if (size < 1048576)
        return QStringLiteral("%1KB").arg(k);
    const QString point = QLocale().decimalPoint();
    if (size < 1073741824) {
        const qint64 tenths = k * 10 / 1024;
        return QStringLiteral("%1%2%3MB").arg(tenths / 10).arg(point).arg(tenths % 10);
    }
    const qint64 hundredths = k * 100 / 1048576;
    return QStringLiteral("%1%2%3GB").arg(hundredths / 100).arg(point).arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}

QString FormatFileSize(const QString &path) { return FormatSizeText(FileSize(path)); }

bool FindFileEntry(const QString &path, TMySearchRec &entry)
{
    QString name;
    platform::FileStatus st;
    if (!FirstEntry(path, false, name, st))
        return false;
    entry = RecordOf(name, st);
    return true;
}

bool DeleteFiles(const QString &pattern)
{
    if (pattern.isEmpty())
        return false;
    if (!HasWildcards(ExtractFileName(pattern))) {
        const platform::FileStatus st = platform::GetFileStatus(pattern);
        return (st.exists || st.isLink) && !st.isDir && platform::RemoveFile(pattern);
    }
    QStringList victims;
    const QString folder = ExtractFilePath(pattern);
    ForEachMatch(pattern, [&](const QString &name, const platform::FileStatus &st) {
        if (!st.isDir)
            victims.append(folder + name);
        return true;
    });
    bool ok = !victims.isEmpty();
    for (const QString &v : victims)
        ok = platform::RemoveFile(v) && ok;
    return ok;
}

bool RecycleFolder(const QString &folder)
{
    const QString path = folder.size() > 1 ? RemoveSuffix(folder, u"/") : folder;
    return !path.isEmpty() && platform::MoveToTrash(path);
}

bool CreateFolder(const QString &path) { return !path.isEmpty() && platform::MakeFolder(path); }

QString ExecutablePath()
{
    const QString path = platform::ExecutablePathOS();
    if (!path.isEmpty())
        return path;
    const QStringList args = QCoreApplication::arguments();
    return args.isEmpty() ? QString() : args.first();
}

QString ExecutableFolder() { return ExtractFilePath(ExecutablePath()); }

QString FirstCommandLineToken(QStringView text)
{
    auto isSpace = [](QChar c) { return c == u'\t' || c == u'\n' || c == u'\r' || c == u' '; };
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isSpace(text[i]))
        ++i;
    QString token;
    bool quoted = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'"') {
            if (quoted && i + 1 < n && text[i + 1] == u'"') {
                token += u'"';
                ++i;
            } else {
                quoted = !quoted;
            }
        } else if (!quoted && isSpace(c)) {
            break;
        } else {
            token += c;
        }
    }
    return token;
}

bool ShowFileProperties(const QString &path) { return platform::ShowItemProperties(path); }

bool OpenContainingFolder(const QString &path)
{
    const QString folder = ExtractFilePath(path);
    return !folder.isEmpty() && platform::OpenWithDesktop(folder);
}

qint64 RunProgram(const QString &program, const QStringList &arguments)
{
    QStringList args;
    for (const QString &a : arguments) {
        const QString t = TrimBlanks(a);
        if (!t.isEmpty())
            args.append(t);
    }
    return platform::StartProgram(program, args);
}

qint64 RunProgramAndWait(const QString &program, const QStringList &arguments, int)
{
    return RunProgram(program, arguments);
}

TMyFileVersionInfo ReadVersionInfo(const QString &fileName)
{
    TMyFileVersionInfo info;
    const QString self = ExecutablePath();
    if (fileName.isEmpty() || self.isEmpty())
        return info;
    const platform::FileStatus a = platform::GetFileStatus(fileName);
    const platform::FileStatus b = platform::GetFileStatus(self);
    if (!a.exists || a.device != b.device || a.inode != b.inode)
        return info;
    const QString product = QStringLiteral("tavio");
    const QString version = QStringLiteral(TAVIO_VERSION);
    info.FileDescription = product;
    info.FileVersion = version;
    info.InternalName = product;
    info.OriginalFilename = product;
    info.ProductName = product;
    info.ProductVersion = version;
    return info;
}

QString ExecutableVersion() { return ReadVersionInfo(ExecutablePath()).FileVersion; }

QString ProductTitle()
{
    const QString name = ReadVersionInfo(ExecutablePath()).ProductName;
    return name.isEmpty() ? ExtractFileBaseName(ExecutablePath()) : name;
}

QString ExecutableComments() { return ReadVersionInfo(ExecutablePath()).Comments; }

QString SpecialFolder(int folderId)
{
    const QString folder = platform::StandardFolder(folderId);
    return folder.isEmpty() ? QString() : EnsureSuffix(folder, u"/");
}

QString EnsurePrefix(QStringView text, QStringView prefix)
{
    return text.startsWith(prefix) ? text.toString() : prefix.toString() + text.toString();
}

QString RemovePrefix(QStringView text, QStringView prefix)
{
    return !prefix.isEmpty() && text.startsWith(prefix) ? text.sliced(prefix.size()).toString() : text.toString();
}

QString RemoveAllPrefixes(QStringView text, QStringView prefix)
{
    if (prefix.isEmpty())
        return text.toString();
    while (text.startsWith(prefix))
        text = text.sliced(prefix.size());
    return text.toString();
}

QString EnsureSuffix(QStringView text, QStringView suffix)
{
    return text.endsWith(suffix) ? text.toString() : text.toString() + suffix.toString();
}

QString RemoveSuffix(QStringView text, QStringView suffix)
{
    return !suffix.isEmpty() && text.endsWith(suffix) ? text.chopped(suffix.size()).toString() : text.toString();
}

QString RemoveAllSuffixes(QStringView text, QStringView suffix)
{
    if (suffix.isEmpty())
        return text.toString();
    while (text.endsWith(suffix))
        text = text.chopped(suffix.size());
    return text.toString();
}

QString RightStr(QStringView text, int n)
{
    if (n <= 0)
        return QString();
    if (n >= text.size())
        return text.toString();
    return text.sliced(text.size() - n).toString();
}

QString LeadingRunOf(QStringView text, QStringView characters, int maxLength)
{
    qsizetype i = 0;
    const qsizetype limit = maxLength < 0 ? text.size() : std::min<qsizetype>(maxLength, text.size());
    while (i < limit && characters.contains(text[i]))
        ++i;
    return text.first(i).toString();
}

QString CutToken(QString &text, QStringView delimiter)
{
    const qsizetype i = delimiter.isEmpty() ? -1 : text.indexOf(delimiter);
    QString token;
    if (i < 0) {
        token = text;
        text.clear();
    } else {
        token = text.left(i);
        text.remove(0, i + delimiter.size());
    }
    return token;
}

QString ToHalfWidth(QStringView text) { return platform::MapString(text, platform::MapHalfWidth); }

QString ReplaceText(QStringView text, QStringView oldText, QStringView newText, bool caseSensitive)
{
    QString out = text.toString();
    if (oldText.isEmpty())
        return out;
    return out.replace(oldText.toString(), newText.toString(), caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
}
