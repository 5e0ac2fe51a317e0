#include "tags/taglibrary.h"

#include "platform/appdirs.h"
#include "platform/appstate.h"
#include "platform/files.h"
#include "platform/instancelock.h"
#include "platform/uihooks.h"
#include "tags/mytag.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMutex>
#include <QThread>

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <limits>

Q_LOGGING_CATEGORY(lcTagLibrary, "tavio.library")

namespace {

// The table exactly as every library file has always defined it (SQLite stores the statement
// without its IF NOT EXISTS). The clause lets two players create a new library at once.
constexpr const char *kCreateTable =
    "CREATE TABLE IF NOT EXISTS TAG_TABLE (FILE_NAME VARCHAR PRIMARY KEY,FILE_SIZE INTEGER,FILE_WRITETIME INTEGER,"
    "FILE_CREATETIME INTEGER,MEDIA_LENGTH INT,MEDIA_DURATION DOUBLE,VIDEO_WIDTH INT,VIDEO_HEIGHT INT,"
    "VIDEO_FRAMERATE DOUBLE,TAG_ARTIST VARCHAR,TAG_ALBUM VARCHAR,TAG_ALBUMARTIST VARCHAR,"
    "TAG_COMPOSER VARCHAR,TAG_CONDUCTOR VARCHAR,TAG_GENRE VARCHAR,TAG_TITLE VARCHAR,TAG_TRACK VARCHAR,"
    "TAG_WRITER VARCHAR);";

constexpr const char *kFindTable =
    "select [sql] from sqlite_master where [type] = 'table' and lower(name) = 'tag_table' ";

constexpr const char *kLookup =
    "SELECT FILE_SIZE,FILE_WRITETIME,FILE_CREATETIME,MEDIA_DURATION,VIDEO_WIDTH,VIDEO_HEIGHT,"
    "VIDEO_FRAMERATE,TAG_ARTIST,TAG_ALBUM,TAG_ALBUMARTIST,TAG_COMPOSER,TAG_CONDUCTOR,TAG_GENRE,"
    "TAG_TITLE,TAG_TRACK,TAG_WRITER FROM TAG_TABLE WHERE FILE_NAME = ?1";

constexpr const char *kStore =
    "INSERT OR REPLACE INTO TAG_TABLE (FILE_NAME,FILE_SIZE,FILE_WRITETIME,FILE_CREATETIME,MEDIA_LENGTH,"
    "MEDIA_DURATION,VIDEO_WIDTH,VIDEO_HEIGHT,VIDEO_FRAMERATE,TAG_ARTIST,TAG_ALBUM,TAG_ALBUMARTIST,"
    "TAG_COMPOSER,TAG_CONDUCTOR,TAG_GENRE,TAG_TITLE,TAG_TRACK,TAG_WRITER) "
    "VALUES (?1,?2,?3,?4,?5,?6,?7,?8,?9,?10,?11,?12,?13,?14,?15,?16,?17,?18);";

bool IsExistingFile(const QString &fileName)
{
    if (fileName.isEmpty())
        return false;
    const platform::FileStatus status = platform::GetFileStatus(fileName);
    return status.exists && !status.isDir;
}

// Text values are stored as the older statements quoted them: cut at the first zero character.
QByteArray TextValue(const QString &text)
{
    const qsizetype zero = text.indexOf(QChar(0));
    return (zero < 0 ? text : text.left(zero)).toUtf8();
}

// The floating columns were always written with up to 15 significant digits; storing the same
// rounded value keeps records comparable whichever program wrote them.
double Round15(double value)
{
    if (!std::isfinite(value))
        return 0.0;
    char buffer[40];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    double result = 0.0;
    if (written.ec != std::errc() || std::from_chars(buffer, written.ptr, result).ec != std::errc())
        return value;
    return result;
}

// Numbers stored as text by some other writer: a full stop or a comma as the decimal mark.
bool ParseNumber(const unsigned char *text, double &value)
{
    if (!text)
        return false;
    QByteArray bytes = QByteArray(reinterpret_cast<const char *>(text)).trimmed();
    bytes.replace(',', '.');
    bool ok = false;
    value = bytes.toDouble(&ok);
    return ok && std::isfinite(value);
}

qint64 ColumnInt64(sqlite3_stmt *stmt, int column)
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        return sqlite3_column_int64(stmt, column);
    case SQLITE_FLOAT: {
        const double v = sqlite3_column_double(stmt, column);
        if (std::isfinite(v) && std::fabs(v) < 9.0e18)
            return qint64(v);
        return 0;
    }
    case SQLITE_TEXT: {
        double v = 0;
        if (ParseNumber(sqlite3_column_text(stmt, column), v) && std::fabs(v) < 9.0e18)
            return qint64(v);
        return 0;
    }
    default:
        return 0;
    }
}

