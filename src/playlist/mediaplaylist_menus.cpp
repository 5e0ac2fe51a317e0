// The playlist window's menus and tool bars, built from tables of component names and
// commands. Items never show shortcut texts: keys reach the commands through the key handling.
// The commands carry their images; the tool bars show them alone, the menus not at all.
#include "playlist/mediaplaylist.h"

#include "custom/actionbuilder.h"
#include "playlist/playlistimages.h"
#include "playlist/sortcodes.h"
#include "widgets/commanditem.h"
#include "widgets/menubuilder.h"
#include "widgets/wraptoolbar.h"

#include <QMenu>
#include <QToolButton>

#include <deque>
#include <vector>

namespace {

constexpr TMyMenuEntry C(int level, QStringView name, QStringView command) { return MenuCmd(level, name, command); }
constexpr TMyMenuEntry S(int level, QStringView name) { return MenuSep(level, name); }

// No shortcut texts, and the find targets keep the check look although their commands are
// exclusive.
constexpr TMyMenuOptions kMenuOptions{.ShowShortcuts = false, .RadioItems = false};

// The tables hold one menu's items each (level 0); the context menu takes some of them as its
// sub-menus.
constexpr TMyMenuEntry kListEditRows[] = {
    C(0, u"mniPListEdit_Cut", u"actListEdit_Cut"),
    C(0, u"mniPListEdit_CopyFileName", u"actListEdit_CopyFileName"),
    C(0, u"mniPListEdit_CopyMediaPath", u"actListEdit_CopyMediaPath"),
    C(0, u"mniPListEdit_CopyMediaName", u"actListEdit_CopyMediaName"),
    C(0, u"mniPListEdit_CopyMainFileName", u"actListEdit_CopyMainFileName"),
    C(0, u"mniPListEdit_AppendCursor", u"actListEdit_AppendCursor"),
    S(0, u"mniPListEdit_Sep1"),
    C(0, u"mniPListEdit_Delete", u"actListEdit_Delete"),
    S(0, u"mniPListEdit_Sep2"),
    C(0, u"mniPListEdit_SelectAll", u"actListEdit_SelectAll"),
};

// Also the move tool bar's buttons ("btn" + the name).
constexpr TMyMenuEntry kMoveRows[] = {
    C(0, u"Move_Top", u"actListMove_Top"),       C(0, u"Move_100Up", u"actListMove_100Up"),
    C(0, u"Move_10Up", u"actListMove_10Up"),     C(0, u"Move_Up", u"actListMove_Up"),
    C(0, u"Move_Down", u"actListMove_Down"),     C(0, u"Move_10Down", u"actListMove_10Down"),
    C(0, u"Move_100Down", u"actListMove_100Down"), C(0, u"Move_Bottom", u"actListMove_Bottom"),
};

constexpr TMyMenuEntry kMoveMenuEnd[] = {
    S(0, u"Move_Sep1"),
    C(0, u"mniPList_ListMoveShow", u"actListMove"),
};

constexpr TMyMenuEntry kFileCmdRows[] = {
    C(0, u"mniPFileCmd_Rename", u"actFileCmd_Rename"), C(0, u"mniPFileCmd_MoveAs", u"actFileCmd_MoveAs"),
    C(0, u"mniPFileCmd_Move", u"actFileCmd_Move"),     C(0, u"mniPFileCmd_CopyAs", u"actFileCmd_CopyAs"),
    C(0, u"mniPFileCmd_Copy", u"actFileCmd_Copy"),     C(0, u"mniPFileCmd_Trash", u"actFileCmd_Trash"),
};

// The information panel's menu takes the first six (the searches by tag).
constexpr TMyMenuEntry kSearchRows[] = {
    C(0, u"mniSearch_Title", u"Action_SearchTitle"),       C(0, u"mniSearch_Artist", u"Action_SearchArtist"),
    C(0, u"mniSearch_Album", u"Action_SearchAlbum"),       C(0, u"mniSearch_Composer", u"Action_SearchComposer"),
    C(0, u"mniSearch_Writer", u"Action_SearchWriter"),     C(0, u"mniSearch_Conductor", u"Action_SearchConductor"),
    S(0, u"mniSearch_Sep1"),                               C(0, u"mniSearch_SelectSite", u"Action_SearchSelectSite"),
};

constexpr TMyMenuEntry kListCopyRows[] = {
    C(0, u"mniListCopy_FileName", u"actListEdit_CopyFileName"),
    C(0, u"mniListCopy_MediaPath", u"actListEdit_CopyMediaPath"),
    C(0, u"mniListCopy_MediaName", u"actListEdit_CopyMediaName"),
    C(0, u"mniListCopy_MainFileName", u"actListEdit_CopyMainFileName"),
};

constexpr TMyMenuEntry kInfoRows[] = {
    C(0, u"mniInfo_CopyTitle", u"actInfo_CopyTitle"),
    C(0, u"mniInfo_CopyArtist", u"actInfo_CopyArtist"),
    C(0, u"mniInfo_CopyAlbum", u"actInfo_CopyAlbum"),
    S(0, u"mniInfo_Sep1"),
};

constexpr TMyMenuEntry kEditRows[] = {
    C(0, u"mniEdit_Undo", u"actEdit_Undo"),
    C(0, u"mniEdit_Redo", u"actEdit_Redo"),
    S(0, u"mniEdit_Sep1"),
    C(0, u"mniEdit_Cut", u"actEdit_Cut"),
    C(0, u"mniEdit_Copy", u"actEdit_Copy"),
    C(0, u"mniEdit_Paste", u"actEdit_Paste"),
    C(0, u"mniEdit_Delete", u"actEdit_Delete"),
    S(0, u"mniEdit_Sep2"),
    C(0, u"mniEdit_SelectAll", u"actEdit_SelectAll"),
    S(0, u"mniEdit_Sep3"),
    C(0, u"mniFind_FindDown", u"actFind_FindDown"),
    C(0, u"mniFind_FindUp", u"actFind_FindUp"),
    S(0, u"mniEdit_Sep4"),
    C(0, u"mniFind_FindFileName", u"actFind_FindFileName"),
    C(0, u"mniFind_FindMediaPath", u"actFind_FindMediaPath"),
    C(0, u"mniFind_FindMediaName", u"actFind_FindMediaName"),
    C(0, u"mniFind_FindArtist", u"actFind_FindArtist"),
    C(0, u"mniFind_FindAlbum", u"actFind_FindAlbum"),
    C(0, u"mniFind_FindTitle", u"actFind_FindTitle"),
    C(0, u"mniFind_FindComposer", u"actFind_FindComposer"),
    C(0, u"mniFind_FindWriter", u"actFind_FindWriter"),
    C(0, u"mniFind_FindConductor", u"actFind_FindConductor"),
};

// A menu table put together at run time from the tables above and the sort commands; it keeps
// the names it makes for as long as it lives.
class MenuTable {
public:
    // rows moved down to level.
    MenuTable &Add(std::span<const TMyMenuEntry> rows, int level = 0)
    {
        for (TMyMenuEntry e : rows) {
            e.Level += level;
            m_entries.push_back(e);
        }
        return *this;
    }
    MenuTable &Add(const TMyMenuEntry &e) { return Add(std::span(&e, 1)); }
    // The sort items, named prefix + the command's name without its "actSort_", a separator
    // between the groups, then the partial sort.
    MenuTable &AddSorts(const QString &prefix, int level)
    {
        int group = 0;
        for (const TMySortCommand &sort : SortCommands()) {
            const int g = sort.Code >= 300 ? 3 : sort.Code >= 200 ? 0 : sort.Code >= 110 ? 1 : 2;
            if (g != group)
                Add(S(level, Keep(QStringLiteral("%1Sep%2").arg(prefix).arg(g))));
            group = g;
            Add(C(level, Keep(prefix + sort.Name.mid(8).toString()), sort.Name));
        }
        Add(S(level, Keep(prefix + QStringLiteral("Sep4"))));
        return Add(C(level, Keep(prefix + QStringLiteral("PartOf")), u"actSort_PartOf"));
    }
    std::span<const TMyMenuEntry> Entries() const { return m_entries; }

private:
    QStringView Keep(QString name) { return m_names.emplace_back(std::move(name)); }
    std::deque<QString> m_names;  // entries point into them: a deque never moves its elements
    std::vector<TMyMenuEntry> m_entries;
};

// The context menu of the list: its own items and the sub-menus, each under the name the
// customisation knows.
MenuTable PlayListMenu()
{
    MenuTable t;
    t.Add(C(0, u"mniPList_SelPlay", u"actPlay_SelPlay"))
        .Add(C(0, u"mniPList_GoToItemIndex", u"actPlay_GoToItemIndex"))
        .Add(S(0, u"mniPList_Sep1"))
        .Add(C(0, u"mniPList_ListEdit", u"Action_List_Edit").Sub(u"mniPList_ListEditMenu"))
        .Add(kListEditRows, 1)
        .Add(C(0, u"mniPList_ListMove", u"actListMove").Sub(u"mniPList_ListMoveMenu"))
        .Add(kMoveRows, 1)
        .Add(kMoveMenuEnd, 1)
        .Add(C(0, u"mniPList_Sort", u"actSort").Sub(u"mniPList_SortMenu"))
        .AddSorts(QStringLiteral("mniPSort_"), 1)
        .Add(S(0, u"mniPList_Sep2"))
        .Add(C(0, u"mniPList_FileCmd", u"actFileCmd").Sub(u"mniPList_FileCmdMenu"))
        .Add(kFileCmdRows, 1)
        // The send-to menu comes with its own component.
        .Add(MenuOwn(0, u"MenuItem_PSendTo", u"送る(&N)").Sub(u"MenuItem_PSendToMenu"))
        .Add(C(0, u"mniPSearch", u"Action_Search").Sub(u"mniPSearchMenu"))
        .Add(kSearchRows, 1)
        .Add(S(0, u"mniPList_Sep3"))
        .Add(C(0, u"mniPList_Property", u"actFile_Property"))
        .Add(C(0, u"mniPList_MediaInfo", u"actDisp_MediaInfo"))
        .Add(C(0, u"mniPList_Font", u"actDisp_Font"))
        .Add(S(0, u"mniPList_Sep4"))
        .Add(C(0, u"mniPList_Player", u"actWindow_Player"))
        .Add(C(0, u"mniPList_Close", u"actFile_Close"));
    return t;
}

// One button of a tool bar: a component name and its command; an empty command is a separator
// unless the button is kept off the default layout.
struct TMyItemRow {
    QStringView Component;
    QStringView Command;
};

constexpr TMyItemRow kToolRows[] = {
    {u"btnToolPlay_SelPlay", u"actPlay_SelPlay"},
    {u"btnToolPlay_GoToItemIndex", u"actPlay_GoToItemIndex"},
    {u"btnToolSep1", u""},
    {u"pnlToolFind_Find", u""},
    {u"btnToolFind_FindUp", u"actFind_FindUp"},
    {u"btnToolFind_FindDown", u"actFind_FindDown"},
    {u"btnToolSep5", u""},
    {u"btnToolListEdit_Cut", u"actListEdit_Cut"},
    {u"btnToolListEdit_Copy", u"actListEdit_Copy"},
    {u"btnToolListEdit_AppendCursor", u"actListEdit_AppendCursor"},
    {u"btnToolListEdit_Delete", u"actListEdit_Delete"},
    {u"btnToolSep2", u""},
    {u"btnToolSort", u"actSort"},
    {u"btnToolListMove", u"actListMove"},
    {u"btnToolSep3", u""},
    {u"btnToolFile_OpenThisFolder", u""},
    {u"btnToolSendTo_OpenFolder", u""},
    {u"btnToolSendTo_SelProgram", u""},
    {u"btnToolSendTo_Regist", u""},
    {u"btnToolSendTo_Property", u""},
    {u"btnToolList_SaveRelativePath", u""},
    {u"btnToolSep4", u""},
    {u"btnToolDisp_MediaInfo", u"actDisp_MediaInfo"},
    {u"btnToolWindow_Player", u"actWindow_Player"},
};

// Buttons the window keeps off its default layout (only the customisation shows them).
bool HiddenAtStart(QStringView component)
{
    return component == u"btnToolFile_OpenThisFolder" || component == u"btnToolSendTo_OpenFolder" ||
           component == u"btnToolSendTo_SelProgram" || component == u"btnToolSendTo_Regist" ||
           component == u"btnToolSendTo_Property" || component == u"btnToolList_SaveRelativePath";
}

QMenu *NewMenu(const QString &name, QWidget *parent)
{
    auto *menu = new QMenu(parent);
    menu->setObjectName(name);
    return menu;
}

} // namespace

