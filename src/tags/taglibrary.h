#pragma once
// The tag library: one SQLite database in the data folder that caches, per media file, the tag
// fields the playlist shows and the media information that is slow to measure, so that a playlist
// fills quickly on later runs. One table, TAG_TABLE, keyed by the exact full file name.
//
// The program-wide library is opened once at start (OpenLibrary) and closed at the end. When the
// database cannot be opened or created the library is off for the run: every operation is then a
// quiet no-op and tags are read from the media files every time. Each thread talks to the database
// through its own connection (TMyTagLibrary); the free functions below use the calling thread's.

#include <QString>

#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
class TMyCustomTag;
class TMyTag;
struct TMyTagValue;

// One row of TAG_TABLE.
struct TMyLibraryRecord {
    QString FileName;
    qint64 FileSize = 0;
    qint64 FileWriteTime = 0;   // file time: 100-ns units since 1601, UTC
    qint64 FileCreateTime = 0;
    int MediaLength = 0;        // whole seconds
    double MediaDuration = 0;   // seconds
    int VideoWidth = 0;
    int VideoHeight = 0;
    double VideoFrameRate = 0;
    QString Artist;
    QString Album;
    QString AlbumArtist;
    QString Composer;
    QString Conductor;
    QString Genre;
    QString Title;              // the title, or the file's base name when the tag has none
    QString Track;
    QString Writer;

    bool operator==(const TMyLibraryRecord &) const = default;
};

enum class TLibraryResult : uint8_t {
    Ok,
    NotFound,   // lookup without a record
    Skipped,    // store of a file that does not exist: nothing stored
    Busy,       // another connection (often another player) held the database too long
    Failed,     // SQLite refused the statement; see LastError
    Off,        // this connection is not open
};

// One connection to the library database. Use it from one thread only.
class TMyTagLibrary {
public:
    // Opens the database, creating the file and the table when needed. With recoverCorrupt a file
    // that SQLite reports as not a database or corrupt is renamed with ".corrupt" appended (its
    // journal files with it) and a new database is created in its place.
    explicit TMyTagLibrary(const QString &fileName, bool recoverCorrupt = false, int busyTimeoutMs = 1000);
    ~TMyTagLibrary();
    TMyTagLibrary(const TMyTagLibrary &) = delete;
    TMyTagLibrary &operator=(const TMyTagLibrary &) = delete;

    bool IsOpen() const { return m_db != nullptr; }
    const QString &FileName() const { return m_fileName; }
    // The last SQLite error of this connection ("" when none).
    const QString &LastError() const { return m_lastError; }
    // The name the damaged file was moved to by the constructor ("" when nothing was moved).
    const QString &MovedAsideTo() const { return m_movedAside; }

    // The record of exactly this file name.
    TLibraryResult Lookup(const QString &fileName, TMyLibraryRecord &record);
    // Stores (replaces whole) the record of an existing file, in its own transaction.
    TLibraryResult Store(const TMyLibraryRecord &record);
    // Stores many records in one transaction. Records of missing files are skipped; a record that
    // SQLite refuses does not keep the others from being committed.
    TLibraryResult StoreMany(const std::vector<TMyLibraryRecord> &records);
    // Deletes the records of files that no longer exist, then compacts the file. Returns the number
    // of records removed, or -1 when the pass failed.
    int Optimize();
    // Number of records (for diagnostics and tests); -1 on failure.
    qint64 RecordCount();

private:
    bool OpenFile(bool recoverCorrupt, int busyTimeoutMs);
    int OpenAndPrepare(int busyTimeoutMs);
    bool MoveAside();
    bool Exec(const char *sql);
    int Fail(const char *what);
    void Close();
    TLibraryResult StoreOne(const TMyLibraryRecord &record);

    QString m_fileName;
    QString m_lastError;
    QString m_movedAside;
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_lookup = nullptr;
    QByteArray m_lookupKey;     // the bound file name of m_lookup
    sqlite3_stmt *m_store = nullptr;
};

// The database file: the data folder's executable name without its extension, followed by
// ".library.sqlite3".
QString LibraryDatabaseFileName();

// Opens the program-wide library (a damaged file is moved aside and replaced, with one line in the
// log). Returns whether the library is on.
bool OpenLibrary();
// Opens the program-wide library when it is first used (the first lookup, store or question
// whether it is open, on any thread), so that starting the program does not wait for it.
void OpenLibraryOnFirstUse();
// Opens the program-wide library on another file (tests, tools).
bool OpenLibraryFile(const QString &fileName);
// Closes the calling thread's connection and switches the library off.
void CloseLibrary();
bool LibraryIsOpen();
// The database file of the open library ("" when the library is off).
QString LibraryFileName();
// A new connection of the open library for the calling thread; null when the library is off or
// the database cannot be opened now.
std::unique_ptr<TMyTagLibrary> OpenLibraryConnection(int busyTimeoutMs = 1000);

// Between tags and library records. A record's title is the tag's TitleOrName; the value made
// from a record leaves every field the library does not keep empty.
TMyLibraryRecord LibraryRecordOf(const TMyCustomTag &tag);
TMyLibraryRecord LibraryRecordOf(const TMyTagValue &value);
TMyTagValue TagValueOf(const TMyLibraryRecord &record);
TMyTagValue TagValueOf(TMyLibraryRecord &&record);

// The record of fileName, through the calling thread's connection, as a tag: assigned into tag
// when one is given, otherwise a new TMyTag handed back in tag (the caller owns it).
bool LookupTag(TMyTag *&tag, const QString &fileName);
// Stores the tag's record through the calling thread's connection (nothing for a missing file).
void StoreTag(const TMyCustomTag &tag);
// Removes records of missing files and compacts the database, then shows
// "データベースの最適化が終了しました" unless the application is shutting down.
void OptimizeLibrary();
