// The playlist window against a fake player: what the grid shows, editing and moving entries,
// the commands' states, the information panel, sorting with its markers and caption, the find
// box and its history, drops.
#include "fakeplayer.h"
#include "platform/locale.h"
#include "playlist/findtext.h"
#include "playlist/mediaplaylist.h"
#include "playlist/playlistgrid.h"
#include "playlist/sortcodes.h"
#include "support/tempdir.h"
#include "tags/mediameasure.h"
#include "tags/mytag.h"
#include "widgets/heldmodifiers.h"

#include <QAction>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

namespace {

class PlaylistWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication("playlist_mediaplaylist_test"); }

    void SetUp() override
    {
        platform::SetBeepHandler([this] { ++beeps; });
        QGuiApplication::clipboard()->clear();
        window = std::make_unique<TApp_MEDIAPlaylist>(&player);
        window->Confirm = [this](const QString &question) {
            questions << question;
            return answer;
        };
        window->resize(700, 400);
    }
    void TearDown() override
    {
        window.reset();
        platform::SetBeepHandler(nullptr);
        ClearHeldModifiers();
    }

    void Load(const QStringList &names)
    {
        player.Fill(names);
        window->RefreshList(true);
    }
    static QStringList Letters(int n)
    {
        QStringList names;
        for (int i = 0; i < n; ++i)
            names << QString(QChar(u'a' + i));
        return names;
    }
    QString Header(int column) const { return window->PlaylistModel->headerData(column, Qt::Horizontal).toString(); }
    QString Cell(int row, int column) const
    {
        return window->PlaylistModel->data(window->PlaylistModel->index(row, column)).toString();
    }
    std::pair<int, int> Selection() const
    {
        int first = -1, last = -1;
        window->SelectedRange(first, last);
        return {first, last};
    }
    void KeyUp(QWidget *target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, key, mods);
        QCoreApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, mods);
        QCoreApplication::sendEvent(target, &release);
    }

    FakePlayer player;
    std::unique_ptr<TApp_MEDIAPlaylist> window;
    int beeps = 0;
    QStringList questions;
    bool answer = true;
};

TEST_F(PlaylistWindowTest, GridReadsTheListAndSizesFromTheFont)
{
    window->show();
    const QFontMetrics fm(window->celPlaylist->font());
    // An empty list keeps one empty row, and the number column stays wide enough for "1000".
    EXPECT_EQ(window->PlaylistModel->rowCount(), 1);
    EXPECT_EQ(Cell(0, 0), QString());
    EXPECT_EQ(window->ColumnWidth(0), fm.horizontalAdvance(QStringLiteral("1000")) + 4);
    EXPECT_EQ(Header(0), QStringLiteral("№"));
    EXPECT_EQ(Header(1), QStringLiteral("名前"));
    EXPECT_EQ(Header(2), QStringLiteral("場所"));

    Load({QStringLiteral("x/a.mp3"), QStringLiteral("y/z/b.ogg")});
    EXPECT_EQ(window->PlaylistModel->rowCount(), 2);
    EXPECT_EQ(Cell(1, 0), QStringLiteral("2"));
    EXPECT_EQ(Cell(1, 1), QStringLiteral("b.ogg"));
    EXPECT_EQ(Cell(1, 2), QStringLiteral("/m/y/z"));
    EXPECT_EQ(window->celPlaylist->verticalHeader()->defaultSectionSize(), int(std::ceil(fm.height() * 1.4)));

    QStringList many;
    for (int i = 0; i < 12345 - 2; ++i)
        many << QStringLiteral("n%1").arg(i);
    Load(many);
    EXPECT_EQ(window->ColumnWidth(0), fm.horizontalAdvance(QStringLiteral("12345")) + 4);
    EXPECT_EQ(window->PlaylistModel->rowCount(), 12345);
}