int ColumnInt(sqlite3_stmt *stmt, int column)
{
    const qint64 v = ColumnInt64(stmt, column);
    if (v > std::numeric_limits<int>::max() || v < std::numeric_limits<int>::min())
        return 0;
    return int(v);
}

double ColumnDouble(sqlite3_stmt *stmt, int column)
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: {
        const double v = sqlite3_column_double(stmt, column);
        return std::isfinite(v) ? v : 0.0;
    }
    case SQLITE_TEXT: {
        double v = 0;
        return ParseNumber(sqlite3_column_text(stmt, column), v) ? v : 0.0;
    }
    default:
        return 0.0;
    }
}

QString ColumnText(sqlite3_stmt *stmt, int column)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
    if (!text)
        return QString();
    return QString::fromUtf8(text, sqlite3_column_bytes(stmt, column));
}

void BindText(sqlite3_stmt *stmt, int param, const QString &text)
{
    const QByteArray utf8 = TextValue(text);
    sqlite3_bind_text(stmt, param, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

// The lock under which a damaged library file is moved aside, one per library file.
QString RecoveryLockName(const QString &fileName)
{
    const QByteArray key = QFile::encodeName(QFileInfo(fileName).absoluteFilePath());
    return QStringLiteral("library-%1").arg(
        QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16)));
}

bool IsDamaged(int rc)
{
    rc &= 0xff;
    return rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT;
}

} // namespace

// ---- one connection -------------------------------------------------------------------------

TMyTagLibrary::TMyTagLibrary(const QString &fileName, bool recoverCorrupt, int busyTimeoutMs)
    : m_fileName(fileName)
{
    OpenFile(recoverCorrupt, busyTimeoutMs);
}

TMyTagLibrary::~TMyTagLibrary()
{
    Close();
}

void TMyTagLibrary::Close()
{
    sqlite3_finalize(m_lookup);
    sqlite3_finalize(m_store);
    m_lookup = nullptr;
    m_store = nullptr;
    if (m_db)
        sqlite3_close(m_db);
    m_db = nullptr;
}

int TMyTagLibrary::Fail(const char *what)
{
    const int rc = m_db ? sqlite3_errcode(m_db) : SQLITE_ERROR;
    m_lastError = QStringLiteral("%1: %2").arg(QLatin1String(what),
                                               m_db ? QString::fromUtf8(sqlite3_errmsg(m_db))
                                                    : QStringLiteral("no database"));
    return rc;
}

bool TMyTagLibrary::Exec(const char *sql)
{
    char *message = nullptr;
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        m_lastError = QStringLiteral("Error executing SQL: %1")
                          .arg(message ? QString::fromUtf8(message) : QString::fromUtf8(sqlite3_errstr(rc)));
    }
    sqlite3_free(message);
    return rc == SQLITE_OK;
}

