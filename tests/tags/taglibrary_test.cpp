#include "platform/uihooks.h"
#include "support/tempdir.h"
#include "tags/mytag.h"
#include "tags/taglibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <clocale>
#include <latch>
#include <thread>

namespace {

// Raw access to a library file, as another program (or an older player) sees it.
class RawDb {
public:
    explicit RawDb(const QString &path)
    {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    }
    ~RawDb() { sqlite3_close(db); }
    bool Exec(const QString &sql) { return sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK; }
    // The first column of the first row as text ("<none>" without a row).
    QString One(const QString &sql)
    {
        sqlite3_stmt *s = nullptr;
        QString out = QStringLiteral("<error>");
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &s, nullptr) == SQLITE_OK) {
            if (sqlite3_step(s) == SQLITE_ROW) {
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(s, 0));
                out = text ? QString::fromUtf8(text) : QStringLiteral("<null>");
            } else {
                out = QStringLiteral("<none>");
            }
        }
        sqlite3_finalize(s);
        return out;
    }
    sqlite3 *db = nullptr;
};

QString Quote(const QString &text)
{
    QString q = text;
    q.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + q + QLatin1Char('\'');
}

TMyLibraryRecord SampleRecord(const QString &fileName)
{
    TMyLibraryRecord r;
    r.FileName = fileName;
    r.FileSize = 123456789012LL;
    r.FileWriteTime = 133500000001234567LL;
    r.FileCreateTime = 133400000007654321LL;
    r.MediaDuration = 245.123456789;
    r.MediaLength = 245;
    r.VideoWidth = 1920;
    r.VideoHeight = 1080;
    r.VideoFrameRate = 29.97;
    r.Artist = QStringLiteral("アーティスト");
    r.Album = QStringLiteral("Album 'quoted'");
    r.AlbumArtist = QStringLiteral("Album Artist");
    r.Composer = QStringLiteral("Composer");
    r.Conductor = QStringLiteral("Conductor");
    r.Genre = QStringLiteral("Genre");
    r.Title = QStringLiteral("Title");
    r.Track = QStringLiteral("7");
    r.Writer = QStringLiteral("Writer");
    return r;
}

class TagLibraryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qputenv("TAVIO_HOME", dir.Root().toUtf8());
        CloseLibrary();
    }
    void TearDown() override
    {
        CloseLibrary();
        platform::SetMessageHandler(nullptr);
        qunsetenv("TAVIO_HOME");
    }
    QString File(const QString &name, const QByteArray &bytes = "data")
    {
        const QString path = dir.Path(name);
        QDir().mkpath(QFileInfo(path).path());
        return dir.Write(name, bytes);
    }
    QString DbPath() const { return dir.Path(QStringLiteral("lib.sqlite3")); }
    TestDir dir;
};

TEST_F(TagLibraryTest, DatabaseFileIsInTheDataFolderNamedAfterTheExecutable)
{
    // The executable "tags_taglibrary_test" has no extension to drop.
    EXPECT_EQ(LibraryDatabaseFileName(),
              QDir::cleanPath(dir.Root()) + QStringLiteral("/tags_taglibrary_test.library.sqlite3"));
    ASSERT_TRUE(OpenLibrary());
    EXPECT_EQ(LibraryFileName(), LibraryDatabaseFileName());
    EXPECT_TRUE(QFileInfo(LibraryDatabaseFileName()).isFile());
}

// At start-up the library waits for its first use; threads that ask for it together all get
// the one database, and closing before any use leaves no file behind.
TEST_F(TagLibraryTest, LibraryOpenedOnFirstUseOpensOnceWhicheverThreadAsksFirst)
{
    const QString db = LibraryDatabaseFileName();
    OpenLibraryOnFirstUse();
    CloseLibrary();
    EXPECT_FALSE(LibraryIsOpen());
    EXPECT_FALSE(QFileInfo::exists(db));

    OpenLibraryOnFirstUse();
    EXPECT_FALSE(QFileInfo::exists(db));  // nothing opened yet
    const QString song = File(QStringLiteral("first use.mp3"));
    std::vector<std::thread> workers;
    std::atomic<int> stored{0};
    for (int i = 0; i < 4; ++i)
        workers.emplace_back([&] {
            auto connection = OpenLibraryConnection(5000);
            if (connection && connection->Store(SampleRecord(song)) == TLibraryResult::Ok)
                ++stored;
        });
    for (std::thread &t : workers)
        t.join();
    EXPECT_EQ(stored.load(), 4);
    EXPECT_TRUE(LibraryIsOpen());
    EXPECT_EQ(LibraryFileName(), db);
    TMyTag *found = nullptr;
    ASSERT_TRUE(LookupTag(found, song));
    EXPECT_EQ(found->Texts().Artist, SampleRecord(song).Artist);
    delete found;

    // An explicit open replaces a pending one.
    OpenLibraryOnFirstUse();
    ASSERT_TRUE(OpenLibraryFile(DbPath()));
    EXPECT_EQ(LibraryFileName(), DbPath());
}

