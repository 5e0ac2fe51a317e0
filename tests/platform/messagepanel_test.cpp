#include "platform/instancelock.h"
#include "platform/messagepanel.h"
#include "platform/termsignals.h"
#include "support/peerprocess.h"
#include "support/tempdir.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <optional>
#include <thread>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace platform;

namespace {

void EnsureApp()
{
    static int argc = 1;
    static char name[] = "messagepanel_test";
    static char *argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

class MessagePanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApp();
        m_hadRuntime = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
        m_saved = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.Root()));
    }
    void TearDown() override
    {
        if (m_hadRuntime)
            qputenv("XDG_RUNTIME_DIR", m_saved);
        else
            qunsetenv("XDG_RUNTIME_DIR");
    }
    QString Folder() const { return m_runtime.Root() + QStringLiteral("/tavio"); }

    TestDir m_runtime;
    QByteArray m_saved;
    bool m_hadRuntime = false;
};

// Leaves a socket file that nothing listens on, as a process killed by SIGKILL does.
void MakeStaleSocket(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(path);
    std::memcpy(address.sun_path, encoded.constData(), size_t(encoded.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ::close(fd);
}

TEST_F(MessagePanelTest, FolderIsPrivateAndNamedAfterTheRuntimeFolder)
{
    QString error;
    EXPECT_EQ(PanelFolder(&error), Folder()) << error.toStdString();
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(Folder()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, ::geteuid());
}

TEST_F(MessagePanelTest, FolderOpenToOthersOrOwnedBySomeoneElseIsRefused)
{
    struct Case {
        const char *what;
        std::function<void(const QString &)> spoil;
        const char *expected; // part of the message
    };
    const Case cases[] = {
        {"open to the group and others", [](const QString &f) { ::chmod(QFile::encodeName(f).constData(), 0755); },
         "0755"},
        {"writable by the group", [](const QString &f) { ::chmod(QFile::encodeName(f).constData(), 0770); }, "0770"},
        {"a symbolic link",
         [](const QString &f) {
             QDir().mkdir(f + QStringLiteral(".real"));
             ::rmdir(QFile::encodeName(f).constData());
             QFile::link(f + QStringLiteral(".real"), f);
         },
         "シンボリックリンク"},
        {"a plain file",
         [](const QString &f) {
             ::rmdir(QFile::encodeName(f).constData());
             QFile file(f);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
         },
         "フォルダではありません"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TestDir runtime;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.Root()));
        const QString folder = runtime.Root() + QStringLiteral("/tavio");
        ASSERT_FALSE(PanelFolder().isEmpty());
        c.spoil(folder);
        QString error;
        EXPECT_TRUE(PanelFolder(&error).isEmpty());
        EXPECT_TRUE(error.contains(folder)) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.expected))) << error.toStdString();
        PanelEndpoint panel(QStringLiteral("TApp_MEDIAPlayer"));
        EXPECT_FALSE(panel.IsOpen());
        EXPECT_EQ(panel.ErrorText(), error);
        EXPECT_EQ(panel.Handle(), 0);
        EXPECT_EQ(AcquireInstanceLock(QStringLiteral("dgdo19dkg?Idodxx")), InstanceLockResult::Failed);
        EXPECT_TRUE(ListPanels().isEmpty());
    }
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.Root()));

    // Someone else's folder: checked by owner id; as root the folder can really be given away.
    ASSERT_FALSE(PanelFolder().isEmpty());
    QString error;
    EXPECT_FALSE(CheckPrivateFolder(Folder(), ::geteuid() + 1, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("別のユーザー"))) << error.toStdString();
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(QFile::encodeName(Folder()).constData(), 65534, 65534), 0);
        EXPECT_TRUE(PanelFolder(&error).isEmpty());
        EXPECT_TRUE(error.contains(QStringLiteral("uid 65534"))) << error.toStdString();
        ASSERT_EQ(::chown(QFile::encodeName(Folder()).constData(), 0, 0), 0);
    }
}

