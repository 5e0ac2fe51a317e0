#include "shellint/myfiledialogs.h"

#include "lists/fileutils.h"
#include "platform/codepage.h"
#include "platform/locale.h"
#include "platform/uihooks.h"

#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>

namespace {

std::function<void(QFileDialog *)> &DialogHook()
{
    static std::function<void(QFileDialog *)> hook;
    return hook;
}

// Hands the dialog to the test hook once the dialog's own event loop runs.
void ArmHook(QFileDialog &dlg)
{
    if (std::function<void(QFileDialog *)> hook = DialogHook())
        QTimer::singleShot(0, &dlg, [hook, d = &dlg] { hook(d); });
}

QWidget *DialogParent(QWidget *owner)
{
    return owner ? owner : QApplication::activeWindow();
}

// The folder without trailing "/" (the root stays "/") when it exists, else empty.
QString ExistingFolder(const QString &path)
{
    QString dir = path;
    while (dir.size() > 1 && dir.endsWith(u'/'))
        dir.chop(1);
    return !dir.isEmpty() && DirectoryExists(dir) ? dir : QString();
}

// Centres the dialog on the work area of the screen under the mouse.
void CenterUnderCursor(QWidget &dlg)
{
    const QPoint cursor = QCursor::pos();
    QScreen *screen = QGuiApplication::screenAt(cursor);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    if (dlg.layout())
        dlg.layout()->activate();  // the size with the panel's row
    const QRect area = screen->availableGeometry();
    QRect r(QPoint(0, 0), dlg.size().boundedTo(area.size()));
    r.moveCenter(area.center());
    dlg.move(r.topLeft());
}

// Puts the caller's panel in a row of its own under the dialog's controls for one run, and gives
// it back to its parent afterwards (hidden, at its old place; its controls keep their states).
class T_PanelGuest {
public:
    T_PanelGuest(QFileDialog &dlg, QWidget *panel)
    {
        auto *grid = qobject_cast<QGridLayout *>(dlg.layout());
        if (!panel || !grid)
            return;
        m_panel = panel;
        m_grid = grid;
        m_parent = panel->parentWidget();
        m_flags = panel->windowFlags();
        m_geometry = panel->geometry();
        grid->addWidget(panel, grid->rowCount(), 0, 1, grid->columnCount());
        panel->show();
    }
    ~T_PanelGuest()
    {
        if (!m_panel)
            return;
        m_grid->removeWidget(m_panel);
        m_panel->hide();
        m_panel->setParent(m_parent, m_flags);
        m_panel->setGeometry(m_geometry);
    }
    T_PanelGuest(const T_PanelGuest &) = delete;
    T_PanelGuest &operator=(const T_PanelGuest &) = delete;

private:
    QPointer<QWidget> m_panel;
    QPointer<QGridLayout> m_grid;
    QPointer<QWidget> m_parent;
    Qt::WindowFlags m_flags;
    QRect m_geometry;
};

// The folder dialog: a typed name must name a folder; with validation on, one that does not is
// refused with the program's message, else the folder shown is taken.
class T_MyFolderDialog : public QFileDialog {
public:
    T_MyFolderDialog(QWidget *parent, bool validate) : QFileDialog(parent), m_validate(validate) {}
    QString Chosen;

    void accept() override
    {
        const auto *edit = findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        const QString typed = edit ? edit->text().trimmed() : QString();
        QString path;
        if (!typed.isEmpty()) {
            path = QDir(directory()).absoluteFilePath(typed);
            if (!DirectoryExists(path)) {
                if (m_validate) {
                    platform::ShowMessage(typed + QStringLiteral("\r無効なフォルダ名です"));
                    return;
                }
                path.clear();
            }
        }
        if (path.isEmpty())
            path = directory().absolutePath();
        Chosen = QDir::cleanPath(path);
        QDialog::accept();
    }

private:
    bool m_validate;
};

} // namespace

void SetFileDialogHook(std::function<void(QFileDialog *)> hook)
{
    DialogHook() = std::move(hook);
}

int FilterIndexForExt(QStringView filter, QStringView extension)
{
    const QString text = EnsureSuffix(filter.trimmed(), u"|");
    const QStringList parts = text.split(u'|');
    int lists = 0;
    // parts ends with the empty text after the last "|"; odd positions are pattern lists.
    for (qsizetype i = 1; i < parts.size() - 1; i += 2) {
        ++lists;
        const QStringList patterns = EnsureSuffix(parts[i], u";").split(u';');
        for (const QString &pattern : patterns) {
            if (pattern.isEmpty())
                continue;
            if (platform::CompareLocale(ExtractFileExt(pattern), extension, platform::IgnoreCase) == 0)
                return lists;
        }
    }
    return lists;
}

QStringList FileDialogNameFilters(const QString &filter, bool filterUnicode)
{
    const QString text = filterUnicode ? DecodeString(platform::WideToAnsi(filter)) : filter;
    const QStringList parts = text.split(u'|');
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (QString pattern : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
            pattern = pattern.trimmed();
            if (pattern == u"*.*")
                pattern = QStringLiteral("*");
            if (!pattern.isEmpty())
                patterns << pattern;
        }
        if (patterns.isEmpty())
            patterns << QStringLiteral("*");
        result << parts[i] + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return result;
}