TEST_F(TagLibraryTest, NewDatabaseHasExactlyTheTableEveryLibraryFileHas)
{
    {
        TMyTagLibrary library(DbPath());
        ASSERT_TRUE(library.IsOpen()) << library.LastError().toStdString();
    }
    RawDb raw(DbPath());
    EXPECT_EQ(raw.One(QStringLiteral("select sql from sqlite_master where type='table' and name='TAG_TABLE'")),
              QStringLiteral(
                  "CREATE TABLE TAG_TABLE (FILE_NAME VARCHAR PRIMARY KEY,FILE_SIZE INTEGER,FILE_WRITETIME INTEGER,"
                  "FILE_CREATETIME INTEGER,MEDIA_LENGTH INT,MEDIA_DURATION DOUBLE,VIDEO_WIDTH INT,VIDEO_HEIGHT INT,"
                  "VIDEO_FRAMERATE DOUBLE,TAG_ARTIST VARCHAR,TAG_ALBUM VARCHAR,TAG_ALBUMARTIST VARCHAR,"
                  "TAG_COMPOSER VARCHAR,TAG_CONDUCTOR VARCHAR,TAG_GENRE VARCHAR,TAG_TITLE VARCHAR,"
                  "TAG_TRACK VARCHAR,TAG_WRITER VARCHAR)"));
    EXPECT_EQ(raw.One(QStringLiteral("select count(*) from sqlite_master where type='table'")), QStringLiteral("1"));
}