TEST_F(MessagePanelTest, NoTextIsDeliveredThroughARefusedFolder)
{
    Peer peer(QStringLiteral(TAVIO_PANEL_PEER), {QStringLiteral("panel"), QStringLiteral("TApp_MEDIAPlayer")});
    const PanelHandle handle = peer.OpenPanel();
    ASSERT_GT(handle, 0);
    ::chmod(QFile::encodeName(Folder()).constData(), 0777);
    EXPECT_FALSE(DeliverPanelText(handle, QStringLiteral("while open")));
    EXPECT_FALSE(IsPanel(handle));
    ::chmod(QFile::encodeName(Folder()).constData(), 0700);
    EXPECT_TRUE(DeliverPanelText(handle, QStringLiteral("after")));
    EXPECT_EQ(peer.Expect(QStringLiteral("GOT ")), QStringLiteral("after"));
    EXPECT_FALSE(peer.Lines().join(QLatin1Char('\n')).contains(QStringLiteral("while open")));
}

TEST_F(MessagePanelTest, PanelsOfOneProcessTalkAndAnswerBack)
{
    PanelEndpoint a(QStringLiteral("TApp_MEDIAPlayer"));
    PanelEndpoint b(QStringLiteral("TApp_MediaProperty"));
    ASSERT_TRUE(a.IsOpen()) << a.ErrorText().toStdString();
    ASSERT_TRUE(b.IsOpen());
    EXPECT_GT(a.Handle(), 0);
    EXPECT_GT(b.Handle(), 0);
    EXPECT_NE(a.Handle(), b.Handle());

    QStringList log;
    a.SetTextHandler([&](const QString &t) { log << QStringLiteral("a:") + t; });
    b.SetTextHandler([&](const QString &t) {
        log << QStringLiteral("b:") + t;
        EXPECT_TRUE(DeliverPanelText(a.Handle(), QStringLiteral("back")));
        log << QStringLiteral("b done");
    });
    EXPECT_TRUE(DeliverPanelText(b.Handle(), QStringLiteral("日本語 🎵 \"q\"")));
    EXPECT_EQ(log, (QStringList{QStringLiteral("b:日本語 🎵 \"q\""), QStringLiteral("a:back"), QStringLiteral("b done")}));

    b.SetStateProvider([] { return PanelState{true, true, QStringLiteral("/x/y.mp3"), 0x2a00007}; });
    const auto id = QueryPanel(b.Handle());
    ASSERT_TRUE(id.has_value());
    EXPECT_EQ(id->className, QStringLiteral("TApp_MediaProperty"));
    EXPECT_EQ(id->processId, qint64(::getpid()));
    EXPECT_TRUE(id->state.minimized);
    EXPECT_EQ(id->state.shownFile, QStringLiteral("/x/y.mp3"));
    EXPECT_EQ(id->state.windowId, 0x2a00007u);  // the top-level window's native id

    const PanelHandle gone = b.Handle();
    {
        PanelEndpoint c(QStringLiteral("TApp_MediaProperty"));
        ASSERT_TRUE(c.IsOpen());
        EXPECT_EQ(ListPanels(QStringLiteral("TApp_MediaProperty")).size(), 2);
    }
    EXPECT_EQ(ListPanels(QStringLiteral("TApp_MediaProperty")).size(), 1);
    EXPECT_TRUE(IsPanel(gone));
    EXPECT_FALSE(IsPanel(0));
    EXPECT_FALSE(DeliverPanelText(0, QStringLiteral("nobody")));
}

TEST_F(MessagePanelTest, CrossProcessDeliveryIsSynchronousAndKeepsTheText)
{
    Peer peer(QStringLiteral(TAVIO_PANEL_PEER), {QStringLiteral("panel"), QStringLiteral("TApp_MEDIAPlayer")});
    const PanelHandle handle = peer.OpenPanel();
    ASSERT_GT(handle, 0);
    EXPECT_TRUE(IsPanel(handle));

    const QString text = QStringLiteral("\"/tmp/日本語 🎵 a\"\"b.mp3\" /PLAY\t/VOLUME:50 ");
    EXPECT_TRUE(DeliverPanelText(handle, text));
    EXPECT_EQ(peer.Expect(QStringLiteral("GOT ")), text);

    // The sender waits for the handler.
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(DeliverPanelText(handle, QStringLiteral("SLEEP 400")));
    EXPECT_GE(clock.elapsed(), 390);

    // A long text goes through whole.
    const QString big(300000, QChar(u'あ'));
    EXPECT_TRUE(DeliverPanelText(handle, big));
    EXPECT_EQ(peer.Expect(QStringLiteral("GOTSIZE ")), QString::number(big.size()));

    const auto id = QueryPanel(handle);
    ASSERT_TRUE(id.has_value());
    EXPECT_EQ(id->className, QStringLiteral("TApp_MEDIAPlayer"));
    EXPECT_EQ(id->processId, peer.Pid());
    EXPECT_EQ(id->executablePath, QFileInfo(QStringLiteral(TAVIO_PANEL_PEER)).canonicalFilePath());
    EXPECT_TRUE(id->state.visible);
    EXPECT_EQ(id->state.shownFile, QStringLiteral("/peer/shown file.mp3"));

    EXPECT_TRUE(RequestPanelRaise(handle));
    EXPECT_TRUE(peer.Expect(QStringLiteral("RAISED")).has_value());
}

