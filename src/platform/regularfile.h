#pragma once
// Read-only access to regular files for the format readers. A file is opened without blocking
// (a FIFO or a device named in a playlist must never hang a reader) and only regular files are
// kept open. Times are file times as in platform/files.h (100 ns since 1601-01-01 UTC).

#include <QString>
#include <QtGlobal>

namespace platform {

class RegularFile {
public:
    RegularFile() = default;
    ~RegularFile();
    RegularFile(const RegularFile &) = delete;
    RegularFile &operator=(const RegularFile &) = delete;

    // False for a missing or unreadable file and for anything that is not a regular file.
    bool Open(const QString &path);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    // Facts taken from the open descriptor at Open.
    qint64 Size() const { return m_size; }
    qint64 WriteTime() const { return m_writeTime; }
    qint64 CreateTime() const { return m_createTime; }

    // Reads up to n bytes at the offset; fewer at the end of the file, -1 on an error.
    qint64 ReadAt(qint64 offset, char *buffer, qint64 n) const;

private:
    int m_fd = -1;
    qint64 m_size = 0;
    qint64 m_writeTime = 0;
    qint64 m_createTime = 0;
};

} // namespace platform