// A window narrower than the name column shows the grid from the number column when it opens and
// while keys move the current row up and down, which is still scrolled into view; a key that
// moves to another column scrolls sideways to it, and a sideways scroll stays while rows change.
// Column widths saved from a window without a vertical scroll bar still fit once the list is
// long enough to need one: the last column gives way, no horizontal scroll bar appears.
TEST_F(PlaylistWindowTest, SavedColumnWidthsFitBesideTheScrollBar)
{
    // As at start: the settings are read and the list loaded before the window is first shown.
    window->SetColumnWidth(1, 336);
    window->SetColumnWidth(2, 334);
    Load(Letters(26) + Letters(26));
    window->resize(703, 421);
    window->show();
    QCoreApplication::processEvents();
    ASSERT_TRUE(window->celPlaylist->verticalScrollBar()->isVisible());
    EXPECT_EQ(window->celPlaylist->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(window->ColumnWidth(0) + window->ColumnWidth(1) + window->ColumnWidth(2),
              window->celPlaylist->viewport()->width());
}

TEST_F(PlaylistWindowTest, NarrowGridKeepsTheNumbersInViewAsKeysMoveTheRow)
{
    Load(Letters(26) + Letters(26) + Letters(26) + Letters(26));
    window->SetColumnWidth(1, 320);  // as the settings may bring it back
    player.SetItemIndex(70);
    window->resize(220, 300);
    window->ShowList();
    QCoreApplication::processEvents();
    QTableView *grid = window->celPlaylist;
    ASSERT_LT(grid->viewport()->width(), window->ColumnWidth(1));
    const QScrollBar *sideways = grid->horizontalScrollBar();
    ASSERT_GT(sideways->maximum(), 0);
    const auto rowInView = [&](int row) {
        const QRect cell = grid->visualRect(window->PlaylistModel->index(row, 0));
        return cell.top() >= 0 && cell.bottom() < grid->viewport()->height();
    };
    const auto columnInView = [&](int column) {
        const int left = grid->columnViewportPosition(column);
        return left < grid->viewport()->width() && left + grid->columnWidth(column) > 0;
    };
    EXPECT_EQ(window->CurrentRow(), 70);
    EXPECT_TRUE(rowInView(70));
    EXPECT_EQ(sideways->value(), 0);

    const struct {
        int key;
        int row;  // -1: past a page
    } moves[] = {{Qt::Key_Down, 71}, {Qt::Key_Up, 70}, {Qt::Key_PageDown, -1}, {Qt::Key_PageUp, -1},
                 {Qt::Key_Up, -1}};
    int row = 70;
    for (const auto &m : moves) {
        SCOPED_TRACE(m.key);
        KeyUp(grid, m.key);
        EXPECT_NE(window->CurrentRow(), row);
        row = window->CurrentRow();
        if (m.row >= 0) {
            EXPECT_EQ(row, m.row);
        }
        EXPECT_TRUE(rowInView(row));
        EXPECT_EQ(sideways->value(), 0);
        EXPECT_EQ(Selection(), std::make_pair(row, row));
    }

    // To the folder column and back by keys.
    KeyUp(grid, Qt::Key_Right);
    KeyUp(grid, Qt::Key_Right);
    EXPECT_EQ(grid->currentIndex().column(), 2);
    EXPECT_TRUE(columnInView(2));
    const int scrolled = sideways->value();
    EXPECT_GT(scrolled, 0);
    KeyUp(grid, Qt::Key_Down);
    EXPECT_EQ(window->CurrentRow(), row + 1);
    EXPECT_EQ(sideways->value(), scrolled);
    KeyUp(grid, Qt::Key_Left);
    EXPECT_TRUE(columnInView(1));
    KeyUp(grid, Qt::Key_Left);
    EXPECT_EQ(grid->currentIndex().column(), 0);
    EXPECT_EQ(sideways->value(), 0);
}

// The eight move commands: distances, the block's order, beeps at the ends; the playing mark
// stays on the playing file wherever it moves.
TEST_F(PlaylistWindowTest, MovesCarryTheBlockAndThePlayingEntry)
{
    struct Case {
        const char *command;
        int first, last;
        const char *order;  // afterwards ("" unchanged)
        int beeps;
    };
    const Case cases[] = {
        {"actListMove_Up", 2, 4, "a c d e b f g h", 0},
        {"actListMove_Up", 0, 1, "", 1},
        {"actListMove_Down", 7, 7, "", 1},
        {"actListMove_10Up", 4, 6, "e f g a b c d h", 0},     // 4 above: the block goes to the top
        {"actListMove_10Down", 5, 5, "a b c d e g h f", 0},   // 2 below: moved by exactly 2
        {"actListMove_100Down", 1, 2, "a d e f g h b c", 0},
        {"actListMove_Top", 3, 4, "d e a b c f g h", 0},
        {"actListMove_Bottom", 3, 4, "a b c f g h d e", 0},
        {"actListMove_100Up", 2, 3, "c d a b e f g h", 0},
    };
    for (const Case &c : cases) {
        for (int playing : {1, c.first}) {
            SCOPED_TRACE(QStringLiteral("%1 %2..%3 playing %4").arg(QLatin1String(c.command)).arg(c.first).arg(c.last)
                             .arg(playing).toStdString());
            player.Playlist()->Clear();
            Load(Letters(8));
            player.SetItemIndex(playing);
            const QString playingName = player.Playing();
            window->SelectRows(c.first, c.last);
            beeps = 0;
            window->Command(QString::fromLatin1(c.command))->trigger();
            const QString expected = *c.order ? QString::fromLatin1(c.order) : QStringLiteral("a b c d e f g h");
            EXPECT_EQ(player.Names(), expected);
            EXPECT_EQ(beeps, c.beeps);
            EXPECT_EQ(player.Playing(), playingName);
            if (*c.order) {
                // The selection moved with the block, and the list no longer counts as sorted.
                const auto [first, last] = Selection();
                EXPECT_EQ(last - first, c.last - c.first);
                EXPECT_EQ(player.Playlist()->Get(first), QStringLiteral("/m/") + QString(QChar(u'a' + c.first)));
                EXPECT_EQ(window->SortCode, kSortRefresh);
            }
        }
    }
}

TEST_F(PlaylistWindowTest, DeletingPlaysTheEntryAfterTheBlockOrNothing)
{
    struct Case {
        int first, last, playing;
        const char *order;
        QStringList log;
        const char *nowPlaying;
    };
    const Case cases[] = {
        {2, 3, 4, "a b e f", {}, "e"},
        {0, 0, 1, "b c d e f", {}, "b"},
        {2, 3, 2, "a b e f", {QStringLiteral("Close"), QStringLiteral("PlayIndex:2")}, "e"},
        {4, 5, 5, "a b c d", {QStringLiteral("Close"), QStringLiteral("PlayIndex:0")}, "a"},  // wraps to the top
        {0, 5, 3, "", {QStringLiteral("Close")}, ""},  // nothing left: closed, nothing plays
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QStringLiteral("%1..%2 playing %3").arg(c.first).arg(c.last).arg(c.playing).toStdString());
        player.Playlist()->Clear();
        Load(Letters(6));
        player.SetItemIndex(c.playing);
        player.log.clear();
        window->SelectRows(c.first, c.last);
        window->Command(u"actListEdit_Delete")->trigger();
        EXPECT_EQ(player.Names(), QString::fromLatin1(c.order));
        EXPECT_EQ(player.log, c.log);
        EXPECT_EQ(player.Playing(), QString::fromLatin1(c.nowPlaying));
        EXPECT_EQ(player.busy, 0);
        if (!*c.order) {
            EXPECT_EQ(player.ItemIndex(), -1);
        }
    }

    // The Delete key on the grid removes the selection; with a modifier it does nothing.
    player.Playlist()->Clear();
    Load(Letters(4));
    window->SelectRows(1, 2);
    KeyUp(window->celPlaylist, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(player.Names(), QStringLiteral("a b c d"));
    KeyUp(window->celPlaylist, Qt::Key_Delete);
    EXPECT_EQ(player.Names(), QStringLiteral("a d"));

    // Everything deleted, a list loaded after: its first row is selected, so the keys and the
    // commands that act on the selection work at once.
    window->Command(u"actListEdit_SelectAll")->trigger();
    window->Command(u"actListEdit_Delete")->trigger();
    ASSERT_EQ(player.Playlist()->Count(), 0);
    player.Fill(Letters(3));
    Q_EMIT player.listLoaded();
    EXPECT_EQ(Selection(), std::make_pair(0, 0));
    EXPECT_EQ(window->CurrentRow(), 0);
    EXPECT_TRUE(window->Command(u"actListEdit_Delete")->isEnabled());
    KeyUp(window->celPlaylist, Qt::Key_Delete);
    EXPECT_EQ(player.Names(), QStringLiteral("b c"));
}

// A block of tens of thousands of entries goes in one pass, however the selection lies.
TEST_F(PlaylistWindowTest, LargeBlocksAreOnePass)
{
    QStringList names;
    for (int i = 0; i < 30000; ++i)
        names << QStringLiteral("%1").arg(i, 5, 10, QLatin1Char('0'));
    Load(names);
    player.SetItemIndex(29999);
    int changes = 0;
    player.Playlist()->OnChange = [&](TMyWStrings *) { ++changes; };
    window->SelectRows(0, 19999);
    window->Command(u"actListMove_Bottom")->trigger();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(player.Playing(), QStringLiteral("29999"));
    EXPECT_EQ(player.ItemIndex(), 9999);
    window->Command(u"actListEdit_Delete")->trigger();
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(player.Playlist()->Count(), 10000);
    EXPECT_EQ(player.Playing(), QStringLiteral("29999"));
    player.Playlist()->OnChange = nullptr;
}

TEST_F(PlaylistWindowTest, CutCopyAndAppendTexts)
{
    Load({QStringLiteral("x/a.mp3"), QStringLiteral("y/b.ogg"), QStringLiteral("z/c.wav"), QStringLiteral("d.mp3")});
    struct Copy {
        const char *command;
        const char *text;
    };
    const Copy copies[] = {
        {"actListEdit_CopyFileName", "/m/x/a.mp3\n/m/y/b.ogg"},
        {"actListEdit_CopyMediaPath", "/m/x/\n/m/y/"},
        {"actListEdit_CopyMediaName", "a.mp3\nb.ogg"},
        {"actListEdit_CopyMainFileName", "a\nb"},
    };
    window->SelectRows(0, 1);
    for (const Copy &c : copies) {
        window->Command(QString::fromLatin1(c.command))->trigger();
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8(c.text)) << c.command;
    }
    // While commands refer to the playing media, the playing file is copied.
    player.SetItemIndex(2);
    player.targetsPlaying = true;
    window->Command(u"actListEdit_CopyMediaName")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("c.wav"));
    player.targetsPlaying = false;

    // Cutting the playing entry lets it play on as no entry of the list.
    window->SelectRows(1, 2);
    window->Command(u"actListEdit_Cut")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("/m/y/b.ogg\n/m/z/c.wav"));
    EXPECT_EQ(player.Names(), QStringLiteral("x/a.mp3 d.mp3"));
    EXPECT_EQ(player.ItemIndex(), -1);
    EXPECT_TRUE(player.log.isEmpty());

    // Appending: empty lines skipped, CRLF or LF, inserted after the cursor row; the playing
    // entry stays the playing entry.
    player.SetItemIndex(1);
    QGuiApplication::clipboard()->setText(QStringLiteral("/m/n1.mp3\r\n\r\n/m/n2.mp3\n\n"));
    window->SelectRows(0, 0);
    window->Command(u"actListEdit_AppendCursor")->trigger();
    EXPECT_EQ(player.Names(), QStringLiteral("x/a.mp3 n1.mp3 n2.mp3 d.mp3"));
    EXPECT_EQ(player.Playing(), QStringLiteral("d.mp3"));
    EXPECT_EQ(player.busy, 0);
}

