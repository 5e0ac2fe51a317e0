// Opening media: OpenPaths, the open and save commands with their dialogs, dropped files, the
// progress caption while files are collected and the resume point of a reopened list.
#include "shell/mediaplayer.h"

#include "custom/actionbuilder.h"
#include "engine/dsplayer.h"
#include "lists/fileutils.h"
#include "platform/appstate.h"
#include "platform/uihooks.h"
#include "playlist/mediaplaylist.h"
#include "shell/appinfo.h"
#include "shell/busycount.h"
#include "shell/mediaopening.h"
#include "shell/videoarea.h"
#include "shellint/myfiledialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMimeData>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrl>

namespace {

const QString kOpenFilter = QStringLiteral(
    "オーディオ (*.mid;*.mp3;*.wav;*.wma)|*.mid;*.mp3;*.wav;*.wma|"
    "ビデオ (*.avi;*.divx;*.fll;*.flv;*.mkv;*.mov;*.mp4;*.mpeg;*.mpg;*.wmv)|"
    "*.avi;*.divx;*.fll;*.flv;*.mkv;*.mov;*.mp4;*.mpeg;*.mpg;*.wmv|"
    "再生リスト (*.m3u;*.m3u8;*.pls;*.wpl)|*.m3u;*.m3u8;*.pls;*.wpl|すべて (*.*)|*.*");
const QString kSaveFilter = QStringLiteral(
    "M3U8 再生リスト (*.m3u8)|*.m3u8|M3U 再生リスト (*.m3u)|*.m3u|PLS 再生リスト (*.pls)|*.pls|"
    "Windows Media 再生リスト (*.wpl)|*.wpl|すべて (*.*)|*.*");

// A panel for a dialog holding one check box that shows and sets a check command.
QWidget *CheckBoxPanel(QWidget *owner, const QString &name, QAction *command)
{
    auto *panel = new QWidget(owner);
    panel->setObjectName(name);
    panel->hide();
    auto *layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *box = new QCheckBox(command->text(), panel);
    box->setObjectName(name + QStringLiteral("_Check"));
    box->setChecked(command->isChecked());
    layout->addWidget(box);
    layout->addStretch();
    QObject::connect(box, &QCheckBox::clicked, command, [command](bool on) {
        if (command->isChecked() != on)
            command->trigger();
    });
    QObject::connect(command, &QAction::toggled, box, &QCheckBox::setChecked);
    return panel;
}

QString ParentFolder(const QString &folder)
{
    QString path = folder;
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return ExtractFilePath(path);
}

} // namespace

QStringList LocalDroppedPaths(const QList<QUrl> &urls)
{
    QStringList paths;
    for (const QUrl &url : urls)
        if (url.isLocalFile())
            paths << url.toLocalFile();
    return paths;
}

void TApp_MEDIAPlayer::CreateOpening()
{
    Timer_GetFile = new QTimer(this);
    Timer_GetFile->setObjectName(QStringLiteral("Timer_GetFile"));
    Timer_GetFile->setInterval(30);
    connect(Timer_GetFile, &QTimer::timeout, this, &TApp_MEDIAPlayer::Timer_GetFileTimer);

    AllowedExtensions = DefaultAllowedExtensions();
    plyMedia()->SetDisallowExt(ExcludedExtensions());
    ApplyAllowExt();

    const QString documents = SpecialFolder(5);
    dlgOpenFile = std::make_unique<TMyOpenFileDialog>(this);
    dlgOpenFile->Title = QStringLiteral("ファイルを選択");
    dlgOpenFile->Filter = kOpenFilter;
    dlgOpenFile->Options = ofAllowMultiSelect | ofHideReadOnly | ofEnableSizing | ofDontAddToRecent;
    dlgOpenFile->PosCenter = true;
    dlgOpenFile->InitialDir = documents;
    pnlOpenFile = CheckBoxPanel(this, QStringLiteral("pnlOpenFile"), Command(u"actList_OpenAdd"));

    for (auto *dialog : {&dlgOpenFolder, &dlgOpenThisFolder}) {
        *dialog = std::make_unique<TMyOpenFolderDialog>(this);
        (*dialog)->Options = bfReturnOnlyFsDirs | bfEditBox | bfNoNewFolderButton | bfNewDialogStyle;
        (*dialog)->InitialDir = documents;
    }

    dlgSaveList = std::make_unique<TMySaveFileDialog>(this);
    dlgSaveList->Title = QStringLiteral("リスト保存");
    dlgSaveList->Filter = kSaveFilter;
    dlgSaveList->FilterIndex = 5;
    dlgSaveList->Options = ofOverwritePrompt | ofHideReadOnly | ofEnableSizing;
    dlgSaveList->InitialDir = documents;
    pnlSaveList = CheckBoxPanel(this, QStringLiteral("pnlSaveList"), Command(u"actList_SaveRelativePath"));

    setAcceptDrops(true);
    connect(Busy, &TMyBusyCount::busyChanged, this, [this](bool busy) { setAcceptDrops(!busy); });
}