TEST_F(MessagePanelTest, ReceiverThatSendsBackDoesNotDeadlock)
{
    PanelEndpoint own(QStringLiteral("TApp_MEDIAPlayer"));
    ASSERT_TRUE(own.IsOpen());
    QStringList received;
    own.SetTextHandler([&](const QString &t) { received << t; });

    Peer peer(QStringLiteral(TAVIO_PANEL_PEER), {QStringLiteral("panel"), QStringLiteral("TApp_MediaProperty")});
    const PanelHandle handle = peer.OpenPanel();
    ASSERT_GT(handle, 0);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(DeliverPanelText(handle, QStringLiteral("SENDBACK %1 hello 😀").arg(own.Handle())));
    EXPECT_LT(clock.elapsed(), 3000);
    // Handled while the first send was still waiting.
    EXPECT_EQ(received, QStringList{QStringLiteral("hello 😀")});
    EXPECT_EQ(peer.Expect(QStringLiteral("SENT ")), QStringLiteral("1"));
}

TEST_F(MessagePanelTest, HungReceiverThatDiesReleasesTheSenderAtOnce)
{
    Peer peer(QStringLiteral(TAVIO_PANEL_PEER), {QStringLiteral("panel"), QStringLiteral("TApp_MEDIAPlayer")});
    const PanelHandle handle = peer.OpenPanel();
    ASSERT_GT(handle, 0);
    const pid_t pid = pid_t(peer.Pid());
    std::thread killer([pid] {
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        ::kill(pid, SIGKILL);
    });
    QElapsedTimer clock;
    clock.start();
    const bool delivered = DeliverPanelText(handle, QStringLiteral("SLEEP 30000"));
    const qint64 waited = clock.elapsed();
    killer.join();
    EXPECT_FALSE(delivered);
    EXPECT_GE(waited, 650); // waited while the receiver lived
    EXPECT_LT(waited, 3000); // and no longer
    peer.WaitEnd(3000);

    // Its socket file stayed behind; the next look at it removes it.
    EXPECT_EQ(ListPanels(QStringLiteral("TApp_MEDIAPlayer")).size(), 1);
    EXPECT_FALSE(IsPanel(handle));
    EXPECT_TRUE(ListPanels().isEmpty());
    EXPECT_FALSE(DeliverPanelText(handle, QStringLiteral("late")));
}

TEST_F(MessagePanelTest, IdentityQueryOfAHungPanelGivesUpAtItsTimeOut)
{
    Peer peer(QStringLiteral(TAVIO_PANEL_PEER), {QStringLiteral("panel"), QStringLiteral("TApp_MediaProperty")});
    const PanelHandle handle = peer.OpenPanel();
    ASSERT_GT(handle, 0);
    ASSERT_TRUE(QueryPanel(handle, 500).has_value()); // a live, idle panel answers in time

    ASSERT_TRUE(DeliverPanelText(handle, QStringLiteral("HANG 2500")));
    ASSERT_TRUE(peer.Expect(QStringLiteral("HANGING")).has_value()); // it has begun to hang
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(QueryPanel(handle, 500).has_value());
    EXPECT_GE(clock.elapsed(), 450);
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_TRUE(IsPanel(handle)); // hung, not gone

    // Without a time-out the query waits for the hung panel and gets its answer.
    const auto id = QueryPanel(handle);
    EXPECT_GE(clock.elapsed(), 1900);
    ASSERT_TRUE(id.has_value());
    EXPECT_EQ(id->processId, peer.Pid());
}

