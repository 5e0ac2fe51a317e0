// The file and folder dialogs, driven offscreen through the dialog hook as a user would: typing
// names, picking a filter, ticking the panel's check box, accepting or cancelling.

#include "shellint/myfiledialogs.h"

#include "lists/mywstrings.h"
#include "platform/qttranslation.h"
#include "platform/uihooks.h"
#include "support/tempdir.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <gtest/gtest.h>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }
QT_END_NAMESPACE

namespace {

const QString kMediaFilter = QStringLiteral(
    "オーディオ (*.mid;*.mp3;*.wav;*.wma)|*.mid;*.mp3;*.wav;*.wma|"
    "ビデオ (*.avi;*.divx;*.fll;*.flv;*.mov;*.mp4;*.mpeg;*.mpg;*.wmv)|*.avi;*.divx;*.fll;*.flv;*.mov;*.mp4;*.mpeg;*.mpg;*.wmv|"
    "すべて (*.*)|*.*");

class FileDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            // Qt's file dialog keeps its state in the user's configuration: not the tester's.
            static TestDir config;
            qputenv("XDG_CONFIG_HOME", config.Root().toUtf8());
            static int argc = 1;
            static char name[] = "shellint_myfiledialogs_test";
            static char *argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
    }
    void SetUp() override
    {
        platform::SetMessageHandler([this](const QString &text) { m_messages << text; });
        for (const char *name : {"a.mp3", "b.mp3", "c.wav", "clip.avi"})
            m_dir.Write(QString::fromLatin1(name), "x");
        QDir(m_dir.Root()).mkdir(QStringLiteral("sub"));
    }
    void TearDown() override
    {
        SetFileDialogHook(nullptr);
        platform::SetMessageHandler(nullptr);
    }
    // Runs steps in the shown dialog: each gets the dialog; the last one should close it.
    void Drive(std::function<void(QFileDialog *)> steps)
    {
        SetFileDialogHook([this, steps](QFileDialog *dlg) {
            ++m_shown;
            steps(dlg);
            if (dlg->isVisible()) {  // a step that failed must not leave the test waiting
                ADD_FAILURE() << "the dialog was left open";
                dlg->reject();
            }
        });
    }
    // Typing in the name box (a name offered by the dialog is selected in the list: the typing
    // replaces it, as it does with the box focused).
    static void Type(QFileDialog *dlg, const QString &text)
    {
        dlg->findChild<QAbstractItemView *>(QStringLiteral("listView"))->clearSelection();
        dlg->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(text);
    }
    static QString Typed(QFileDialog *dlg)
    {
        return dlg->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text();
    }
    // The dialog's Open (Save, Choose) button.
    static void Accept(QFileDialog *dlg) { static_cast<QDialog *>(dlg)->accept(); }
    // The user picks the filter in the file type box (0-based).
    static void PickFilter(QFileDialog *dlg, int index)
    {
        auto *combo = dlg->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
        combo->setCurrentIndex(index);
        Q_EMIT combo->activated(index);
    }
    static int ShownFilter(QFileDialog *dlg)
    {
        return dlg->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"))->currentIndex();
    }
    QString Path(const char *name) const { return m_dir.Path(QString::fromLatin1(name)); }

    TestDir m_dir;
    QStringList m_messages;
    int m_shown = 0;
};

