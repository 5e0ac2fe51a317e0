#pragma once
// File status, folder reading and the few file services the lists need from the system.

#include <QString>

#include <cstdint>

class QSaveFile;

namespace platform {

// Times are file times: 100-nanosecond units since 1601-01-01 UTC (0 when unknown).
struct FileStatus {
    bool exists = false;    // the path (its links followed) names something
    bool isDir = false;     // a folder, links followed
    bool isRegular = false; // a regular file, links followed
    bool isLink = false;    // the entry itself is a symbolic link
    bool readOnly = false;  // the owner may not write it
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 writeTime = 0;
    qint64 creationTime = 0; // birth time where the file system keeps one, else the write time
    uint32_t mode = 0;
};

// Status of a path with its links followed. A dangling link gives exists false and isLink true.
FileStatus GetFileStatus(const QString &path);

// Reads the entries of one folder ("." and ".." left out), each with its status.
class FolderReader {
public:
    explicit FolderReader(const QString &folder);
    ~FolderReader();
    FolderReader(const FolderReader &) = delete;
    FolderReader &operator=(const FolderReader &) = delete;

    bool IsOpen() const { return m_dir != nullptr; }
    // The next entry; false at the end (or when the folder could not be opened).
    bool Next(QString &name, FileStatus &status);

private:
    void *m_dir = nullptr;
};

// Sets or clears the read-only state (all write permission bits off; on again for the owner).
bool SetReadOnly(const QString &path, bool readOnly);
// A regular file that may be executed.
bool IsExecutableFile(const QString &path);
// Removes one file (not a folder).
bool RemoveFile(const QString &path);
// Creates one folder (its parent must exist).
bool MakeFolder(const QString &path);
// Ends a write through a temporary file: the data reaches the disk, the file is renamed over
// the target, and then the folder's entry too reaches the disk, so that a power cut after the
// save cannot bring the old file back. False when the write or the rename failed.
bool CommitSaveFile(QSaveFile &file);
// Flushes the entries of a folder (new names, renames) to the disk.
bool SyncFolder(const QString &folder);
// Moves a file or folder to the desktop's trash.
bool MoveToTrash(const QString &path);
// A folder of the desktop by the program's folder numbers (0 desktop, 5 documents, 13 music,
// 14 videos, 38 programs, 39 pictures, 40 home); empty when unknown or missing. No trailing "/".
QString StandardFolder(int id);

} // namespace platform
