#include "engine/dsplayer.h"
#include "mediafixtures.h"
#include "platform/uihooks.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

class PlayerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "engine_player_test";
            static char *argv[] = {name, nullptr};
            new QGuiApplication(argc, argv);
        }
    }

    void SetUp() override
    {
        player = std::make_unique<TMyDSPlayer>();
        player->OnMediaOpen = [this](TMyDirectShowPlayer *) { events << QStringLiteral("Open"); };
        player->OnMediaPlay = [this](TMyDirectShowPlayer *) { events << QStringLiteral("Play"); };
        player->OnMediaStart = [this](TMyDirectShowPlayer *) { events << QStringLiteral("Start"); };
        player->OnMediaPaused = [this](TMyDirectShowPlayer *) { events << QStringLiteral("Paused"); };
        player->OnMediaEnded = [this](TMyDirectShowPlayer *) { events << QStringLiteral("Ended"); };
        player->OnMediaError = [this](TMyDirectShowPlayer *) { events << QStringLiteral("Error"); };
        player->OnMediaStopped = [this](TMyDirectShowPlayer *) { events << QStringLiteral("Stopped"); };
        player->OnMediaClosed = [this](TMyDirectShowPlayer *) { events << QStringLiteral("Closed"); };
        player->OnVideoSizeChange = [this](TMyDirectShowPlayer *, quint16 w, quint16 h) {
            events << QStringLiteral("Size %1x%2").arg(w).arg(h);
        };
    }

    void TearDown() override { player.reset(); }

    QString Fixture(const QString &name)
    {
        const QString path = MediaFixtures::Get().Path(name);
        if (path.isEmpty())
            ADD_FAILURE() << "fixture not made: " << name.toStdString();
        return path;
    }

    int Count(const QString &event) const { return int(events.count(event)); }

    // Waits until the pipeline has settled after a seek or step.
    void Settle() { Spin(150); }

    std::unique_ptr<TMyDSPlayer> player;
    QStringList events;
};

TEST_F(PlayerTest, SmokeOpenPlayToEnd)
{
    const QString file = Fixture(QStringLiteral("v25.avi"));
    ASSERT_TRUE(player->Open(file));
    EXPECT_TRUE(player->HasVideo());
    EXPECT_EQ(player->VideoWidth(), 160);
    EXPECT_EQ(player->VideoHeight(), 120);
    EXPECT_DOUBLE_EQ(player->FrameRate(), 25.0);
    EXPECT_NEAR(player->Duration(), 3.0, 0.1);
    player->Play();
    EXPECT_TRUE(WaitUntil([&] { return Count(QStringLiteral("Start")) == 1; }, 3000));
    player->SetPosition(2.6);
    EXPECT_TRUE(WaitUntil([&] { return Count(QStringLiteral("Ended")) == 1; }, 3000));
    EXPECT_EQ(events.join(u','), QStringLiteral("Open,Play,Start,Ended"));
}

} // namespace