TEST(FileDialogFilters, FilterIndexForExt)
{
    const struct {
        QString filter;
        QString ext;
        int index;
    } cases[] = {
        {kMediaFilter, QStringLiteral(".mp3"), 1},
        {kMediaFilter, QStringLiteral(".MP3"), 1},
        {kMediaFilter, QStringLiteral(".Wma"), 1},
        {kMediaFilter, QStringLiteral(".avi"), 2},
        {kMediaFilter, QStringLiteral(".wmv"), 2},  // last pattern of its list
        {kMediaFilter, QStringLiteral(".txt"), 3},  // no entry: the last one
        {kMediaFilter, QString(), 3},
        {QStringLiteral("  A|*.a;*.b;|B|*.c  "), QStringLiteral(".c"), 2},  // trimmed, trailing ";"
        {QStringLiteral("A|*.a|B"), QStringLiteral(".x"), 1},  // a description without patterns
        {QStringLiteral("全角|*.ＭＰ３"), QStringLiteral(".ｍｐ３"), 1},
        {QString(), QStringLiteral(".mp3"), 0},
        {QStringLiteral("   "), QStringLiteral(".mp3"), 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FilterIndexForExt(c.filter, c.ext), c.index) << c.filter.toStdString() << " " << c.ext.toStdString();
}

TEST(FileDialogFilters, QtNameFilters)
{
    // A character windows-932 lacks travels escaped.
    const QString escaped = QString::fromLatin1(EncodeString(u"한국 $|*.kr;*.*"));
    ASSERT_TRUE(escaped.contains(QStringLiteral("$d55c")));
    const struct {
        QString filter;
        bool unicode;
        QStringList expected;
    } cases[] = {
        {QStringLiteral("desc|a;b"), false, {QStringLiteral("desc (a b)")}},
        {QStringLiteral("すべて (*.*)|*.*"), false, {QStringLiteral("すべて (*.*) (*)")}},
        {QStringLiteral("A|*.a;;*.b;|B|*.c|C"), false, {QStringLiteral("A (*.a *.b)"), QStringLiteral("B (*.c)")}},
        {escaped, true, {QStringLiteral("한국 $ (*.kr *)")}},
        {escaped, false, {escaped.section(u'|', 0, 0) + QStringLiteral(" (*.kr *)")}},
        {QString(), false, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FileDialogNameFilters(c.filter, c.unicode), c.expected) << c.filter.toStdString();
}

TEST(FileDialogFilters, DefaultExtRule)
{
    const struct {
        QString name;
        QString defaultExt;
        QString result;
        bool different;
    } cases[] = {
        {QStringLiteral("/d/list"), QStringLiteral("m3u8"), QStringLiteral("/d/list.m3u8"), false},
        {QStringLiteral("/d/list.m3u8"), QStringLiteral("m3u8"), QStringLiteral("/d/list.m3u8"), false},
        {QStringLiteral("/d/list.M3U8"), QStringLiteral("m3u8"), QStringLiteral("/d/list.M3U8"), false},
        {QStringLiteral("/d/list.txt"), QStringLiteral("m3u8"), QStringLiteral("/d/list.txt.m3u8"), true},
        {QStringLiteral("/d.x/list"), QStringLiteral("m3u"), QStringLiteral("/d.x/list.m3u"), false},
        {QStringLiteral("/d/list.m3u"), QStringLiteral("m3u8"), QStringLiteral("/d/list.m3u.m3u8"), true},
        {QStringLiteral("/d/list.txt"), QString(), QStringLiteral("/d/list.txt"), false},
    };
    for (const auto &c : cases) {
        bool different = !c.different;
        EXPECT_EQ(AddDefaultExt(c.name, c.defaultExt, &different), c.result) << c.name.toStdString();
        EXPECT_EQ(different, c.different) << c.name.toStdString();
    }
}

TEST_F(FileDialogTest, SeveralFilesGiveAbsolutePathsTheFirstAsFileName)
{
    TMyOpenFileDialog dlg;
    dlg.Options |= ofAllowMultiSelect;
    dlg.Filter = kMediaFilter;
    dlg.InitialDir = m_dir.Root() + QStringLiteral("/");
    QString shownDir;
    Drive([&](QFileDialog *d) {
        shownDir = d->directory().absolutePath();
        EXPECT_EQ(dlg.Dialog(), d);
        EXPECT_FALSE(dlg.Execute());  // reached again while shown: refused
        EXPECT_EQ(d->fileMode(), QFileDialog::ExistingFiles);
        Type(d, QStringLiteral("\"b.mp3\" \"a.mp3\" \"c.wav\""));
        Accept(d);
    });
    ASSERT_TRUE(dlg.Execute());
    EXPECT_EQ(shownDir, m_dir.Root());
    EXPECT_EQ(dlg.Files.ToStringList(), (QStringList{Path("b.mp3"), Path("a.mp3"), Path("c.wav")}));
    EXPECT_EQ(dlg.FileName, Path("b.mp3"));
    EXPECT_EQ(dlg.Dialog(), nullptr);

    // One file: one path, replacing the earlier answer.
    Drive([&](QFileDialog *d) {
        Type(d, QStringLiteral("clip.avi"));
        Accept(d);
    });
    ASSERT_TRUE(dlg.Execute());
    EXPECT_EQ(dlg.Files.ToStringList(), QStringList{Path("clip.avi")});
    EXPECT_EQ(dlg.FileName, Path("clip.avi"));
    EXPECT_EQ(m_shown, 2);
}

TEST_F(FileDialogTest, FilterIndexGoesInAndComesBack)
{
    const struct {
        int in;
        int shown;    // 0-based in the dialog
        int picked;   // what the user chooses, -1 none
        int out;
    } cases[] = {
        {1, 0, -1, 1},
        {2, 1, 2, 3},
        {3, 2, 0, 1},
        {0, 0, -1, 1},   // out of range: the first
        {9, 2, -1, 3},   // out of range: the last
    };
    for (const auto &c : cases) {
        TMyOpenFileDialog dlg;
        dlg.Filter = kMediaFilter;
        dlg.FilterIndex = c.in;
        dlg.InitialDir = m_dir.Root();
        int shown = -1;
        QStringList names;
        Drive([&](QFileDialog *d) {
            shown = ShownFilter(d);
            auto *combo = d->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
            for (int i = 0; i < combo->count(); ++i)
                names << combo->itemText(i);
            if (c.picked >= 0)
                PickFilter(d, c.picked);
            Type(d, QStringLiteral("a.mp3"));
            Accept(d);
        });
        ASSERT_TRUE(dlg.Execute()) << c.in;
        EXPECT_EQ(shown, c.shown) << c.in;
        EXPECT_EQ(dlg.FilterIndex, c.out) << c.in;
        // The user sees the descriptions as written, without Qt's copy of the patterns.
        EXPECT_EQ(names, (QStringList{kMediaFilter.section(u'|', 0, 0), kMediaFilter.section(u'|', 2, 2),
                                      kMediaFilter.section(u'|', 4, 4)}));
    }
}

TEST_F(FileDialogTest, PanelSitsUnderTheControlsAndGoesBackWithItsChecks)
{
    QWidget owner;
    auto *panel = new QWidget(&owner);
    panel->setObjectName(QStringLiteral("pnlOpen"));
    auto *check = new QCheckBox(QStringLiteral("開くときに追加(&A)"), panel);
    (new QVBoxLayout(panel))->addWidget(check);
    panel->hide();

    TMyOpenFileDialog dlg(&owner);
    dlg.CustomBasePanel = panel;
    dlg.PosCenter = true;
    dlg.InitialDir = m_dir.Root();
    for (const bool accept : {true, false}) {
        const bool before = check->isChecked();
        Drive([&](QFileDialog *d) {
            EXPECT_EQ(d->parentWidget(), &owner);
            EXPECT_EQ(panel->parentWidget(), d);
            EXPECT_TRUE(panel->isVisible());
            EXPECT_TRUE(check->isVisible());
            // Under the file name and type rows, as wide as the dialog's controls.
            const QWidget *edit = d->findChild<QWidget *>(QStringLiteral("fileNameEdit"));
            EXPECT_GE(panel->geometry().top(), edit->geometry().bottom());
            EXPECT_LE(panel->geometry().bottom(), d->rect().bottom());
            // Centred on the work area of the screen under the mouse.
            const QRect area = d->screen()->availableGeometry();
            EXPECT_LE((d->frameGeometry().center() - area.center()).manhattanLength(), 4);
            check->click();
            Type(d, QStringLiteral("a.mp3"));
            accept ? Accept(d) : d->reject();
        });
        EXPECT_EQ(dlg.Execute(), accept);
        EXPECT_EQ(panel->parentWidget(), &owner);
        EXPECT_TRUE(panel->isHidden());
        EXPECT_NE(check->isChecked(), before);
    }
    EXPECT_EQ(m_shown, 2);
}

TEST_F(FileDialogTest, CancelChangesNothing)
{
    for (const bool save : {false, true}) {
        std::unique_ptr<TMyOpenFileDialog> dlg(save ? new TMySaveFileDialog : new TMyOpenFileDialog);
        dlg->Filter = kMediaFilter;
        dlg->FilterIndex = 2;
        dlg->InitialDir = m_dir.Root();
        dlg->DefaultExt = QStringLiteral("m3u8");
        dlg->SetFileName(Path("old.avi"));
        dlg->Options |= ofExtensionDifferent;
        Drive([&](QFileDialog *d) {
            PickFilter(d, 0);
            Type(d, QStringLiteral("a.mp3"));
            d->reject();
        });
        EXPECT_FALSE(dlg->Execute());
        EXPECT_EQ(dlg->FileName, Path("old.avi"));
        EXPECT_EQ(dlg->Files.ToStringList(), QStringList{Path("old.avi")});
        EXPECT_EQ(dlg->FilterIndex, 2);
        EXPECT_EQ(dlg->InitialDir, m_dir.Root());
        EXPECT_TRUE(dlg->Options.testFlag(ofExtensionDifferent));
    }
}

TEST_F(FileDialogTest, SaveAppliesTheDefaultExtension)
{
    TMySaveFileDialog dlg;
    dlg.Filter = QStringLiteral("M3U8 再生リスト (*.m3u8)|*.m3u8|すべて (*.*)|*.*");
    dlg.FilterIndex = 2;
    dlg.DefaultExt = QStringLiteral("m3u8");
    dlg.InitialDir = m_dir.Root();
    dlg.FileName = QStringLiteral("/elsewhere/old.m3u8");  // only its name is offered
    const struct {
        QString typed;
        QString result;
        bool different;
    } cases[] = {
        {QStringLiteral("list.txt"), QStringLiteral("list.txt.m3u8"), true},
        {QStringLiteral("list"), QStringLiteral("list.m3u8"), false},
        {QStringLiteral("a.mp3"), QStringLiteral("a.mp3.m3u8"), true},  // an existing file: no question asked
    };
    QString offered = QStringLiteral("?");
    for (const auto &c : cases) {
        Drive([&](QFileDialog *d) {
            if (offered == u'?')
                offered = Typed(d);
            EXPECT_EQ(d->acceptMode(), QFileDialog::AcceptSave);
            Type(d, c.typed);
            Accept(d);
        });
        ASSERT_TRUE(dlg.Execute()) << c.typed.toStdString();
        EXPECT_EQ(dlg.FileName, m_dir.Path(c.result));
        EXPECT_EQ(dlg.Files.ToStringList(), QStringList{dlg.FileName});
        EXPECT_EQ(dlg.Options.testFlag(ofExtensionDifferent), c.different) << c.typed.toStdString();
        EXPECT_EQ(dlg.FilterIndex, 2);
    }
    EXPECT_EQ(offered, QStringLiteral("old.m3u8"));
}

TEST_F(FileDialogTest, StartFolderAndNameOnlyWhenTheyExist)
{
    // The open dialog offers its file name only when the file exists; a missing start folder
    // leaves Qt's default.
    const struct {
        QString initialDir;
        QString fileName;
        QString shownDir;
        QString offered;
    } cases[] = {
        {m_dir.Path(QStringLiteral("sub")) + u'/', QString(), m_dir.Path(QStringLiteral("sub")), QString()},
        {m_dir.Path(QStringLiteral("gone")), QString(), QString(), QString()},  // Qt's choice
        {m_dir.Path(QStringLiteral("sub")), Path("a.mp3"), m_dir.Root(), QStringLiteral("a.mp3")},
        {m_dir.Path(QStringLiteral("sub")), Path("gone.mp3"), m_dir.Path(QStringLiteral("sub")), QString()},
    };
    for (const auto &c : cases) {
        TMyOpenFileDialog dlg;
        dlg.InitialDir = c.initialDir;
        dlg.FileName = c.fileName;
        QString shownDir, offered;
        Drive([&](QFileDialog *d) {
            shownDir = d->directory().absolutePath();
            offered = Typed(d);
            d->reject();
        });
        EXPECT_FALSE(dlg.Execute());
        if (c.shownDir.isEmpty())
            EXPECT_TRUE(QDir(shownDir).exists()) << shownDir.toStdString();
        else
            EXPECT_EQ(shownDir, c.shownDir);
        EXPECT_EQ(offered, c.offered) << c.fileName.toStdString();
    }
}

TEST_F(FileDialogTest, SetFileNameBringsTheNameToTheFront)
{
    TMyOpenFileDialog dlg;
    dlg.Files.AddStrings(QStringList{QStringLiteral("/a"), QStringLiteral("/b"), QStringLiteral("/B")});
    dlg.SetFileName(QStringLiteral("/b"));
    EXPECT_EQ(dlg.Files.ToStringList(), (QStringList{QStringLiteral("/b"), QStringLiteral("/a"), QStringLiteral("/B")}));
    dlg.SetFileName(QStringLiteral("/c"));
    EXPECT_EQ(dlg.Files.ToStringList(),
              (QStringList{QStringLiteral("/c"), QStringLiteral("/b"), QStringLiteral("/a"), QStringLiteral("/B")}));
    EXPECT_EQ(dlg.FileName, QStringLiteral("/c"));
}

TEST_F(FileDialogTest, FolderDialogRefusesAnInvalidNameAndEndsFoldersInSlash)
{
    TMyOpenFolderDialog dlg;
    dlg.Options |= bfValidate | bfEditBox;
    dlg.InitialDir = m_dir.Root();
    bool stayedOpen = false;
    Drive([&](QFileDialog *d) {
        EXPECT_EQ(d->fileMode(), QFileDialog::Directory);
        EXPECT_TRUE(d->testOption(QFileDialog::ReadOnly));  // no new folder button
        Type(d, QStringLiteral("nowhere"));
        Accept(d);
        stayedOpen = d->isVisible();
        Type(d, QStringLiteral("sub"));
        Accept(d);
    });
    ASSERT_TRUE(dlg.Execute());
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(m_messages, QStringList{QStringLiteral("nowhere\r無効なフォルダ名です")});
    EXPECT_EQ(dlg.Folders.ToStringList(), QStringList{m_dir.Path(QStringLiteral("sub/"))});
    EXPECT_EQ(dlg.FolderName(), m_dir.Path(QStringLiteral("sub/")));

    // A start folder that is gone: the dialog opens elsewhere and still answers. Without
    // validation a typed name that is no folder gives the folder shown. Cancel keeps the answer.
    dlg.Options &= ~TBrowseOptions(bfValidate);
    dlg.InitialDir = m_dir.Path(QStringLiteral("gone"));
    QString shown;
    Drive([&](QFileDialog *d) {
        shown = d->directory().absolutePath();
        Type(d, QStringLiteral("nowhere"));
        Accept(d);
    });
    ASSERT_TRUE(dlg.Execute());
    EXPECT_EQ(dlg.FolderName(), QDir::cleanPath(shown) + u'/');
    Drive([](QFileDialog *d) { d->reject(); });
    EXPECT_FALSE(dlg.Execute());
    EXPECT_EQ(dlg.FolderName(), QDir::cleanPath(shown) + u'/');
    EXPECT_EQ(m_messages.size(), 1);
}

TEST_F(FileDialogTest, QtTextsInJapaneseWhenTheTranslationIsInstalled)
{
    const QString qm = QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_ja.qm");
    if (!QFile::exists(qm)) {
        EXPECT_FALSE(platform::InstallQtTranslation(*QCoreApplication::instance()));
        GTEST_SKIP() << "no " << qm.toStdString();
    }
    ASSERT_TRUE(platform::InstallQtTranslation(*QCoreApplication::instance()));
    TMyOpenFileDialog dlg;
    QString cancel;
    Drive([&](QFileDialog *d) {
        cancel = d->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->text();
        d->reject();
    });
    dlg.Execute();
    EXPECT_NE(cancel, QStringLiteral("&Cancel"));
    EXPECT_NE(cancel, QStringLiteral("Cancel"));
}

} // namespace
