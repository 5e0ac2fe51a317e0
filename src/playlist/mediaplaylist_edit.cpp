// The playlist window's commands: playing, editing, moving and copying entries, and the
// commands' states.
#include "playlist/mediaplaylist.h"

#include "custom/actionbuilder.h"
#include "engine/dsplaylist.h"
#include "lists/fileutils.h"
#include "platform/uihooks.h"
#include "playlist/playerport.h"
#include "playlist/playlistgrid.h"
#include "playlist/sortcodes.h"
#include "widgets/heldmodifiers.h"
#include "widgets/wraptoolbar.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QFontDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QRegularExpression>
#include <QTableView>

#include <limits>

namespace {

// More selected entries than this ask before a property window opens for each.
constexpr int kPropertyAskAbove = 10;

// The move commands and the most places each moves the selected block: up (> 0) or down (< 0).
struct TMyMoveCommand {
    QStringView Name;
    int Places;
};
constexpr int kAllTheWay = std::numeric_limits<int>::max();
constexpr TMyMoveCommand kMoveCommands[] = {
    {u"actListMove_Up", 1},       {u"actListMove_Down", -1},       {u"actListMove_10Up", 10},
    {u"actListMove_10Down", -10}, {u"actListMove_100Up", 100},     {u"actListMove_100Down", -100},
    {u"actListMove_Top", kAllTheWay}, {u"actListMove_Bottom", -kAllTheWay}};

const QStringView kCopyCommands[] = {u"actListEdit_CopyFileName", u"actListEdit_CopyMediaPath",
                                     u"actListEdit_CopyMediaName", u"actListEdit_CopyMainFileName"};

// Commands whose work comes with the file commands, the send-to menu and the web search.
const QStringView kLaterCommands[] = {
    u"actFileCmd",         u"actFileCmd_Rename",    u"actFileCmd_MoveAs",      u"actFileCmd_Move",
    u"actFileCmd_CopyAs",  u"actFileCmd_Copy",      u"actFileCmd_Trash",       u"Action_Search",
    u"Action_SearchTitle", u"Action_SearchArtist",  u"Action_SearchAlbum",     u"Action_SearchComposer",
    u"Action_SearchWriter", u"Action_SearchConductor", u"Action_SearchSelectSite"};

QString CopiedText(QStringView command, const QString &path)
{
    if (command == u"actListEdit_CopyMediaPath")
        return ExtractFilePath(path);
    if (command == u"actListEdit_CopyMediaName")
        return ExtractFileName(path);
    if (command == u"actListEdit_CopyMainFileName")
        return ExtractFileBaseName(path);
    return path;
}

} // namespace

