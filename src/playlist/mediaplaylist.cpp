#include "playlist/mediaplaylist.h"

#include "custom/actionbuilder.h"
#include "engine/dsplaylist.h"
#include "engine/timetexts.h"
#include "lists/fileutils.h"
#include "platform/messagepanel.h"
#include "platform/uihooks.h"
#include "playlist/playerport.h"
#include "playlist/playlistgrid.h"
#include "playlist/sortcodes.h"
#include "tags/mytag.h"
#include "tags/tagthreads.h"
#include "widgets/heldmodifiers.h"
#include "widgets/wraptoolbar.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCursor>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace {

const QString kCaption = QStringLiteral("プレイリスト");

QFont DefaultGridFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("VL Gothic"), QStringLiteral("Droid Sans Fallback"), QStringLiteral("sans-serif")});
    font.setPixelSize(12);
    return font;
}

} // namespace

QString PlayingCaptionText(int number, const QString &text)
{
    return QStringLiteral("[%1] %2").arg(number).arg(text);
}

TApp_MEDIAPlaylist::TApp_MEDIAPlaylist(TMyPlayerPort *player, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_player(player)
{
    setObjectName(QStringLiteral("App_MEDIAPlaylist"));
    setWindowTitle(kCaption);
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(DefaultGridFont());
    resize(703, 421);
    m_refresh = new TMyTagRefresh(this);
    m_fetch = new TMyTagFetch(this);
    CreateCommands();
    CreateControls();
    CreateMenus();
    CreateToolBars();
    ConnectPlayer();
    CenterOnCursorMonitor();
    setAcceptDrops(true);
    RefreshList(true);
}

TApp_MEDIAPlaylist::~TApp_MEDIAPlaylist()
{
    m_destroying = true;
    Timer_Status->stop();
    Timer_StatusReset->stop();
    // The workers end before the list they were reading about can go.
    delete m_fetch;
    m_fetch = nullptr;
    delete m_refresh;
    m_refresh = nullptr;
}

TMyDSPlaylist *TApp_MEDIAPlaylist::List() const { return m_player->Playlist(); }

QAction *TApp_MEDIAPlaylist::Command(QStringView name) const { return Commands->Action(name); }

bool TApp_MEDIAPlaylist::IsChecked(QStringView name) const
{
    const QAction *action = Command(name);
    return action && action->isChecked();
}

bool TApp_MEDIAPlaylist::Execute(QStringView name) { return Commands->Execute(name); }

void TApp_MEDIAPlaylist::CreateControls()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ToolBar_PlayList = new TMyWrapToolBar(this);
    ToolBar_PlayList->setObjectName(QStringLiteral("ToolBar_PlayList"));
    layout->addWidget(ToolBar_PlayList);
    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFixedHeight(1);
    layout->addWidget(line);
    ToolBar_Move = new TMyWrapToolBar(this);
    ToolBar_Move->setObjectName(QStringLiteral("ToolBar_Move"));
    ToolBar_Move->setVisible(false);
    layout->addWidget(ToolBar_Move);

    celPlaylist = new TMyPlaylistView(this);
    celPlaylist->setObjectName(QStringLiteral("celPlaylist"));
    PlaylistModel = new TMyPlaylistModel(celPlaylist);
    PlaylistModel->SetList(List());
    PlaylistHeader = new TMyPlaylistHeader(celPlaylist);
    PlaylistHeader->setObjectName(QStringLiteral("celPlaylistHeader"));
    celPlaylist->setHorizontalHeader(PlaylistHeader);
    celPlaylist->setModel(PlaylistModel);
    PlaylistDelegate = new TMyPlaylistDelegate(celPlaylist);
    PlaylistDelegate->PlayingRow = [this] { return m_player->ItemIndex(); };
    celPlaylist->setItemDelegate(PlaylistDelegate);
    celPlaylist->setSelectionBehavior(QAbstractItemView::SelectRows);
    celPlaylist->setSelectionMode(QAbstractItemView::ContiguousSelection);
    celPlaylist->setEditTriggers(QAbstractItemView::NoEditTriggers);
    celPlaylist->setShowGrid(false);
    celPlaylist->setWordWrap(false);
    celPlaylist->setTabKeyNavigation(false);
    celPlaylist->setCornerButtonEnabled(false);
    celPlaylist->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    celPlaylist->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    celPlaylist->verticalHeader()->hide();
    celPlaylist->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    celPlaylist->verticalHeader()->setMinimumSectionSize(1);
    PlaylistHeader->setSectionResizeMode(QHeaderView::Interactive);
    PlaylistHeader->setStretchLastSection(true);
    PlaylistHeader->setMinimumSectionSize(8);
    celPlaylist->installEventFilter(this);
    celPlaylist->viewport()->installEventFilter(this);
    layout->addWidget(celPlaylist, 1);
    connect(PlaylistHeader, &TMyPlaylistHeader::sortClicked, this, [this](int column) { SortList(column); });
    connect(PlaylistHeader, &TMyPlaylistHeader::sortMenuRequested, this, &TApp_MEDIAPlaylist::PopupSortMenu);
    connect(celPlaylist->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_destroying)
            mnuPlayListPopup();
    });

    CreateInfoPanel();
    layout->addWidget(pnlInfo);
    CreateFindBox();

    Timer_Status = new QTimer(this);
    Timer_Status->setObjectName(QStringLiteral("Timer_Status"));
    Timer_Status->setInterval(60);
    connect(Timer_Status, &QTimer::timeout, this, &TApp_MEDIAPlaylist::Timer_StatusTimer);
    Timer_StatusReset = new QTimer(this);
    Timer_StatusReset->setObjectName(QStringLiteral("Timer_StatusReset"));
    Timer_StatusReset->setInterval(3000);
    connect(Timer_StatusReset, &QTimer::timeout, this, &TApp_MEDIAPlaylist::Timer_StatusResetTimer);

    UpdateRowHeight();
    UpdateColumnZero();
    const int usable = celPlaylist->viewport()->width() > 100 ? celPlaylist->viewport()->width() : width();
    PlaylistHeader->resizeSection(1, std::max(40, (usable - PlaylistHeader->sectionSize(0)) / 2));
}

