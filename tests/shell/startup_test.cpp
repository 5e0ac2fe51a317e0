#include "engine/mediafixtures.h"
#include "platform/instancelock.h"
#include "platform/messagepanel.h"
#include "shell/appinfo.h"
#include "shell/mediaplayer.h"
#include "shell/mymessagepanel.h"
#include "shell/myparam.h"
#include "shell/paneltexts.h"
#include "shell/startup.h"
#include "support/mediafixtures.h"
#include "support/peerprocess.h"
#include "support/tempdir.h"
#include "support/testapp.h"
#include "support/waits.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <iostream>
#include <memory>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kExe = QStringLiteral(TAVIO_EXECUTABLE);
const QString kPeer = QStringLiteral(TAVIO_PANEL_PEER);

QString Utf8(const QByteArray &bytes) { return QString::fromUtf8(bytes); }

// A short MP3 that plays (a file that cannot play makes the player ask whether to drop it).
QByteArray PlayableMp3()
{
    static const QByteArray bytes = TestDir::Read(MediaFixtures::Get().Path(QStringLiteral("a.mp3")));
    return bytes;
}

// How long a run of the executable may take on a loaded machine before it counts as hung; a
// run that ends sooner is not waited for any longer.
constexpr int kRunMs = 3 * kLoadedWaitMs;

// A player window of this process that records what it is asked to open.
class RecordingPlayer : public TApp_MEDIAPlayer {
public:
    QStringList log;

protected:
    void OpenPaths(const QStringList &paths, bool) override
    {
        log << QStringLiteral("open%1:").arg(IsChecked(u"actList_OpenAdd") ? QStringLiteral("+") : QString()) +
                   paths.join(QLatin1Char('|'));
    }
    void OpenThisFolderOnly(const QStringList &folders) override
    {
        log << QStringLiteral("thisfolder:") + folders.join(QLatin1Char('|'));
    }
};

// Every test gets its own runtime folder, data folder and message log; the real executable and
// its sub-players inherit them.
class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_env.SetPath("XDG_RUNTIME_DIR", RuntimeRoot());
        m_env.SetPath("TAVIO_HOME", m_home.Root());
        m_env.SetPath("TAVIO_MSGBOX_LOG", LogPath());
        EnsureTestApp();
        SetMsgBoxAnswerer([this](const QString &text, const QString &caption, int flags) {
            m_ownMessages << caption + QLatin1Char('\t') + text;
            return DefaultMsgBoxAnswer(flags);
        });
        TApp_MEDIAPlayer::SetSubPlayerProgram(QString());
    }
    void TearDown() override
    {
        for (auto &p : m_running) {
            const bool ended = p->state() == QProcess::NotRunning || p->waitForFinished(0);
            p->kill();
            p->waitForFinished();
            if (HasFailure()) {
                const QString how = ended ? QStringLiteral("had ended (%1 %2)")
                                                .arg(p->exitStatus() == QProcess::NormalExit ? QStringLiteral("code")
                                                                                              : QStringLiteral("crash"))
                                                .arg(p->exitCode())
                                          : QStringLiteral("was killed at the end of the test");
                std::cerr << "--- tavio " << p->arguments().join(QLatin1Char(' ')).toStdString() << " (pid "
                          << p->property("pid").toLongLong() << ") " << how.toStdString() << "; its output:\n"
                          << p->readAll().toStdString() << "---\n";
            }
        }
        if (HasFailure())
            std::cerr << "--- panel folder: " << QDir(Folder()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden |
                                                                          QDir::NoDotAndDotDot)
                                                     .join(QLatin1Char(' '))
                                                     .toStdString()
                      << "\n";
        m_running.clear();
        // Sub-players notice within a second that their player is gone; every process of this
        // test ends, also a sub-player that was still starting, before its folder goes.
        const bool ended =
            WaitServingPanels([this] { return ProcessesIn(kExe, RuntimeRoot()).isEmpty(); }, kLoadedWaitMs);
        EXPECT_TRUE(ended) << "still running: " << ProcessesIn(kExe, RuntimeRoot()).size();
        SetMsgBoxAnswerer(nullptr);
    }

    QString LogPath() const { return m_home.Path(QStringLiteral("messages.log")); }
    QString Messages() const { return Utf8(TestDir::Read(LogPath())); }
    QString Folder() const { return RuntimeRoot() + QStringLiteral("/tavio"); }
    // A runtime folder of its own for every test, kept until the test program ends: a
    // sub-player that outlives its test still finds it (and does not make one elsewhere).
    QString RuntimeRoot() const
    {
        static TestDir base;
        if (m_runtimeRoot.isEmpty()) {
            static int serial = 0;
            m_runtimeRoot = base.Path(QStringLiteral("t%1").arg(++serial));
            QDir().mkdir(m_runtimeRoot);
            ::chmod(QFile::encodeName(m_runtimeRoot).constData(), 0700); // as a runtime folder is
        }
        return m_runtimeRoot;
    }

    struct Run {
        bool finished = false;
        int exitCode = -1;
        qint64 endedAtMs = 0; // on the clock of Since
    };
    // Runs the executable to its end while this process keeps serving its own panels.
    Run RunTavio(const QStringList &args, const QString &cwd = QString(), int timeoutMs = kRunMs)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        if (!cwd.isEmpty())
            p.setWorkingDirectory(cwd);
        p.start(kExe, args);
        Run run;
        if (!p.waitForStarted())
            return run;
        run.finished = WaitServingPanels([&] { return ProcessEnded(p); }, timeoutMs);
        run.endedAtMs = m_since.elapsed();
        if (run.finished && p.exitStatus() == QProcess::NormalExit)
            run.exitCode = p.exitCode();
        else
            p.kill(), p.waitForFinished();
        if (!run.finished)
            std::cerr << "--- tavio " << args.join(QLatin1Char(' ')).toStdString() << " had not ended after "
                      << timeoutMs << " ms and was killed\n";
        return run;
    }
    // Started to run alongside the test; what it writes is kept and shown when the test fails.
    QProcess *StartTavio(const QStringList &args)
    {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::MergedChannels);
        p->start(kExe, args);
        p->waitForStarted();
        p->setProperty("pid", p->processId());
        m_running.push_back(std::move(p));
        return m_running.back().get();
    }
    // Waits for count live panels of the class.
    QList<platform::PanelEntry> WaitPanels(const QString &cls, int count, int ms = kLoadedWaitMs)
    {
        QList<platform::PanelEntry> live;
        WaitServingPanels(
            [&] {
                live.clear();
                for (const auto &e : platform::ListPanels(cls))
                    if (platform::IsPanel(e.handle))
                        live << e;
                return live.size() == count;
            },
            ms);
        return live;
    }

    // The running player's state as a second start with "/TESTSTATE" has it logged: "state",
    // entry index, volume, balance, rate, second, open file (empty when none).
    QStringList State()
    {
        const Run run = RunTavio({QStringLiteral("/TESTSTATE")});
        EXPECT_EQ(run.exitCode, 0);
        const QStringList lines = Messages().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (qsizetype i = lines.size() - 1; i >= 0; --i)
            if (lines[i].startsWith(QStringLiteral("state\t")))
                return lines[i].split(QLatin1Char('\t'));
        return QStringList();
    }
    // The message log without the state lines.
    QStringList MessagesBesideStates() const
    {
        return Messages().split(QLatin1Char('\n'), Qt::SkipEmptyParts).filter(QRegularExpression(QStringLiteral("^(?!state\t)")));
    }

    mutable QString m_runtimeRoot;
    TestDir m_home;
    TestDir m_work;
    ScopedEnvironment m_env;
    QStringList m_ownMessages;
    std::vector<std::unique_ptr<QProcess>> m_running;
    QElapsedTimer m_since = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
};

