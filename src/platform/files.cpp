#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <gio/gio.h>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr qint64 kUnixEpochAsFileTime = 116444736000000000LL;

qint64 FileTimeOf(qint64 seconds, qint64 nanoseconds)
{
    return kUnixEpochAsFileTime + seconds * 10000000LL + nanoseconds / 100;
}

FileStatus FromStatx(const struct statx &sx)
{
    FileStatus st;
    st.exists = true;
    const mode_t type = sx.stx_mode & S_IFMT;
    st.isDir = type == S_IFDIR;
    st.isRegular = type == S_IFREG;
    st.readOnly = (sx.stx_mode & S_IWUSR) == 0;
    st.device = (quint64(sx.stx_dev_major) << 32) | sx.stx_dev_minor;
    st.inode = sx.stx_ino;
    st.size = qint64(sx.stx_size);
    st.mode = sx.stx_mode;
    st.writeTime = FileTimeOf(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
    st.creationTime = (sx.stx_mask & STATX_BTIME) ? FileTimeOf(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec)
                                                   : st.writeTime;
    return st;
}

enum class LinkHint { Unknown, Link, NotLink };


FileStatus StatAt(int dirfd, const char *name, LinkHint hint)
{
    struct statx sx {};
    constexpr unsigned mask = STATX_BASIC_STATS | STATX_BTIME;
    FileStatus st;
    if (hint == LinkHint::Unknown) {
        // The entry itself first: when it is no link (nearly always) that one call tells all.
        if (::statx(dirfd, name, AT_SYMLINK_NOFOLLOW, mask, &sx) != 0)
            return st;
        if ((sx.stx_mode & S_IFMT) != S_IFLNK)
            return FromStatx(sx);
        hint = LinkHint::Link;
    }
    if (::statx(dirfd, name, 0, mask, &sx) == 0)
        st = FromStatx(sx);
    st.isLink = hint == LinkHint::Link;
    return st;
}

} // namespace

FileStatus GetFileStatus(const QString &path)
{
    if (path.isEmpty())
        return FileStatus();
    const QByteArray native = QFile::encodeName(path);
    return StatAt(AT_FDCWD, native.constData(), LinkHint::Unknown);
}

FolderReader::FolderReader(const QString &folder)
{
    const QByteArray native = QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder);
    m_dir = ::opendir(native.constData());
}

FolderReader::~FolderReader()
{
    if (m_dir)
        ::closedir(static_cast<DIR *>(m_dir));
}

bool FolderReader::Next(QString &name, FileStatus &status)
{
    if (!m_dir)
        return false;
    DIR *dir = static_cast<DIR *>(m_dir);
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir);
        if (!entry)
            return false;
        const char *n = entry->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        name = QFile::decodeName(n);
        const LinkHint hint = entry->d_type == DT_LNK       ? LinkHint::Link
                              : entry->d_type == DT_UNKNOWN ? LinkHint::Unknown
                                                            : LinkHint::NotLink;
        status = StatAt(::dirfd(dir), n, hint);
        return true;
    }
}

bool SyncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int r;
    do
        r = ::fsync(fd);
    while (r != 0 && errno == EINTR);
    const int error = r == 0 ? 0 : errno;  // before close, which may set errno
    ::close(fd);
    // File systems that cannot sync a folder say so; the rename stands all the same.
    return error == 0 || error == EINVAL || error == EROFS;
}

bool CommitSaveFile(QSaveFile &file)
{
    // QSaveFile syncs the data of the temporary file before it renames it.
    const QString target = file.fileName();
    if (!file.commit())
        return false;
    SyncFolder(QFileInfo(target).absolutePath());
    return true;
}

bool SetReadOnly(const QString &path, bool readOnly)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0)
        return false;
    mode_t mode = st.st_mode & 07777;
    mode = readOnly ? (mode & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH)) : (mode | S_IWUSR);
    return ::chmod(native.constData(), mode) == 0;
}

bool IsExecutableFile(const QString &path)
{
    const FileStatus st = GetFileStatus(path);
    if (!st.isRegular || (st.mode & (S_IXUSR | S_IXGRP | S_IXOTH)) == 0)
        return false;
    return ::access(QFile::encodeName(path).constData(), X_OK) == 0;
}

bool RemoveFile(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0 || S_ISDIR(st.st_mode))
        return false;
    return ::unlink(native.constData()) == 0;
}

bool MakeFolder(const QString &path)
{
    return ::mkdir(QFile::encodeName(path).constData(), 0777) == 0;
}

bool MoveToTrash(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    GFile *file = g_file_new_for_path(native.constData());
    GError *error = nullptr;
    const bool ok = g_file_trash(file, nullptr, &error);
    if (error)
        g_error_free(error);
    g_object_unref(file);
    return ok;
}

QString StandardFolder(int id)
{
    QString folder;
    switch (id) {
    case 0: folder = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation); break;
    case 5: folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation); break;
    case 13: folder = QStandardPaths::writableLocation(QStandardPaths::MusicLocation); break;
    case 14: folder = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation); break;
    case 38: folder = QStringLiteral("/usr/bin"); break;
    case 39: folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation); break;
    case 40: folder = QDir::homePath(); break;
    default: return QString();
    }
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return QString();
    return folder;
}

} // namespace platform
