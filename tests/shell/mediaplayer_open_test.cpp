// Opening media in the player window: drops, the open dialog, a second opening during a long
// collection, adding that finds nothing, saving the list and the resume point of a replaced list.
#include "custom/myinifile.h"
#include "engine/dsplayer.h"
#include "playlist/mediaplaylist.h"
#include "platform/uihooks.h"
#include "shell/appinfo.h"
#include "shell/mediaplayer.h"
#include "shellint/myfiledialogs.h"
#include "support/mediafixtures.h"
#include "support/tempdir.h"
#include "support/testapp.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <optional>

namespace {

QStringList Entries(TApp_MEDIAPlayer &window) { return window.plyMedia()->Playlist()->ToStringList(); }

class OpenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_env.SetPath("XDG_RUNTIME_DIR", m_runtime.Root());
        m_env.SetPath("TAVIO_HOME", m_home.Root());
        m_env.SetPath("XDG_CONFIG_HOME", m_home.Root());
        EnsureTestApp();
        TApp_MEDIAPlayer::SetSubPlayerProgram(QString());
        SetMsgBoxAnswerer([this](const QString &text, const QString &, int flags) {
            m_messages << text;
            return flags == MB_YESNOCANCEL ? int(IDCANCEL) : DefaultMsgBoxAnswer(flags);
        });
        platform::SetBeepHandler([this] { ++m_beeps; });
        window = std::make_unique<TApp_MEDIAPlayer>();
        window->plyMedia()->AudioSinkDescription = QStringLiteral("fakesink sync=true");
    }
    void TearDown() override
    {
        window.reset();
        SetFileDialogHook(nullptr);
        SetMsgBoxAnswerer(nullptr);
        platform::SetBeepHandler(nullptr);
    }
    QString Clip(const QString &name)
    {
        const QString path = m_files.Path(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!QFileInfo::exists(path))
            MakeMediaFile(path, Words(QStringLiteral("audiotestsrc num-buffers=20 ! audio/x-raw,rate=44100 ! wavenc")));
        return path;
    }
    QString Touch(const QString &name)
    {
        QDir().mkpath(QFileInfo(m_files.Path(name)).absolutePath());
        return m_files.Write(name, "x");
    }

    TestDir m_runtime, m_home, m_files;
    ScopedEnvironment m_env;
    QStringList m_messages;
    int m_beeps = 0;
    std::unique_ptr<TApp_MEDIAPlayer> window;
};

TEST_F(OpenTest, ADroppedFolderExecutableAndFileGiveTheFoldersMediaAndTheFile)
{
    const QString folder = m_files.Path(QStringLiteral("show"));
    for (const char *name : {"show/第十話.wav", "show/第2話.wav", "show/第1話.wav", "show/sub/１２.wav",
                             "show/notes.txt", "show/cover.jpg.exe"})
        Touch(QString::fromUtf8(name));
    const QString exe = Touch(QStringLiteral("setup.exe"));
    const QString file = Touch(QStringLiteral("single.wav"));

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(folder), QUrl::fromLocalFile(exe), QUrl::fromLocalFile(file),
                  QUrl(QStringLiteral("https://example.invalid/a.wav"))});
    // A drop is delivered to the widget that accepted the drag's entry.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->plyMedia()->EntryCount() > 0; }, 5000));
    EXPECT_EQ(Entries(*window), (QStringList{folder + QStringLiteral("/第1話.wav"), folder + QStringLiteral("/第2話.wav"),
                                             folder + QStringLiteral("/第十話.wav"), folder + QStringLiteral("/sub/１２.wav"),
                                             file}));
    EXPECT_EQ(window->HistoryOpenFolder.Items(), QStringList{folder});
    EXPECT_EQ(window->HistoryOpenFile.Items(), QStringList{file});
}