// A library written by the older statements (quoted text, numbers in the SQL text) reads back,
// and what this build writes has the types those statements produced.
TEST_F(TagLibraryTest, ReadsAndWritesTheFormerStatementsValues)
{
    const QString song = File(QStringLiteral("O'Neil.mp3"));
    {
        TMyTagLibrary library(DbPath());
        ASSERT_TRUE(library.IsOpen());
    }
    {
        RawDb raw(DbPath());
        ASSERT_TRUE(raw.Exec(QStringLiteral(
            "INSERT OR REPLACE INTO TAG_TABLE (FILE_NAME,FILE_SIZE,FILE_WRITETIME,FILE_CREATETIME,MEDIA_LENGTH,"
            "MEDIA_DURATION,VIDEO_WIDTH,VIDEO_HEIGHT,VIDEO_FRAMERATE,TAG_ARTIST,TAG_ALBUM,TAG_ALBUMARTIST,"
            "TAG_COMPOSER,TAG_CONDUCTOR,TAG_GENRE,TAG_TITLE,TAG_TRACK,TAG_WRITER) VALUES (%1,4,"
            "133500000001234567,133400000007654321,181,180.6,640,480,23.98,'Ar','Al','AA','Co','Cd','Ge',"
            "'O''Neil title','3','Wr');").arg(Quote(song))));
        // Another writer's oddities: numbers as text with a decimal comma, missing values.
        ASSERT_TRUE(raw.Exec(QStringLiteral("INSERT INTO TAG_TABLE (FILE_NAME,MEDIA_DURATION,VIDEO_FRAMERATE,"
                                            "FILE_SIZE) VALUES ('odd','12,5','x','7');")));
    }
    TMyTagLibrary library(DbPath());
    TMyLibraryRecord r;
    ASSERT_EQ(library.Lookup(song, r), TLibraryResult::Ok);
    EXPECT_EQ(r.FileSize, 4);
    EXPECT_EQ(r.FileWriteTime, 133500000001234567LL);
    EXPECT_EQ(r.FileCreateTime, 133400000007654321LL);
    EXPECT_DOUBLE_EQ(r.MediaDuration, 180.6);
    EXPECT_EQ(r.MediaLength, 181);  // from the duration, not from the column
    EXPECT_EQ(r.VideoWidth, 640);
    EXPECT_EQ(r.VideoHeight, 480);
    EXPECT_DOUBLE_EQ(r.VideoFrameRate, 23.98);
    EXPECT_EQ(r.Title, QStringLiteral("O'Neil title"));
    EXPECT_EQ(r.Writer, QStringLiteral("Wr"));

    TMyLibraryRecord odd;
    ASSERT_EQ(library.Lookup(QStringLiteral("odd"), odd), TLibraryResult::Ok);
    EXPECT_DOUBLE_EQ(odd.MediaDuration, 12.5);
    EXPECT_EQ(odd.VideoFrameRate, 0.0);
    EXPECT_EQ(odd.FileSize, 7);
    EXPECT_EQ(odd.FileWriteTime, 0);
    EXPECT_TRUE(odd.Artist.isEmpty());

    // Written back by this build: the same column types as the text statements gave.
    TMyLibraryRecord mine = SampleRecord(song);
    mine.MediaDuration = 1.0 / 3.0;
    ASSERT_EQ(library.Store(mine), TLibraryResult::Ok);
    RawDb raw(DbPath());
    const QString where = QStringLiteral(" from TAG_TABLE where FILE_NAME=%1").arg(Quote(song));
    EXPECT_EQ(raw.One(QStringLiteral("select typeof(FILE_SIZE)||typeof(FILE_WRITETIME)||typeof(MEDIA_LENGTH)||"
                                     "typeof(MEDIA_DURATION)||typeof(VIDEO_FRAMERATE)||typeof(TAG_TITLE)") + where),
              QStringLiteral("integerintegerintegerrealrealtext"));
    // Up to 15 significant digits, as the text statements wrote them.
    EXPECT_EQ(raw.One(QStringLiteral("select MEDIA_DURATION = 0.333333333333333") + where), QStringLiteral("1"));
    EXPECT_EQ(raw.One(QStringLiteral("select MEDIA_LENGTH") + where), QStringLiteral("245"));
}

// Names that quoting used to get wrong, or that the ANSI code page cannot hold, are stored and
// found again; keys compare exactly.
TEST_F(TagLibraryTest, NamesRoundTripExactly)
{
    const QStringList names = {
        QStringLiteral("O'Neil's ''double''.mp3"),
        QStringLiteral("曲名 ～ 第１楽章.mp3"),
        QStringLiteral("Ünïcødé 한국어 🎵.ogg"),
        QStringLiteral("100% _wild_ [x]; -- drop.mp3"),
        QStringLiteral("Song.mp3"),
        QStringLiteral("song.mp3"),
    };
    TMyTagLibrary library(DbPath());
    ASSERT_TRUE(library.IsOpen());
    for (int i = 0; i < names.size(); ++i) {
        TMyLibraryRecord r = SampleRecord(File(names[i]));
        r.Title = names[i];
        r.FileSize = i;
        ASSERT_EQ(library.Store(r), TLibraryResult::Ok) << names[i].toStdString();
    }
    EXPECT_EQ(library.RecordCount(), names.size());
    for (int i = 0; i < names.size(); ++i) {
        TMyLibraryRecord r;
        ASSERT_EQ(library.Lookup(dir.Path(names[i]), r), TLibraryResult::Ok) << names[i].toStdString();
        EXPECT_EQ(r.Title, names[i]);
        EXPECT_EQ(r.FileSize, i);
        EXPECT_EQ(r.Artist, QStringLiteral("アーティスト"));
    }
    TMyLibraryRecord none;
    EXPECT_EQ(library.Lookup(dir.Path(QStringLiteral("SONG.mp3")), none), TLibraryResult::NotFound);
    EXPECT_EQ(library.Lookup(dir.Path(QStringLiteral("%")), none), TLibraryResult::NotFound);
}