void TApp_MEDIAPlaylist::CreateInfoPanel()
{
    pnlInfo = new QWidget(this);
    pnlInfo->setObjectName(QStringLiteral("pnlInfo"));
    auto *layout = new QVBoxLayout(pnlInfo);
    layout->setContentsMargins(0, 0, 0, 0);
    celInfo = new QTableWidget(4, 2, pnlInfo);
    celInfo->setObjectName(QStringLiteral("celInfo"));
    celInfo->horizontalHeader()->hide();
    celInfo->verticalHeader()->hide();
    celInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    celInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    celInfo->setFocusPolicy(Qt::NoFocus);
    celInfo->setEditTriggers(QAbstractItemView::NoEditTriggers);
    celInfo->setSelectionMode(QAbstractItemView::NoSelection);
    celInfo->setShowGrid(false);
    celInfo->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    celInfo->verticalHeader()->setMinimumSectionSize(1);
    celInfo->verticalHeader()->setDefaultSectionSize(16);
    celInfo->horizontalHeader()->setStretchLastSection(true);
    celInfo->setBackgroundRole(QPalette::Button);
    const QString labels[] = {QStringLiteral("タイトル"), QStringLiteral("アーティスト"), QStringLiteral("アルバム"),
                              QStringLiteral("ファイル情報")};
    for (int row = 0; row < 4; ++row) {
        celInfo->setItem(row, 0, new QTableWidgetItem(labels[row]));
        celInfo->setItem(row, 1, new QTableWidgetItem);
    }
    celInfo->setColumnWidth(0, celInfo->fontMetrics().horizontalAdvance(labels[3]) + 16);
    celInfo->setFixedHeight(4 * 16 + 2);
    celInfo->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(celInfo, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        mnuInfoPopup();
        mnuInfo->popup(celInfo->viewport()->mapToGlobal(pos));
    });
    layout->addWidget(celInfo);
}

