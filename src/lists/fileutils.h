#pragma once
// Paths, file facts and the small string helpers used for file names everywhere.
//
// Paths are POSIX paths: "/" is the only separator and ":" is an ordinary character. Entries
// that came from Windows playlists have their "\" turned into "/" when they are resolved
// (ExpandRelativePath). A URL is any "scheme://" text and passes the path functions unchanged.
// Extensions include their dot (".mp3") and compare ignoring case; file names themselves are
// case-sensitive.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QStringView>

// File attributes, numbered as the stored settings and the callers know them.
enum TFileAttribute : int {
    faReadOnly = 0x01,  // the owner may not write the file
    faHidden = 0x02,    // the name begins with "."
    faSysFile = 0x04,   // neither a regular file nor a folder (device, pipe, socket)
    faDirectory = 0x10,
    faArchive = 0x20,
    faNormal = 0x80,    // none of the others
    faSymLink = 0x400,  // the entry is a symbolic link (its target's type is reported as well)
};

namespace platform {
struct FileStatus;
}

// A directory entry as a folder search meets it.
struct TMySearchRec {
    QString Name;        // the entry's name, without folder
    int Attributes = 0;
    qint64 Size = 0;
    qint64 WriteTime = 0;     // file time: 100 ns since 1601-01-01 UTC
    qint64 CreationTime = 0;  // the same
};

struct TFileNameParts {
    QString Folder;     // as ExtractFilePath: with its trailing "/"
    QString Name;
    QString BaseName;
    QString Extension;
};

// Path parts.
QString ExtractFilePath(QStringView path);      // up to and including the last "/"; else empty
QString ExtractFileDir(QStringView path);       // before the last "/" ("/" for a name in the root)
QString ExtractFileName(QStringView path);      // after the last "/"
QString ExtractFileExt(QStringView path);       // from the last "." of the name; empty when none
QString ExtractFileBaseName(QStringView path);  // the name without its last extension
QString ExtractFileDrive(QStringView path);     // POSIX paths have no drive: always empty
TFileNameParts SplitFileNameFull(QStringView path);
// Replaces the extension (a leading "." is added to a non-empty one that lacks it), or
// appends it to a name without one. A path whose only dot is its first character becomes
// the extension alone.
QString ChangeFileExt(QStringView path, QStringView extension);
bool SameFileExt(QStringView a, QStringView b);

// "scheme://..." (after leading and trailing blanks).
bool IsUrl(QStringView text);

// The absolute, cleaned form of a path ("." and ".." resolved, repeated "/" joined; a trailing
// "/" is kept). Relative paths are taken from the current folder; links are not resolved.
QString ExpandFileName(QStringView path);
// A playlist entry or command-line name made absolute against a base folder. URLs come back
// unchanged; "\" becomes "/"; an absolute path is only cleaned when it has "." or ".." parts.
QString ExpandRelativePath(QStringView path, QStringView baseFolder);
// The path relative to the folder of the base file ("./a/song.mp3", "../b/song.mp3"), or the
// path unchanged when it is a URL or either side is not absolute.
QString MakeRelativePath(QStringView path, QStringView baseFile);
// There are no short names here: the path unchanged.
QString ShortPathName(const QString &path);

// Wildcards "*" and "?" in a file-name mask; matching ignores case, and "*.*" matches all.
bool HasWildcards(QStringView path);
bool MatchesMask(QStringView name, QStringView mask);

// File facts. A pattern with wildcards in its last part is answered by its first match.
bool FileExists(const QString &path);       // something that is not a folder (links followed)
bool DirectoryExists(const QString &path);  // a folder (links followed)
int FileAttributes(const QString &path);    // -1 when nothing is there
bool SetFileAttributes(const QString &path, int attributes);  // only faReadOnly has an effect
bool IsReadOnly(const QString &path);
bool IsExecutable(const QString &path);
qint64 FileSize(const QString &path);        // 0 for folders and missing files
qint64 FileWriteTime(const QString &path);   // file time, 0 when unknown
qint64 FileCreationTime(const QString &path);
QDateTime FileWriteTimeLocal(const QString &path);  // invalid when unknown
// The local write time as "<short date> <long time>" (the time left out at midnight), at the
// two-second steps of DOS times; empty when the time is outside 1980..2107.
QString FileWriteTimeText(const QString &path);
QString FileTimeText(qint64 fileTime);
// "%dB", "%dKB", "%.1fMB" or "%.2fGB" (kilobytes rounded up, fractions cut), with the
// locale's decimal separator.
QString FormatFileSize(const QString &path);
QString FormatSizeText(qint64 size);
// The entry of one path as a folder search would report it; false when nothing is there.
bool FindFileEntry(const QString &path, TMySearchRec &entry);

// The attributes of a directory entry with the given name and status.
int AttributesOfStatus(QStringView name, const platform::FileStatus &status);

// File operations.
bool DeleteFiles(const QString &pattern);   // every non-folder match; false when none or one failed
bool RecycleFolder(const QString &folder);  // to the trash, without asking
bool CreateFolder(const QString &path);     // one level

// The running program.
QString ExecutablePath();
QString ExecutableFolder();  // with its trailing "/"
QString FirstCommandLineToken(QStringView text);
bool ShowFileProperties(const QString &path);
bool OpenContainingFolder(const QString &path);
// Starts the program with every trimmed, non-empty argument as one argument; the process id,
// or 0 when it could not be started. Never through a shell.
qint64 RunProgram(const QString &program, const QStringList &arguments = QStringList());
// The same; Linux has no "idle for input" notice, so it returns once the program runs.
qint64 RunProgramAndWait(const QString &program, const QStringList &arguments, int milliseconds);

struct TMyFileVersionInfo {
    QString Comments, CompanyName, FileDescription, FileVersion, InternalName, LegalCopyright,
        LegalTrademarks, OriginalFilename, PrivateBuild, ProductName, ProductVersion, SpecialBuild;
};
// Version strings: those compiled into this program for its own executable, empty for others.
TMyFileVersionInfo ReadVersionInfo(const QString &fileName);
QString ExecutableVersion();
QString ProductTitle();  // "tavio"; the caption of the program's messages
QString ExecutableComments();
// 0 desktop, 5 documents, 13 music, 14 videos, 38 programs, 39 pictures, 40 home: the folder
// with a trailing "/", or empty.
QString SpecialFolder(int folderId);

// String helpers (exact, case-sensitive prefix and suffix tests).
QString EnsurePrefix(QStringView text, QStringView prefix);
QString RemovePrefix(QStringView text, QStringView prefix);
QString RemoveAllPrefixes(QStringView text, QStringView prefix);
QString EnsureSuffix(QStringView text, QStringView suffix);
QString RemoveSuffix(QStringView text, QStringView suffix);
QString RemoveAllSuffixes(QStringView text, QStringView suffix);
QString RightStr(QStringView text, int n);
// The leading part made only of the given characters, at most maxLength long (no limit when
// maxLength < 0).
QString LeadingRunOf(QStringView text, QStringView characters, int maxLength = -1);
// The part before the first delimiter; text keeps what follows it (or becomes empty).
QString CutToken(QString &text, QStringView delimiter);
QString ToHalfWidth(QStringView text);
QString ReplaceText(QStringView text, QStringView oldText, QStringView newText, bool caseSensitive);