TEST(PanelTexts, PathsAndFreeTextStayOneArgument)
{
    const QString paths[] = {
        QStringLiteral("/music/a\" /EXIT.mp3"),
        QStringLiteral("/music/\"/EXIT\""),
        QStringLiteral("/music/x\"\" /PLAY y\""),
        QStringLiteral("/music/日本語 🎵 \t tab.mp3"),
        QStringLiteral("/music/trailing\""),
        QStringLiteral("/music/plain.mp3"),
    };
    for (const QString &path : paths) {
        SCOPED_TRACE(path.toStdString());
        const TMyParam notice(PropertyWriteNotice(QStringLiteral("PROPERTY_ONSTARTWRITE"), path));
        EXPECT_EQ(notice.SwitchCount, 1);
        EXPECT_EQ(notice.NonSwitchCount, 0);
        EXPECT_EQ(notice.SwitchValue(u"PROPERTY_ONSTARTWRITE"), path);

        const TMyParam rename(RenameNoticeText(path, path + QStringLiteral(".new")));
        EXPECT_FALSE(rename.HasSwitch(u"EXIT"));
        EXPECT_FALSE(rename.HasSwitch(u"PLAY"));
        EXPECT_EQ(rename.NonSwitchCount, 2);
        EXPECT_EQ(rename.NonSwitchArg(0), path);
        EXPECT_EQ(rename.NonSwitchArg(1), path + QStringLiteral(".new"));

        const TMyParam property(PropertyCommandText(path));
        EXPECT_TRUE(property.HasSwitch(u"property"));
        EXPECT_EQ(property.SwitchCount, 1);
        EXPECT_EQ(property.NonSwitchArg(0), path);

        const TMyParam search(SearchListChangeText(42, path));
        EXPECT_EQ(search.SwitchCount, 2);
        EXPECT_EQ(search.SwitchValue(u"FROM"), QStringLiteral("42"));
        EXPECT_EQ(search.SwitchValue(u"SEARCHLIST_CHANGE"), path);
    }
    EXPECT_EQ(QuotePanelText(u"a\"b"), QStringLiteral("\"a\"\"b\""));
    EXPECT_EQ(QuotePanelText(u""), QStringLiteral("\"\""));
    EXPECT_EQ(TMyParam(ToSubPlayerText(123)).OptionAt(0).ValueInt(), 123);
}