TEST_F(OpenTest, ASecondOpeningDuringALongCollectionOnlyBeeps)
{
    for (int d = 0; d < 60; ++d)
        for (int f = 0; f < 100; ++f)
            Touch(QStringLiteral("tree/%1/%2.mp3").arg(d).arg(f));
    const QString other = Touch(QStringLiteral("other.mp3"));
    TApp_MEDIAPlaylist *playlist = window->PlaylistWindow();
    bool tried = false;
    QString captionWhileCollecting, listCaptionWhileCollecting;
    QTimer::singleShot(0, window.get(), [&] {
        tried = true;
        // What the search reports reaches both captions at the progress timer's next tick.
        TMyDSPlaylist *list = window->plyMedia()->Playlist();
        ASSERT_TRUE(list->OnFileFound);
        list->OnFileFound(list, 7, QStringLiteral("/x/曲.mp3"));
        window->Timer_GetFileTimer();
        captionWhileCollecting = window->windowTitle();
        listCaptionWhileCollecting = playlist->windowTitle();
        window->OpenPaths({other}, true);
    });
    window->OpenPaths({m_files.Path(QStringLiteral("tree"))}, true);
    ASSERT_TRUE(tried) << "the collection did not let events run";
    EXPECT_EQ(m_beeps, 1);
    EXPECT_EQ(window->plyMedia()->EntryCount(), 6000);
    EXPECT_FALSE(Entries(*window).contains(other));
    EXPECT_EQ(captionWhileCollecting, QStringLiteral("[7] /x/曲.mp3"));
    EXPECT_EQ(listCaptionWhileCollecting, QStringLiteral("[7] /x/曲.mp3"));
    // The playlist window's caption is back at rest once the list is loaded.
    EXPECT_EQ(playlist->windowTitle(), QStringLiteral("プレイリスト"));
    EXPECT_FALSE(window->Opening());
}

TEST_F(OpenTest, AddingThatFindsNothingLeavesPlaybackAlone)
{
    const QString a = Clip(QStringLiteral("a.wav")), b = Clip(QStringLiteral("b.wav"));
    window->OpenPaths({a, b}, true);
    TMyDSPlayer *player = window->plyMedia();
    player->PlayIndex(1);
    ASSERT_EQ(player->ItemIndex, 1);
    window->Command(u"actList_OpenAdd")->setChecked(true);
    window->Command(u"actOpt_Random")->trigger();
    window->OpenPaths({m_files.Path(QStringLiteral("nothing here"))}, true);
    EXPECT_EQ(player->ItemIndex, 1);
    EXPECT_EQ(player->FileName(), b);
    EXPECT_EQ(player->EntryCount(), 2);

    // Adding a file: it is appended and plays.
    const QString c = Clip(QStringLiteral("c.wav"));
    window->OpenPaths({c}, true);
    EXPECT_EQ(Entries(*window), (QStringList{a, b, c}));
    EXPECT_EQ(player->ItemIndex, 2);
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join(QLatin1Char('|')).toStdString();
}