TEST_F(TagLibraryTest, StoringAgainKeepsOneRecordWithTheNewerValues)
{
    const QString song = File(QStringLiteral("a.mp3"));
    TMyTagLibrary library(DbPath());
    TMyLibraryRecord r = SampleRecord(song);
    ASSERT_EQ(library.Store(r), TLibraryResult::Ok);
    r.Title = QStringLiteral("Second");
    r.Artist.clear();
    r.MediaDuration = 3.5;
    ASSERT_EQ(library.StoreMany({r, r}), TLibraryResult::Ok);
    EXPECT_EQ(library.RecordCount(), 1);
    TMyLibraryRecord back;
    ASSERT_EQ(library.Lookup(song, back), TLibraryResult::Ok);
    EXPECT_EQ(back.Title, QStringLiteral("Second"));
    EXPECT_TRUE(back.Artist.isEmpty());
    EXPECT_DOUBLE_EQ(back.MediaDuration, 3.5);
}

TEST_F(TagLibraryTest, NothingIsStoredForAMissingFileAndTextStopsAtAZero)
{
    TMyTagLibrary library(DbPath());
    EXPECT_EQ(library.Store(SampleRecord(dir.Path(QStringLiteral("gone.mp3")))), TLibraryResult::Skipped);
    EXPECT_EQ(library.Store(SampleRecord(dir.Root())), TLibraryResult::Skipped);  // a folder is no file
    EXPECT_EQ(library.RecordCount(), 0);

    const QString song = File(QStringLiteral("z.mp3"));
    TMyLibraryRecord r = SampleRecord(song);
    r.Title = QStringLiteral("visible") + QChar(0) + QStringLiteral("hidden");
    // A batch with missing files stores the rest.
    ASSERT_EQ(library.StoreMany({SampleRecord(dir.Path(QStringLiteral("gone.mp3"))), r}), TLibraryResult::Ok);
    TMyLibraryRecord back;
    ASSERT_EQ(library.Lookup(song, back), TLibraryResult::Ok);
    EXPECT_EQ(back.Title, QStringLiteral("visible"));
    EXPECT_EQ(library.RecordCount(), 1);
}

// The floating columns are bound, so the user's decimal mark never reaches the statement.
TEST_F(TagLibraryTest, DecimalCommaLocaleStoresNumbers)
{
    const char *previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    const bool german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "fr_FR.UTF-8");
    QLocale::setDefault(QLocale(QLocale::German));
    const QString song = File(QStringLiteral("comma.mp3"));
    {
        TMyTagLibrary library(DbPath());
        TMyLibraryRecord r = SampleRecord(song);
        ASSERT_EQ(library.Store(r), TLibraryResult::Ok);
        TMyLibraryRecord back;
        ASSERT_EQ(library.Lookup(song, back), TLibraryResult::Ok);
        EXPECT_DOUBLE_EQ(back.VideoFrameRate, 29.97);
        EXPECT_DOUBLE_EQ(back.MediaDuration, 245.123456789);
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
    QLocale::setDefault(QLocale::c());
    RawDb raw(DbPath());
    EXPECT_EQ(raw.One(QStringLiteral("select typeof(VIDEO_FRAMERATE)||':'||VIDEO_FRAMERATE from TAG_TABLE")),
              QStringLiteral("real:29.97"));
    if (!german)
        GTEST_LOG_(INFO) << "no comma locale installed; checked under the C locale only";
}

TEST_F(TagLibraryTest, TagWithoutTitleIsStoredUnderItsBaseName)
{
    const QString song = File(QStringLiteral("sub/My Song.ogg"));
    ASSERT_TRUE(OpenLibraryFile(DbPath()));
    TMyTag tag(song);  // an ".ogg" has no tag this program reads
    tag.EditTexts().Title.clear();
    StoreTag(tag);

    TMyTag *found = nullptr;
    ASSERT_TRUE(LookupTag(found, song));
    std::unique_ptr<TMyTag> owned(found);
    EXPECT_EQ(found->Texts().Title, QStringLiteral("My Song"));
    EXPECT_EQ(found->FileName, song);
    EXPECT_EQ(found->FileSize, 4);
    EXPECT_EQ(found->FileWriteTime, tag.FileWriteTime);
    EXPECT_TRUE(found->FileFound());

    // Looked up into an existing tag, fields the library does not keep end up empty.
    TMyTag existing;
    existing.EditTexts().Comment = QStringLiteral("old");
    TMyTag *into = &existing;
    ASSERT_TRUE(LookupTag(into, song));
    EXPECT_EQ(into, &existing);
    EXPECT_EQ(existing.Texts().Title, QStringLiteral("My Song"));
    EXPECT_TRUE(existing.Texts().Comment.isEmpty());

    TMyTag *missing = nullptr;
    EXPECT_FALSE(LookupTag(missing, dir.Path(QStringLiteral("sub/other.ogg"))));
    EXPECT_EQ(missing, nullptr);
}

