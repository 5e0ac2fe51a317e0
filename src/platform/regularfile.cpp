#include "platform/regularfile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr qint64 kUnixEpochInFileTimeSeconds = 11644473600LL;

qint64 FileTimeFromUnix(qint64 seconds, qint64 nanoseconds)
{
    const qint64 ticks = (seconds + kUnixEpochInFileTimeSeconds) * 10000000LL + nanoseconds / 100;
    return ticks > 0 ? ticks : 0;
}

struct Stamp {
    qint64 writeTime = 0;
    qint64 createTime = 0;
};

// Write and birth times through statx; the birth time falls back to the write time.
Stamp StampOf(int dirfd, const char *path, int flags)
{
    Stamp s;
    struct statx sx {};
    if (::statx(dirfd, path, flags, STATX_MTIME | STATX_BTIME, &sx) != 0)
        return s;
    if (sx.stx_mask & STATX_MTIME)
        s.writeTime = FileTimeFromUnix(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
    s.createTime = (sx.stx_mask & STATX_BTIME) ? FileTimeFromUnix(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec)
                                               : s.writeTime;
    return s;
}

} // namespace

RegularFile::~RegularFile()
{
    Close();
}

bool RegularFile::Open(const QString &path)
{
    Close();
    if (path.isEmpty())
        return false;
    const QByteArray native = QFile::encodeName(path);
    int fd;
    do
        fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_size = qint64(st.st_size);
    const Stamp stamp = StampOf(fd, "", AT_EMPTY_PATH);
    m_writeTime = stamp.writeTime ? stamp.writeTime : FileTimeFromUnix(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    m_createTime = stamp.createTime ? stamp.createTime : m_writeTime;
    return true;
}

void RegularFile::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_size = 0;
    m_writeTime = 0;
    m_createTime = 0;
}

qint64 RegularFile::ReadAt(qint64 offset, char *buffer, qint64 n) const
{
    if (m_fd < 0 || offset < 0 || n < 0)
        return -1;
    qint64 done = 0;
    while (done < n) {
        const ssize_t got = ::pread(m_fd, buffer + done, size_t(n - done), off_t(offset + done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN)  // cannot happen on a regular file; never spin on it
                break;
            return done > 0 ? done : -1;
        }
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

} // namespace platform