TEST_F(PlaylistWindowTest, CommandStatesFollowTheListAndTheSelection)
{
    const QStringList withEntries = {QStringLiteral("actListEdit_Delete"), QStringLiteral("actListEdit_Cut"),
                                     QStringLiteral("actListEdit_CopyFileName"), QStringLiteral("actFile_Property"),
                                     QStringLiteral("actPlay_SelPlay"), QStringLiteral("actListMove_Up")};
    struct Case {
        int count;
        bool select;
        int playing;
        bool entries, selectAll, sort, goTo;
    };
    const Case cases[] = {
        {0, false, -1, false, false, false, false},
        {1, true, -1, true, true, false, false},
        {3, true, 0, true, true, true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.count);
        player.Playlist()->Clear();
        Load(Letters(c.count));
        player.SetItemIndex(c.playing);
        if (c.select)
            window->SelectRows(0, 0);
        window->mnuPlayListPopup();
        for (const QString &name : withEntries)
            EXPECT_EQ(window->Command(name)->isEnabled(), c.entries) << name.toStdString();
        EXPECT_EQ(window->Command(u"actListEdit_SelectAll")->isEnabled(), c.selectAll);
        EXPECT_EQ(window->Command(u"actSort_MediaName")->isEnabled(), c.sort);
        EXPECT_EQ(window->Command(u"actSort")->isEnabled(), c.sort);
        EXPECT_TRUE(window->Command(u"actSort_PartOf")->isEnabled());
        EXPECT_EQ(window->Command(u"actPlay_GoToItemIndex")->isEnabled(), c.goTo);
        // The file commands come later: off whatever the selection.
        EXPECT_FALSE(window->Command(u"actFileCmd_Trash")->isEnabled());
    }
    QGuiApplication::clipboard()->setText(QStringLiteral("/m/x"));
    EXPECT_TRUE(window->Command(u"actListEdit_AppendCursor")->isEnabled());
    QGuiApplication::clipboard()->clear();
    EXPECT_FALSE(window->Command(u"actListEdit_AppendCursor")->isEnabled());
}