void TApp_MEDIAPlayer::AttachOpeningCommands()
{
    Commands->Attach(u"Action_FileOpenFile", [this](QObject *sender) { Action_FileOpenFileExecute(sender); });
    Commands->Attach(u"Action_FileOpenFolder", [this](QObject *sender) { Action_FileOpenFolderExecute(sender); });
    Commands->Attach(u"Action_FileOpenThisFolder",
                     [this](QObject *sender) { Action_FileOpenThisFolderExecute(sender); });
    Commands->Attach(u"Action_FileSaveAs", [this](QObject *sender) { Action_FileSaveAsExecute(sender); });
    Commands->Attach(u"actOpt_AllowExt", [this](QObject *) { ApplyAllowExt(); });
    // Check commands whose state is read where it matters.
    for (QStringView name : {u"actList_OpenAdd", u"actList_SaveRelativePath", u"actOpt_Resume"})
        Commands->Attach(name, [](QObject *) {});
}

void TApp_MEDIAPlayer::ApplyAllowExt()
{
    plyMedia()->SetAllowExt(IsChecked(u"actOpt_AllowExt") ? AllowedExtensions : QStringList());
}

void TApp_MEDIAPlayer::OpenPaths(const QStringList &given, bool recordHistory)
{
    if (m_opening) {
        platform::Beep();
        return;
    }
    m_opening = true;
    const bool resumeAtStart = m_resumeOpening;
    m_resumeOpening = false;
    struct Done {
        TApp_MEDIAPlayer *window;
        ~Done()
        {
            window->m_opening = false;
            if (window->m_closeAfterOpening)
                QTimer::singleShot(0, window, &QWidget::close);
        }
    } done{this};

    QStringList paths;
    for (const QString &path : WithoutProgramFiles(given))
        if (!path.trimmed().isEmpty())
            paths << path;
    if (paths.isEmpty())
        return;

    TMyDSPlayer *player = plyMedia();
    TMyDSPlaylist *list = player->Playlist();
    const bool adding = IsChecked(u"actList_OpenAdd");
    PlaylistListReplacing();  // the background tag work pauses
    int startCount = 0;
    if (adding) {
        startCount = list->Count();
        list->SearchAppends = true;
    } else {
        list->SearchAppends = false;
        player->Unload();
        // A resume point belongs to the list it was taken from.
        if (!resumeAtStart) {
            SavedIndex = -1;
            SavedPosition = 0;
        }
    }

    m_foundCount = 0;
    m_foundName.clear();
    Timer_GetFile->start();
    const bool checkExists = list->CheckExists;
    list->CheckExists = false;
    list->OnFileFound = [this](TMyFileStrings *, int number, const QString &fileName) {
        m_foundCount = number;
        m_foundName = fileName;
    };
    // Only closing the window (or ending the program) stops the search.
    list->OnCancelQuery = [this](TMyFileStrings *) { return m_closeAfterOpening || platform::IsTerminating(); };
    TMyWStrings targets;
    for (const QString &path : paths)
        targets.Add(ExpandFileName(path));
    const bool completed = list->SearchList(targets);
    list->OnFileFound = nullptr;
    list->OnCancelQuery = nullptr;
    list->CheckExists = checkExists;
    Timer_GetFile->stop();

    if (completed) {
        int start = -1;
        if (list->Count() > 0) {
            if (SavedIndex < 0 && recordHistory) {
                for (const QString &path : targets.ToStringList()) {
                    const QFileInfo info(path);
                    if (info.isDir())
                        HistoryOpenFolder.AddHistory(path);
                    else if (info.isFile())
                        HistoryOpenFile.AddHistory(path);
                }
                Q_EMIT historiesChanged();
            }
            TMyStartChoice choice;
            choice.savedIndex = SavedIndex;
            choice.adding = adding;
            choice.random = IsChecked(u"actOpt_Random");
            choice.startCount = startCount;
            choice.count = list->Count();
            choice.nextIndex = player->NextIndex(0);
            start = ChooseStartIndex(choice, [](int bound) { return int(QRandomGenerator::global()->bounded(bound)); });
        }
        // Adding that found nothing leaves what plays alone.
        if (list->Count() > 0 && start >= 0) {
            for (int i = startCount; i < list->Count(); ++i)
                list->Serial(i);
            if (SavedIndex < 0) {
                if (player->OpenIndex(start))
                    player->Replay();
            } else {
                player->PlayIndex(start);
            }
        }
        if (list->Count() == 0 && isVisible())
            MsgBoxInfo(QStringLiteral("取得するファイルがありませんでした"));
    }

    PlaylistListLoaded();  // the caption of the current entry, the list shown; the tag work resumes
}