TEST_F(OpenTest, TheOpenDialogOpensSeveralFilesAndCancelChangesNothing)
{
    const QString a = Clip(QStringLiteral("d/a.wav")), b = Clip(QStringLiteral("d/b.wav"));
    window->dlgOpenFile->InitialDir = m_files.Path(QStringLiteral("d"));
    bool panelInside = false;
    SetFileDialogHook([&](QFileDialog *dialog) {
        panelInside = dialog->isAncestorOf(window->pnlOpenFile) && window->pnlOpenFile->isVisible();
        dialog->findChild<QAbstractItemView *>(QStringLiteral("listView"))->clearSelection();
        dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("\"a.wav\" \"b.wav\""));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    window->Command(u"Action_FileOpenFile")->trigger();
    EXPECT_TRUE(panelInside);
    EXPECT_FALSE(window->pnlOpenFile->isVisible());
    EXPECT_EQ(Entries(*window), (QStringList{a, b}));
    EXPECT_EQ(window->plyMedia()->ItemIndex, 0);
    EXPECT_EQ(window->HistoryOpenFile.Items(), (QStringList{b, a}));

    SetFileDialogHook([](QFileDialog *dialog) { dialog->reject(); });
    window->Command(u"Action_FileOpenFile")->trigger();
    window->Command(u"Action_FileOpenFolder")->trigger();
    EXPECT_EQ(Entries(*window), (QStringList{a, b}));
}

TEST_F(OpenTest, SavingWithoutDialogWritesTheListAndAFailureNamesTheFile)
{
    const QString a = Clip(QStringLiteral("a.wav"));
    window->OpenPaths({a}, true);
    window->dlgSaveList->FileName = m_files.Path(QStringLiteral("out/list"));
    window->dlgSaveList->FilterIndex = 1;
    window->Execute(u"Action_FileSaveAs");
    ASSERT_EQ(m_messages.size(), 1);  // the folder does not exist
    EXPECT_TRUE(m_messages[0].startsWith(m_files.Path(QStringLiteral("out/list")))) << m_messages[0].toStdString();

    QDir().mkpath(m_files.Path(QStringLiteral("out")));
    window->Command(u"actList_SaveRelativePath")->setChecked(true);
    window->Execute(u"Action_FileSaveAs");
    EXPECT_EQ(m_messages.size(), 1);
    EXPECT_EQ(TestDir::Read(m_files.Path(QStringLiteral("out/list.m3u8"))), QByteArray("../a.wav\r\n"));
}

TEST_F(OpenTest, AResumePointBelongsToItsList)
{
    const QString a = Clip(QStringLiteral("a.wav"));
    window->SavedIndex = 3;
    window->SavedPosition = 12;
    window->OpenPaths({a}, true);
    EXPECT_EQ(window->SavedIndex, -1);
    EXPECT_EQ(window->plyMedia()->ItemIndex, 0);
}

TEST_F(OpenTest, ThisFolderOnlyOpensTheFilesDirectlyInsideAndRecordsItsOwnHistory)
{
    const QString a = Clip(QStringLiteral("album/b.wav"));
    const QString b = Clip(QStringLiteral("album/a.wav"));
    Clip(QStringLiteral("album/bonus/c.wav"));
    Touch(QStringLiteral("album/cover.txt"));
    const QString folder = m_files.Path(QStringLiteral("album"));
    window->OpenThisFolderOnly({folder});
    QStringList entries = Entries(*window);
    EXPECT_EQ(entries, (QStringList{b, a}));  // number-aware order, no sub-folder, no text file
    EXPECT_EQ(window->HistoryOpenThisFolder.Items(), QStringList{folder});
    EXPECT_TRUE(window->HistoryOpenFile.Items().isEmpty());
    EXPECT_TRUE(window->HistoryOpenFolder.Items().isEmpty());
    EXPECT_EQ(window->dlgOpenThisFolder->InitialDir, m_files.Root() + QLatin1Char('/'));
}

TEST_F(OpenTest, VolumeMuteAndBalanceComeBackWithTheSettings)
{
    window->Command(u"actPlay_Mute")->trigger();
    window->SetVolumePosition(30);
    window->SetBalancePosition(-20);
    const QString ini = m_home.Path(QStringLiteral("play.ini"));
    {
        TMyIniFile file(ini);
        window->SaveSettings(file);
        ASSERT_TRUE(file.UpdateFile());
    }
    auto next = std::make_unique<TApp_MEDIAPlayer>();
    {
        TMyIniFile file(ini);
        next->LoadSettings(file);
    }
    EXPECT_TRUE(next->IsChecked(u"actPlay_Mute"));
    EXPECT_EQ(next->plyMedia()->Volume(), 0);  // muted
    EXPECT_EQ(next->plyMedia()->Balance(), -20);
    next->Command(u"actPlay_Mute")->trigger();
    EXPECT_EQ(next->plyMedia()->Volume(), 30);
}

} // namespace