// The context menu's items keep their component names, and each holder item carries its
// sub-menu under the name the customisation knows; the send-to place is a disabled holder.
TEST_F(PlaylistWindowTest, ContextMenuHoldsItsSubMenusUnderTheirNames)
{
    QStringList names;
    QStringList holders;
    for (QAction *a : window->mnuPlayList->actions()) {
        names << a->objectName();
        if (a->menu())
            holders << a->objectName() + QLatin1Char('>') + a->menu()->objectName();
    }
    EXPECT_EQ(names, (QStringList{"mniPList_SelPlay", "mniPList_GoToItemIndex", "mniPList_Sep1", "mniPList_ListEdit",
                                  "mniPList_ListMove", "mniPList_Sort", "mniPList_Sep2", "mniPList_FileCmd",
                                  "MenuItem_PSendTo", "mniPSearch", "mniPList_Sep3", "mniPList_Property",
                                  "mniPList_MediaInfo", "mniPList_Font", "mniPList_Sep4", "mniPList_Player",
                                  "mniPList_Close"}));
    EXPECT_EQ(holders, (QStringList{"mniPList_ListEdit>mniPList_ListEditMenu", "mniPList_ListMove>mniPList_ListMoveMenu",
                                    "mniPList_Sort>mniPList_SortMenu", "mniPList_FileCmd>mniPList_FileCmdMenu",
                                    "MenuItem_PSendTo>MenuItem_PSendToMenu", "mniPSearch>mniPSearchMenu"}));
    QAction *sendTo = window->mnuPlayList->actions().at(8);
    EXPECT_FALSE(sendTo->isEnabled());
    EXPECT_EQ(sendTo->text(), QStringLiteral("送る(&N)"));
    const QList<QAction *> moves = window->mnuPlayList->actions().at(4)->menu()->actions();
    ASSERT_EQ(moves.size(), 10);
    EXPECT_EQ(moves.first()->objectName(), QStringLiteral("Move_Top"));
    EXPECT_TRUE(moves.at(8)->isSeparator());
    EXPECT_EQ(moves.last()->objectName(), QStringLiteral("mniPList_ListMoveShow"));
    const QList<QAction *> sorts = window->mnuPlayList->actions().at(5)->menu()->actions();
    EXPECT_EQ(sorts.first()->objectName(), QStringLiteral("mniPSort_Track"));
    EXPECT_EQ(sorts.last()->objectName(), QStringLiteral("mniPSort_PartOf"));
    EXPECT_EQ(window->mnuSort->actions().first()->objectName(), QStringLiteral("mniSort_Track"));
}

TEST_F(PlaylistWindowTest, InformationRowsOfTheCurrentEntry)
{
    TestDir dir;
    const QString file = dir.Write(QStringLiteral("song.mp3"), QByteArray(2048, 'x'));
    player.Playlist()->AddObject(file, player.Playlist()->CreateTagFor(file));
    Load({QStringLiteral("other.mp3")});
    window->SelectRows(0, 0);

    TMyTagValue v;
    v.FileName = file;
    v.Title = QStringLiteral("Title");
    v.Artist = QStringLiteral("Artist");
    v.OriginalArtist = QStringLiteral("Orig");
    v.Album = QStringLiteral("Album");
    v.FileSize = 2048;
    v.MediaDuration = 12.5;
    v.VideoWidth = 640;
    v.VideoHeight = 480;
    v.VideoFrameRate = 25;
    const TMyTag tag(v);
    window->ShowEntryTags(0, &tag);
    EXPECT_EQ(window->InfoText(0), QStringLiteral("Title"));
    EXPECT_EQ(window->InfoText(1), QStringLiteral("Artist//Orig"));
    EXPECT_EQ(window->InfoText(2), QStringLiteral("Album"));
    EXPECT_TRUE(window->Command(u"actInfo_CopyArtist")->isEnabled());
    window->ShowEntryFileInfo(0, &tag);
    EXPECT_TRUE(window->InfoText(3).contains(QStringLiteral(" 12.500秒 (")));
    EXPECT_TRUE(window->InfoText(3).endsWith(QStringLiteral(" 640x480 25.00fps")));
    window->Command(u"actInfo_CopyArtist")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Artist//Orig"));

    // A tag of another file (names differ in case: two files) or of a row no longer current
    // shows nothing.
    TMyTagValue other = v;
    other.FileName = file.toUpper();
    const TMyTag otherTag(other);
    window->ShowEntryTags(0, &otherTag);
    EXPECT_EQ(window->InfoText(0), QString());
    EXPECT_FALSE(window->Command(u"actInfo_CopyTitle")->isEnabled());
    window->ShowEntryTags(1, &tag);
    EXPECT_EQ(window->InfoText(0), QString());

    TMyTagValue gone = v;
    gone.FileName = QStringLiteral("/m/other.mp3");
    const TMyTag goneTag(gone);
    window->SelectRows(1, 1);
    window->ShowEntryFileInfo(1, &goneTag);
    EXPECT_EQ(window->InfoText(3), QStringLiteral("ファイルが存在しません"));
}