TEST(MsgBoxFamily, CaptionsButtonsAndAnswers)
{
    EnsureTestApp();
    SetMsgBoxAnswerer(nullptr);
    const QString text = QStringLiteral("一行目\r二行目");
    const QString yes = QStringLiteral("はい(&Y)"), no = QStringLiteral("いいえ(&N)"),
                  cancel = QStringLiteral("キャンセル"), ok = QStringLiteral("OK");
    struct Case {
        const char *what;
        std::function<int()> show;
        QString caption;
        QStringList buttons;
        QString press; // empty: the box's window is closed instead
        int answer;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
    };
    const Case cases[] = {
        {"information with caption", [&] { MsgBoxInfo(text, QStringLiteral("題")); return int(IDOK); },
         QStringLiteral("題"), {ok}, ok, IDOK},
        {"information", [&] { MsgBoxInfo(text); return int(IDOK); }, QStringLiteral("tavio"), {ok}, ok, IDOK},
        {"question with caption", [&] { return MsgBoxQuestion(text, QStringLiteral("題")); }, QStringLiteral("題"),
         {yes, no}, no, IDNO},
        {"question with flags", [&] { return MsgBoxQuestion(text, MB_ICONWARNING); }, QStringLiteral("tavio"),
         {yes, no}, yes, IDYES, QMessageBox::Warning},
        {"question closed", [&] { return MsgBoxQuestion(text); }, QStringLiteral("tavio"), {yes, no}, QString(),
         IDNO},
        {"three-way with caption", [&] { return MsgBoxYesNoCancel(text, QStringLiteral("題")); },
         QStringLiteral("題"), {yes, no, cancel}, cancel, IDCANCEL},
        {"three-way", [&] { return MsgBoxYesNoCancel(text); }, QStringLiteral("tavio"), {yes, no, cancel}, no, IDNO},
        {"three-way closed", [&] { return MsgBoxYesNoCancel(text); }, QStringLiteral("tavio"), {yes, no, cancel},
         QString(), IDCANCEL},
        {"core with OK and Cancel", [&] { return MsgBox(text, QStringLiteral("題"), MB_OKCANCEL | MB_ICONERROR); },
         QStringLiteral("題"), {ok, cancel}, ok, IDOK, QMessageBox::Critical},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QStringList seen;
        QString shownText;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        bool otherCaptionFound = true;
        QTimer poll;
        poll.setInterval(10);
        QElapsedTimer clock;
        clock.start();
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QMessageBox *box = FindMsgBox(c.caption, text);
            if (!box) {
                // Not found by its caption and text: close whatever is open, the test fails.
                if (clock.elapsed() > kLoadedWaitMs)
                    if (QWidget *modal = QApplication::activeModalWidget())
                        modal->close();
                return;
            }
            poll.stop();
            EXPECT_EQ(FindMsgBox(QString(), QString()), box);
            otherCaptionFound = FindMsgBox(QStringLiteral("ほか"), QString()) != nullptr;
            shownText = box->text();
            icon = box->icon();
            QAbstractButton *press = nullptr;
            for (QAbstractButton *b : box->buttons()) {
                seen << b->text();
                if (b->text() == c.press)
                    press = b;
            }
            if (c.press.isEmpty())
                box->close();
            else if (press)
                press->click();
            else
                box->done(0);
        });
        poll.start();
        EXPECT_EQ(c.show(), c.answer);
        seen.sort();
        QStringList expected = c.buttons;
        expected.sort();
        EXPECT_EQ(seen, expected);
        EXPECT_EQ(shownText, QStringLiteral("一行目\n二行目"));
        EXPECT_EQ(icon, c.icon);
        EXPECT_FALSE(otherCaptionFound);
    }
    EXPECT_EQ(FindMsgBox(QString(), QString()), nullptr);
}

TEST(HandOver, RelativePathsThatExistBecomeAbsolute)
{
    TestDir work;
    QDir(work.Root()).mkdir(QStringLiteral("sub dir"));
    work.Write(QStringLiteral("日本 🎵 a\"b c.mp3"), "x");
    work.Write(QStringLiteral("plain.mp3"), "x");
    const QString root = work.Root();
    struct Case {
        QString in, out;
    };
    const Case cases[] = {
        {QStringLiteral("plain.mp3"), root + QStringLiteral("/plain.mp3")},
        {QStringLiteral("./sub dir/../plain.mp3"), root + QStringLiteral("/plain.mp3")},
        {QStringLiteral("sub dir"), root + QStringLiteral("/sub dir")},
        {QStringLiteral("日本 🎵 a\"b c.mp3"), root + QStringLiteral("/日本 🎵 a\"b c.mp3")},
        {QStringLiteral("missing.mp3"), QStringLiteral("missing.mp3")},
        {QStringLiteral("/VOLUME:50"), QStringLiteral("/VOLUME:50")},
        {QStringLiteral("/abs/plain.mp3"), QStringLiteral("/abs/plain.mp3")},
        {QString(), QString()},
    };
    QStringList in{QStringLiteral("/usr/bin/tavio")}, out{QStringLiteral("/usr/bin/tavio")};
    for (const Case &c : cases) {
        in << c.in;
        out << c.out;
    }
    // The value of "/LISTSAVE:" written as its own argument stays as it is.
    in << QStringLiteral("/LISTSAVE:") << QStringLiteral("plain.mp3");
    out << QStringLiteral("/LISTSAVE:") << QStringLiteral("plain.mp3");
    EXPECT_EQ(HandOverArguments(in, root), out);

    const TMyParam received(HandOverText(in, root));
    EXPECT_EQ(received.Arguments.mid(0, 8), out.mid(1, 8));
    EXPECT_EQ(received.SwitchValue(u"LISTSAVE"), QStringLiteral("plain.mp3"));
}

TEST_F(StartupTest, SecondStartHandsOverItsCommandLineWaitsAndEnds)
{
    // This process plays the running player: it holds the lock and has the player's panel.
    ASSERT_EQ(platform::AcquireInstanceLock(InstanceMutexName()), platform::InstanceLockResult::Acquired);
    platform::PanelEndpoint player(QStringLiteral("TApp_MEDIAPlayer"));
    ASSERT_TRUE(player.IsOpen());
    QStringList received;
    qint64 handledAt = 0;
    int raised = 0;
    player.SetTextHandler([&](const QString &text) {
        received << text;
        QThread::msleep(500); // the files are being opened
        handledAt = m_since.elapsed();
    });
    player.SetRaiseHandler([&] { ++raised; });

    const QString file = QStringLiteral("日本 🎵 a\"b c.mp3");
    m_work.Write(file, "x");
    const Run run = RunTavio({file, QStringLiteral("/VOLUME:50"), QStringLiteral("/LISTSAVE:/tmp/o u.m3u8"),
                              QStringLiteral("missing file.mp3")},
                             m_work.Root());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received[0], QStringLiteral("\"") + m_work.Root() +
                               QStringLiteral("/日本 🎵 a\"\"b c.mp3\" /VOLUME:50 \"/LISTSAVE:/tmp/o u.m3u8\" "
                                              "\"missing file.mp3\""));
    EXPECT_GE(run.endedAtMs, handledAt); // it waited for the handler
    EXPECT_EQ(raised, 1);
    EXPECT_TRUE(Messages().isEmpty()) << Messages().toStdString();
}