void TApp_MEDIAPlaylist::CreateMenus()
{
    for (QAction *action :
         Commands->Actions(TMyCommandList::ActionList1) + Commands->Actions(TMyCommandList::ActionList_Edit)) {
        const QIcon icon = PlaylistCommandIcon(action->objectName());
        if (!icon.isNull())
            action->setIcon(icon);
    }
    const TMyCommandLookup lookup = [this](QStringView name) { return Command(name); };
    const auto menu = [&](const QString &name, std::span<const TMyMenuEntry> table) {
        auto *m = NewMenu(name, this);
        BuildMenu(m, table, lookup, kMenuOptions);
        return m;
    };
    mnuSort = menu(QStringLiteral("mnuSort"), MenuTable().AddSorts(QStringLiteral("mniSort_"), 0).Entries());
    connect(mnuSort, &QMenu::aboutToShow, this, &TApp_MEDIAPlaylist::mnuSortPopup);
    mnuPlayList = menu(QStringLiteral("mnuPlayList"), PlayListMenu().Entries());
    connect(mnuPlayList, &QMenu::aboutToShow, this, &TApp_MEDIAPlaylist::mnuPlayListPopup);
    mnuListCopy = menu(QStringLiteral("mnuListCopy"), kListCopyRows);
    mnuInfo = menu(QStringLiteral("mnuInfo"), MenuTable().Add(kInfoRows).Add(std::span(kSearchRows).first(6)).Entries());
    connect(mnuInfo, &QMenu::aboutToShow, this, &TApp_MEDIAPlaylist::mnuInfoPopup);
    mnuEdit = menu(QStringLiteral("mnuEdit"), kEditRows);
    connect(mnuEdit, &QMenu::aboutToShow, this, &TApp_MEDIAPlaylist::mnuEditPopup);
    mnuFind_FindHistory = NewMenu(QStringLiteral("mnuFind_FindHistory"), this);
    btnToolFind_FindHistory->setMenu(nullptr);
}

