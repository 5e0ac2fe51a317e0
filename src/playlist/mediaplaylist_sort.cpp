// Sorting the list, the status caption, and the find box with its history.
#include "playlist/mediaplaylist.h"

#include "custom/actionbuilder.h"
#include "engine/dsplaylist.h"
#include "platform/uihooks.h"
#include "playlist/playerport.h"
#include "playlist/playlistgrid.h"
#include "playlist/sortcodes.h"
#include "widgets/heldmodifiers.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

namespace {

void RunSort(TMyDSPlaylist &list, int code, bool ascending, int first, int last)
{
    switch (code) {
    case 1: list.SortByName(ascending, first, last); break;
    case 2: list.SortByFolder(ascending, first, last); break;
    case 100: list.SortByPath(ascending, first, last); break;
    case 101: list.SortByExt(ascending, first, last); break;
    case 102: list.SortBySize(ascending, first, last); break;
    case 103: list.SortByWriteTime(ascending, first, last); break;
    case 104: list.SortByCreationTime(ascending, first, last); break;
    case 110: list.SortByDuration(ascending, first, last); break;
    case 112: list.SortByVideoSize(ascending, first, last); break;
    case 113: list.SortByFrameRate(ascending, first, last); break;
    case 210: list.SortByTrack(ascending, first, last); break;
    case 211: list.SortByArtist(ascending, first, last); break;
    case 212: list.SortByAlbum(ascending, first, last); break;
    case 213: list.SortByAlbumArtist(ascending, first, last); break;
    case 214: list.SortByTitle(ascending, first, last); break;
    case 215: list.SortByComposer(ascending, first, last); break;
    case 216: list.SortByWriter(ascending, first, last); break;
    case 217: list.SortByConductor(ascending, first, last); break;
    case 218: list.SortByGenre(ascending, first, last); break;
    default: break;
    }
}

// A menu item shows "&" as itself.
QString MenuText(const QString &text)
{
    QString shown = text;
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return shown;
}

} // namespace

// ---- sorting --------------------------------------------------------------------------------------

void TApp_MEDIAPlaylist::SortList(int code)
{
    if (!TagsComplete && SortNeedsTags(code)) {
        const QString question = QStringLiteral("タグ情報の取得が完了していません\n不足分の情報は空のままソートされます\n"
                                                "ソートを続行しますか");
        const bool yes = Confirm ? Confirm(question)
                                 : QMessageBox::question(this, QApplication::applicationDisplayName(), question) ==
                                       QMessageBox::Yes;
        if (!yes)
            return;
    }
    BeginBusy();
    for (QAction *action : Commands->Actions(TMyCommandList::ActionList1)) {
        const TMyCommandDef *def = Commands->Definition(action);
        if (def && def->Category == u"ソート" && action->text().contains(QLatin1Char(' ')))
            action->setText(StripSortMarker(action->text()));
    }
    bool repaint = false;
    if (code != kSortRefresh) {
        const bool partial = IsChecked(u"actSort_PartOf");
        int first = 0, last = -1;
        bool go = true;
        if (partial) {
            int f = -1, l = -1;
            go = SelectedRange(f, l) && l > f;
            first = f;
            last = l;
        }
        if (go) {
            repaint = true;
            StopTagRefresh();
            if (List()->Count() > 1) {
                Timer_StatusReset->stop();
                setWindowTitle(QStringLiteral("リストを並べ替えています"));
                Timer_Status->start();
                if (code == kSortShuffle) {
                    List()->Shuffle(first, last);
                    SortCode = 0;
                    SortMarker.clear();
                } else {
                    SortCode = NextSortCode(SortCode, code);
                    const bool ascending = SortCode >= 0;
                    RunSort(*List(), code, ascending, first, last);
                    SortMarker = SortMarkerText(ascending, partial);
                    for (const TMySortCommand &sort : SortCommands())
                        if (sort.Code == code)
                            Command(sort.Name)->setText(Command(sort.Name)->text() + SortMarker);
                }
                Timer_StatusTimer();
                Timer_Status->stop();
                setWindowTitle(QStringLiteral("リストを並べ替えました"));
                Timer_StatusReset->start();
                actPlay_GoToItemIndexExecute();
                // Without the playing entry made current the current row holds another entry now.
                const int playing = m_player->ItemIndex();
                if (playing < 0 || playing >= List()->Count() || ShiftHeld())
                    celPlaylistClick();
                ResumeTagRefresh();
            }
        }
    }
    const int column = std::abs(SortCode);
    PlaylistModel->SetSortMarker(column == 1 || column == 2 ? column : 0, SortMarker);
    if (repaint) {
        celPlaylist->viewport()->update();
        PlaylistHeader->viewport()->update();
    }
    if (!EndBusy() && isActiveWindow() && focusWidget() == celPlaylist)
        celPlaylist->setFocus();
}