void TApp_MEDIAPlaylist::ConnectPlayer()
{
    connect(m_player, &TMyPlayerPort::listChanged, this, [this] {
        // Not for the window's own edits, nor while the busy count holds input off.
        if (isEnabled() && !m_player->IsBusy() && m_listUpdates == 0) {
            RefreshList(true);
            if (isVisible())
                celPlaylistClick();  // the current row may hold another entry now
        }
    });
    connect(m_player, &TMyPlayerPort::playingChanged, this, [this] {
        mnuPlayListPopup();
        celPlaylist->viewport()->update();
    });
    connect(m_player, &TMyPlayerPort::listLoaded, this, &TApp_MEDIAPlaylist::ListLoaded);
    connect(m_refresh, &TMyTagRefresh::tagProgress, this, [this](int index, bool, bool) { ShowTagProgress(index); });
    connect(m_refresh, &TMyTagRefresh::tagsComplete, this, &TApp_MEDIAPlaylist::MarkTagsComplete);
    connect(m_refresh, &TMyTagRefresh::threadFinished, this, &TApp_MEDIAPlaylist::UpdateThreadDestroyed);
    connect(m_fetch, &TMyTagFetch::entryTags, this, &TApp_MEDIAPlaylist::ShowEntryTags);
    connect(m_fetch, &TMyTagFetch::entryFileInfo, this, &TApp_MEDIAPlaylist::ShowEntryFileInfo);
}

void TApp_MEDIAPlaylist::CenterOnCursorMonitor()
{
    QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
}

// ---- the grid -----------------------------------------------------------------------------------

void TApp_MEDIAPlaylist::UpdateRowHeight()
{
    const QFontMetrics fm(celPlaylist->font());
    celPlaylist->verticalHeader()->setDefaultSectionSize(int(std::ceil(fm.height() * 1.4)));
}

void TApp_MEDIAPlaylist::UpdateColumnZero()
{
    const QFontMetrics fm(celPlaylist->font());
    const int digits = std::max(List() ? List()->Count() : 0, 1000);
    PlaylistHeader->resizeSection(0, fm.horizontalAdvance(QString::number(digits)) + 4);
}

void TApp_MEDIAPlaylist::FormResize()
{
    // The last column takes what the others leave of the grid's inside, which a vertical scroll
    // bar narrows: a width restored or dragged earlier must not push it out of view.
    const int rest = celPlaylist->viewport()->width() - PlaylistHeader->sectionSize(0) - PlaylistHeader->sectionSize(1);
    PlaylistHeader->resizeSection(2, std::max(PlaylistHeader->minimumSectionSize(), rest));
    celInfo->setColumnWidth(1, std::max(0, celInfo->viewport()->width() - celInfo->columnWidth(0)));
}

void TApp_MEDIAPlaylist::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TApp_MEDIAPlaylist::SetGridFont(const QFont &font)
{
    celPlaylist->setFont(font);
    PlaylistHeader->setFont(font);
    UpdateRowHeight();
    UpdateColumnZero();
    celPlaylist->viewport()->update();
}

QFont TApp_MEDIAPlaylist::GridFont() const { return celPlaylist->font(); }

int TApp_MEDIAPlaylist::ColumnWidth(int column) const { return PlaylistHeader->sectionSize(column); }

void TApp_MEDIAPlaylist::SetColumnWidth(int column, int width)
{
    if (column >= 0 && column < 3 && width > 0)
        PlaylistHeader->resizeSection(column, width);
}

void TApp_MEDIAPlaylist::BeginListUpdate()
{
    if (m_listUpdates++ == 0)
        celPlaylist->setUpdatesEnabled(false);
    List()->BeginUpdate();
}

void TApp_MEDIAPlaylist::EndListUpdate()
{
    List()->EndUpdate();
    if (m_listUpdates == 0 || --m_listUpdates > 0)
        return;
    ReloadRows(false);
    celPlaylist->setUpdatesEnabled(true);
    celPlaylist->viewport()->update();
}

void TApp_MEDIAPlaylist::ReloadRows(bool keepCurrent)
{
    int first = -1, last = -1;
    const bool selected = SelectedRange(first, last);
    const int current = CurrentRow();
    const int top = FirstVisibleRow();
    PlaylistModel->Refresh();
    if (selected)
        SelectRows(first, last, current);
    else if (keepCurrent && List()->Count() > 0)
        SelectRows(current, current, current);  // the current row is always a selected one
    SetFirstVisibleRow(top);
}

int TApp_MEDIAPlaylist::CurrentRow() const
{
    const int count = List()->Count();
    if (count == 0)
        return -1;
    const QModelIndex current = celPlaylist->currentIndex();
    return current.isValid() ? std::min(current.row(), count - 1) : 0;
}

bool TApp_MEDIAPlaylist::SelectedRange(int &first, int &last) const
{
    const int count = List()->Count();
    const QItemSelection selection = celPlaylist->selectionModel()->selection();
    if (count == 0 || selection.isEmpty())
        return false;
    first = count;
    last = -1;
    for (const QItemSelectionRange &range : selection) {
        first = std::min(first, range.top());
        last = std::max(last, range.bottom());
    }
    last = std::min(last, count - 1);
    return first <= last;
}

