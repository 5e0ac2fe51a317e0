// The player window's menus and tool bars, made from the tables of playermenus.cpp.
#include "shell/mediaplayer.h"

#include "custom/actionbuilder.h"
#include "custom/commandcatalogue.h"
#include "engine/dsplayer.h"
#include "lists/fileutils.h"
#include "playlist/mediaplaylist.h"
#include "shell/playermenus.h"
#include "shellint/myfiledialogs.h"
#include "widgets/commanditem.h"
#include "widgets/menubuilder.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QStandardPaths>
#include <QToolBar>
#include <QToolButton>

namespace {

// Commands that only hold a sub-menu or drop-down menu: they stay enabled without a handler.
constexpr QStringView kHolders[] = {
    u"actPlay_Rate", u"actPlay_Repeat", u"actMenu_ZoomUpDown", u"Action_FileCmd", u"Action_ZoomSelectVideoRenderer",
};

bool IsHolder(QStringView name)
{
    for (QStringView h : kHolders) {
        if (h.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// The application's colours, every role set, so a dark window around the video does not
// reach the bars (a palette equal to the application's would resolve to the parent's).
QPalette PlainPalette()
{
    QPalette palette = QApplication::palette();
    palette.setResolveMask(~QPalette::ResolveMask(0));
    return palette;
}

QMenu *NewMenu(const QString &name, QWidget *parent)
{
    auto *menu = new QMenu(parent);
    menu->setObjectName(name);
    return menu;
}

} // namespace

void TApp_MEDIAPlayer::CreateMenus()
{
    // Images belong to the commands; items and buttons show their command's.
    for (QAction *action : Commands->Actions(TMyCommandList::ActionList_Main) +
                               Commands->Actions(TMyCommandList::ActionList_Exclude)) {
        const QIcon icon = PlayerCommandIcon(action->objectName());
        if (!icon.isNull())
            action->setIcon(icon);
    }

    const TMyCommandLookup lookup = [this](QStringView name) -> QAction * {
        if (name.startsWith(kPlaylistCommandPrefix))
            return PlaylistCommand(name.mid(kPlaylistCommandPrefix.size()));
        return Command(name);
    };
    for (const TMyPlayerMenu &m : PlayerMenus()) {
        QMenu *menu = NewMenu(m.Name.toString(), this);
        BuildMenu(menu, m.Table, lookup, {m.CollapseSeparators});
    }
    auto menu = [this](const char16_t *name) { return findChild<QMenu *>(QString::fromUtf16(name), Qt::FindDirectChildrenOnly); };
    mnuMain = menu(u"mnuMain");
    mnuPopup = menu(u"mnuPopup");
    mnuFile = menu(u"mnuFile");
    mnuPlay_Rate = menu(u"mnuPlay_Rate");
    mnuPlay_Repeat = menu(u"mnuPlay_Repeat");
    mnuZoom_UpDown = menu(u"mnuZoom_UpDown");
    mnuVolume = menu(u"mnuVolume");
    mnuTime = menu(u"mnuTime");
    mnuCustomize_ToolBar = menu(u"mnuCustomize_ToolBar");
    mnuFile_HistoryOpenFile = NewMenu(QStringLiteral("mnuFile_HistoryOpenFile"), this);
    mnuFile_HistoryOpenFolder = NewMenu(QStringLiteral("mnuFile_HistoryOpenFolder"), this);
    mnuFile_HistoryOpenThisFolder = NewMenu(QStringLiteral("mnuFile_HistoryOpenThisFolder"), this);
    mnuWindow = NewMenu(QStringLiteral("mnuWindow"), this);

    menuBar()->clear();
    menuBar()->setPalette(PlainPalette());
    menuBar()->addActions(mnuMain->actions());
    // What is available is decided each time a menu opens. Items of the playlist window's
    // commands need that window: a menu opened before it was made makes it first.
    const auto makePlaylistWindow = [this] { PlaylistWindow(); };
    for (QAction *item : mnuMain->actions()) {
        if (QMenu *sub = item->menu()) {
            connect(sub, &QMenu::aboutToShow, this, makePlaylistWindow);
            connect(sub, &QMenu::aboutToShow, this, &TApp_MEDIAPlayer::mnuPopupPopup);
        }
    }
    connect(mnuPopup, &QMenu::aboutToShow, this, makePlaylistWindow);
    connect(mnuPopup, &QMenu::aboutToShow, this, &TApp_MEDIAPlayer::mnuPopupPopup);

    connect(this, &TApp_MEDIAPlayer::historiesChanged, this, &TApp_MEDIAPlayer::RebuildHistoryMenus);
    RebuildHistoryMenus();

    // The debug menu: graph files, and two switches only checked here (the log reads them).
    dlgSelectGrfFile = std::make_unique<TMySaveFileDialog>(this);
    dlgSelectGrfFile->Title = QStringLiteral("GraphEditファイル作成");
    dlgSelectGrfFile->Filter = QStringLiteral("GRF|*.grf|すべて|*.*");
    dlgSelectGrfFile->DefaultExt = QStringLiteral("grf");
    dlgSelectGrfFile->InitialDir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    Commands->Attach(u"actTest_CreateGrfFile", [this](QObject *sender) { actTest_CreateGrfFileExecute(sender); });
    Commands->Attach(u"actTest_LoadGrfFile", [this](QObject *sender) { actTest_LoadGrfFileExecute(sender); });
    Commands->Attach(u"Action_Debug_MessageMode", [](QObject *) {});
    Commands->Attach(u"Action_Debug_DispEvent", [](QObject *) {});
}

void TApp_MEDIAPlayer::CreateToolBars()
{
    const TMyCommandLookup lookup = [this](QStringView name) -> QAction * {
        if (name.startsWith(kPlaylistCommandPrefix))
            return PlaylistCommand(name.mid(kPlaylistCommandPrefix.size()));
        return Command(name);
    };
    const TMyMenuLookup menus = [this](QStringView name) -> QMenu * {
        return findChild<QMenu *>(name.toString(), Qt::FindDirectChildrenOnly);
    };
    ToolBar_Main = new QToolBar(this);
    ToolBar_Main->setObjectName(QStringLiteral("ToolBar_Main"));
    ToolBar_Main->setPalette(PlainPalette());
    BuildToolBar(ToolBar_Main, MainToolBarTable(), lookup, menus, QSize(25, 24));
    SetRightButtonMenu(ToolBar_Main, mnuCustomize_ToolBar);
    ToolBar_Main->hide();  // until the window places it
    ToolBar_Play = new QToolBar(this);
    ToolBar_Play->setObjectName(QStringLiteral("ToolBar_Play"));
    ToolBar_Play->setPalette(PlainPalette());
    BuildToolBar(ToolBar_Play, PlayToolBarTable(), lookup, menus, QSize(25, 25));
    ToolBar_Play->hide();
    DisableUnhandledCommands();
}

QAction *TApp_MEDIAPlayer::MenuItem(QStringView name) const
{
    for (const TMyPlayerMenu &m : PlayerMenus()) {
        const QMenu *menu = findChild<QMenu *>(m.Name.toString(), Qt::FindDirectChildrenOnly);
        if (QAction *item = FindMenuItem(menu, name))
            return item;
    }
    return nullptr;
}

QAction *TApp_MEDIAPlayer::ToolItem(QStringView name) const
{
    for (const QToolBar *bar : {ToolBar_Main, ToolBar_Play}) {
        if (!bar)
            continue;
        for (QAction *a : bar->actions()) {
            if (a->objectName().compare(name, Qt::CaseInsensitive) == 0)
                return a;
        }
    }
    return nullptr;
}

QToolButton *TApp_MEDIAPlayer::ToolButton(QStringView name) const
{
    QToolButton *button = FindToolButton(ToolBar_Main, name);
    return button ? button : FindToolButton(ToolBar_Play, name);
}

QAction *TApp_MEDIAPlayer::PlaylistCommand(QStringView name) const
{
    if (App_MEDIAPlaylist)
        if (QAction *own = App_MEDIAPlaylist->Command(name))
            return own;
    const QString objectName = kPlaylistCommandPrefix.toString() + name.toString();
    auto *self = const_cast<TApp_MEDIAPlayer *>(this);
    if (auto *made = self->findChild<QAction *>(objectName, Qt::FindDirectChildrenOnly))
        return made;
    const TMyCommandDef *def = FindCommandIn(TMyCommandList::ActionList1, name);
    if (!def)
        return nullptr;
    auto *standIn = new QAction(def->Caption.toString(), self);
    standIn->setObjectName(objectName);
    standIn->setStatusTip(def->Hint.toString());
    standIn->setIcon(PlayerCommandIcon(def->Name));
    standIn->setEnabled(false);
    return standIn;
}

void TApp_MEDIAPlayer::DisableUnhandledCommands()
{
    for (const QString &name : Commands->Unhandled()) {
        if (IsHolder(name))
            continue;
        QAction *command = Command(name);
        command->setEnabled(false);
        if (command->property("tavioUnhandledGuard").toBool())
            continue;
        command->setProperty("tavioUnhandledGuard", true);
        // Availability refreshes enable commands by rule; one without handler stays off.
        connect(command, &QAction::changed, this, [this, command] {
            if (command->isEnabled() && Commands->Unhandled().contains(command->objectName()))
                command->setEnabled(false);
        });
    }
}

void TApp_MEDIAPlayer::RebuildHistoryMenus()
{
    struct HistoryMenu {
        QMenu *menu;
        const TMyOpenHistory *history;
        void (TApp_MEDIAPlayer::*open)(const QString &);
    };
    const HistoryMenu menus[] = {
        {mnuFile_HistoryOpenFile, &HistoryOpenFile, &TApp_MEDIAPlayer::OpenFileHistory},
        {mnuFile_HistoryOpenFolder, &HistoryOpenFolder, &TApp_MEDIAPlayer::OpenFolderHistory},
        {mnuFile_HistoryOpenThisFolder, &HistoryOpenThisFolder, &TApp_MEDIAPlayer::OpenThisFolderHistory},
    };
    for (const HistoryMenu &h : menus) {
        if (!h.menu)
            continue;
        for (QAction *old : h.menu->actions()) {
            h.menu->removeAction(old);
            old->deleteLater();  // an item may be the one being triggered
        }
        int index = 0;
        for (const QString &path : h.history->Items()) {
            // Items made at run time carry "__" names, which the customisation leaves alone.
            QAction *item = h.menu->addAction(HistoryMenuCaption(path));
            item->setObjectName(QStringLiteral("__History%1").arg(index++));
            const auto open = h.open;
            connect(item, &QAction::triggered, this, [this, open, path] { (this->*open)(path); });
        }
    }
}

void TApp_MEDIAPlayer::actTest_CreateGrfFileExecute(QObject *sender)
{
    TMySaveFileDialog &dialog = *dlgSelectGrfFile;
    dialog.Options |= ofOverwritePrompt;
    if (sender && !dialog.Execute())
        return;
    if (dialog.FileName.isEmpty())
        return;
    dialog.InitialDir = ExtractFilePath(dialog.FileName);
    plyMedia()->SaveGraph(dialog.FileName);
}

void TApp_MEDIAPlayer::actTest_LoadGrfFileExecute(QObject *sender)
{
    TMySaveFileDialog &dialog = *dlgSelectGrfFile;
    dialog.Options &= ~TOpenOptions(ofOverwritePrompt);
    // The same dialog, run as an open dialog.
    if (sender && !dialog.TMyOpenFileDialog::Execute())
        return;
    if (dialog.FileName.isEmpty())
        return;
    dialog.InitialDir = ExtractFilePath(dialog.FileName);
    plyMedia()->OpenAndPlay(dialog.FileName);
}