void TApp_MEDIAPlaylist::ClearSortState()
{
    SortCode = kSortRefresh;
    SortList(kSortRefresh);
}

void TApp_MEDIAPlaylist::Timer_StatusTimer()
{
    Timer_Status->stop();
    Timer_StatusReset->stop();
    const QString status = List()->SortStatus();
    if (windowTitle() != status) {
        setWindowTitle(status);
        platform::ProcessEvents();
    }
    Timer_Status->start();
}

void TApp_MEDIAPlaylist::Timer_StatusResetTimer() { ResetStatusCaption(); }

void TApp_MEDIAPlaylist::PopupSortMenu(const QPoint &globalPos)
{
    mnuSortPopup();
    mnuSort->popup(globalPos);
}

// ---- the find box ---------------------------------------------------------------------------------

void TApp_MEDIAPlaylist::CreateFindBox()
{
    pnlToolFind_Find = new QFrame(this);
    pnlToolFind_Find->setObjectName(QStringLiteral("pnlToolFind_Find"));
    pnlToolFind_Find->setToolTip(QStringLiteral("検索/検索語ボックス"));
    pnlToolFind_Find->setMinimumWidth(170);
    pnlToolFind_Find->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto *layout = new QHBoxLayout(pnlToolFind_Find);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(3);
    lblToolFind = new QLabel(QStringLiteral("検索"), pnlToolFind_Find);
    lblToolFind->setObjectName(QStringLiteral("lblToolFind"));
    layout->addWidget(lblToolFind);
    auto *frame = new QFrame(pnlToolFind_Find);
    frame->setObjectName(QStringLiteral("shpToolFind_Find"));
    frame->setStyleSheet(QStringLiteral("#shpToolFind_Find { border: 1px solid palette(mid); border-radius: 4px; "
                                        "background: palette(base); }"));
    auto *inner = new QHBoxLayout(frame);
    inner->setContentsMargins(3, 0, 0, 0);
    inner->setSpacing(0);
    edtToolFind_Find = new QLineEdit(frame);
    edtToolFind_Find->setObjectName(QStringLiteral("edtToolFind_Find"));
    edtToolFind_Find->setFrame(false);
    edtToolFind_Find->setContextMenuPolicy(Qt::NoContextMenu);
    edtToolFind_Find->installEventFilter(this);
    inner->addWidget(edtToolFind_Find, 1);
    btnToolFind_FindHistory = new QToolButton(frame);
    btnToolFind_FindHistory->setObjectName(QStringLiteral("btnToolFind_FindHistory"));
    btnToolFind_FindHistory->setToolTip(QStringLiteral("コマンド履歴"));
    btnToolFind_FindHistory->setArrowType(Qt::DownArrow);
    btnToolFind_FindHistory->setAutoRaise(true);
    btnToolFind_FindHistory->setFixedWidth(11);
    btnToolFind_FindHistory->setFocusPolicy(Qt::NoFocus);
    inner->addWidget(btnToolFind_FindHistory);
    layout->addWidget(frame, 1);

    connect(edtToolFind_Find, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (m_destroying)
            return;
        Command(u"actFind_FindDown")->setEnabled(!text.isEmpty());
        Command(u"actFind_FindUp")->setEnabled(!text.isEmpty());
    });
    Command(u"actFind_FindDown")->setEnabled(false);
    Command(u"actFind_FindUp")->setEnabled(false);
    connect(btnToolFind_FindHistory, &QToolButton::clicked, this, [this] {
        if (!mnuFind_FindHistory->actions().isEmpty())
            mnuFind_FindHistory->popup(btnToolFind_FindHistory->mapToGlobal(QPoint(0, btnToolFind_FindHistory->height())));
    });
}

TMyFindTarget TApp_MEDIAPlaylist::FindTarget() const
{
    for (int i = 0; i < int(std::size(kFindTargetCommands)); ++i)
        if (IsChecked(kFindTargetCommands[i]))
            return TMyFindTarget(i);
    return TMyFindTarget::MediaName;
}

void TApp_MEDIAPlaylist::SetFindTarget(TMyFindTarget target)
{
    Command(kFindTargetCommands[int(target)])->setChecked(true);
}

void TApp_MEDIAPlaylist::FindNext(bool upwards) { FindNext(upwards, CtrlHeld()); }