// The panel shows the current row's entry after every edit or sort that puts another entry there,
// and nothing once the list is empty (no texts of entries that left the list, nothing for the copy commands).
TEST_F(PlaylistWindowTest, InformationFollowsTheCurrentRowThroughEdits)
{
    SetMediaMeasurer([](const QString &) { return TMediaInfo{1.0, 0, 0, 0}; });
    TestDir dir;
    QStringList files;
    for (const char *name : {"one.mp3", "two.mp3", "three.mp3"})
        files << dir.Write(QString::fromLatin1(name), QByteArray("media bytes"));
    for (const QString &file : files)
        player.Playlist()->AddObject(file, player.Playlist()->CreateTagFor(file));
    window->RefreshList(true);
    window->show();
    auto shows = [&](const QString &title) {
        return QTest::qWaitFor([&] { return window->InfoText(0) == title && !window->InfoText(3).isEmpty(); }, 5000);
    };
    window->SelectRows(0, 0);
    window->celPlaylistClick();
    ASSERT_TRUE(shows(QStringLiteral("one")));

    // A right click on another row makes it current for the menu: the panel shows its entry.
    const QPoint at = window->celPlaylist->visualRect(window->PlaylistModel->index(2, 1)).center();
    QWidget *viewport = window->celPlaylist->viewport();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent click(type, at, viewport->mapToGlobal(at), Qt::RightButton,
                          type == QEvent::MouseButtonPress ? Qt::RightButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &click);
    }
    window->mnuPlayList->close();
    ASSERT_EQ(window->CurrentRow(), 2);
    EXPECT_TRUE(shows(QStringLiteral("three")));
    window->SelectRows(0, 0);
    window->celPlaylistClick();
    ASSERT_TRUE(shows(QStringLiteral("one")));

    window->Command(u"actListEdit_Cut")->trigger();
    EXPECT_TRUE(shows(QStringLiteral("two")));
    window->Command(u"actListEdit_Delete")->trigger();
    EXPECT_TRUE(shows(QStringLiteral("three")));

    // Nothing plays: a sort leaves the current row where it was, with another entry in it.
    for (const char *name : {"c.mp3", "a.mp3", "b.mp3"}) {
        const QString file = dir.Write(QString::fromLatin1(name), QByteArray("media bytes"));
        player.Playlist()->AddObject(file, player.Playlist()->CreateTagFor(file));
    }
    player.SetItemIndex(-1);
    window->RefreshList(true);
    window->SelectRows(1, 1);
    window->celPlaylistClick();
    ASSERT_TRUE(shows(QStringLiteral("c")));
    window->SortList(1);
    ASSERT_EQ(player.Playlist()->Get(1), dir.Path(QStringLiteral("b.mp3")));  // a b c three
    EXPECT_TRUE(shows(QStringLiteral("b")));

    // The player removes the entry (it could not be played), or loads another list.
    player.Playlist()->Delete(1);
    EXPECT_TRUE(shows(QStringLiteral("c")));
    const QString other = dir.Write(QStringLiteral("other.mp3"), QByteArray("media bytes"));
    player.Playlist()->Clear();
    player.Playlist()->AddObject(other, player.Playlist()->CreateTagFor(other));
    player.Playlist()->AddObject(files[2], player.Playlist()->CreateTagFor(files[2]));
    Q_EMIT player.listLoaded();
    EXPECT_TRUE(shows(window->CurrentRow() == 0 ? QStringLiteral("other") : QStringLiteral("three")));

    window->SelectRows(0, player.Playlist()->Count() - 1);
    window->Command(u"actListEdit_Cut")->trigger();
    ASSERT_EQ(player.Playlist()->Count(), 0);
    QTest::qWait(50);
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(window->InfoText(row), QString()) << row;
    EXPECT_FALSE(window->Command(u"actInfo_CopyTitle")->isEnabled());
    SetMediaMeasurer(nullptr);
}