void TApp_MEDIAPlaylist::CreateCommands()
{
    Commands = new TMyActionBuilder(this);
    const QList<QAction *> list1 = Commands->AddList(TMyCommandList::ActionList1);
    const QList<QAction *> edit = Commands->AddList(TMyCommandList::ActionList_Edit);
    for (QAction *action : list1 + edit)
        action->setShortcutContext(Qt::WindowShortcut);
    addActions(list1);
    addActions(edit);

    for (QStringView name : {u"actListMove", u"actSort_PartOf", u"actDisp_MediaInfo"})
        Command(name)->setCheckable(true);
    Command(u"actDisp_MediaInfo")->setChecked(true);
    auto *targets = new QActionGroup(this);
    targets->setExclusive(true);
    for (QStringView name : kFindTargetCommands) {
        QAction *action = Command(name);
        action->setCheckable(true);
        targets->addAction(action);
        Commands->Attach(name, [action](QObject *) { action->setChecked(true); });
    }
    Command(u"actFind_FindMediaName")->setChecked(true);

    Commands->Attach(u"actFile_Property", [this](QObject *) { actFile_PropertyExecute(); });
    Commands->Attach(u"actFile_Close", [this](QObject *) { hide(); });
    Commands->Attach(u"actWindow_Player", [this](QObject *) { m_player->ShowPlayer(); });
    Commands->Attach(u"actListEdit_Cut", [this](QObject *) { actListEdit_CutExecute(); });
    Commands->Attach(u"actListEdit_Copy", [](QObject *) {});
    for (QStringView name : kCopyCommands)
        Commands->Attach(name, [this, name](QObject *) { CopyExecute(name); });
    Commands->Attach(u"actListEdit_AppendCursor", [this](QObject *) { actListEdit_AppendCursorExecute(); });
    Commands->Attach(u"actListEdit_Delete", [this](QObject *) { actListEdit_DeleteExecute(); });
    Commands->Attach(u"actListEdit_SelectAll", [this](QObject *) { actListEdit_SelectAllExecute(); });
    Commands->Attach(u"actListMove", [this](QObject *) { ToolBar_Move->setVisible(IsChecked(u"actListMove")); });
    for (const TMyMoveCommand &move : kMoveCommands)
        Commands->Attach(move.Name, [this, places = move.Places](QObject *) { MoveSelection(places); });
    Commands->Attach(u"actPlay_SelPlay", [this](QObject *) { actPlay_SelPlayExecute(); });
    Commands->Attach(u"actPlay_GoToItemIndex", [this](QObject *) { actPlay_GoToItemIndexExecute(); });
    Commands->Attach(u"actDisp_MediaInfo", [this](QObject *) { pnlInfo->setVisible(IsChecked(u"actDisp_MediaInfo")); });
    Commands->Attach(u"actDisp_Font", [this](QObject *) { actDisp_FontExecute(); });
    Commands->Attach(u"actMenu_PopupPlayer", [this](QObject *) { actMenu_PopupPlayerExecute(); });
    Commands->Attach(u"actMenu_PopupPlaylist", [this](QObject *) { actMenu_PopupPlaylistExecute(); });
    const QStringView infoCopies[] = {u"actInfo_CopyTitle", u"actInfo_CopyArtist", u"actInfo_CopyAlbum"};
    for (int row = 0; row < 3; ++row)
        Commands->Attach(infoCopies[row], [this, row](QObject *) {
            if (!InfoText(row).isEmpty())
                SetClipboardText(InfoText(row));
        });
    for (QStringView name : {u"Action_List_Edit", u"actSort", u"actSort_PartOf"})
        Commands->Attach(name, [](QObject *) {});
    for (QStringView name : kLaterCommands) {
        Commands->Attach(name, [](QObject *) {});
        Command(name)->setEnabled(false);
    }
    for (const TMySortCommand &sort : SortCommands()) {
        const int code = sort.Code;
        Commands->Attach(sort.Name, [this, code](QObject *) { SortList(code); });
    }
    Commands->Attach(u"actFind_FindDown", [this](QObject *) { FindNext(false); });
    Commands->Attach(u"actFind_FindUp", [this](QObject *) { FindNext(true); });

    Commands->Attach(u"actEdit_Tab", [this](QObject *) { actEdit_TabExecute(); });
    const auto onFindBox = [this](std::function<void(QLineEdit *)> op) {
        return [this, op](QObject *) {
            if (edtToolFind_Find && edtToolFind_Find->hasFocus())
                op(edtToolFind_Find);
        };
    };
    Commands->Attach(u"actEdit_Undo", onFindBox([](QLineEdit *e) { e->undo(); }));
    Commands->Attach(u"actEdit_Redo", onFindBox([](QLineEdit *e) { e->redo(); }));
    Commands->Attach(u"actEdit_Cut", onFindBox([](QLineEdit *e) { e->cut(); }));
    Commands->Attach(u"actEdit_Copy", onFindBox([](QLineEdit *e) { e->copy(); }));
    Commands->Attach(u"actEdit_Paste", onFindBox([](QLineEdit *e) { e->paste(); }));
    Commands->Attach(u"actEdit_Delete", onFindBox([](QLineEdit *e) { e->del(); }));
    Commands->Attach(u"actEdit_SelectAll", onFindBox([](QLineEdit *e) { e->selectAll(); }));

    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        Command(u"actListEdit_AppendCursor")->setEnabled(data && data->hasText());
    });
}