TEST_F(TagLibraryTest, OptimisationRemovesRecordsOfDeletedFiles)
{
    QString message;
    platform::SetMessageHandler([&](const QString &text) { message = text; });
    ASSERT_TRUE(OpenLibraryFile(DbPath()));
    const QString keep = File(QStringLiteral("keep.mp3"));
    const QString gone = File(QStringLiteral("gone.mp3"));
    const QString alsoGone = File(QStringLiteral("it's gone.mp3"));
    for (const QString &f : {keep, gone, alsoGone})
        StoreTag(TMyTag(f));
    ASSERT_TRUE(QFile::remove(gone));
    ASSERT_TRUE(QFile::remove(alsoGone));

    OptimizeLibrary();
    EXPECT_EQ(message, QStringLiteral("データベースの最適化が終了しました"));
    TMyTagLibrary check(DbPath());
    EXPECT_EQ(check.RecordCount(), 1);
    TMyLibraryRecord r;
    EXPECT_EQ(check.Lookup(keep, r), TLibraryResult::Ok);
    EXPECT_EQ(check.Lookup(gone, r), TLibraryResult::NotFound);
    EXPECT_EQ(check.Optimize(), 0);
}

// Messages of the library category, collected while a test runs.
QStringList *g_log = nullptr;
void CollectLog(QtMsgType, const QMessageLogContext &context, const QString &text)
{
    if (g_log && context.category && QByteArray(context.category) == "tavio.library")
        g_log->append(text);
}

TEST_F(TagLibraryTest, DamagedDatabaseIsMovedAsideAndReplaced)
{
    const QString db = LibraryDatabaseFileName();
    QByteArray junk(64 * 1024, '\0');
    for (char &c : junk)
        c = char(QRandomGenerator::global()->generate());
    dir.Write(QFileInfo(db).fileName(), junk);
    dir.Write(QFileInfo(db).fileName() + QStringLiteral("-wal"), "stale journal");

    QStringList log;
    g_log = &log;
    const QtMessageHandler previous = qInstallMessageHandler(CollectLog);
    const bool opened = OpenLibrary();
    qInstallMessageHandler(previous);
    g_log = nullptr;

    ASSERT_TRUE(opened);
    EXPECT_EQ(log.size(), 1) << log.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(TestDir::Read(db + QStringLiteral(".corrupt")), junk);
    // The damaged file's journal is never replayed into the new database.
    EXPECT_NE(TestDir::Read(db + QStringLiteral("-wal")), QByteArray("stale journal"));
    const QString song = File(QStringLiteral("after.mp3"));
    StoreTag(TMyTag(song));
    TMyTag *found = nullptr;
    EXPECT_TRUE(LookupTag(found, song));
    delete found;

    // A second damaged file does not overwrite the first one kept aside.
    CloseLibrary();
    QFile::remove(db + QStringLiteral("-wal"));
    QFile::remove(db + QStringLiteral("-shm"));
    dir.Write(QFileInfo(db).fileName(), "not a database either, but longer than a header would be.....");
    ASSERT_TRUE(OpenLibrary());
    EXPECT_EQ(TestDir::Read(db + QStringLiteral(".corrupt")), junk);
    EXPECT_TRUE(QFileInfo::exists(db + QStringLiteral(".corrupt.2")));
}

TEST_F(TagLibraryTest, LibraryIsOffWhenTheDatabaseCannotBeCreated)
{
    // A folder where the file should be: SQLite can neither open nor create it.
    ASSERT_TRUE(QDir().mkpath(LibraryDatabaseFileName()));
    EXPECT_FALSE(OpenLibrary());
    EXPECT_FALSE(LibraryIsOpen());
    EXPECT_EQ(OpenLibraryConnection(), nullptr);
    const QString song = File(QStringLiteral("x.mp3"));
    StoreTag(TMyTag(song));
    TMyTag *found = nullptr;
    EXPECT_FALSE(LookupTag(found, song));
    bool shown = false;
    platform::SetMessageHandler([&](const QString &) { shown = true; });
    OptimizeLibrary();
    EXPECT_FALSE(shown);
    EXPECT_TRUE(QFileInfo(LibraryDatabaseFileName()).isDir());
}