void TApp_MEDIAPlaylist::SelectRows(int first, int last, int current)
{
    const int rows = PlaylistModel->rowCount();
    first = std::clamp(first, 0, rows - 1);
    last = std::clamp(last, first, rows - 1);
    if (current < 0)
        current = first;
    current = std::clamp(current, 0, rows - 1);
    QItemSelectionModel *model = celPlaylist->selectionModel();
    model->setCurrentIndex(PlaylistModel->index(current, 1), QItemSelectionModel::NoUpdate);
    model->select(QItemSelection(PlaylistModel->index(first, 0), PlaylistModel->index(last, 2)),
                  QItemSelectionModel::ClearAndSelect);
}

int TApp_MEDIAPlaylist::FirstVisibleRow() const { return celPlaylist->verticalScrollBar()->value(); }

void TApp_MEDIAPlaylist::SetFirstVisibleRow(int row)
{
    celPlaylist->verticalScrollBar()->setValue(std::max(row, 0));
}

int TApp_MEDIAPlaylist::VisibleRowCount() const
{
    const int rowHeight = std::max(celPlaylist->verticalHeader()->defaultSectionSize(), 1);
    return std::max(celPlaylist->viewport()->height() / rowHeight, 1);
}

void TApp_MEDIAPlaylist::ScrollLines(int lines)
{
    QScrollBar *bar = celPlaylist->verticalScrollBar();
    bar->setValue(bar->value() + lines);
}

void TApp_MEDIAPlaylist::BeginBusy()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_player->EnterBusy();
}

bool TApp_MEDIAPlaylist::EndBusy()
{
    QApplication::restoreOverrideCursor();
    return m_player->LeaveBusy();
}

void TApp_MEDIAPlaylist::RefreshList(bool resetSort)
{
    UpdateColumnZero();
    if (m_listUpdates == 0)
        ReloadRows(true);
    m_player->RefreshPlayerState();
    mnuPlayListPopup();
    if (resetSort) {
        SortCode = 0;
        SortList(kSortRefresh);
    }
    celPlaylist->viewport()->update();
    PlaylistHeader->viewport()->update();
}

void TApp_MEDIAPlaylist::ResetStatusCaption()
{
    Timer_Status->stop();
    Timer_StatusReset->stop();
    setWindowTitle(kCaption);
}

void TApp_MEDIAPlaylist::ShowPlayingCaption(int number, const QString &text)
{
    setWindowTitle(PlayingCaptionText(number, text));
}

void TApp_MEDIAPlaylist::ShowList()
{
    if (List()->Count() > 0) {
        const int index = m_player->ItemIndex();
        const int row = index >= 0 && index < List()->Count() ? index : 0;
        SelectRows(row, row, row);
    }
    celPlaylistClick();  // also empties the panel of a list emptied while the window was hidden
    CenterOnCursorMonitor();
    show();
    raise();
    activateWindow();
    celPlaylist->setFocus();
}

void TApp_MEDIAPlaylist::closeEvent(QCloseEvent *event)
{
    // The window lives as long as the player: closing hides it.
    event->ignore();
    hide();
}

// ---- selection and the information panel ---------------------------------------------------------

void TApp_MEDIAPlaylist::celPlaylistClick()
{
    const int row = CurrentRow();
    if (row < 0 || List()->Count() == 0) {
        // No entry is current: nothing of an entry that left the list stays in the panel.
        m_fetch->Cancel();
        ClearInfo();
        mnuInfoPopup();
        return;
    }
    if (!m_fetch->Fetch(List(), row))
        platform::Beep();
}

void TApp_MEDIAPlaylist::ClearInfo()
{
    for (int row = 0; row < 4; ++row) {
        m_infoValues[row].clear();
        celInfo->item(row, 1)->setText(QString());
    }
}

QString TApp_MEDIAPlaylist::InfoText(int row) const { return row >= 0 && row < 4 ? m_infoValues[row] : QString(); }