TEST_F(PlaylistWindowTest, SortCycleMarkersAndShuffle)
{
    Load({QStringLiteral("c"), QStringLiteral("a"), QStringLiteral("b")});
    player.SetItemIndex(0);  // c
    struct Step {
        int code;
        const char *order;
        const char *header1, *caption;
    };
    const Step steps[] = {
        {1, "a b c", "名前 ▲", "名前でソート(&N) ▲"},
        {1, "c b a", "名前 ▼", "名前でソート(&N) ▼"},
        {1, "a b c", "名前 ▲", "名前でソート(&N) ▲"},
        {100, "a b c", "名前", "名前でソート(&N)"},  // another sort takes the marker away
        {1, "a b c", "名前 ▲", "名前でソート(&N) ▲"},
    };
    for (const Step &s : steps) {
        window->SortList(s.code);
        EXPECT_EQ(player.Names(), QString::fromLatin1(s.order));
        EXPECT_EQ(Header(1), QString::fromUtf8(s.header1));
        EXPECT_EQ(window->Command(u"actSort_MediaName")->text(), QString::fromUtf8(s.caption));
        EXPECT_EQ(player.Playing(), QStringLiteral("c"));
        EXPECT_TRUE(questions.isEmpty());
    }
    // The folder column shows its own marker.
    window->SortList(2);
    EXPECT_EQ(Header(1), QStringLiteral("名前"));
    EXPECT_EQ(Header(2), QStringLiteral("場所 ▲"));

    // A shuffle leaves no marker, and the next name sort is ascending again.
    window->SortList(kSortShuffle);
    EXPECT_EQ(window->SortCode, 0);
    EXPECT_EQ(Header(2), QStringLiteral("場所"));
    EXPECT_EQ(window->Command(u"actSort_MediaPath")->text(), QStringLiteral("場所でソート(&P)"));
    EXPECT_EQ(player.Playing(), QStringLiteral("c"));
    window->SortList(1);
    EXPECT_EQ(Header(1), QStringLiteral("名前 ▲"));
    // A move: no marker.
    window->SelectRows(0, 0);
    window->Command(u"actListMove_Down")->trigger();
    EXPECT_EQ(Header(1), QStringLiteral("名前"));
    EXPECT_EQ(window->Command(u"actSort_MediaName")->text(), QStringLiteral("名前でソート(&N)"));
}