void TApp_MEDIAPlaylist::FindNext(bool upwards, bool fromEnd)
{
    const QString text = edtToolFind_Find->text();
    if (text.isEmpty()) {
        platform::Beep();
        return;
    }
    AddFindHistory(text);
    const int count = List()->Count();
    const int cur = CurrentRow();
    const QString key = NormalizeFindText(text);
    const TMyFindTarget target = FindTarget();
    QString buffer;
    const int start = upwards ? (fromEnd ? count - 1 : cur - 1) : (fromEnd ? 0 : cur + 1);
    const int step = upwards ? -1 : 1;
    if (start < 0 || start >= count) {
        platform::Beep();
        return;
    }
    for (int i = start; i >= 0 && i < count; i += step) {
        if (EntryMatchesFind(*List(), i, target, key, buffer)) {
            SelectRows(i, i, i);
            celPlaylist->scrollTo(PlaylistModel->index(i, 1));
            celPlaylistClick();
            return;
        }
    }
    platform::Beep();
}

void TApp_MEDIAPlaylist::AddFindHistory(const QString &text)
{
    if (m_history.Add(text))
        RebuildHistoryMenu();
}

void TApp_MEDIAPlaylist::LoadFindHistory(const QStringList &lines)
{
    m_history.Load(lines);
    RebuildHistoryMenu();
}

void TApp_MEDIAPlaylist::RebuildHistoryMenu()
{
    qDeleteAll(mnuFind_FindHistory->actions());
    const QStringList &items = m_history.Items();
    for (qsizetype i = 0; i < items.size(); ++i) {
        auto *item = new QAction(MenuText(items[i]), mnuFind_FindHistory);
        item->setObjectName(QStringLiteral("%1Item%2").arg(mnuFind_FindHistory->objectName()).arg(i + 1));
        const QString text = items[i];
        connect(item, &QAction::triggered, this, [this, text] {
            edtToolFind_Find->setText(text);
            edtToolFind_Find->setCursorPosition(int(text.size()));
            edtToolFind_Find->setFocus();
        });
        mnuFind_FindHistory->addAction(item);
    }
}

bool TApp_MEDIAPlaylist::FindBoxKeyUp(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Down:
        FindNext(false, mods & Qt::ControlModifier);
        return true;
    case Qt::Key_Up:
        FindNext(true, mods & Qt::ControlModifier);
        return true;
    case Qt::Key_F:
    case Qt::Key_G:
    case Qt::Key_W:
        return (mods & Qt::ControlModifier) && GridKeyUp(event);
    case Qt::Key_F3:
        FindNext(mods & Qt::ShiftModifier, mods & Qt::ControlModifier);
        return true;
    case Qt::Key_F10:
        if (mods & Qt::ShiftModifier)
            actMenu_PopupPlaylistExecute();
        else
            actMenu_PopupPlayerExecute();
        return true;
    case Qt::Key_Menu:
        actMenu_PopupPlaylistExecute();
        return true;
    default:
        return false;
    }
}

void TApp_MEDIAPlaylist::mnuEditPopup()
{
    if (m_destroying)
        return;
    QLineEdit *edit = edtToolFind_Find;
    const bool hasText = !edit->text().isEmpty();
    const QMimeData *clip = QGuiApplication::clipboard()->mimeData();
    Command(u"actEdit_Undo")->setEnabled(edit->isUndoAvailable());
    Command(u"actEdit_Redo")->setEnabled(edit->isRedoAvailable());
    for (QStringView name : {u"actEdit_Copy", u"actEdit_Cut", u"actEdit_Delete"})
        Command(name)->setEnabled(edit->hasSelectedText());
    Command(u"actEdit_Paste")->setEnabled(clip && clip->hasText());
    Command(u"actEdit_SelectAll")->setEnabled(hasText);
    Command(u"actFind_FindDown")->setEnabled(hasText);
    Command(u"actFind_FindUp")->setEnabled(hasText);
}

void TApp_MEDIAPlaylist::actMenu_PopupPlaylistExecute()
{
    if (edtToolFind_Find->hasFocus()) {
        mnuEditPopup();
        QWidget *frame = edtToolFind_Find->parentWidget();
        mnuEdit->popup(frame->mapToGlobal(QPoint(0, frame->height())));
        return;
    }
    mnuPlayListPopup();
    mnuPlayList->popup(celPlaylist->mapToGlobal(QPoint(0, 0)));
}

void TApp_MEDIAPlaylist::actMenu_PopupPlayerExecute() { m_player->PopupPlayerMenu(mapToGlobal(QPoint(0, 0))); }

void TApp_MEDIAPlaylist::actEdit_TabExecute()
{
    if (edtToolFind_Find->hasFocus())
        celPlaylist->setFocus(Qt::TabFocusReason);
    else
        edtToolFind_Find->setFocus(Qt::TabFocusReason);
}