void TApp_MEDIAPlaylist::ShowEntryTags(int index, const TMyTag *given)
{
    ClearInfo();
    mnuInfoPopup();
    if (index != CurrentRow()) {
        m_fetch->Cancel();
        return;
    }
    const auto *tag = given ? static_cast<const TMyCustomTag *>(given)
                            : dynamic_cast<const TMyCustomTag *>(List()->GetObject(index));
    if (!tag || List()->Get(index) != tag->FileName)
        return;
    m_infoValues[0] = tag->TitleOrName();
    const TMyTagTexts &texts = tag->Texts();
    m_infoValues[1] = texts.Artist;
    if (!texts.OriginalArtist.isEmpty())
        m_infoValues[1] += QStringLiteral("//") + texts.OriginalArtist;
    m_infoValues[2] = texts.Album;
    if (!texts.OriginalAlbum.isEmpty())
        m_infoValues[2] += QStringLiteral("//") + texts.OriginalAlbum;
    for (int row = 0; row < 3; ++row)
        celInfo->item(row, 1)->setText(m_infoValues[row]);
    mnuInfoPopup();
}

void TApp_MEDIAPlaylist::ShowEntryFileInfo(int index, const TMyTag *given)
{
    if (index != CurrentRow()) {
        m_fetch->Cancel();
        return;
    }
    // A given tag is already stored with the entry (the fetch did that).
    const auto *tag = given ? static_cast<const TMyCustomTag *>(given)
                            : dynamic_cast<const TMyCustomTag *>(List()->GetObject(index));
    if (!tag || List()->Get(index) != tag->FileName)
        return;
    QString text;
    if (FileExists(tag->FileName)) {
        text = QStringLiteral("%1 %2秒 (%3)").arg(tag->SizeText(), FractionText(3, tag->MediaDuration), tag->WriteTimeText());
        if (tag->VideoWidth > 0 && tag->VideoHeight > 0)
            text = QStringLiteral("%1 %2x%3").arg(text).arg(tag->VideoWidth).arg(tag->VideoHeight);
        if (tag->VideoFrameRate > 0)
            text += QStringLiteral(" %1fps").arg(tag->VideoFrameRate, 0, 'f', 2);
    } else {
        text = QStringLiteral("ファイルが存在しません");
    }
    m_infoValues[3] = text;
    celInfo->item(3, 1)->setText(text);
    // The tags may have come with the measurement: the row's texts and the caption follow.
    PlaylistModel->RowsChanged(index, index);
    Q_EMIT entryTagsChanged(index);
}

// ---- keys, mouse, wheel, drops -----------------------------------------------------------------