void TApp_MEDIAPlayer::Timer_GetFileTimer()
{
    // The playlist window shows the progress too (its own status reset brings its caption back).
    if (!m_foundName.isEmpty()) {
        setWindowTitle(QStringLiteral("[%1] %2").arg(m_foundCount).arg(m_foundName));
        if (App_MEDIAPlaylist)
            App_MEDIAPlaylist->ShowPlayingCaption(m_foundCount, m_foundName);
    } else {
        setWindowTitle(QString());
        if (App_MEDIAPlaylist)
            App_MEDIAPlaylist->Timer_StatusReset->start();
    }
}

void TApp_MEDIAPlayer::Action_FileOpenFileExecute(QObject *sender)
{
    TMyBusyScope busy(Busy);
    TMyOpenFileDialog &dialog = *dlgOpenFile;
    dialog.Owner = this;
    dialog.FilterIndex = FilterIndexForExt(dialog.Filter, ExtractFileExt(dialog.FileName));
    if (sender) {
        dialog.CustomBasePanel = pnlOpenFile;
        if (!dialog.Execute())
            return;
    }
    if (dialog.Files.Count() == 0)
        return;
    dialog.InitialDir = ExtractFilePath(dialog.Files.Get(0));
    OpenPaths(dialog.Files.ToStringList(), true);
}

void TApp_MEDIAPlayer::Action_FileOpenFolderExecute(QObject *sender)
{
    TMyBusyScope busy(Busy);
    TMyOpenFolderDialog &dialog = *dlgOpenFolder;
    dialog.Owner = this;
    if (sender && !dialog.Execute())
        return;
    if (dialog.Folders.Count() == 0)
        return;
    dialog.InitialDir = ParentFolder(dialog.Folders.Get(0));
    OpenPaths(dialog.Folders.ToStringList(), true);
}

void TApp_MEDIAPlayer::Action_FileOpenThisFolderExecute(QObject *sender)
{
    TMyBusyScope busy(Busy);
    TMyOpenFolderDialog &dialog = *dlgOpenThisFolder;
    dialog.Owner = this;
    if (sender && !dialog.Execute())
        return;
    const QString folder = dialog.FolderName();
    if (folder.isEmpty())
        return;
    HistoryOpenThisFolder.AddHistory(folder);
    Q_EMIT historiesChanged();
    dialog.InitialDir = ParentFolder(folder);
    QString base = folder;
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    QStringList files;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
    for (const QString &name : names)
        files << base + name;
    OpenPaths(files, false);
}

void TApp_MEDIAPlayer::OpenThisFolderOnly(const QStringList &folders)
{
    dlgOpenThisFolder->Folders.Clear();
    for (const QString &folder : folders)
        dlgOpenThisFolder->Folders.Add(folder);
    Action_FileOpenThisFolderExecute(nullptr);
}

void TApp_MEDIAPlayer::OpenFileHistory(const QString &path)
{
    HistoryOpenFile.AddHistory(path);
    Q_EMIT historiesChanged();
    dlgOpenFile->SetFileName(path);
    dlgOpenFile->Files.Clear();
    dlgOpenFile->Files.Add(path);
    Action_FileOpenFileExecute(nullptr);
}

void TApp_MEDIAPlayer::OpenFolderHistory(const QString &path)
{
    HistoryOpenFolder.AddHistory(path);
    Q_EMIT historiesChanged();
    dlgOpenFolder->Folders.Clear();
    dlgOpenFolder->Folders.Add(path);
    Action_FileOpenFolderExecute(nullptr);
}

void TApp_MEDIAPlayer::OpenThisFolderHistory(const QString &path)
{
    OpenThisFolderOnly({path});  // which moves the folder to the top of its history
}

void TApp_MEDIAPlayer::Action_FileSaveAsExecute(QObject *sender)
{
    TMyBusyScope busy(Busy);
    TMySaveFileDialog &dialog = *dlgSaveList;
    dialog.Owner = this;
    if (sender) {
        dialog.CustomBasePanel = pnlSaveList;
        if (!dialog.Execute())
            return;
    }
    if (dialog.FileName.isEmpty())
        return;
    dialog.InitialDir = ExtractFilePath(dialog.FileName);
    if (!SaveListAs(*plyMedia()->Playlist(), dialog.FileName, dialog.FilterIndex,
                    IsChecked(u"actList_SaveRelativePath")))
        MsgBoxInfo(QStringLiteral("%1\rリストを保存できませんでした").arg(dialog.FileName));
}

void TApp_MEDIAPlayer::DropFiles(const QStringList &paths)
{
    if (Busy->IsBusy() || paths.isEmpty())
        return;
    OpenPaths(paths, true);
}

void TApp_MEDIAPlayer::dragEnterEvent(QDragEnterEvent *event)
{
    if (!Busy->IsBusy() && event->mimeData()->hasUrls() && !LocalDroppedPaths(event->mimeData()->urls()).isEmpty())
        event->acceptProposedAction();
}

void TApp_MEDIAPlayer::dropEvent(QDropEvent *event)
{
    const QStringList paths = LocalDroppedPaths(event->mimeData()->urls());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    // Not inside the drag and drop's own event handling: the opening runs an event loop.
    QTimer::singleShot(0, this, [this, paths] { DropFiles(paths); });
}