TEST_F(MessagePanelTest, DeadPanelFileIsRemoved)
{
    ASSERT_FALSE(PanelFolder().isEmpty());
    const QString stale = Folder() + QStringLiteral("/12345.TApp_MEDIAPlayer");
    MakeStaleSocket(stale);
    ASSERT_EQ(ListPanels().size(), 1);
    EXPECT_FALSE(DeliverPanelText(12345, QStringLiteral("to the dead")));
    EXPECT_FALSE(QFileInfo::exists(stale));

    MakeStaleSocket(stale);
    EXPECT_FALSE(QueryPanel(12345).has_value());
    EXPECT_FALSE(QFileInfo::exists(stale));

    MakeStaleSocket(stale);
    EXPECT_FALSE(IsPanel(12345));
    EXPECT_FALSE(QFileInfo::exists(stale));
}

TEST_F(MessagePanelTest, PanelBeingOpenedIsNeverTakenForDead)
{
    // Another process probes every panel it lists (as a broadcast or a search for a running
    // player does) while panels are being opened: none may lose its file to the probe.
    ASSERT_FALSE(PanelFolder().isEmpty());
    Peer churn(QStringLiteral(TAVIO_PANEL_PEER),
               {QStringLiteral("churn"), QStringLiteral("TApp_MEDIAPlayer"), QStringLiteral("3000")});
    int probes = 0;
    QElapsedTimer clock;
    clock.start();
    while (!churn.WaitEnd(0) && clock.elapsed() < 60000)
        for (const PanelEntry &e : ListPanels(QStringLiteral("TApp_MEDIAPlayer")))
            IsPanel(e.handle), ++probes;
    const std::optional<QString> lost = churn.Expect(QStringLiteral("LOST "));
    ASSERT_TRUE(lost.has_value());
    EXPECT_EQ(lost->toStdString(), "0") << "panels lost to " << probes << " probes";
}

