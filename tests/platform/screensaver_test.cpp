#include "platform/screensaver.h"
#include "support/privatebus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QElapsedTimer>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

using namespace platform;

// A login manager of the test's own: hands out the write end of a pipe per delay inhibitor and
// keeps the read ends, so the test sees when every copy of a write end is closed.
class FakeLogin : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    ~FakeLogin() override
    {
        for (int fd : readEnds)
            ::close(fd);
    }
    QStringList lastArgs;
    QList<int> readEnds;
    // The inhibitor number i was released (its pipe reads end of file).
    bool Released(int i) const
    {
        pollfd p{readEnds.at(i), POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0)
            return false;
        char c;
        return ::read(readEnds.at(i), &c, 1) == 0;
    }
public Q_SLOTS:
    QDBusUnixFileDescriptor Inhibit(const QString &what, const QString &who, const QString &why, const QString &mode)
    {
        lastArgs = {what, who, why, mode};
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return QDBusUnixFileDescriptor();
        readEnds.append(fds[0]);
        QDBusUnixFileDescriptor handed(fds[1]); // a copy of the write end
        ::close(fds[1]);
        return handed;
    }
};

class InhibitTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "platform_screensaver_test";
        static char *argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
    }
    void SetUp() override
    {
        if (bus.address.isEmpty())
            GTEST_SKIP() << "no dbus-daemon to run a private bus";
    }
    // Serves one object at path under service on the private bus.
    void Offer(const QString &service, const QString &path, QObject *object)
    {
        ASSERT_TRUE(bus.Offer(service, path, object));
    }

    PrivateBus bus;
};

const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");

TEST_F(InhibitTest, HeldWhileOnReleasedWhenOffAndOnDestruction)
{
    FakeScreenSaver fake;
    Offer(kService, QStringLiteral("/org/freedesktop/ScreenSaver"), &fake);
    auto inhibitor = std::make_unique<ScreenSaverInhibitor>(bus.address);

    inhibitor->SetInhibited(true, QStringLiteral("動画を再生中"));
    EXPECT_TRUE(inhibitor->Inhibited());
    ASSERT_TRUE(QTest::qWaitFor([&] { return inhibitor->Held(); }, 5000));
    EXPECT_EQ(fake.inhibits, 1);
    EXPECT_EQ(fake.lastArgs, (QStringList{QStringLiteral("tavio"), QStringLiteral("動画を再生中")}));
    EXPECT_EQ(fake.held.size(), 1);

    // Asking again while held takes no second inhibition (the player asks on every tick).
    inhibitor->SetInhibited(true, QStringLiteral("動画を再生中"));
    inhibitor->SetInhibited(false, QString());
    EXPECT_FALSE(inhibitor->Held());
    ASSERT_TRUE(QTest::qWaitFor([&] { return fake.uninhibits == 1; }, 5000));
    EXPECT_EQ(fake.inhibits, 1);
    EXPECT_TRUE(fake.held.isEmpty());
    inhibitor->SetInhibited(false, QString());  // off twice: nothing more

    inhibitor->SetInhibited(true, QStringLiteral("again"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return inhibitor->Held(); }, 5000));
    EXPECT_EQ(fake.inhibits, 2);
    inhibitor.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return fake.uninhibits == 2; }, 5000));
    EXPECT_TRUE(fake.held.isEmpty());
}

TEST_F(InhibitTest, ReleasedWhenTurnedOffOrDestroyedBeforeTheAnswer)
{
    FakeScreenSaver fake;
    Offer(kService, QStringLiteral("/org/freedesktop/ScreenSaver"), &fake);
    ScreenSaverInhibitor inhibitor(bus.address);
    inhibitor.SetInhibited(true, QStringLiteral("a"));
    inhibitor.SetInhibited(false, QString());  // the answer is still on its way
    ASSERT_TRUE(QTest::qWaitFor([&] { return fake.uninhibits == 1; }, 5000));
    EXPECT_EQ(fake.inhibits, 1);
    EXPECT_TRUE(fake.held.isEmpty());
    EXPECT_FALSE(inhibitor.Held());

    // Off and on again before the answer: one inhibition, kept.
    inhibitor.SetInhibited(true, QStringLiteral("b"));
    inhibitor.SetInhibited(false, QString());
    inhibitor.SetInhibited(true, QStringLiteral("b"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return inhibitor.Held(); }, 5000));
    EXPECT_EQ(fake.inhibits, 2);
    EXPECT_EQ(fake.held.size(), 1);

    {
        ScreenSaverInhibitor shortLived(bus.address);
        shortLived.SetInhibited(true, QStringLiteral("c"));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return fake.inhibits == 3 && fake.uninhibits == 2; }, 5000));
    EXPECT_EQ(fake.held.size(), 1);  // only the one still held above
}

