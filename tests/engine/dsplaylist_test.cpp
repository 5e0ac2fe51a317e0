#include "engine/dsplayer.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace {

class PlaylistTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        player = std::make_unique<TMyDSPlayer>();
        player->OnMediaError = [this](TMyDirectShowPlayer *) { ++errors; };
        player->OnMediaDeleted = [this](TMyDirectShowPlayer *) { ++deleted; };
    }

    TMyDSPlaylist &List() { return *player->Playlist(); }
    void Fill(std::initializer_list<const char *> names)
    {
        for (const char *n : names) {
            const QString path = QStringLiteral("/media/") + QString::fromLatin1(n);
            List().AddObject(path, List().CreateTagFor(path));
        }
    }
    QString Current() { return player->ItemIndex >= 0 ? List().Get(player->ItemIndex).mid(7) : QString(); }

    std::unique_ptr<TMyDSPlayer> player;
    int errors = 0;
    int deleted = 0;
};

TEST_F(PlaylistTest, NextIndex)
{
    const struct {
        int count, index;
        TMyPlaylistPlayMode play;
        TMyPlaylistRepeatMode repeat;
        int step, expected;
    } cases[] = {
        {3, 0, pmNormal, rmAll, +1, 1},  {3, 2, pmNormal, rmAll, +1, 0},  {3, 0, pmNormal, rmAll, -1, 2},
        {3, 2, pmNormal, rmNone, +1, -1}, {3, 0, pmNormal, rmNone, -1, -1}, {3, 1, pmNormal, rmNone, +1, 2},
        {3, 0, pmRevers, rmAll, +1, 2},  {3, 2, pmRevers, rmNone, -1, -1}, {3, 1, pmNone, rmAll, +1, 1},
        {3, -1, pmNormal, rmAll, +1, 0}, {3, -1, pmNormal, rmOne, 0, 0},  {3, 1, pmNormal, rmOne, 0, 1},
        {1, 0, pmRandom, rmAll, +1, 0},  {0, -1, pmNormal, rmAll, +1, -1}, {0, -1, pmRandom, rmAll, +1, -1},
        {3, 7, pmNormal, rmAll, +1, 0},  // an index left past the end counts as the last entry
    };
    for (const auto &c : cases) {
        List().Clear();
        for (int i = 0; i < c.count; ++i)
            List().Add(QStringLiteral("/m/%1.mp3").arg(i));
        player->ItemIndex = c.index;
        player->PlayMode = c.play;
        player->RepeatMode = c.repeat;
        EXPECT_EQ(player->NextIndex(c.step), c.expected)
            << c.count << " " << c.index << " " << int(c.play) << " " << int(c.repeat) << " " << c.step;
    }
}

TEST_F(PlaylistTest, RandomOrderNeverRepeatsTheCurrentEntryAndReachesAll)
{
    Fill({"a", "b", "c", "d"});
    player->PlayMode = pmRandom;
    player->ItemIndex = 2;
    std::set<int> seen;
    for (int i = 0; i < 200; ++i) {
        const int next = player->NextIndex(+1);
        ASSERT_NE(next, 2);
        ASSERT_GE(next, 0);
        ASSERT_LT(next, 4);
        seen.insert(next);
    }
    EXPECT_EQ(seen.size(), 3u);
}

TEST_F(PlaylistTest, DeletingKeepsTheSameFileCurrentAndTheIndexInRange)
{
    Fill({"a", "b", "c", "d"});
    player->ItemIndex = 2;  // c
    List().Delete(0);
    EXPECT_EQ(Current(), QStringLiteral("c"));
    List().Delete(2);  // after the current one
    EXPECT_EQ(Current(), QStringLiteral("c"));
    // Deleting the current last entry leaves the index on the new last one, not past the end.
    List().Delete(1);
    EXPECT_EQ(player->ItemIndex, 0);
    EXPECT_EQ(Current(), QStringLiteral("b"));
    List().Delete(5);  // out of range: nothing
    EXPECT_EQ(deleted, 3);
    List().Delete(0);
    EXPECT_EQ(player->ItemIndex, -1);
    EXPECT_EQ(player->EntryCount(), 0);
    // An emptied list plays nothing.
    EXPECT_FALSE(player->OpenIndex(0));
    player->PlayNext();
    EXPECT_FALSE(player->IsOpen());
    EXPECT_EQ(errors, 0);
}

TEST_F(PlaylistTest, EverySortAndShuffleKeepsTheCurrentEntry)
{
    // Entries added after deletions: numbering them by position would give "x" the number
    // that "c" had, and a sort would then make the wrong one current.
    Fill({"e", "c", "a", "d"});
    List().Delete(0);
    Fill({"x", "b"});
    player->ItemIndex = 3;  // x
    using Sort = void (TMyDSPlaylist::*)(bool, int, int);
    const Sort sorts[] = {&TMyDSPlaylist::SortByPath, &TMyDSPlaylist::SortByName, &TMyDSPlaylist::SortByExt,
                          &TMyDSPlaylist::SortByTitle, &TMyDSPlaylist::SortByDuration, &TMyDSPlaylist::SortByArtist};
    for (const Sort sort : sorts) {
        (List().*sort)(true, 0, -1);
        EXPECT_EQ(Current(), QStringLiteral("x"));
        (List().*sort)(false, 0, -1);
        EXPECT_EQ(Current(), QStringLiteral("x"));
    }
    List().SortByPath(true, 0, -1);
    EXPECT_EQ(List().Get(0), QStringLiteral("/media/a"));
    EXPECT_EQ(player->ItemIndex, 4);
    for (int i = 0; i < 20; ++i) {
        List().Shuffle(0, -1);
        ASSERT_EQ(Current(), QStringLiteral("x"));
    }
    List().Sort();
    EXPECT_EQ(Current(), QStringLiteral("x"));
}