TEST_F(StartupTest, FileNamesLikeToolkitOptionsStayFiles)
{
    // "-reverse" and "-style b.mp3" are options of the toolkit, "--platform x" would even end
    // the process: here they are files like any other.
    ASSERT_EQ(platform::AcquireInstanceLock(InstanceMutexName()), platform::InstanceLockResult::Acquired);
    platform::PanelEndpoint player(QStringLiteral("TApp_MEDIAPlayer"));
    ASSERT_TRUE(player.IsOpen());
    QStringList received;
    player.SetTextHandler([&](const QString &text) { received << text; });
    const QList<QStringList> starts = {
        {QStringLiteral("-reverse"), QStringLiteral("b.mp3")},
        {QStringLiteral("-style"), QStringLiteral("b.mp3")},
        {QStringLiteral("--platform"), QStringLiteral("b.mp3")},
        {QStringLiteral("-style")},
    };
    for (const QString &name : {QStringLiteral("-reverse"), QStringLiteral("-style"), QStringLiteral("--platform"),
                                QStringLiteral("b.mp3")})
        m_work.Write(name, "x");
    for (const QStringList &args : starts) {
        SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
        received.clear();
        const Run run = RunTavio(args, m_work.Root());
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0);
        QStringList expected;
        for (const QString &a : args)
            expected << m_work.Root() + QLatin1Char('/') + a;
        ASSERT_EQ(received.size(), 1);
        EXPECT_EQ(TMyParam(received[0]).Arguments, expected);
    }
    EXPECT_TRUE(Messages().isEmpty()) << Messages().toStdString();
}

TEST_F(StartupTest, HandedOverTextIsDispatchedByThePlayer)
{
    ASSERT_EQ(platform::AcquireInstanceLock(InstanceMutexName()), platform::InstanceLockResult::Acquired);
    RecordingPlayer player;
    player.show();
    // The window's own work after its first showing (its playlist window) is done before the
    // second start comes, so the hand-over's wait is for the hand-over alone.
    ASSERT_TRUE(WaitServingPanels([&] { return player.App_MEDIAPlaylist != nullptr; }, kLoadedWaitMs));
    QDir(m_work.Root()).mkdir(QStringLiteral("dir"));
    m_work.Write(QStringLiteral("a.mp3"), "x");
    const Run run = RunTavio({QStringLiteral("a.mp3"), QStringLiteral("/FOLDER"), QStringLiteral("dir"),
                              QStringLiteral("/TO_SUBPLAYER:77"), QStringLiteral("/THISFOLDER"), QStringLiteral("/m/x")},
                             m_work.Root());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(player.log, (QStringList{QStringLiteral("open:") + m_work.Path(QStringLiteral("a.mp3")),
                                       QStringLiteral("open+:") + m_work.Path(QStringLiteral("dir")),
                                       QStringLiteral("thisfolder:/m/x")}));
    EXPECT_EQ(player.SubPlayerPanel, 77);
    EXPECT_FALSE(player.IsChecked(u"actList_OpenAdd"));

    // Its own command line takes the same road.
    player.log.clear();
    player.HandleStartupCommandLine(QStringLiteral("\"/m/x y.mp3\" \"\""));
    EXPECT_EQ(player.log, QStringList{QStringLiteral("open:/m/x y.mp3|")});
}

TEST_F(StartupTest, SecondStartWithoutArgumentsSaysSoAndRaisesThePlayer)
{
    ASSERT_EQ(platform::AcquireInstanceLock(InstanceMutexName()), platform::InstanceLockResult::Acquired);
    RecordingPlayer player;
    player.showMinimized();
    ASSERT_TRUE(player.isMinimized());
    const Run run = RunTavio({});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(Messages(), QStringLiteral("tavio\tすでに起動しています\n"));
    EXPECT_FALSE(player.isMinimized());
    EXPECT_TRUE(player.log.isEmpty());
}