TEST_F(InhibitTest, TheShortPathServesWhenTheLongOneIsMissing)
{
    FakeScreenSaver fake;
    Offer(kService, QStringLiteral("/ScreenSaver"), &fake);
    ScreenSaverInhibitor inhibitor(bus.address);
    inhibitor.SetInhibited(true, QStringLiteral("x"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return inhibitor.Held(); }, 5000));
    inhibitor.SetInhibited(false, QString());
    ASSERT_TRUE(QTest::qWaitFor([&] { return fake.uninhibits == 1; }, 5000));
    EXPECT_TRUE(fake.held.isEmpty());
}

TEST_F(InhibitTest, NoServiceOrNoBusIsHarmlessAndQuick)
{
    {
        ScreenSaverInhibitor inhibitor(bus.address);  // a bus without a screen saver
        QElapsedTimer clock;
        clock.start();
        inhibitor.SetInhibited(true, QStringLiteral("x"));
        EXPECT_LT(clock.elapsed(), 500);
        QTest::qWait(200);
        EXPECT_FALSE(inhibitor.Held());
        inhibitor.SetInhibited(false, QString());
    }

    const QByteArray saved = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tavio-test-bus");
    QElapsedTimer clock;
    clock.start();
    {
        ScreenSaverInhibitor inhibitor;
        inhibitor.SetInhibited(true, QStringLiteral("x"));
        EXPECT_FALSE(inhibitor.Held());
        inhibitor.SetInhibited(false, QString());
        inhibitor.SetInhibited(true, QStringLiteral("x"));
    }
    EXPECT_LT(clock.elapsed(), 1000);
    {
        SleepWatcher watcher(QStringLiteral("x"), QStringLiteral("unix:path=/nonexistent/tavio-test-bus"));
        EXPECT_FALSE(watcher.HoldsDelay());
    }
    EXPECT_LT(clock.elapsed(), 1000);
    if (saved.isNull())
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    else
        qputenv("DBUS_SESSION_BUS_ADDRESS", saved);
}

TEST_F(InhibitTest, SleepDelayHeldUntilTheHandlerRanAndTakenAgainAfterWaking)
{
    if (!(bus.Services().connectionCapabilities() & QDBusConnection::UnixFileDescriptorPassing))
        GTEST_SKIP() << "the bus passes no file descriptors";
    FakeLogin login;
    Offer(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"), &login);
    SleepWatcher watcher(QStringLiteral("再生位置を保存"), bus.address);
    ASSERT_TRUE(QTest::qWaitFor([&] { return watcher.HoldsDelay(); }, 5000));
    EXPECT_EQ(login.lastArgs, (QStringList{QStringLiteral("sleep"), QStringLiteral("tavio"),
                                           QStringLiteral("再生位置を保存"), QStringLiteral("delay")}));
    ASSERT_EQ(login.readEnds.size(), 1);
    EXPECT_FALSE(login.Released(0));

    QList<bool> calls;
    bool heldDuringHandler = false;
    watcher.OnPrepareForSleep = [&](bool starting) {
        calls.append(starting);
        if (starting)
            heldDuringHandler = watcher.HoldsDelay() && !login.Released(0);
    };
    auto announce = [&](bool starting) {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                                         QStringLiteral("org.freedesktop.login1.Manager"),
                                                         QStringLiteral("PrepareForSleep"));
        signal << starting;
        ASSERT_TRUE(bus.Services().send(signal));
    };

    announce(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls.size() == 1; }, 5000));
    EXPECT_TRUE(calls.at(0));
    EXPECT_TRUE(heldDuringHandler);
    EXPECT_FALSE(watcher.HoldsDelay());
    ASSERT_TRUE(QTest::qWaitFor([&] { return login.Released(0); }, 5000));

    announce(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls.size() == 2 && watcher.HoldsDelay(); }, 5000));
    EXPECT_FALSE(calls.at(1));
    ASSERT_EQ(login.readEnds.size(), 2);
    EXPECT_FALSE(login.Released(1));
}

} // namespace

#include "screensaver_test.moc"