TEST_F(PlaylistTest, TheSameFileTwiceIsFollowedAsTheEntryThatWasCurrent)
{
    Fill({"b", "a", "b"});
    player->ItemIndex = 2;  // the second "b"
    const TObject *current = List().GetObject(2);
    const quint64 serial = List().Serial(2);
    EXPECT_NE(serial, List().Serial(0));
    for (int i = 0; i < 10; ++i) {
        List().Shuffle(0, -1);
        ASSERT_EQ(List().GetObject(player->ItemIndex), current);
        ASSERT_EQ(List().Serial(player->ItemIndex), serial);
    }
    List().SortByPath(false, 0, -1);
    EXPECT_EQ(List().GetObject(player->ItemIndex), current);
    EXPECT_EQ(List().IndexOfSerial(serial), player->ItemIndex);
}

TEST_F(PlaylistTest, ReplacingOrClearingLeavesNoCurrentEntry)
{
    Fill({"a", "b"});
    player->ItemIndex = 1;
    TMyWStrings other;
    other.Add(QStringLiteral("/m/z.mp3"));
    List().Assign(other);
    EXPECT_EQ(player->ItemIndex, -1);
    EXPECT_EQ(player->EntryCount(), 1);
    player->ItemIndex = 0;
    List().Clear();
    EXPECT_EQ(player->ItemIndex, -1);
    player->ItemIndex = 0;
    player->Unload();
    EXPECT_EQ(player->ItemIndex, -1);
    EXPECT_TRUE(player->FileName().isEmpty());
}

TEST_F(PlaylistTest, OpenFindsOrAddsTheEntry)
{
    Fill({"a.avi", "b.avi"});
    EXPECT_FALSE(player->Open(QStringLiteral("/media/b.avi")));  // no such file: error, still current
    EXPECT_EQ(player->ItemIndex, 1);
    EXPECT_EQ(player->EntryCount(), 2);
    EXPECT_FALSE(player->Open(QStringLiteral("/media/c.avi")));
    EXPECT_EQ(player->ItemIndex, 2);
    EXPECT_EQ(player->EntryCount(), 3);
    EXPECT_NE(List().Serial(2), 0u);
    EXPECT_FALSE(player->OpenIndex(-5));  // limited to the first entry
    EXPECT_EQ(player->ItemIndex, 0);
    EXPECT_FALSE(player->OpenIndex(99));
    EXPECT_EQ(player->ItemIndex, 2);
    EXPECT_EQ(errors, 4);
}

TEST_F(PlaylistTest, ExtensionListsAreThePlaylists)
{
    player->SetAllowExt({QStringLiteral(".mp3")});
    player->SetDisallowExt({QStringLiteral(".exe")});
    EXPECT_EQ(player->AllowExt(), QStringList{QStringLiteral(".mp3")});
    EXPECT_EQ(List().DeniedExtensions(), QStringList{QStringLiteral(".exe")});
    EXPECT_EQ(List().AddObject(QStringLiteral("/m/a.wav"), nullptr), -1);
    EXPECT_EQ(List().AddObject(QStringLiteral("/m/a.mp3"), nullptr), 0);
}

// Block edits follow the playing entry: a moved block carries it along, entries the block passes
// carry it the other way; a deleted block that held it gives way to the entry after the block.
TEST_F(PlaylistTest, BlockEditsFollowTheCurrentEntry)
{
    struct Case {
        const char *edit;  // "move" or "delete"
        int first, count, to;
        int current;
        const char *order;    // the names afterwards
        const char *playing;  // the current name afterwards ("" none)
    };
    const Case cases[] = {
        {"move", 3, 2, 0, 4, "deabcfgh", "e"},    // inside the block, moved up
        {"move", 3, 2, 0, 1, "deabcfgh", "b"},    // passed by the block
        {"move", 1, 2, 5, 7, "adefgbch", "h"},    // after the landing place: unchanged
        {"move", 1, 2, 5, 3, "adefgbch", "d"},    // passed by a block moving down
        {"move", 0, 3, 5, 0, "defghabc", "a"},
        {"delete", 2, 3, 0, 3, "abfgh", "f"},     // the current one deleted: the next after the block
        {"delete", 5, 3, 0, 6, "abcde", "e"},     // deleted up to the end: the last remaining
        {"delete", 0, 2, 0, 5, "cdefgh", "f"},
        {"delete", 0, 8, 0, 3, "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2+%3 -> %4, current %5")
                         .arg(QLatin1String(c.edit)).arg(c.first).arg(c.count).arg(c.to).arg(c.current)
                         .toStdString());
        List().Clear();
        Fill({"a", "b", "c", "d", "e", "f", "g", "h"});
        player->ItemIndex = c.current;
        deleted = 0;
        if (QByteArray(c.edit) == "move") {
            List().MoveRange(c.first, c.count, c.to);
            EXPECT_EQ(deleted, 0);
        } else {
            List().DeleteRange(c.first, c.count);
            EXPECT_EQ(deleted, 1);
        }
        QString order;
        for (int i = 0; i < List().Count(); ++i)
            order += List().Get(i).mid(7);
        EXPECT_EQ(order, QString::fromLatin1(c.order));
        EXPECT_EQ(Current(), QString::fromLatin1(c.playing));
    }
}

} // namespace