TEST_F(TagLibraryTest, BusyDatabaseIsReportedAndLaterStoresSucceed)
{
    const QString song = File(QStringLiteral("b.mp3"));
    TMyTagLibrary library(DbPath(), false, 50);
    ASSERT_TRUE(library.IsOpen());
    {
        RawDb other(DbPath());  // a second player in the middle of its own batch
        ASSERT_TRUE(other.Exec(QStringLiteral("BEGIN IMMEDIATE;")));
        EXPECT_EQ(library.Store(SampleRecord(song)), TLibraryResult::Busy);
        TMyLibraryRecord r;
        EXPECT_EQ(library.Lookup(song, r), TLibraryResult::NotFound);  // reading is not blocked
        other.Exec(QStringLiteral("ROLLBACK;"));
    }
    EXPECT_EQ(library.Store(SampleRecord(song)), TLibraryResult::Ok);
}

TEST_F(TagLibraryTest, EveryThreadHasItsOwnConnection)
{
    ASSERT_TRUE(OpenLibraryFile(DbPath()));
    std::vector<QString> songs;
    for (int i = 0; i < 4; ++i)
        songs.push_back(File(QStringLiteral("t%1.mp3").arg(i)));
    std::vector<std::thread> workers;
    for (const QString &song : songs) {
        workers.emplace_back([song] {
            auto connection = OpenLibraryConnection(5000);
            ASSERT_NE(connection, nullptr);
            std::vector<TMyLibraryRecord> batch;
            for (int n = 0; n < 50; ++n) {
                TMyLibraryRecord r = SampleRecord(song);
                r.FileSize = n;
                batch.push_back(r);
            }
            EXPECT_EQ(connection->StoreMany(batch), TLibraryResult::Ok);
            StoreTag(TMyTag(song));  // the free functions open this thread's own connection
        });
    }
    for (std::thread &t : workers)
        t.join();
    for (const QString &song : songs) {
        TMyTag *found = nullptr;
        ASSERT_TRUE(LookupTag(found, song));
        EXPECT_EQ(found->FileSize, 4);
        delete found;
    }
}

// Players started together open (and may create) the same library at the same moment.
TEST_F(TagLibraryTest, PlayersOpeningTheLibraryTogetherAllGetIt)
{
    constexpr int kPlayers = 4;
    auto openTogether = [&](const QString &path) {
        std::latch start(kPlayers);
        std::vector<std::unique_ptr<TMyTagLibrary>> opened(kPlayers);
        std::vector<std::thread> players;
        for (int i = 0; i < kPlayers; ++i)
            players.emplace_back([&, i] {
                start.arrive_and_wait();
                opened[size_t(i)] = std::make_unique<TMyTagLibrary>(path, /*recoverCorrupt=*/true);
            });
        for (std::thread &t : players)
            t.join();
        return opened;
    };
    const QString song = File(QStringLiteral("shared.mp3"));
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        const QString path = dir.Path(QStringLiteral("lib%1.sqlite3").arg(round));
        if (round % 2) {
            // A damaged file: moved aside once, and every player ends up on the one new database.
            dir.Write(QFileInfo(path).fileName(), QByteArray(8192, 'x'));
        }
        auto opened = openTogether(path);
        for (const auto &library : opened)
            ASSERT_TRUE(library->IsOpen()) << library->LastError().toStdString();
        int movedAside = 0;
        for (const auto &library : opened)
            movedAside += library->MovedAsideTo().isEmpty() ? 0 : 1;
        EXPECT_EQ(movedAside, round % 2);
        EXPECT_EQ(QFileInfo::exists(path + QStringLiteral(".corrupt")), bool(round % 2));
        EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral(".corrupt.2")));
        TMyLibraryRecord record = SampleRecord(song);
        record.FileSize = round;
        ASSERT_EQ(opened[0]->Store(record), TLibraryResult::Ok) << opened[0]->LastError().toStdString();
        for (const auto &library : opened) {
            TMyLibraryRecord found;
            EXPECT_EQ(library->Lookup(song, found), TLibraryResult::Ok);
            EXPECT_EQ(found.FileSize, round);
        }
    }
}

} // namespace