// ---- playing --------------------------------------------------------------------------------------

void TApp_MEDIAPlaylist::actPlay_SelPlayExecute()
{
    if (edtToolFind_Find->hasFocus()) {
        FindNext(false);
        return;
    }
    const int row = CurrentRow();
    if (row < 0)
        return;
    // The first entry of that path plays (paths name files exactly).
    m_player->OpenAndPlay(List()->Get(row));
}

void TApp_MEDIAPlaylist::actPlay_GoToItemIndexExecute()
{
    const int index = m_player->ItemIndex();
    if (index < 0 || index >= List()->Count())
        return;
    if (!ShiftHeld()) {
        SelectRows(index, index, index);
        celPlaylistClick();
    }
    const int rows = PlaylistModel->rowCount();
    SetFirstVisibleRow(std::max(0, std::min(index, rows - VisibleRowCount() - 1)));
}

// ---- editing --------------------------------------------------------------------------------------

void TApp_MEDIAPlaylist::actListEdit_DeleteExecute()
{
    int first = -1, last = -1;
    if (!SelectedRange(first, last))
        return;
    const bool hadFocus = celPlaylist->hasFocus();
    StopTagRefresh();
    BeginBusy();
    BeginListUpdate();
    const int playing = m_player->ItemIndex();
    const bool playingDeleted = playing >= first && playing <= last;
    if (playingDeleted)
        m_player->Close();
    List()->DeleteRange(first, last - first + 1);
    // The entry after the block plays (the list made it current; after a block at the end the
    // play order goes on from the new last entry); with nothing left nothing plays.
    if (playingDeleted && List()->Count() > 0)
        m_player->PlayIndex(m_player->NextIndex(first < List()->Count() ? 0 : 1));
    const int row = std::min(first, List()->Count() - 1);
    if (row >= 0)
        SelectRows(row, row, row);
    EndListUpdate();
    if (!EndBusy()) {
        RefreshList(false);
        celPlaylistClick();
        if (hadFocus)
            celPlaylist->setFocus();
    }
    ResumeTagRefresh();
}

void TApp_MEDIAPlaylist::actListEdit_CutExecute()
{
    int first = -1, last = -1;
    if (!SelectedRange(first, last))
        return;
    StopTagRefresh();
    BeginListUpdate();
    QStringList paths;
    paths.reserve(last - first + 1);
    for (int i = first; i <= last; ++i)
        paths << List()->Get(i);
    const int playing = m_player->ItemIndex();
    List()->DeleteRange(first, last - first + 1);
    // Playback is not touched: a cut playing entry plays on, as no entry of the list.
    if (playing >= first && playing <= last)
        m_player->SetItemIndex(-1);
    const int row = std::min(first, List()->Count() - 1);
    if (row >= 0)
        SelectRows(row, row, row);
    EndListUpdate();
    SetClipboardText(paths.join(QLatin1Char('\n')));
    RefreshList(false);
    celPlaylistClick();  // another entry is current now: the panel shows it
    ResumeTagRefresh();
}

void TApp_MEDIAPlaylist::CopyExecute(QStringView command)
{
    QStringList lines;
    if (m_player->TargetsPlayingMedia()) {
        const int index = m_player->ItemIndex();
        if (index >= 0 && index < List()->Count())
            lines << CopiedText(command, List()->Get(index));
    } else {
        int first = -1, last = -1;
        if (SelectedRange(first, last))
            for (int i = first; i <= last; ++i)
                lines << CopiedText(command, List()->Get(i));
    }
    if (!lines.isEmpty())
        SetClipboardText(lines.join(QLatin1Char('\n')));
}