bool TApp_MEDIAPlaylist::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == celPlaylist || watched == edtToolFind_Find) {
        if (type == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            m_pressModifiers.insert(key->key(), key->modifiers());
        } else if (type == QEvent::FocusOut) {
            m_pressModifiers.clear();  // the releases of keys held now go elsewhere
        }
    }
    if (watched == celPlaylist) {
        if (type == QEvent::KeyPress)
            return m_player->PlayerKeyDown(static_cast<QKeyEvent *>(event));
        if (type == QEvent::KeyRelease) {
            QKeyEvent key = KeyUpAsPressed(static_cast<QKeyEvent *>(event));
            if (!m_player->PlayerKeyUp(&key))
                GridKeyUp(&key);
            return true;
        }
    } else if (watched == celPlaylist->viewport()) {
        if (type == QEvent::Resize)
            FormResize();
        if (type == QEvent::Wheel) {
            wheelEvent(static_cast<QWheelEvent *>(event));
            return true;
        }
        if (type == QEvent::MouseButtonRelease) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            const QPoint pos = mouse->position().toPoint();
            if (mouse->button() == Qt::LeftButton) {
                celPlaylistClick();
                FormResize();
            } else if (mouse->button() == Qt::RightButton && List()->Count() > 0 &&
                       celPlaylist->indexAt(pos).isValid()) {
                celPlaylistClick();  // the press may have made another row current
                mnuPlayListPopup();
                mnuPlayList->popup(mouse->globalPosition().toPoint());
            }
        } else if (type == QEvent::MouseButtonDblClick) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton && celPlaylist->indexAt(mouse->position().toPoint()).isValid()) {
                QTimer::singleShot(100, this, [this] { actPlay_SelPlayExecute(); });
                return true;
            }
        }
    } else if (watched == edtToolFind_Find) {
        if (type == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            m_player->PlayerKeyDown(key);
            return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Up ||
                   key->key() == Qt::Key_Down;
        }
        if (type == QEvent::KeyRelease) {
            QKeyEvent key = KeyUpAsPressed(static_cast<QKeyEvent *>(event));
            m_player->PlayerKeyUp(&key);
            FindBoxKeyUp(&key);
            return true;
        }
        if (type == QEvent::MouseButtonRelease && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
            mnuEditPopup();
            mnuEdit->popup(QCursor::pos());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

QKeyEvent TApp_MEDIAPlaylist::KeyUpAsPressed(const QKeyEvent *release)
{
    Qt::KeyboardModifiers modifiers = release->modifiers();
    if (!release->isAutoRepeat()) {
        const auto pressed = m_pressModifiers.constFind(release->key());
        if (pressed != m_pressModifiers.constEnd()) {
            modifiers = *pressed;
            m_pressModifiers.erase(pressed);
        }
    }
    return QKeyEvent(QEvent::KeyRelease, release->key(), modifiers, release->nativeScanCode(),
                     release->nativeVirtualKey(), release->nativeModifiers(), release->text(),
                     release->isAutoRepeat(), release->count(), release->device());
}

bool TApp_MEDIAPlaylist::GridKeyUp(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!m_player->TakeWindowMenuEnter())
            actPlay_SelPlayExecute();
        return true;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
        celPlaylistClick();
        return true;
    case Qt::Key_F:
        if (!ctrl)
            return false;
        if (edtToolFind_Find->hasFocus())
            celPlaylist->setFocus();
        else
            edtToolFind_Find->setFocus();
        return true;
    case Qt::Key_G:
        if (!ctrl)
            return false;
        actPlay_GoToItemIndexExecute();
        return true;
    case Qt::Key_S:
        if (!ctrl)
            return false;
        PopupSortMenu(celPlaylist->mapToGlobal(QPoint(0, PlaylistHeader->height())));
        return true;
    case Qt::Key_W: {
        if (!ctrl)
            return false;
        if (PropertyWindowsShown ? PropertyWindowsShown() : PropertyWindowShown())
            m_player->PopupWindowMenu(mapToGlobal(QPoint(0, 0)));
        else
            m_player->ShowPlayer();
        return true;
    }
    case Qt::Key_Menu:
        actMenu_PopupPlaylistExecute();
        return true;
    case Qt::Key_Delete:
        // The key a desktop list takes for removing what is selected.
        if (mods != Qt::NoModifier)
            return false;
        if (QAction *remove = Command(u"actListEdit_Delete"); remove && remove->isEnabled())
            remove->trigger();
        return true;
    case Qt::Key_F3:
        return FindBoxKeyUp(event);
    case Qt::Key_F10:
        if (mods & Qt::ShiftModifier)
            actMenu_PopupPlaylistExecute();
        else
            actMenu_PopupPlayerExecute();
        return true;
    default:
        return false;
    }
}

void TApp_MEDIAPlaylist::keyReleaseEvent(QKeyEvent *event)
{
    if (!m_player->PlayerKeyUp(event))
        QWidget::keyReleaseEvent(event);
}

void TApp_MEDIAPlaylist::wheelEvent(QWheelEvent *event)
{
    // One line per notch (120 units); small touchpad steps add up.
    m_wheelRemainder += event->angleDelta().y();
    const int notches = m_wheelRemainder / 120;
    m_wheelRemainder -= notches * 120;
    if (notches != 0)
        ScrollLines(-notches);
    event->accept();
}

void TApp_MEDIAPlaylist::dragEnterEvent(QDragEnterEvent *event)
{
    if (!m_player->IsBusy() && event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TApp_MEDIAPlaylist::dropEvent(QDropEvent *event)
{
    if (m_player->IsBusy() || !event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    QStringList paths;
    for (const QUrl &url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    m_player->DropFiles(paths);
}

// ---- clipboard ------------------------------------------------------------------------------------

QString TApp_MEDIAPlaylist::ClipboardText() { return QGuiApplication::clipboard()->text(); }

void TApp_MEDIAPlaylist::SetClipboardText(const QString &text) { QGuiApplication::clipboard()->setText(text); }

bool PropertyWindowShown()
{
    for (const platform::PanelEntry &entry : platform::ListPanels(QStringLiteral("TApp_MediaProperty"))) {
        const std::optional<platform::PanelIdentity> identity = platform::QueryPanel(entry.handle, 500);
        if (identity && identity->state.visible)
            return true;
    }
    return false;
}