TEST_F(StartupTest, SecondStartWaitsForAPlayerThatIsStillStarting)
{
    // The lock is taken but the window comes a second later: the file must not be lost.
    ASSERT_EQ(platform::AcquireInstanceLock(InstanceMutexName()), platform::InstanceLockResult::Acquired);
    QStringList received;
    std::unique_ptr<platform::PanelEndpoint> player;
    QProcess second;
    second.setProcessChannelMode(QProcess::ForwardedChannels);
    second.start(kExe, {QStringLiteral("/m/a.mp3")});
    ASSERT_TRUE(second.waitForStarted());
    WaitServingPanels([] { return false; }, 1000);
    player = std::make_unique<platform::PanelEndpoint>(QStringLiteral("TApp_MEDIAPlayer"));
    player->SetTextHandler([&](const QString &text) { received << text; });
    ASSERT_TRUE(WaitServingPanels([&] { return ProcessEnded(second); }, kLoadedWaitMs));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(received, QStringList{QStringLiteral("/m/a.mp3")});
    EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(StartupTest, AllowDuplicationRunsPlayersSideBySideWithoutTheLock)
{
    ASSERT_TRUE(SetAllowDuplication(true));
    EXPECT_EQ(TestDir::Read(m_home.Path(QStringLiteral("allow.duplication"))), QByteArray("allow duplication\r\n"));
    StartTavio({});
    StartTavio({QStringLiteral("/m/a.mp3")});
    EXPECT_EQ(WaitPanels(QStringLiteral("TApp_MEDIAPlayer"), 2).size(), 2);
    for (auto &p : m_running)
        EXPECT_EQ(p->state(), QProcess::Running);
    EXPECT_FALSE(QFileInfo::exists(Folder() + QStringLiteral("/dgdo19dkg?Idodxx.lock")));
    EXPECT_FALSE(platform::InstanceLockHeld(InstanceMutexName()));
    EXPECT_TRUE(Messages().isEmpty());

    ASSERT_TRUE(SetAllowDuplication(false));
    EXPECT_FALSE(DuplicationAllowed());
    EXPECT_TRUE(SetAllowDuplication(false));
}

TEST_F(StartupTest, RealPlayerTakesTheLockAndTakesOverLaterStarts)
{
    StartTavio({});
    ASSERT_EQ(WaitPanels(QStringLiteral("TApp_MEDIAPlayer"), 1).size(), 1);
    EXPECT_TRUE(platform::InstanceLockHeld(InstanceMutexName()));
    // A file that exists, so that the player finds something to open and has nothing to say.
    const Run run = RunTavio({m_work.Write(QStringLiteral("a.mp3"), PlayableMp3())});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(WaitPanels(QStringLiteral("TApp_MEDIAPlayer"), 1, 500).size(), 1);
    EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(StartupTest, SubPlayerEndsWithinASecondOfItsPlayerBeingKilled)
{
    QProcess *player = StartTavio({});
    const auto subs = WaitPanels(QStringLiteral("TApp_MEDIAPlayerSubForm"), 1);
    ASSERT_EQ(subs.size(), 1);
    const auto sub = platform::QueryPanel(subs[0].handle);
    ASSERT_TRUE(sub.has_value());
    EXPECT_FALSE(sub->state.visible);
    EXPECT_EQ(sub->executablePath, QFileInfo(kExe).canonicalFilePath());

    ::kill(pid_t(player->processId()), SIGKILL);
    player->waitForFinished();
    QElapsedTimer clock;
    clock.start();
    // Only the file is watched: looking at the panel would do the sub-player's work for it.
    const bool gone = WaitServingPanels([&] { return !QFileInfo::exists(subs[0].path); }, 5000);
    EXPECT_TRUE(gone);
    EXPECT_LT(clock.elapsed(), 2500);
    EXPECT_TRUE(WaitServingPanels([&] { return ProcessGone(sub->processId); }, kLoadedWaitMs));
}

TEST_F(StartupTest, TerminationSignalClosesTheWindowsAndRemovesTheirPanels)
{
    // Stands for a player to which a lone sub-player answers.
    platform::PanelEndpoint from(QStringLiteral("TApp_MEDIAPlaylist"));
    QStringList answers;
    from.SetTextHandler([&](const QString &text) { answers << text; });
    const QString file = m_work.Write(QStringLiteral("a b.mp3"), PlayableMp3());  // nothing to ask about
    struct Case {
        const char *what;
        QStringList args;
        QString cls;
        int signal;
        bool withSubPlayer;
    };
    const Case cases[] = {
        {"player, SIGTERM", {}, QStringLiteral("TApp_MEDIAPlayer"), SIGTERM, true},
        {"player, SIGINT", {file}, QStringLiteral("TApp_MEDIAPlayer"), SIGINT, true},
        {"property window, SIGTERM", {QStringLiteral("/property"), file}, QStringLiteral("TApp_MediaProperty"),
         SIGTERM, false},
        {"sub-player, SIGINT",
         {QStringLiteral("/SUBPLAYER"), QStringLiteral("/FROM:%1").arg(from.Handle())},
         QStringLiteral("TApp_MEDIAPlayerSubForm"), SIGINT, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        answers.clear();
        QProcess *p = StartTavio(c.args);
        const auto own = WaitPanels(c.cls, 1);
        ASSERT_EQ(own.size(), 1);
        QList<platform::PanelEntry> subs;
        if (c.withSubPlayer) {
            subs = WaitPanels(QStringLiteral("TApp_MEDIAPlayerSubForm"), 1);
            ASSERT_EQ(subs.size(), 1);
        }
        if (c.cls == QStringLiteral("TApp_MEDIAPlayerSubForm")) {
            ASSERT_TRUE(WaitServingPanels([&] { return !answers.isEmpty(); }, kLoadedWaitMs));
        }

        ::kill(pid_t(p->processId()), c.signal);
        ASSERT_TRUE(WaitServingPanels([&] { return ProcessEnded(*p); }, kLoadedWaitMs));
        EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p->exitCode(), 0);
        // Closed, not killed: the panel file went with the window (only the file is looked at;
        // probing the panel would remove a stale file itself).
        EXPECT_FALSE(QFileInfo::exists(own[0].path));
        EXPECT_FALSE(platform::InstanceLockHeld(InstanceMutexName()));
        for (const auto &sub : subs)
            EXPECT_TRUE(WaitServingPanels([&] { return !QFileInfo::exists(sub.path); }, kLoadedWaitMs));
    }
    EXPECT_TRUE(Messages().isEmpty()) << Messages().toStdString();
}

TEST_F(StartupTest, SubPlayerHandshakeAndRestart)
{
    TApp_MEDIAPlayer::SetSubPlayerProgram(kExe);
    auto player = std::make_unique<TApp_MEDIAPlayer>();
    ASSERT_TRUE(WaitServingPanels([&] { return player->SubPlayerPanel > 0; }, kLoadedWaitMs));
    const platform::PanelHandle first = player->SubPlayerPanel;
    const auto id = platform::QueryPanel(first);
    ASSERT_TRUE(id.has_value());
    EXPECT_EQ(id->className, QStringLiteral("TApp_MEDIAPlayerSubForm"));
    EXPECT_TRUE(player->EnsureSubPlayer());
    EXPECT_EQ(player->SubPlayerPanel, first);

    // Notices broadcast to every panel carry FROM too; they do not redirect the sub-player
    // (FROM:0 would end it at its next tick).
    BroadcastPanelTextExcept(SearchIndexText(0, 2), {player->MyMessagePanel1->Handle()});
    BroadcastPanelText(SearchListChangeText(12345, QStringLiteral("x")));
    WaitServingPanels([] { return false; }, 1500);
    EXPECT_TRUE(platform::IsPanel(first));
    EXPECT_EQ(player->SubPlayerPanel, first);

    // A closed sub-player is replaced on demand.
    EXPECT_TRUE(SendPanelText(QStringLiteral("/CLOSE"), first));
    ASSERT_TRUE(WaitServingPanels([&] { return !platform::IsPanel(first); }, kLoadedWaitMs));
    player->EnsureSubPlayer();
    ASSERT_TRUE(WaitServingPanels([&] { return player->SubPlayerPanel != first && platform::IsPanel(player->SubPlayerPanel); },
                          kLoadedWaitMs));
    const QString path = platform::ListPanels(QStringLiteral("TApp_MEDIAPlayerSubForm")).value(0).path;
    ASSERT_FALSE(path.isEmpty());

    // When the player's panel goes, so does the sub-player.
    player.reset();
    EXPECT_TRUE(WaitServingPanels([&] { return !QFileInfo::exists(path); }, kLoadedWaitMs));
}

TEST_F(StartupTest, RefusedPanelFolderStopsTheStartAndDeliversNothing)
{
    ASSERT_EQ(platform::AcquireInstanceLock(InstanceMutexName()), platform::InstanceLockResult::Acquired);
    platform::PanelEndpoint player(QStringLiteral("TApp_MEDIAPlayer"));
    QStringList received;
    player.SetTextHandler([&](const QString &text) { received << text; });
    ::chmod(QFile::encodeName(Folder()).constData(), 0755);
    const Run run = RunTavio({QStringLiteral("/m/a.mp3")});
    ::chmod(QFile::encodeName(Folder()).constData(), 0700);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(received.isEmpty());
    const QString messages = Messages();
    EXPECT_TRUE(messages.startsWith(QStringLiteral("tavio\t"))) << messages.toStdString();
    EXPECT_TRUE(messages.contains(Folder())) << messages.toStdString();
    EXPECT_TRUE(messages.contains(QStringLiteral("0755"))) << messages.toStdString();
}

TEST_F(StartupTest, PropertyStartOpensOneWindowPerFileAndExecutable)
{
    // Not a file: the message, no window.
    EXPECT_EQ(RunTavio({QStringLiteral("/property"), QStringLiteral("missing.mp3")}).exitCode, 0);
    EXPECT_EQ(RunTavio({QStringLiteral("/PROPERTY"), m_work.Root()}).exitCode, 0);
    EXPECT_EQ(Messages(), QStringLiteral("tavio\tmissing.mp3\rファイルが存在しません\n") + QStringLiteral("tavio\t") +
                              m_work.Root() + QStringLiteral("\rファイルが存在しません\n"));
    EXPECT_TRUE(platform::ListPanels().isEmpty());

    const QString file = m_work.Write(QStringLiteral("a \"b\".mp3"), "x");
    // A window of another program showing the same file does not count.
    platform::PanelEndpoint foreign(QStringLiteral("TApp_MediaProperty"));
    foreign.SetStateProvider([&] { return platform::PanelState{true, false, file}; });

    QProcess *first = StartTavio({QStringLiteral("/property"), file});
    const auto windows = WaitPanels(QStringLiteral("TApp_MediaProperty"), 2);
    ASSERT_EQ(windows.size(), 2);
    // Seen from this test binary only its own window is one of the same executable.
    EXPECT_EQ(FindPropertyWindowPanel(file), foreign.Handle());

    // A relative path names the same file.
    const Run again = RunTavio({QStringLiteral("/property"), QStringLiteral("a \"b\".mp3")}, m_work.Root());
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(WaitPanels(QStringLiteral("TApp_MediaProperty"), 2, 300).size(), 2);
    for (const auto &w : windows) {
        if (w.handle == foreign.Handle())
            continue;
        const auto id = platform::QueryPanel(w.handle);
        ASSERT_TRUE(id.has_value());
        EXPECT_EQ(id->state.shownFile, file);
        EXPECT_EQ(id->processId, first->processId());
        EXPECT_TRUE(SendPanelText(QStringLiteral("/CLOSE"), w.handle));
    }
    EXPECT_TRUE(ProcessEnded(*first, kLoadedWaitMs));
    EXPECT_TRUE(Messages().endsWith(QStringLiteral("ファイルが存在しません\n")));
}

TEST_F(StartupTest, PropertyWindowSearchTakesShownOrMinimisedWindowsOfExactlyThatFile)
{
    // The panels of this process report this test program as their executable, as ExePath does.
    const QString file = QStringLiteral("/music/Ab 日本.mp3");
    struct Case {
        const char *what;
        QString cls;
        platform::PanelState state;
        bool found;
    };
    const Case cases[] = {
        {"shown", QStringLiteral("TApp_MediaProperty"), {true, false, file}, true},
        {"minimised", QStringLiteral("TApp_MediaProperty"), {false, true, file}, true},
        {"hidden", QStringLiteral("TApp_MediaProperty"), {false, false, file}, false},
        {"other case", QStringLiteral("TApp_MediaProperty"), {true, false, QStringLiteral("/music/ab 日本.mp3")}, false},
        {"other file", QStringLiteral("TApp_MediaProperty"), {true, false, file + QStringLiteral(".m3u")}, false},
        {"not a property window", QStringLiteral("TApp_MEDIAPlayer"), {true, false, file}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        platform::PanelEndpoint window(c.cls);
        ASSERT_TRUE(window.IsOpen());
        window.SetStateProvider([&] { return c.state; });
        EXPECT_EQ(FindPropertyWindowPanel(file), c.found ? window.Handle() : 0);
    }
}

TEST_F(StartupTest, BroadcastsReachEveryPanelAndSkipTheExceptedOnes)
{
    Peer p1(kPeer, {QStringLiteral("panel"), QStringLiteral("TApp_MEDIAPlayer")});
    Peer p2(kPeer, {QStringLiteral("panel"), QStringLiteral("TApp_MediaProperty")});
    const platform::PanelHandle h1 = p1.OpenPanel(), h2 = p2.OpenPanel();
    ASSERT_GT(h1, 0);
    ASSERT_GT(h2, 0);
    QWidget window;
    auto *a = new TMyMessagePanel(&window, QStringLiteral("TApp_MEDIAPlaylist"));
    auto *b = new TMyMessagePanel(&window, QStringLiteral("TApp_MediaProperty"));
    QStringList gotA, gotB;
    a->OnTextChange = [&](TMyMessagePanel *sender, const QString &t) {
        EXPECT_EQ(sender, a);
        gotA << t;
    };
    b->OnTextChange = [&](TMyMessagePanel *, const QString &t) { gotB << t; };

    // The first peer answers back to a while the broadcast is still going on.
    const QString text = QStringLiteral("SENDBACK %1 back").arg(a->Handle());
    BroadcastPanelTextExcept(text, {h2, b->Handle()});
    EXPECT_EQ(p1.Expect(QStringLiteral("GOT ")), text);
    EXPECT_EQ(p1.Expect(QStringLiteral("SENT ")), QStringLiteral("1"));
    gotA.sort();
    EXPECT_EQ(gotA, (QStringList{text, QStringLiteral("back")}));
    EXPECT_TRUE(gotB.isEmpty());

    BroadcastPanelText(QStringLiteral("to all"));
    EXPECT_EQ(p1.Expect(QStringLiteral("GOT ")), QStringLiteral("to all"));
    EXPECT_EQ(p2.Expect(QStringLiteral("GOT ")), QStringLiteral("to all"));
    EXPECT_EQ(gotB, QStringList{QStringLiteral("to all")});
    EXPECT_EQ(gotA.last(), QStringLiteral("to all"));
    EXPECT_FALSE(p2.Lines().join(QLatin1Char('\n')).contains(QStringLiteral("SENDBACK")));
    EXPECT_EQ(FindMessagePanel(&window), a->Handle());
    EXPECT_TRUE(SendPanelText(QStringLiteral("direct"), &window));
    EXPECT_EQ(gotA.last(), QStringLiteral("direct"));
}

// Audio clips that play in real time, long enough to be stopped in the middle.
QString MakeClip(const TestDir &dir, const QString &name, int seconds = 10)
{
    const QString path = dir.Path(name);
    return MakeMediaFile(path, Words(QStringLiteral("audiotestsrc num-buffers=%1 samplesperbuffer=4410 ! "
                                                    "audio/x-raw,rate=44100 ! wavenc")
                                         .arg(seconds * 10)))
               ? path
               : QString();
}

// Ends a player the way logging out does (its settings and resume list are written) and reads
// back what it wrote.
struct Resume {
    int index = -2;
    int time = -1;
    QStringList list;
};

TEST_F(StartupTest, ResumeReopensTheListAtItsEntryAndSecondUnlessFilesAreGiven)
{
    const QString first = MakeClip(m_work, QStringLiteral("1 first.wav"));
    const QString second = MakeClip(m_work, QStringLiteral("2 second.wav"));
    ASSERT_FALSE(first.isEmpty());
    ASSERT_FALSE(second.isEmpty());
    const QString ini = m_home.Path(QStringLiteral("tavio.ini"));
    const QString resumeList = m_home.Path(QStringLiteral("tavio.resume.m3u8"));
    m_home.Write(QStringLiteral("tavio.resume.m3u8"), (first + QStringLiteral("\n") + second + QStringLiteral("\n")).toUtf8());
    m_home.Write(QStringLiteral("tavio.ini"), "[RESUME]\r\nResume=1\r\nIndex=1\r\nTime=3\r\n");

    auto runAndEnd = [&](const QStringList &args) {
        QProcess *p = StartTavio(args);
        EXPECT_EQ(WaitPanels(QStringLiteral("TApp_MEDIAPlayer"), 1).size(), 1);
        // Playing for a moment: a file open, its second moving on from where it was first seen.
        int firstSecond = -1;
        EXPECT_TRUE(WaitServingPanels(
            [&] {
                const QStringList now = State();
                if (now.value(6).isEmpty())
                    return false;
                if (firstSecond < 0)
                    firstSecond = now.value(5).toInt();
                return now.value(5).toInt() > firstSecond;
            },
            kLoadedWaitMs));
        ::kill(pid_t(p->processId()), SIGTERM);
        EXPECT_TRUE(WaitServingPanels([&] { return ProcessEnded(*p); }, kLoadedWaitMs));
        Resume r;
        const QString text = Utf8(TestDir::Read(ini));
        for (const QString &line : text.split(QRegularExpression(QStringLiteral("[\r\n]+")))) {
            if (line.startsWith(QStringLiteral("Index=")))
                r.index = line.mid(6).toInt();
            else if (line.startsWith(QStringLiteral("Time=")))
                r.time = line.mid(5).toInt();
        }
        r.list = Utf8(TestDir::Read(resumeList)).split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts);
        return r;
    };

    // Started bare: the second entry again, from its third second on.
    const Resume bare = runAndEnd({});
    EXPECT_EQ(bare.index, 1);
    EXPECT_GE(bare.time, 3);
    EXPECT_LE(bare.time, 8);
    EXPECT_EQ(bare.list, (QStringList{first, second}));

    // Started with a file: that file from its start, and the resume list becomes it.
    const Resume given = runAndEnd({first});
    EXPECT_EQ(given.index, 0);
    EXPECT_LE(given.time, 3);
    EXPECT_EQ(given.list, QStringList{first});
    EXPECT_TRUE(MessagesBesideStates().isEmpty()) << Messages().toStdString();
}

TEST_F(StartupTest, ASecondStartsWordsActOnTheRunningPlayer)
{
    const QString a = MakeClip(m_work, QStringLiteral("a.wav"));
    const QString b = MakeClip(m_work, QStringLiteral("b.wav"));
    QDir(m_work.Root()).mkdir(QStringLiteral("dir"));
    const QString c = MakeClip(m_work, QStringLiteral("dir/c.wav"), 60);  // long enough to outlast the words
    ASSERT_FALSE(a.isEmpty() || b.isEmpty() || c.isEmpty());
    QProcess *player = StartTavio({a});
    ASSERT_EQ(WaitPanels(QStringLiteral("TApp_MEDIAPlayer"), 1).size(), 1);
    auto state = [this] { return State(); };
    ASSERT_TRUE(WaitServingPanels([&] { return state().value(1) == QStringLiteral("0"); }, kLoadedWaitMs));

    EXPECT_EQ(RunTavio({QStringLiteral("/VOLUME:30"), QStringLiteral("/BALANCE:-20"), QStringLiteral("/RATE:1.45"),
                        QStringLiteral("/SEEKSEC:4")})
                  .exitCode,
              0);
    const QStringList now = state();
    ASSERT_EQ(now.size(), 7) << now.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(now[2], QStringLiteral("30"));
    EXPECT_EQ(now[3], QStringLiteral("-20"));
    EXPECT_EQ(now[4], QStringLiteral("1.5"));
    EXPECT_GE(now[5].toInt(), 4);
    EXPECT_EQ(now[6], a);

    // A file to open and a folder to add, then the list saved without a dialog.
    EXPECT_EQ(RunTavio({QStringLiteral("/FOLDER"), m_work.Path(QStringLiteral("dir")), QStringLiteral("/OPEN"), b}).exitCode, 0);
    const QString saved = m_work.Path(QStringLiteral("saved.m3u8"));
    EXPECT_EQ(RunTavio({QStringLiteral("/LISTSAVE:") + saved}).exitCode, 0);
    EXPECT_EQ(Utf8(TestDir::Read(saved)), b + QStringLiteral("\r\n") + c + QStringLiteral("\r\n"));

    // This process stands for a property window: it writes the tags of the playing file, then
    // renames it. The player lets the file go each time and continues at the same second.
    const platform::PanelHandle panel = WaitPanels(QStringLiteral("TApp_MEDIAPlayer"), 1).value(0).handle;
    ASSERT_GT(panel, 0);
    EXPECT_TRUE(SendPanelText(QStringLiteral("/RATE:1 /SEEKSEC:5"), panel));
    // The added folder's first entry plays (an added list starts at its first entry).
    ASSERT_EQ(state().value(6), c);
    EXPECT_TRUE(SendPanelText(PropertyWriteNotice(QStringLiteral("PROPERTY_ONSTARTWRITE"), a), panel));  // another file
    EXPECT_EQ(state().value(6), c);
    EXPECT_TRUE(SendPanelText(PropertyWriteNotice(QStringLiteral("PROPERTY_ONSTARTWRITE"), c), panel));
    EXPECT_EQ(state().value(6), QString());  // released
    EXPECT_TRUE(SendPanelText(PropertyWriteNotice(QStringLiteral("PROPERTY_ONENDWRITE"), c), panel));
    ASSERT_TRUE(WaitServingPanels([&] { return state().value(6) == c; }, kLoadedWaitMs));
    EXPECT_GE(state().value(5).toInt(), 5) << Messages().toStdString();
    const QString renamed = m_work.Path(QStringLiteral("dir/c renamed.wav"));
    ASSERT_TRUE(QFile::rename(c, renamed));
    EXPECT_TRUE(SendPanelText(RenameNoticeText(c, renamed), panel));
    ASSERT_TRUE(WaitServingPanels([&] { return state().value(6) == renamed; }, kLoadedWaitMs));
    EXPECT_GE(state().value(5).toInt(), 5) << Messages().toStdString();

    EXPECT_EQ(RunTavio({QStringLiteral("/EXIT")}).exitCode, 0);
    ASSERT_TRUE(WaitServingPanels([&] { return ProcessEnded(*player); }, kLoadedWaitMs));
    EXPECT_EQ(player->exitCode(), 0);
    const QStringList messages = Messages().split(QLatin1Char('\n'), Qt::SkipEmptyParts).filter(QRegularExpression(QStringLiteral("^(?!state\t)")));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();
}

} // namespace
