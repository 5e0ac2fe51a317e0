// Wallpaper mode's side in the player process: the request texts it sends and reads, and what the
// one instance sends to the panel of the process that shows the video (recorded by panels of our
// own), offscreen.

#include "shellint/mywallvideo.h"

#include "support/tempdir.h"

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

TEST(WallVideoTextTest, RequestValues)
{
    struct Case {
        const char *value;
        std::optional<QRect> expected;
    };
    const Case cases[] = {
        {"0,0,1280,1024", QRect(0, 0, 1280, 1024)},
        {"-1920,-200,1920,1080", QRect(-1920, -200, 1920, 1080)},  // a monitor left of and above the first
        {" 10 , 20 , 30 , 40 ", QRect(10, 20, 30, 40)},
        {"off", QRect()},
        {"OFF", QRect()},
        {"", std::nullopt},
        {"0,0,1280", std::nullopt},
        {"0,0,1280,1024,5", std::nullopt},
        {"0,0,0,1024", std::nullopt},
        {"0,0,1280,-1", std::nullopt},
        {"a,b,c,d", std::nullopt},
        {"0,0,1e3,10", std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(ParseWallVideoValue(QString::fromUtf8(c.value)), c.expected);
    }
    // What is sent reads back as the same rectangle.
    const QRect r(-1280, 40, 1280, 720);
    const QString text = WallVideoShowText(r);
    EXPECT_EQ(text, QStringLiteral("/WALLVIDEO:-1280,40,1280,720"));
    EXPECT_EQ(ParseWallVideoValue(text.mid(text.indexOf(QLatin1Char(':')) + 1)), r);
    EXPECT_EQ(ParseWallVideoValue(WallVideoHideText().mid(11)), QRect());
}

class WallVideoInstanceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            static int argc = 1;
            static char name[] = "shellint_mywallvideo_test";
            static char *argv[] = {name, nullptr};
            new QGuiApplication(argc, argv);
        }
    }
    void SetUp() override { qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.Root())); }
    void TearDown() override { TMyWallVideo::HideWallVideo(); }

    // A panel that records what it receives.
    struct Host {
        platform::PanelEndpoint panel{QStringLiteral("TApp_MEDIAPlayerSubForm")};
        QStringList texts;
        Host()
        {
            panel.SetTextHandler([this](const QString &text) { texts.append(text); });
        }
    };

    TestDir m_runtime;
};

TEST_F(WallVideoInstanceTest, OneInstanceShowsMovesAndHidesThroughItsHost)
{
    Host first, second;
    ASSERT_TRUE(first.panel.IsOpen() && second.panel.IsOpen());
    const QString monitor = WallVideoShowText(QGuiApplication::screens().first()->geometry());

    TMyWallVideo::ShowWallVideo(first.panel.Handle(), 0, 0x100010);
    TMyWallVideo *wall = TMyWallVideo::Instance();
    ASSERT_NE(wall, nullptr);
    EXPECT_EQ(wall->KeyColour, 0x100010u);
    EXPECT_EQ(first.texts, QStringList{monitor});

    // Shown again (a new opening) or for a monitor that does not exist: the same instance, the
    // key colour of the first call, the first monitor.
    TMyWallVideo::ShowWallVideo(first.panel.Handle(), 7, 0x123456);
    EXPECT_EQ(TMyWallVideo::Instance(), wall);
    EXPECT_EQ(wall->KeyColour, 0x100010u);
    EXPECT_EQ(wall->MonitorIndex, 0);
    EXPECT_EQ(first.texts, (QStringList{monitor, monitor}));

    // Another host (the first one ended): the old one lets go, the new one shows.
    TMyWallVideo::ShowWallVideo(second.panel.Handle(), 0, 0x100010);
    EXPECT_EQ(first.texts.last(), WallVideoHideText());
    EXPECT_EQ(second.texts, QStringList{monitor});

    // Hiding tells the host once; a second hide has nobody to tell.
    TMyWallVideo::HideWallVideo();
    EXPECT_EQ(TMyWallVideo::Instance(), nullptr);
    TMyWallVideo::HideWallVideo();
    EXPECT_EQ(second.texts, (QStringList{monitor, WallVideoHideText()}));
    EXPECT_EQ(first.texts.size(), 3);
}

} // namespace