QString AddDefaultExt(const QString &name, const QString &defaultExt, bool *extensionDifferent)
{
    bool different = false;
    QString result = name;
    if (!defaultExt.isEmpty()) {
        const QString dotExt = u'.' + defaultExt;
        const QString ext = ExtractFileExt(name);
        if (ext.isEmpty())
            result += dotExt;
        else if (ext.compare(dotExt, Qt::CaseInsensitive) != 0) {
            different = true;
            if (!name.endsWith(dotExt, Qt::CaseInsensitive))
                result += dotExt;
        }
    }
    if (extensionDifferent)
        *extensionDifferent = different;
    return result;
}

// ---- TMyOpenFileDialog ----

TMyOpenFileDialog::TMyOpenFileDialog(QWidget *owner) : Owner(owner) {}

TMyOpenFileDialog::~TMyOpenFileDialog() = default;

bool TMyOpenFileDialog::Execute()
{
    return Run(false);
}

bool TMySaveFileDialog::Execute()
{
    return Run(true);
}

void TMyOpenFileDialog::SetFileName(const QString &name)
{
    FileName = name;
    for (int i = 0; i < Files.Count(); ++i) {
        if (Files[i] == name) {
            Files.Move(i, 0);
            return;
        }
    }
    Files.Insert(0, name);
}

bool TMyOpenFileDialog::Run(bool save)
{
    if (m_dialog)  // already shown (a command reached it again from inside its own run)
        return false;
    QFileDialog dlg(DialogParent(Owner));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    // The descriptions already list their patterns; Qt's copy of them stays out of sight.
    dlg.setOption(QFileDialog::HideNameFilterDetails);
    dlg.setOption(QFileDialog::DontConfirmOverwrite, !(save && Options.testFlag(ofOverwritePrompt)));
    dlg.setOption(QFileDialog::DontResolveSymlinks, Options.testFlag(ofNoDereferenceLinks));
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (save)
        dlg.setFileMode(QFileDialog::AnyFile);
    else if (Options.testFlag(ofAllowMultiSelect))
        dlg.setFileMode(QFileDialog::ExistingFiles);
    else
        dlg.setFileMode(Options.testFlag(ofFileMustExist) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (Options.testFlag(ofForceShowHidden))
        dlg.setFilter(dlg.filter() | QDir::Hidden);
    if (OptionsEx.testFlag(ofExNoPlacesBar)) {
        if (auto *sidebar = dlg.findChild<QWidget *>(QStringLiteral("sidebar")))
            sidebar->hide();
    }
    if (!Title.isEmpty())
        dlg.setWindowTitle(Title);

    const QStringList filters = FileDialogNameFilters(Filter, FilterUnicode);
    if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        dlg.selectNameFilter(filters.at(qBound(0, FilterIndex - 1, int(filters.size()) - 1)));
    }
    QString ext = DefaultExt;
    while (ext.startsWith(u'.'))
        ext.remove(0, 1);
    dlg.setDefaultSuffix(ext);

    const QString dir = ExistingFolder(InitialDir);
    if (!dir.isEmpty())
        dlg.setDirectory(dir);
    if (save) {
        if (!FileName.isEmpty())
            dlg.selectFile(ExtractFileName(FileName));
    } else if (FileExists(FileName)) {
        dlg.selectFile(FileName);
    }

    T_PanelGuest guest(dlg, CustomBasePanel);
    if (PosCenter)
        CenterUnderCursor(dlg);
    ArmHook(dlg);
    m_dialog = &dlg;
    const int answer = dlg.exec();
    m_dialog = nullptr;
    const QStringList chosen = dlg.selectedFiles();
    if (answer != QDialog::Accepted || chosen.isEmpty())
        return false;

    if (!filters.isEmpty()) {
        const auto *combo = dlg.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
        const int index = combo ? combo->currentIndex() : int(filters.indexOf(dlg.selectedNameFilter()));
        if (index >= 0)
            FilterIndex = index + 1;
    }
    Files.Clear();
    if (save) {
        bool different = false;
        FileName = AddDefaultExt(QDir::cleanPath(chosen.first()), ext, &different);
        Options.setFlag(ofExtensionDifferent, different);
        Files.Add(FileName);
    } else {
        for (const QString &path : chosen)
            Files.Add(QDir::cleanPath(QDir::current().absoluteFilePath(path)));
        FileName = Files[0];
    }
    return true;
}

// ---- TMyOpenFolderDialog ----

TMyOpenFolderDialog::TMyOpenFolderDialog(QWidget *owner) : Owner(owner) {}

TMyOpenFolderDialog::~TMyOpenFolderDialog() = default;

QString TMyOpenFolderDialog::FolderName() const
{
    return Folders.Count() > 0 ? Folders[0] : QString();
}

bool TMyOpenFolderDialog::Execute()
{
    if (m_dialog)
        return false;
    T_MyFolderDialog dlg(DialogParent(Owner), Options.testFlag(bfValidate));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setFileMode(QFileDialog::Directory);
    dlg.setOption(QFileDialog::ShowDirsOnly, !Options.testFlag(bfBrowseIncludeFiles));
    dlg.setOption(QFileDialog::ReadOnly, Options.testFlag(bfNoNewFolderButton));
    if (!Title.isEmpty())
        dlg.setWindowTitle(Title);
    const QString dir = ExistingFolder(InitialDir);
    if (!dir.isEmpty())
        dlg.setDirectory(dir);

    ArmHook(dlg);
    m_dialog = &dlg;
    const int answer = dlg.exec();
    m_dialog = nullptr;
    if (answer != QDialog::Accepted || dlg.Chosen.isEmpty())
        return false;
    Folders.Clear();
    Folders.Add(EnsureSuffix(dlg.Chosen, u"/"));
    return true;
}