TEST_F(PlaylistWindowTest, PartialSortTouchesOnlyTheSelectedRows)
{
    Load({QStringLiteral("i"), QStringLiteral("h"), QStringLiteral("g"), QStringLiteral("f"), QStringLiteral("e"),
          QStringLiteral("d"), QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a")});
    window->Command(u"actSort_PartOf")->trigger();
    window->SelectRows(3, 6);
    window->SortList(1);
    EXPECT_EQ(player.Names(), QStringLiteral("i h g c d e f b a"));
    EXPECT_EQ(Header(1), QStringLiteral("名前 △"));
    window->SortList(1);
    EXPECT_EQ(player.Names(), QStringLiteral("i h g f e d c b a"));
    EXPECT_EQ(window->Command(u"actSort_MediaName")->text(), QStringLiteral("名前でソート(&N) ▽"));
    // One row: nothing but the markers stripped from the commands.
    window->SelectRows(2, 2);
    window->SortList(100);
    EXPECT_EQ(player.Names(), QStringLiteral("i h g f e d c b a"));
    EXPECT_EQ(window->Command(u"actSort_MediaName")->text(), QStringLiteral("名前でソート(&N)"));
    EXPECT_EQ(window->SortCode, -1);
}

TEST_F(PlaylistWindowTest, TagSortsAskUntilTheTagsAreComplete)
{
    Load({QStringLiteral("b"), QStringLiteral("a")});
    window->SortList(1);
    ASSERT_TRUE(questions.isEmpty());
    window->ResetStatusCaption();
    const QString caption = window->windowTitle();
    answer = false;
    window->SortList(211);
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(questions[0], QStringLiteral("タグ情報の取得が完了していません\n不足分の情報は空のままソートされます\n"
                                           "ソートを続行しますか"));
    // "No" changes nothing: order, state, markers, caption.
    EXPECT_EQ(player.Names(), QStringLiteral("a b"));
    EXPECT_EQ(window->SortCode, 1);
    EXPECT_EQ(Header(1), QStringLiteral("名前 ▲"));
    EXPECT_EQ(window->windowTitle(), caption);
    EXPECT_EQ(player.busy, 0);
    window->TagsComplete = true;
    window->SortList(211);
    EXPECT_EQ(questions.size(), 1);
    EXPECT_EQ(window->SortCode, 211);
}

// The caption while and after sorting, driven by the timers' handlers.
TEST_F(PlaylistWindowTest, SortCaptionSequence)
{
    Load({QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("c")});
    QStringList captions;
    QObject::connect(window.get(), &QWidget::windowTitleChanged, window.get(),
                     [&](const QString &title) { captions << title; });
    window->SortList(1);
    ASSERT_EQ(captions.size(), 3);
    EXPECT_EQ(captions[0], QStringLiteral("リストを並べ替えています"));
    EXPECT_TRUE(captions[1].startsWith(QStringLiteral("リストのソート中 [")));
    EXPECT_EQ(captions[2], QStringLiteral("リストを並べ替えました"));
    EXPECT_FALSE(window->Timer_Status->isActive());
    EXPECT_TRUE(window->Timer_StatusReset->isActive());
    EXPECT_EQ(window->Timer_StatusReset->interval(), 3000);
    window->Timer_StatusResetTimer();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("プレイリスト"));
    EXPECT_FALSE(window->Timer_StatusReset->isActive());
    window->ShowPlayingCaption(3, QStringLiteral("song"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("[3] song"));
}

TEST_F(PlaylistWindowTest, SortKeepsThePlayingEntryWithoutATagRecord)
{
    Load({QStringLiteral("c"), QStringLiteral("a"), QStringLiteral("b")});
    // Delete one, then add entries from the clipboard (they have no tag record) and play one.
    window->SelectRows(1, 1);
    window->Command(u"actListEdit_Delete")->trigger();
    QGuiApplication::clipboard()->setText(QStringLiteral("/m/z\n/m/aa\n/m/z"));
    window->SelectRows(0, 0);
    window->Command(u"actListEdit_AppendCursor")->trigger();
    ASSERT_EQ(player.Names(), QStringLiteral("c z aa z b"));
    player.SetItemIndex(3);  // the second "z"
    for (int code : {1, 1, 100, kSortShuffle, 2, 102}) {
        window->SortList(code);
        EXPECT_EQ(player.Playing(), QStringLiteral("z")) << code;
    }
    window->SortList(1);
    EXPECT_EQ(player.Names(), QStringLiteral("aa b c z z"));
    window->SortList(1);
    EXPECT_EQ(player.Names(), QStringLiteral("z z c b aa"));
    // The window scrolled to and selected the playing entry.
    EXPECT_EQ(window->CurrentRow(), player.ItemIndex());
}

TEST_F(PlaylistWindowTest, FindWalksWithoutWrapping)
{
    Load({QStringLiteral("Alpha.mp3"), QStringLiteral("beta.mp3"), QStringLiteral("ＡＬＰＨＡ2.mp3"),
          QStringLiteral("gamma.mp3")});
    window->SelectRows(0, 0);
    struct Step {
        bool up;
        Qt::KeyboardModifiers mods;
        int row;
        int beeps;
    };
    window->edtToolFind_Find->setText(QStringLiteral("alpha"));
    const Step steps[] = {
        {false, Qt::NoModifier, 2, 0},
        {false, Qt::NoModifier, 2, 1},   // no further match: beep, selection kept
        {true, Qt::NoModifier, 0, 1},
        {true, Qt::NoModifier, 0, 2},    // at the top already
        {true, Qt::ControlModifier, 2, 2},  // Ctrl: from the last entry
        {false, Qt::ControlModifier, 0, 2}, // Ctrl: from the first entry
    };
    for (const Step &s : steps) {
        SetHeldModifiers(s.mods);
        window->Command(s.up ? u"actFind_FindUp" : u"actFind_FindDown")->trigger();
        EXPECT_EQ(window->CurrentRow(), s.row);
        EXPECT_EQ(beeps, s.beeps);
    }
    ClearHeldModifiers();
    // The find box's keys: Enter and F3 find downwards, Shift+F3 upwards.
    KeyUp(window->edtToolFind_Find, Qt::Key_Return);
    EXPECT_EQ(window->CurrentRow(), 2);
    KeyUp(window->edtToolFind_Find, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(window->CurrentRow(), 0);
    KeyUp(window->celPlaylist, Qt::Key_F3);
    EXPECT_EQ(window->CurrentRow(), 2);

    // Tag targets: an entry without a tag record never matches.
    window->Command(u"actFind_FindArtist")->trigger();
    EXPECT_TRUE(window->IsChecked(u"actFind_FindArtist"));
    EXPECT_FALSE(window->IsChecked(u"actFind_FindMediaName"));
    TMyTagValue v;
    v.FileName = player.Playlist()->Get(3);
    v.Artist = QStringLiteral("The Alphas");
    player.Playlist()->PutObject(3, new TMyTag(v));
    player.Playlist()->PutObject(1, nullptr);
    window->SelectRows(0, 0);
    window->Command(u"actFind_FindDown")->trigger();
    EXPECT_EQ(window->CurrentRow(), 3);

    // An empty box beeps.
    window->edtToolFind_Find->clear();
    const int before = beeps;
    window->FindNext(false);
    EXPECT_EQ(beeps, before + 1);
    EXPECT_FALSE(window->Command(u"actFind_FindDown")->isEnabled());
}

TEST(FindText, CaseWidthAndKanaDoNotMatter)
{
    struct Case {
        const char *search, *target;
        bool match;
    };
    const Case cases[] = {
        {"ｶﾞｯｺｳ", "がっこう", true},       // half-width katakana against hiragana
        {"ｶﾞｯｺｳ", "ガッコウ", true},       // and full-width katakana
        {"ﾊﾟﾝﾀﾞ", "ぱんだ", true},
        {"ｳﾞｨ", "ヴィ", true},
        {"abc", "xABCx", true},
        {"abc", "ＡＢＣ", true},
        {"ａｂｃ", "Abc", true},
        {"café", "CAFÉ", true},
        {"カ", "ガ", false},
        {"ハ", "パ", false},
    };
    for (const Case &c : cases) {
        const QString search = NormalizeFindText(QString::fromUtf8(c.search));
        const QString target = NormalizeFindText(QString::fromUtf8(c.target));
        EXPECT_EQ(target.contains(search), c.match) << c.search << " / " << c.target;
    }
    // The table gives what the locale mapping gives.
    const int flags = platform::MapUpperCase | platform::MapKatakana | platform::MapFullWidth;
    for (const char *text : {"Hello World 123!~", "ひらがなとカタカナ", "ﾃｽﾄ ｰｱｲｳ", "漢字・記号「」", "ａｂｃＸＹＺ"}) {
        const QString s = QString::fromUtf8(text);
        EXPECT_EQ(NormalizeFindText(s), platform::MapString(s, flags)) << text;
    }
}

TEST(FindText, HistoryKeepsTenNewestFirst)
{
    TMyFindHistory history;
    for (int i = 1; i <= 11; ++i)
        history.Add(QStringLiteral("t%1").arg(i));
    ASSERT_EQ(history.Items().size(), 10);
    EXPECT_EQ(history.Items().first(), QStringLiteral("t11"));
    EXPECT_EQ(history.Items().last(), QStringLiteral("t2"));
    // The second newest again moves to the top, once.
    EXPECT_TRUE(history.Add(QStringLiteral("T10")));
    EXPECT_EQ(history.Items().first(), QStringLiteral("T10"));
    EXPECT_EQ(history.Items().size(), 10);
    EXPECT_EQ(history.Items().count(QStringLiteral("t10")), 0);
    // The newest again (in another width) changes nothing.
    EXPECT_FALSE(history.Add(QStringLiteral("ｔ１０")));
    EXPECT_EQ(history.Items().first(), QStringLiteral("T10"));

    TMyFindHistory loaded;
    loaded.Load({QStringLiteral("newest"), QStringLiteral("older"), QStringLiteral("oldest"), QString(), QString()});
    EXPECT_EQ(loaded.Items(), (QStringList{QStringLiteral("newest"), QStringLiteral("older"), QStringLiteral("oldest")}));

    EXPECT_EQ(FindTargetSetting(TMyFindTarget::MediaName), 0);
    EXPECT_EQ(FindTargetSetting(TMyFindTarget::MediaPath), 1);
    EXPECT_EQ(FindTargetSetting(TMyFindTarget::Artist), 2);
    EXPECT_EQ(FindTargetFromSetting(2), TMyFindTarget::FileName);
    EXPECT_EQ(FindTargetFromSetting(7), TMyFindTarget::MediaName);
}

TEST_F(PlaylistWindowTest, HistoryMenuShowsAmpersandsAndFillsTheBox)
{
    Load({QStringLiteral("a & b.mp3")});
    window->edtToolFind_Find->setText(QStringLiteral("a & b"));
    window->FindNext(false);
    window->edtToolFind_Find->setText(QStringLiteral("other"));
    window->FindNext(false);
    const QList<QAction *> items = window->mnuFind_FindHistory->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[1]->text(), QStringLiteral("a && b"));
    items[1]->trigger();
    EXPECT_EQ(window->edtToolFind_Find->text(), QStringLiteral("a & b"));
    EXPECT_EQ(window->FindHistoryLines(), (QStringList{QStringLiteral("other"), QStringLiteral("a & b")}));
}

TEST_F(PlaylistWindowTest, DropsGoToThePlayerUnlessBusy)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a folder")), QUrl(QStringLiteral("http://host/x.mp3")),
                  QUrl::fromLocalFile(QStringLiteral("/tmp/b.mp3"))});
    // A drop reaches the widget that accepted the drag's entering.
    QDragEnterEvent enter(QPoint(20, 60), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(20, 60), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &drop);
    EXPECT_EQ(player.log, QStringList{QStringLiteral("Drop:/tmp/a folder|/tmp/b.mp3")});
    player.log.clear();
    player.busy = 1;
    QDragEnterEvent busyEnter(QPoint(20, 60), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &busyEnter);
    EXPECT_FALSE(busyEnter.isAccepted());
    QDropEvent busyDrop(QPointF(20, 60), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &busyDrop);
    EXPECT_TRUE(player.log.isEmpty());
    player.busy = 0;
}