void TApp_MEDIAPlaylist::actListEdit_AppendCursorExecute()
{
    static const QRegularExpression kLineBreak(QStringLiteral("\r?\n|\r"));
    QStringList lines = ClipboardText().split(kLineBreak);
    lines.removeAll(QString());
    if (lines.isEmpty())
        return;
    const int top = FirstVisibleRow();
    const int cursor = CurrentRow();
    StopTagRefresh();
    BeginBusy();
    BeginListUpdate();
    const int before = List()->Count();
    // Appended in one go, then moved behind the cursor as one block.
    List()->AddStrings(lines);
    const int added = List()->Count() - before;
    if (before > 0 && added > 0 && cursor + 1 < before)
        List()->MoveRange(before, added, cursor + 1);
    RefreshList(true);
    SetFirstVisibleRow(top);
    EndListUpdate();
    EndBusy();
    ResumeTagRefresh();
}

void TApp_MEDIAPlaylist::actListEdit_SelectAllExecute()
{
    if (List()->Count() == 0)
        return;
    SelectRows(0, List()->Count() - 1, CurrentRow());
    mnuPlayListPopup();
}

void TApp_MEDIAPlaylist::actFile_PropertyExecute()
{
    int first = -1, last = -1;
    if (!SelectedRange(first, last))
        return;
    const int count = last - first + 1;
    if (count > kPropertyAskAbove) {
        const QString question = QStringLiteral("%1個のファイルのプロパティを開きますか").arg(count);
        const bool yes = Confirm ? Confirm(question)
                                 : QMessageBox::question(this, QApplication::applicationDisplayName(), question) ==
                                       QMessageBox::Yes;
        if (!yes)
            return;
    }
    for (int i = first; i <= last; ++i)
        m_player->ShowProperty(List()->Get(i));
}

void TApp_MEDIAPlaylist::actDisp_FontExecute()
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, GridFont(), this);
    if (ok)
        SetGridFont(font);
}

// ---- moving ---------------------------------------------------------------------------------------

void TApp_MEDIAPlaylist::MoveSelection(int places)
{
    const int count = List()->Count();
    int first = -1, last = -1;
    // Nothing selected, or the block is already at the end it would move to.
    if (count == 0 || !SelectedRange(first, last) || (places > 0 && first == 0) ||
        (places < 0 && last == count - 1)) {
        platform::Beep();
        return;
    }
    const int d = places > 0 ? std::min(places, first) : -std::min(-places, count - 1 - last);
    const int current = CurrentRow();
    StopTagRefresh();
    BeginListUpdate();
    List()->MoveRange(first, last - first + 1, first - d);
    SelectRows(first - d, last - d, current - d);
    EndListUpdate();
    ClearSortState();
    celPlaylist->viewport()->update();
    ResumeTagRefresh();
}

// ---- states ---------------------------------------------------------------------------------------

void TApp_MEDIAPlaylist::mnuPlayListPopup()
{
    const int count = List()->Count();
    int first = -1, last = -1;
    const bool has = count > 0 && SelectedRange(first, last);
    Command(u"actListEdit_SelectAll")->setEnabled(count > 0);
    for (QStringView name : {u"actListEdit_Delete", u"actListEdit_Cut", u"actListEdit_Copy", u"actFile_Property",
                             u"actPlay_SelPlay"})
        Command(name)->setEnabled(has);
    for (QStringView name : kCopyCommands)
        Command(name)->setEnabled(has);
    for (const TMyMoveCommand &move : kMoveCommands)
        Command(move.Name)->setEnabled(has);
    Command(u"actPlay_GoToItemIndex")->setEnabled(m_player->ItemIndex() >= 0);
    mnuSortPopup();
    mnuInfoPopup();
}

void TApp_MEDIAPlaylist::mnuSortPopup()
{
    const bool several = List()->Count() > 1;
    for (const TMySortCommand &sort : SortCommands())
        Command(sort.Name)->setEnabled(several);
    Command(u"actSort")->setEnabled(several);
    Command(u"actSort_PartOf")->setEnabled(true);
}

void TApp_MEDIAPlaylist::mnuInfoPopup()
{
    const QStringView copies[] = {u"actInfo_CopyTitle", u"actInfo_CopyArtist", u"actInfo_CopyAlbum"};
    for (int row = 0; row < 3; ++row)
        Command(copies[row])->setEnabled(!InfoText(row).isEmpty());
}