void TApp_MEDIAPlaylist::CreateToolBars()
{
    // Flat image buttons as on the player window's tool bars; the caption is the tool tip.
    for (TMyWrapToolBar *bar : {ToolBar_PlayList, ToolBar_Move}) {
        bar->setIconSize(QSize(18, 18));
        bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
        bar->SetButtonSize(QSize(25, 24));
    }
    for (const TMyItemRow &row : kToolRows) {
        if (row.Component == u"pnlToolFind_Find") {
            QAction *holder = ToolBar_PlayList->addWidget(pnlToolFind_Find);
            holder->setObjectName(QStringLiteral("pnlToolFind_FindItem"));
            continue;
        }
        if (row.Command.isEmpty() && !HiddenAtStart(row.Component)) {
            ToolBar_PlayList->addAction(NewSeparatorItem(row.Component.toString(), ToolBar_PlayList));
            continue;
        }
        auto *item = new TMyCommandItem(row.Component.toString(), row.Command.isEmpty() ? nullptr : Command(row.Command),
                                        ToolBar_PlayList);
        item->SetShowsShortcut(false);
        if (HiddenAtStart(row.Component)) {
            item->SetOwnCaption(row.Component.mid(3).toString());
            item->SetProgramHidden(true);
            item->setEnabled(false);
        }
        ToolBar_PlayList->addAction(item);
        QMenu *drop = row.Command == u"actListEdit_Copy" ? mnuListCopy : row.Command == u"actSort" ? mnuSort : nullptr;
        if (drop) {
            if (auto *button = qobject_cast<QToolButton *>(ToolBar_PlayList->widgetForAction(item))) {
                button->setMenu(drop);
                button->setPopupMode(QToolButton::InstantPopup);
            }
        }
    }
    for (const TMyMenuEntry &row : kMoveRows) {
        auto *item = new TMyCommandItem(QStringLiteral("btn") + row.Name.toString(), Command(row.Command),
                                        ToolBar_Move);
        item->SetShowsShortcut(false);
        ToolBar_Move->addAction(item);
    }
}