TEST_F(PlaylistWindowTest, PlayingGoingToAndProperty)
{
    window->show();
    QStringList names;
    for (int i = 0; i < 500; ++i)
        names << QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
    Load(names);
    // Double click plays the row after a short wait.
    window->SelectRows(7, 7);
    const QPoint at = window->celPlaylist->visualRect(window->PlaylistModel->index(7, 1)).center();
    QMouseEvent dbl(QEvent::MouseButtonDblClick, at, window->celPlaylist->viewport()->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window->celPlaylist->viewport(), &dbl);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !player.log.isEmpty(); }, 2000));
    EXPECT_EQ(player.log, QStringList{QStringLiteral("OpenAndPlay:/m/007")});

    // Going to the playing entry: selected, scrolled to, never scrolled above the top.
    const auto play = [&](int index) {
        player.SetItemIndex(index);
        Q_EMIT player.playingChanged();
    };
    play(300);
    window->Command(u"actPlay_GoToItemIndex")->trigger();
    EXPECT_EQ(window->CurrentRow(), 300);
    EXPECT_EQ(window->FirstVisibleRow(), 300);
    SetHeldModifiers(Qt::ShiftModifier);  // Shift: scrolled, the selection stays
    window->SelectRows(5, 5);
    play(2);
    window->Command(u"actPlay_GoToItemIndex")->trigger();
    EXPECT_EQ(window->CurrentRow(), 5);
    EXPECT_EQ(window->FirstVisibleRow(), 2);
    ClearHeldModifiers();
    player.Playlist()->Clear();
    Load({QStringLiteral("a"), QStringLiteral("b")});
    play(1);
    window->Command(u"actPlay_GoToItemIndex")->trigger();
    EXPECT_EQ(window->FirstVisibleRow(), 0);

    // Property windows: one per entry; many ask first.
    player.Playlist()->Clear();
    Load(Letters(12));
    player.log.clear();
    window->SelectRows(0, 2);
    window->Command(u"actFile_Property")->trigger();
    EXPECT_EQ(player.log.size(), 3);
    EXPECT_TRUE(questions.isEmpty());
    answer = false;
    window->SelectRows(0, 11);
    window->Command(u"actFile_Property")->trigger();
    EXPECT_EQ(questions.size(), 1);
    EXPECT_EQ(player.log.size(), 3);
}

} // namespace