int TMyTagLibrary::OpenAndPrepare(int busyTimeoutMs)
{
    // The allocation counters of SQLite take a global lock around every allocation of every
    // lookup; nothing here reads them. Only possible before SQLite is first used in the process.
    static const bool configured = [] {
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        return true;
    }();
    Q_UNUSED(configured);
    const QByteArray path = QFile::encodeName(m_fileName);
    int rc = sqlite3_open_v2(path.constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    if (rc != SQLITE_OK) {
        m_lastError = QStringLiteral("Failed to open database \"%1\" : %2")
                          .arg(m_fileName, m_db ? QString::fromUtf8(sqlite3_errmsg(m_db))
                                                : QString::fromUtf8(sqlite3_errstr(rc)));
        return rc;
    }
    sqlite3_busy_timeout(m_db, busyTimeoutMs);
    // WAL lets lookups run while another connection stores; NORMAL syncing is safe with WAL.
    // Two connections switching a file at once get SQLITE_BUSY without the busy handler being
    // asked (they would deadlock): the loser tries again, and the mode stays with the file.
    QElapsedTimer clock;
    clock.start();
    while (!Exec("PRAGMA journal_mode=WAL;")) {
        if ((sqlite3_errcode(m_db) & 0xff) != SQLITE_BUSY || clock.elapsed() > busyTimeoutMs)
            return sqlite3_errcode(m_db);
        QThread::msleep(5);
    }
    if (!Exec("PRAGMA synchronous=NORMAL;"))
        return sqlite3_errcode(m_db);

    sqlite3_stmt *find = nullptr;
    rc = sqlite3_prepare_v2(m_db, kFindTable, -1, &find, nullptr);
    if (rc != SQLITE_OK)
        return Fail("Could not prepare SQL statement");
    rc = sqlite3_step(find);
    sqlite3_finalize(find);
    if (rc == SQLITE_DONE) {
        if (!Exec(kCreateTable))
            return sqlite3_errcode(m_db);
    } else if (rc != SQLITE_ROW) {
        return Fail("Error executing SQL");
    }
    if (sqlite3_prepare_v2(m_db, kLookup, -1, &m_lookup, nullptr) != SQLITE_OK)
        return Fail("Could not prepare SQL statement");
    if (sqlite3_prepare_v2(m_db, kStore, -1, &m_store, nullptr) != SQLITE_OK)
        return Fail("Could not prepare SQL statement");
    return SQLITE_OK;
}

bool TMyTagLibrary::MoveAside()
{
    QString target = m_fileName + QStringLiteral(".corrupt");
    for (int n = 2; QFileInfo::exists(target) && n < 1000; ++n)
        target = m_fileName + QStringLiteral(".corrupt.%1").arg(n);
    if (!QFile::rename(m_fileName, target))
        return false;
    // The journal belongs to the damaged file; left behind it would be replayed into the new one.
    const QString wal = m_fileName + QStringLiteral("-wal");
    if (QFileInfo::exists(wal) && !QFile::rename(wal, target + QStringLiteral("-wal")))
        QFile::remove(wal);
    QFile::remove(m_fileName + QStringLiteral("-shm"));
    QFile::remove(m_fileName + QStringLiteral("-journal"));
    m_movedAside = target;
    return true;
}

bool TMyTagLibrary::OpenFile(bool recoverCorrupt, int busyTimeoutMs)
{
    int rc = OpenAndPrepare(busyTimeoutMs);
    // An I/O error too is looked at again under the lock: it is what a player gets whose damaged
    // file another player has just moved aside (with its journal) while it was reading it.
    if (rc != SQLITE_OK && recoverCorrupt && (IsDamaged(rc) || (rc & 0xff) == SQLITE_IOERR)) {
        QString reason = m_lastError;
        Close();
        // Players started together all find the damaged file. One at a time looks again and moves
        // it aside: the others then find the new database and keep it, rather than moving a
        // healthy file (which the first one already uses) aside once more.
        const platform::ScopedNamedLock lock(RecoveryLockName(m_fileName), 10000);
        if (lock.IsHeld()) {
            rc = OpenAndPrepare(busyTimeoutMs);
            if (rc != SQLITE_OK && IsDamaged(rc)) {
                reason = m_lastError;
                Close();
                if (MoveAside()) {
                    qCWarning(lcTagLibrary).noquote()
                        << QStringLiteral("tag library \"%1\" is damaged (%2); moved it to \"%3\" and started a new one")
                               .arg(m_fileName, reason, m_movedAside);
                    rc = OpenAndPrepare(busyTimeoutMs);
                } else {
                    qCWarning(lcTagLibrary).noquote()
                        << QStringLiteral("tag library \"%1\" is damaged (%2) and cannot be moved aside; library off")
                               .arg(m_fileName, reason);
                }
            }
        } else {
            qCWarning(lcTagLibrary).noquote()
                << QStringLiteral("tag library \"%1\" is damaged (%2); another program is repairing it, library off")
                       .arg(m_fileName, reason);
        }
    }
    if (rc != SQLITE_OK) {
        Close();
        return false;
    }
    m_lastError.clear();
    return true;
}

TLibraryResult TMyTagLibrary::Lookup(const QString &fileName, TMyLibraryRecord &record)
{
    if (!m_db)
        return TLibraryResult::Off;
    // The key stays in m_lookupKey while the statement may read it: no copy inside SQLite.
    m_lookupKey = TextValue(fileName);
    sqlite3_bind_text(m_lookup, 1, m_lookupKey.constData(), int(m_lookupKey.size()), SQLITE_STATIC);
    const int rc = sqlite3_step(m_lookup);
    if (rc == SQLITE_DONE) {
        sqlite3_reset(m_lookup);
        return TLibraryResult::NotFound;
    }
    if (rc != SQLITE_ROW) {
        Fail("Error executing SQL");
        sqlite3_reset(m_lookup);
        return (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED ? TLibraryResult::Busy
                                                                          : TLibraryResult::Failed;
    }
    record = TMyLibraryRecord();
    record.FileName = fileName;
    record.FileSize = ColumnInt64(m_lookup, 0);
    record.FileWriteTime = ColumnInt64(m_lookup, 1);
    record.FileCreateTime = ColumnInt64(m_lookup, 2);
    record.MediaDuration = ColumnDouble(m_lookup, 3);
    // MEDIA_LENGTH is derived from the duration; it is not read back.
    record.MediaLength = int(std::lround(std::clamp(record.MediaDuration, -2.0e9, 2.0e9)));
    record.VideoWidth = ColumnInt(m_lookup, 4);
    record.VideoHeight = ColumnInt(m_lookup, 5);
    record.VideoFrameRate = ColumnDouble(m_lookup, 6);
    record.Artist = ColumnText(m_lookup, 7);
    record.Album = ColumnText(m_lookup, 8);
    record.AlbumArtist = ColumnText(m_lookup, 9);
    record.Composer = ColumnText(m_lookup, 10);
    record.Conductor = ColumnText(m_lookup, 11);
    record.Genre = ColumnText(m_lookup, 12);
    record.Title = ColumnText(m_lookup, 13);
    record.Track = ColumnText(m_lookup, 14);
    record.Writer = ColumnText(m_lookup, 15);
    sqlite3_reset(m_lookup);
    return TLibraryResult::Ok;
}

TLibraryResult TMyTagLibrary::StoreOne(const TMyLibraryRecord &r)
{
    sqlite3_stmt *s = m_store;
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
    BindText(s, 1, r.FileName);
    sqlite3_bind_int64(s, 2, r.FileSize);
    sqlite3_bind_int64(s, 3, r.FileWriteTime);
    sqlite3_bind_int64(s, 4, r.FileCreateTime);
    sqlite3_bind_int(s, 5, r.MediaLength);
    sqlite3_bind_double(s, 6, Round15(r.MediaDuration));
    sqlite3_bind_int(s, 7, r.VideoWidth);
    sqlite3_bind_int(s, 8, r.VideoHeight);
    sqlite3_bind_double(s, 9, Round15(r.VideoFrameRate));
    BindText(s, 10, r.Artist);
    BindText(s, 11, r.Album);
    BindText(s, 12, r.AlbumArtist);
    BindText(s, 13, r.Composer);
    BindText(s, 14, r.Conductor);
    BindText(s, 15, r.Genre);
    BindText(s, 16, r.Title);
    BindText(s, 17, r.Track);
    BindText(s, 18, r.Writer);
    const int rc = sqlite3_step(s);
    sqlite3_reset(s);
    if (rc == SQLITE_DONE)
        return TLibraryResult::Ok;
    Fail("Error executing SQL");
    return (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED ? TLibraryResult::Busy : TLibraryResult::Failed;
}

TLibraryResult TMyTagLibrary::Store(const TMyLibraryRecord &record)
{
    return StoreMany({record});
}

TLibraryResult TMyTagLibrary::StoreMany(const std::vector<TMyLibraryRecord> &records)
{
    if (!m_db)
        return TLibraryResult::Off;
    std::vector<const TMyLibraryRecord *> present;
    present.reserve(records.size());
    for (const TMyLibraryRecord &r : records) {
        if (IsExistingFile(r.FileName))
            present.push_back(&r);
    }
    if (present.empty())
        return TLibraryResult::Skipped;
    // Taking the write lock at the start lets the busy timeout wait for another writer cleanly.
    if (!Exec("BEGIN IMMEDIATE TRANSACTION;")) {
        const int rc = sqlite3_errcode(m_db) & 0xff;
        return rc == SQLITE_BUSY || rc == SQLITE_LOCKED ? TLibraryResult::Busy : TLibraryResult::Failed;
    }
    TLibraryResult result = TLibraryResult::Ok;
    for (const TMyLibraryRecord *r : present) {
        const TLibraryResult one = StoreOne(*r);
        if (one != TLibraryResult::Ok)
            result = one;
    }
    if (!Exec("COMMIT;")) {
        const int rc = sqlite3_errcode(m_db) & 0xff;
        Exec("ROLLBACK;");
        return rc == SQLITE_BUSY || rc == SQLITE_LOCKED ? TLibraryResult::Busy : TLibraryResult::Failed;
    }
    return result;
}

int TMyTagLibrary::Optimize()
{
    if (!m_db)
        return -1;
    struct Row {
        QString fileName;
        sqlite3_int64 rowId;
    };
    std::vector<Row> rows;
    sqlite3_stmt *all = nullptr;
    if (sqlite3_prepare_v2(m_db, "SELECT FILE_NAME, ROWID FROM TAG_TABLE", -1, &all, nullptr) != SQLITE_OK) {
        Fail("Could not prepare SQL statement");
        return -1;
    }
    int rc;
    while ((rc = sqlite3_step(all)) == SQLITE_ROW)
        rows.push_back({ColumnText(all, 0), sqlite3_column_int64(all, 1)});
    sqlite3_finalize(all);
    if (rc != SQLITE_DONE) {
        Fail("Error executing SQL");
        return -1;
    }

    std::vector<sqlite3_int64> missing;
    for (const Row &row : rows) {
        if (!IsExistingFile(row.fileName))
            missing.push_back(row.rowId);
    }
    int removed = 0;
    if (!missing.empty()) {
        sqlite3_stmt *del = nullptr;
        if (sqlite3_prepare_v2(m_db, "DELETE FROM TAG_TABLE WHERE ROWID = ?1;", -1, &del, nullptr) != SQLITE_OK) {
            Fail("Could not prepare SQL statement");
            return -1;
        }
        if (!Exec("BEGIN IMMEDIATE TRANSACTION;")) {
            sqlite3_finalize(del);
            return -1;
        }
        for (sqlite3_int64 id : missing) {
            sqlite3_reset(del);
            sqlite3_bind_int64(del, 1, id);
            if (sqlite3_step(del) == SQLITE_DONE)
                removed += sqlite3_changes(m_db);
            else
                Fail("Error executing SQL");
        }
        sqlite3_finalize(del);
        if (!Exec("COMMIT;")) {
            Exec("ROLLBACK;");
            return -1;
        }
    }
    if (!Exec("vacuum;"))
        return -1;
    return removed;
}

qint64 TMyTagLibrary::RecordCount()
{
    if (!m_db)
        return -1;
    sqlite3_stmt *count = nullptr;
    if (sqlite3_prepare_v2(m_db, "SELECT count(*) FROM TAG_TABLE", -1, &count, nullptr) != SQLITE_OK)
        return -1;
    qint64 n = -1;
    if (sqlite3_step(count) == SQLITE_ROW)
        n = sqlite3_column_int64(count, 0);
    sqlite3_finalize(count);
    return n;
}

// ---- the program-wide library -------------------------------------------------------------------

namespace {

struct LibraryState {
    QMutex mutex;
    QString fileName;        // empty while the library is off
    quint64 generation = 0;  // changes with every open and close
    QString pending;         // the file to open on first use (OpenLibraryOnFirstUse)
    std::atomic<bool> hasPending{false};
    QMutex opening;          // held while the pending file is opened
};

LibraryState &State()
{
    static LibraryState state;
    return state;
}

struct ThreadConnection {
    std::unique_ptr<TMyTagLibrary> connection;
    quint64 generation = 0;
};
thread_local ThreadConnection t_connection;

void CloseConnections();
bool OpenConnection(const QString &fileName);

// Opens the file OpenLibraryOnFirstUse named, once, whichever thread asks first; the others
// wait for it.
void OpenPendingLibrary()
{
    LibraryState &state = State();
    if (!state.hasPending.load(std::memory_order_acquire))
        return;
    QMutexLocker opening(&state.opening);
    if (!state.hasPending.load(std::memory_order_acquire))
        return;
    QString fileName;
    {
        QMutexLocker lock(&state.mutex);
        fileName = state.pending;
    }
    OpenConnection(fileName);
    QMutexLocker lock(&state.mutex);
    state.pending.clear();
    state.hasPending.store(false, std::memory_order_release);
}

// The calling thread's connection of the open library, opened on first use.
TMyTagLibrary *CurrentConnection()
{
    OpenPendingLibrary();
    LibraryState &state = State();
    QString fileName;
    quint64 generation;
    {
        QMutexLocker lock(&state.mutex);
        fileName = state.fileName;
        generation = state.generation;
    }
    if (fileName.isEmpty()) {
        t_connection.connection.reset();
        return nullptr;
    }
    if (!t_connection.connection || t_connection.generation != generation) {
        t_connection.connection = std::make_unique<TMyTagLibrary>(fileName);
        t_connection.generation = generation;
    }
    return t_connection.connection->IsOpen() ? t_connection.connection.get() : nullptr;
}

} // namespace

QString LibraryDatabaseFileName()
{
    const QFileInfo base(platform::DataPathBase());
    QString name = base.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        name.truncate(dot);
    return base.path() + QLatin1Char('/') + name + QStringLiteral(".library.sqlite3");
}

namespace {
bool OpenConnection(const QString &fileName)
{
    CloseConnections();
    auto connection = std::make_unique<TMyTagLibrary>(fileName, /*recoverCorrupt=*/true);
    if (!connection->IsOpen()) {
        qCInfo(lcTagLibrary).noquote() << QStringLiteral("tag library off: %1").arg(connection->LastError());
        return false;
    }
    LibraryState &state = State();
    {
        QMutexLocker lock(&state.mutex);
        state.fileName = fileName;
        ++state.generation;
        t_connection.generation = state.generation;
    }
    t_connection.connection = std::move(connection);
    return true;
}

void CancelPendingOpen()
{
    LibraryState &state = State();
    QMutexLocker lock(&state.mutex);
    state.pending.clear();
    state.hasPending.store(false, std::memory_order_release);
}
} // namespace

bool OpenLibraryFile(const QString &fileName)
{
    // A first use opening the pending file on another thread finishes before this takes over.
    QMutexLocker opening(&State().opening);
    CancelPendingOpen();
    return OpenConnection(fileName);
}

bool OpenLibrary()
{
    return OpenLibraryFile(LibraryDatabaseFileName());
}

void OpenLibraryOnFirstUse()
{
    CloseLibrary();
    LibraryState &state = State();
    QMutexLocker lock(&state.mutex);
    state.pending = LibraryDatabaseFileName();
    state.hasPending.store(true, std::memory_order_release);
}

namespace {
void CloseConnections()
{
    LibraryState &state = State();
    {
        QMutexLocker lock(&state.mutex);
        state.fileName.clear();
        ++state.generation;
    }
    t_connection.connection.reset();
}
} // namespace

void CloseLibrary()
{
    // Else a first use opening the pending file on another thread could switch the library on
    // again after this switched it off.
    QMutexLocker opening(&State().opening);
    CancelPendingOpen();
    CloseConnections();
}

bool LibraryIsOpen()
{
    OpenPendingLibrary();
    LibraryState &state = State();
    QMutexLocker lock(&state.mutex);
    return !state.fileName.isEmpty();
}

QString LibraryFileName()
{
    OpenPendingLibrary();
    LibraryState &state = State();
    QMutexLocker lock(&state.mutex);
    return state.fileName;
}

std::unique_ptr<TMyTagLibrary> OpenLibraryConnection(int busyTimeoutMs)
{
    const QString fileName = LibraryFileName();
    if (fileName.isEmpty())
        return nullptr;
    auto connection = std::make_unique<TMyTagLibrary>(fileName, false, busyTimeoutMs);
    if (!connection->IsOpen()) {
        qCWarning(lcTagLibrary).noquote() << connection->LastError();
        return nullptr;
    }
    return connection;
}

void OptimizeLibrary()
{
    TMyTagLibrary *library = CurrentConnection();
    if (!library)
        return;
    const bool done = library->Optimize() >= 0;
    if (!done)
        qCWarning(lcTagLibrary).noquote() << library->LastError();
    if (platform::IsTerminating() || QCoreApplication::closingDown())
        return;
    // A failed pass must not be announced as finished.
    platform::ShowMessage(done ? QStringLiteral("データベースの最適化が終了しました") : library->LastError());
}

TMyLibraryRecord LibraryRecordOf(const TMyTagValue &v)
{
    TMyLibraryRecord r;
    r.FileName = v.FileName;
    r.FileSize = v.FileSize;
    r.FileWriteTime = v.FileWriteTime;
    r.FileCreateTime = v.FileCreateTime;
    r.MediaLength = v.MediaLength;
    r.MediaDuration = v.MediaDuration;
    r.VideoWidth = v.VideoWidth;
    r.VideoHeight = v.VideoHeight;
    r.VideoFrameRate = v.VideoFrameRate;
    r.Artist = v.Artist;
    r.Album = v.Album;
    r.AlbumArtist = v.AlbumArtist;
    r.Composer = v.Composer;
    r.Conductor = v.Conductor;
    r.Genre = v.Genre;
    r.Title = v.Title;
    r.Track = v.Track;
    r.Writer = v.Writer;
    return r;
}

TMyLibraryRecord LibraryRecordOf(const TMyCustomTag &tag)
{
    TMyLibraryRecord r = LibraryRecordOf(tag.GetValue());
    r.Title = tag.TitleOrName();
    return r;
}

TMyTagValue TagValueOf(TMyLibraryRecord &&r)
{
    TMyTagValue v;
    v.FileName = std::move(r.FileName);
    v.FileSize = r.FileSize;
    v.FileWriteTime = r.FileWriteTime;
    v.FileCreateTime = r.FileCreateTime;
    v.MediaLength = r.MediaLength;
    v.MediaDuration = r.MediaDuration;
    v.VideoWidth = r.VideoWidth;
    v.VideoHeight = r.VideoHeight;
    v.VideoFrameRate = r.VideoFrameRate;
    v.Artist = std::move(r.Artist);
    v.Album = std::move(r.Album);
    v.AlbumArtist = std::move(r.AlbumArtist);
    v.Composer = std::move(r.Composer);
    v.Conductor = std::move(r.Conductor);
    v.Genre = std::move(r.Genre);
    v.Title = std::move(r.Title);
    v.Track = std::move(r.Track);
    v.Writer = std::move(r.Writer);
    return v;
}

TMyTagValue TagValueOf(const TMyLibraryRecord &r)
{
    return TagValueOf(TMyLibraryRecord(r));
}

bool LookupTag(TMyTag *&tag, const QString &fileName)
{
    TMyTagLibrary *library = CurrentConnection();
    if (!library)
        return false;
    TMyLibraryRecord record;
    const TLibraryResult result = library->Lookup(fileName, record);
    if (result != TLibraryResult::Ok) {
        if (result != TLibraryResult::NotFound)
            qCWarning(lcTagLibrary).noquote() << library->LastError();
        return false;
    }
    TMyTagValue value = TagValueOf(std::move(record));
    if (!tag)
        tag = new TMyTag();
    tag->AssignValue(std::move(value));
    return true;
}

void StoreTag(const TMyCustomTag &tag)
{
    TMyTagLibrary *library = CurrentConnection();
    if (!library)
        return;
    const TLibraryResult result = library->Store(LibraryRecordOf(tag));
    if (result == TLibraryResult::Busy || result == TLibraryResult::Failed)
        qCWarning(lcTagLibrary).noquote() << library->LastError();
}
