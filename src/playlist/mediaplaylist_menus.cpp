// The playlist window's menus and tool bars, built from tables of component names and
// commands. Items never show shortcut texts: keys reach the commands through the key handling.
#include "playlist/mediaplaylist.h"

#include "custom/actionbuilder.h"
#include "playlist/sortcodes.h"
#include "widgets/commanditem.h"

#include <QMenu>
#include <QToolBar>
#include <QToolButton>

namespace {

// One row of a menu or tool bar: a component name and its command; an empty command is a
// separator; a row with a sub-menu name holds that menu.
struct TMyItemRow {
    QStringView Component;
    QStringView Command;
    QStringView SubMenu = {};
};

constexpr TMyItemRow kPlayListRows[] = {
    {u"mniPList_SelPlay", u"actPlay_SelPlay"},
    {u"mniPList_GoToItemIndex", u"actPlay_GoToItemIndex"},
    {u"mniPList_Sep1", u""},
    {u"mniPList_ListEdit", u"Action_List_Edit", u"mniPList_ListEditMenu"},
    {u"mniPList_ListMove", u"actListMove", u"mniPList_ListMoveMenu"},
    {u"mniPList_Sort", u"actSort", u"mniPList_SortMenu"},
    {u"mniPList_Sep2", u""},
    {u"mniPList_FileCmd", u"actFileCmd", u"mniPList_FileCmdMenu"},
    {u"MenuItem_PSendTo", u"", u"MenuItem_PSendToMenu"},
    {u"mniPSearch", u"Action_Search", u"mniPSearchMenu"},
    {u"mniPList_Sep3", u""},
    {u"mniPList_Property", u"actFile_Property"},
    {u"mniPList_MediaInfo", u"actDisp_MediaInfo"},
    {u"mniPList_Font", u"actDisp_Font"},
    {u"mniPList_Sep4", u""},
    {u"mniPList_Player", u"actWindow_Player"},
    {u"mniPList_Close", u"actFile_Close"},
};

constexpr TMyItemRow kListEditRows[] = {
    {u"mniPListEdit_Cut", u"actListEdit_Cut"},
    {u"mniPListEdit_CopyFileName", u"actListEdit_CopyFileName"},
    {u"mniPListEdit_CopyMediaPath", u"actListEdit_CopyMediaPath"},
    {u"mniPListEdit_CopyMediaName", u"actListEdit_CopyMediaName"},
    {u"mniPListEdit_CopyMainFileName", u"actListEdit_CopyMainFileName"},
    {u"mniPListEdit_AppendCursor", u"actListEdit_AppendCursor"},
    {u"mniPListEdit_Sep1", u""},
    {u"mniPListEdit_Delete", u"actListEdit_Delete"},
    {u"mniPListEdit_Sep2", u""},
    {u"mniPListEdit_SelectAll", u"actListEdit_SelectAll"},
};

constexpr TMyItemRow kMoveRows[] = {
    {u"Move_Top", u"actListMove_Top"},       {u"Move_100Up", u"actListMove_100Up"},
    {u"Move_10Up", u"actListMove_10Up"},     {u"Move_Up", u"actListMove_Up"},
    {u"Move_Down", u"actListMove_Down"},     {u"Move_10Down", u"actListMove_10Down"},
    {u"Move_100Down", u"actListMove_100Down"}, {u"Move_Bottom", u"actListMove_Bottom"},
};

constexpr TMyItemRow kFileCmdRows[] = {
    {u"mniPFileCmd_Rename", u"actFileCmd_Rename"}, {u"mniPFileCmd_MoveAs", u"actFileCmd_MoveAs"},
    {u"mniPFileCmd_Move", u"actFileCmd_Move"},     {u"mniPFileCmd_CopyAs", u"actFileCmd_CopyAs"},
    {u"mniPFileCmd_Copy", u"actFileCmd_Copy"},     {u"mniPFileCmd_Trash", u"actFileCmd_Trash"},
};

constexpr TMyItemRow kSearchRows[] = {
    {u"mniSearch_Title", u"Action_SearchTitle"},         {u"mniSearch_Artist", u"Action_SearchArtist"},
    {u"mniSearch_Album", u"Action_SearchAlbum"},         {u"mniSearch_Composer", u"Action_SearchComposer"},
    {u"mniSearch_Writer", u"Action_SearchWriter"},       {u"mniSearch_Conductor", u"Action_SearchConductor"},
    {u"mniSearch_Sep1", u""},                            {u"mniSearch_SelectSite", u"Action_SearchSelectSite"},
};

constexpr TMyItemRow kListCopyRows[] = {
    {u"mniListCopy_FileName", u"actListEdit_CopyFileName"},
    {u"mniListCopy_MediaPath", u"actListEdit_CopyMediaPath"},
    {u"mniListCopy_MediaName", u"actListEdit_CopyMediaName"},
    {u"mniListCopy_MainFileName", u"actListEdit_CopyMainFileName"},
};

constexpr TMyItemRow kInfoRows[] = {
    {u"mniInfo_CopyTitle", u"actInfo_CopyTitle"},
    {u"mniInfo_CopyArtist", u"actInfo_CopyArtist"},
    {u"mniInfo_CopyAlbum", u"actInfo_CopyAlbum"},
};

constexpr TMyItemRow kEditRows[] = {
    {u"mniEdit_Undo", u"actEdit_Undo"},
    {u"mniEdit_Redo", u"actEdit_Redo"},
    {u"mniEdit_Sep1", u""},
    {u"mniEdit_Cut", u"actEdit_Cut"},
    {u"mniEdit_Copy", u"actEdit_Copy"},
    {u"mniEdit_Paste", u"actEdit_Paste"},
    {u"mniEdit_Delete", u"actEdit_Delete"},
    {u"mniEdit_Sep2", u""},
    {u"mniEdit_SelectAll", u"actEdit_SelectAll"},
    {u"mniEdit_Sep3", u""},
    {u"mniFind_FindDown", u"actFind_FindDown"},
    {u"mniFind_FindUp", u"actFind_FindUp"},
    {u"mniEdit_Sep4", u""},
    {u"mniFind_FindFileName", u"actFind_FindFileName"},
    {u"mniFind_FindMediaPath", u"actFind_FindMediaPath"},
    {u"mniFind_FindMediaName", u"actFind_FindMediaName"},
    {u"mniFind_FindArtist", u"actFind_FindArtist"},
    {u"mniFind_FindAlbum", u"actFind_FindAlbum"},
    {u"mniFind_FindTitle", u"actFind_FindTitle"},
    {u"mniFind_FindComposer", u"actFind_FindComposer"},
    {u"mniFind_FindWriter", u"actFind_FindWriter"},
    {u"mniFind_FindConductor", u"actFind_FindConductor"},
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
    const auto fill = [this](QMenu *menu, std::span<const TMyItemRow> rows) {
        for (const TMyItemRow &row : rows) {
            if (row.Command.isEmpty() && row.SubMenu.isEmpty()) {
                menu->addAction(NewSeparatorItem(row.Component.toString(), menu));
                continue;
            }
            auto *item = new TMyCommandItem(row.Component.toString(), row.Command.isEmpty() ? nullptr : Command(row.Command),
                                            menu);
            item->SetShowsShortcut(false);
            menu->addAction(item);
        }
    };
    mnuSort = NewMenu(QStringLiteral("mnuSort"), this);
    const auto fillSort = [this](QMenu *menu, const QString &prefix) {
        int group = 0;
        for (const TMySortCommand &sort : SortCommands()) {
            const int g = sort.Code >= 300 ? 3 : sort.Code >= 200 ? 0 : sort.Code >= 110 ? 1 : 2;
            if (g != group)
                menu->addAction(NewSeparatorItem(QStringLiteral("%1Sep%2").arg(prefix).arg(g), menu));
            group = g;
            // The item is named after the command without its "actSort_".
            auto *item = new TMyCommandItem(prefix + sort.Name.mid(8).toString(), Command(sort.Name), menu);
            item->SetShowsShortcut(false);
            menu->addAction(item);
        }
        menu->addAction(NewSeparatorItem(prefix + QStringLiteral("Sep4"), menu));
        auto *partial = new TMyCommandItem(prefix + QStringLiteral("PartOf"), Command(u"actSort_PartOf"), menu);
        partial->SetShowsShortcut(false);
        menu->addAction(partial);
    };
    fillSort(mnuSort, QStringLiteral("mniSort_"));
    connect(mnuSort, &QMenu::aboutToShow, this, &TApp_MEDIAPlaylist::mnuSortPopup);

    mnuPlayList = NewMenu(QStringLiteral("mnuPlayList"), this);
    for (const TMyItemRow &row : kPlayListRows) {
        if (row.SubMenu.isEmpty()) {
            fill(mnuPlayList, std::span(&row, 1));
            continue;
        }
        // The sub-menus hang from their holder items.
        auto *item = new TMyCommandItem(row.Component.toString(), row.Command.isEmpty() ? nullptr : Command(row.Command),
                                        mnuPlayList);
        item->SetShowsShortcut(false);
        QMenu *sub = NewMenu(row.SubMenu.toString(), mnuPlayList);
        if (row.Command == u"Action_List_Edit") {
            fill(sub, kListEditRows);
        } else if (row.Command == u"actListMove") {
            fill(sub, kMoveRows);
            sub->addAction(NewSeparatorItem(QStringLiteral("Move_Sep1"), sub));
            auto *toggle = new TMyCommandItem(QStringLiteral("mniPList_ListMoveShow"), Command(u"actListMove"), sub);
            toggle->SetShowsShortcut(false);
            sub->addAction(toggle);
        } else if (row.Command == u"actSort") {
            fillSort(sub, QStringLiteral("mniPSort_"));
        } else if (row.Command == u"actFileCmd") {
            fill(sub, kFileCmdRows);
        } else if (row.Command == u"Action_Search") {
            fill(sub, kSearchRows);
        } else if (row.Command.isEmpty()) {
            // The send-to menu comes with its own component.
            item->SetOwnCaption(QStringLiteral("送る(&N)"));
            item->setEnabled(false);
        }
        item->SetHolder(true);
        item->setMenu(sub);
        mnuPlayList->addAction(item);
    }
    connect(mnuPlayList, &QMenu::aboutToShow, this, &TApp_MEDIAPlaylist::mnuPlayListPopup);

    mnuListCopy = NewMenu(QStringLiteral("mnuListCopy"), this);
    fill(mnuListCopy, kListCopyRows);
    mnuInfo = NewMenu(QStringLiteral("mnuInfo"), this);
    fill(mnuInfo, kInfoRows);
    mnuInfo->addAction(NewSeparatorItem(QStringLiteral("mniInfo_Sep1"), mnuInfo));
    fill(mnuInfo, std::span(kSearchRows).first(6));
    connect(mnuInfo, &QMenu::aboutToShow, this, &TApp_MEDIAPlaylist::mnuInfoPopup);
    mnuEdit = NewMenu(QStringLiteral("mnuEdit"), this);
    fill(mnuEdit, kEditRows);
    connect(mnuEdit, &QMenu::aboutToShow, this, &TApp_MEDIAPlaylist::mnuEditPopup);
    mnuFind_FindHistory = NewMenu(QStringLiteral("mnuFind_FindHistory"), this);
    btnToolFind_FindHistory->setMenu(nullptr);
}

void TApp_MEDIAPlaylist::CreateToolBars()
{
    ToolBar_PlayList->setToolButtonStyle(Qt::ToolButtonTextOnly);
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
    ToolBar_Move->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (const TMyItemRow &row : kMoveRows) {
        auto *item = new TMyCommandItem(QStringLiteral("btn") + row.Component.toString(), Command(row.Command),
                                        ToolBar_Move);
        item->SetShowsShortcut(false);
        ToolBar_Move->addAction(item);
    }
}