TEST_F(MessagePanelTest, EnumerationByClassName)
{
    Peer p1(QStringLiteral(TAVIO_PANEL_PEER), {QStringLiteral("panel"), QStringLiteral("TApp_MEDIAPlayer")});
    Peer p2(QStringLiteral(TAVIO_PANEL_PEER), {QStringLiteral("panel"), QStringLiteral("TApp_MediaProperty")});
    const PanelHandle h1 = p1.OpenPanel();
    const PanelHandle h2 = p2.OpenPanel();
    PanelEndpoint own(QStringLiteral("TApp_MEDIAPlayer"));
    ASSERT_GT(h1, 0);
    ASSERT_GT(h2, 0);
    // Files that are not panels are passed over.
    QFile junk(Folder() + QStringLiteral("/dgdo19dkg?Idodxx.lock"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    QFile notSocket(Folder() + QStringLiteral("/77.TApp_MEDIAPlayer"));
    ASSERT_TRUE(notSocket.open(QIODevice::WriteOnly));

    const auto players = ListPanels(QStringLiteral("TApp_MEDIAPlayer"));
    ASSERT_EQ(players.size(), 2);
    EXPECT_LT(players[0].handle, players[1].handle);
    QList<PanelHandle> handles{players[0].handle, players[1].handle};
    EXPECT_TRUE(handles.contains(h1));
    EXPECT_TRUE(handles.contains(own.Handle()));
    const auto properties = ListPanels(QStringLiteral("TApp_MediaProperty"));
    ASSERT_EQ(properties.size(), 1);
    EXPECT_EQ(properties[0].handle, h2);
    EXPECT_EQ(ListPanels().size(), 3);
}

TEST_F(MessagePanelTest, InstanceLockIsHeldUntilItsProcessEnds)
{
    const QString name = QStringLiteral("dgdo19dkg?Idodxx");
    {
        Peer holder(QStringLiteral(TAVIO_PANEL_PEER), {QStringLiteral("lock"), name});
        ASSERT_EQ(holder.Expect(QStringLiteral("LOCK ")), QStringLiteral("acquired"));
        EXPECT_TRUE(InstanceLockHeld(name));
        EXPECT_EQ(AcquireInstanceLock(name), InstanceLockResult::HeldElsewhere);
        EXPECT_TRUE(QFileInfo::exists(Folder() + QStringLiteral("/dgdo19dkg?Idodxx.lock")));
        holder.Kill();
    }
    EXPECT_FALSE(InstanceLockHeld(name));
    EXPECT_EQ(AcquireInstanceLock(name), InstanceLockResult::Acquired);
    EXPECT_EQ(AcquireInstanceLock(name), InstanceLockResult::Acquired);
    EXPECT_TRUE(InstanceLockHeld(name));
    Peer second(QStringLiteral(TAVIO_PANEL_PEER), {QStringLiteral("lock"), name});
    EXPECT_EQ(second.Expect(QStringLiteral("LOCK ")), QStringLiteral("held"));
    EXPECT_EQ(AcquireInstanceLock(QStringLiteral("a/b")), InstanceLockResult::Failed);
}

TEST_F(MessagePanelTest, ScopedLockWaitsForItsHolderAndIsReleasedWithIt)
{
    const QString name = QStringLiteral("work");
    {
        Peer holder(QStringLiteral(TAVIO_PANEL_PEER), {QStringLiteral("lock"), name});
        ASSERT_EQ(holder.Expect(QStringLiteral("LOCK ")), QStringLiteral("acquired"));
        QElapsedTimer clock;
        clock.start();
        EXPECT_FALSE(ScopedNamedLock(name, 300).IsHeld());
        EXPECT_GE(clock.elapsed(), 300);
        // Got as soon as the holder lets go, within the wait.
        std::thread killer([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            ::kill(pid_t(holder.Pid()), SIGKILL);
        });
        EXPECT_TRUE(ScopedNamedLock(name, 5000).IsHeld());
        killer.join();
    }
    // Another thread of this process is another holder; the lock goes with the object.
    {
        ScopedNamedLock first(name, 0);
        ASSERT_TRUE(first.IsHeld());
        EXPECT_TRUE(InstanceLockHeld(name));
        bool other = true;
        std::thread([&] { other = ScopedNamedLock(name, 50).IsHeld(); }).join();
        EXPECT_FALSE(other);
    }
    EXPECT_FALSE(InstanceLockHeld(name));
    EXPECT_FALSE(ScopedNamedLock(QStringLiteral("a/b"), 0).IsHeld());
}

// The next line of the process's output that starts with prefix; nothing when none comes in time.
std::optional<QString> ReadLine(QProcess &p, const QString &prefix, int ms)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        while (p.canReadLine()) {
            const QString line = QString::fromUtf8(p.readLine()).chopped(1);
            if (line.startsWith(prefix))
                return line.mid(prefix.size());
        }
        const int left = ms - int(clock.elapsed());
        if (left <= 0 || p.state() == QProcess::NotRunning)
            return std::nullopt;
        p.waitForReadyRead(std::min(left, 50));
    }
}

TEST(TerminationSignals, ReachTheEventLoopOnceAndASecondOneEndsTheProcess)
{
    EnsureApp();
    struct Case {
        const char *what;
        bool startIgnoringSigint; // as a job started with nohup or in the background is
        int first;                // handed to the program
        int second;               // ends it
    };
    const Case cases[] = {
        {"SIGTERM, then SIGINT", false, SIGTERM, SIGINT},
        {"SIGINT, then SIGINT", false, SIGINT, SIGINT},
        {"SIGINT ignored from the start", true, SIGTERM, SIGTERM},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        if (c.startIgnoringSigint)
            p.setChildProcessModifier([] { ::signal(SIGINT, SIG_IGN); });
        p.start(QStringLiteral(TAVIO_PANEL_PEER), {QStringLiteral("signals")});
        ASSERT_TRUE(ReadLine(p, QStringLiteral("READY"), 10000).has_value());
        const pid_t pid = pid_t(p.processId());
        if (c.startIgnoringSigint) {
            ::kill(pid, SIGINT);
            EXPECT_FALSE(ReadLine(p, QStringLiteral("SIGNAL "), 300).has_value());
            EXPECT_EQ(p.state(), QProcess::Running);
        }
        ::kill(pid, c.first);
        EXPECT_EQ(ReadLine(p, QStringLiteral("SIGNAL "), 5000), QString::number(c.first));
        // The handler did not end it: the program decides.
        EXPECT_FALSE(p.waitForFinished(300));
        ::kill(pid, c.second);
        ASSERT_TRUE(p.waitForFinished(5000));
        EXPECT_EQ(p.exitStatus(), QProcess::CrashExit); // ended by the signal itself
    }
}

} // namespace
