#pragma once
// The playlist window (user-interface thread): a grid of the player's playlist with an
// information panel for the selected entry, a tool bar with the find box, and context menus.
// It owns no list of its own: rows are read from the player's playlist when painted and every
// edit is made on that list. The window reaches the player only through TMyPlayerPort.
//
// The code is spread over files by concern: mediaplaylist.cpp (creation, grid, keys, mouse,
// information panel, drops), mediaplaylist_edit.cpp (editing, moving, copying, command states),
// mediaplaylist_sort.cpp (sorting, the status caption, the find box), mediaplaylist_menus.cpp
// (menus and tool bars), mediaplaylist_tags.cpp (the background tag work), mediaplaylist_settings.cpp.

#include "playlist/findtext.h"

#include <QElapsedTimer>
#include <QFont>
#include <QHash>
#include <QKeyEvent>
#include <functional>
#include <QString>
#include <QStringList>
#include <QWidget>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QTableView;
class QTableWidget;
class QTimer;
class QToolButton;
class TMyActionBuilder;
class TMyDSPlaylist;
class TMyIniFile;
class TMyPlayerPort;
class TMyPlaylistDelegate;
class TMyPlaylistHeader;
class TMyPlaylistModel;
class TMyTag;
class TMyTagFetch;
class TMyTagRefresh;
class TMyWrapToolBar;

// Whether some property window of the program is visible.
bool PropertyWindowShown();
// "[%d] %s": the caption the player gives this window while it plays.
QString PlayingCaptionText(int number, const QString &text);

class TApp_MEDIAPlaylist : public QWidget {
    Q_OBJECT
public:
    explicit TApp_MEDIAPlaylist(TMyPlayerPort *player, QWidget *parent = nullptr);
    ~TApp_MEDIAPlaylist() override;

    TMyPlayerPort *Player() const { return m_player; }
    TMyDSPlaylist *List() const;

    // --- components (objectName = the member's name) ---
    TMyWrapToolBar *ToolBar_PlayList = nullptr;  // its buttons wrap to further rows
    TMyWrapToolBar *ToolBar_Move = nullptr;
    QTableView *celPlaylist = nullptr;
    TMyPlaylistModel *PlaylistModel = nullptr;
    TMyPlaylistHeader *PlaylistHeader = nullptr;
    TMyPlaylistDelegate *PlaylistDelegate = nullptr;
    QWidget *pnlInfo = nullptr;
    QTableWidget *celInfo = nullptr;
    QFrame *pnlToolFind_Find = nullptr;
    QLabel *lblToolFind = nullptr;
    QLineEdit *edtToolFind_Find = nullptr;
    QToolButton *btnToolFind_FindHistory = nullptr;
    QMenu *mnuPlayList = nullptr;
    QMenu *mnuSort = nullptr;
    QMenu *mnuEdit = nullptr;
    QMenu *mnuListCopy = nullptr;
    QMenu *mnuInfo = nullptr;
    QMenu *mnuFind_FindHistory = nullptr;
    QTimer *Timer_Status = nullptr;
    QTimer *Timer_StatusReset = nullptr;

    // --- commands (ActionList1 and ActionList_Edit) ---
    TMyActionBuilder *Commands = nullptr;
    QAction *Command(QStringView name) const;
    bool IsChecked(QStringView name) const;
    // Runs a command as program code does (no sender).
    bool Execute(QStringView name);

    // --- for the player window ---
    // After any change of the list's length: column 0's width, the row count, the player's
    // transport state, the command states; resetSort clears the sort state; then a repaint.
    void RefreshList(bool resetSort);
    // The selection changed: the entry's information is fetched.
    void celPlaylistClick();
    // Timers off, caption "プレイリスト".
    void ResetStatusCaption();
    // The player's caption "[%d] %s" while it plays.
    void ShowPlayingCaption(int number, const QString &text);
    // Shows the window centred on the monitor under the cursor with the playing entry's row
    // current (row 0 when none), and gives the grid the focus ("リスト表示(&L)").
    void ShowList();
    // Centres the window on the work area of the monitor under the mouse cursor.
    void CenterOnCursorMonitor();

    // --- the grid ---
    void BeginListUpdate();
    void EndListUpdate();
    int ListUpdateCount() const { return m_listUpdates; }
    // The current data row (-1 when the list is empty) and the selected data rows.
    int CurrentRow() const;
    bool SelectedRange(int &first, int &last) const;
    // Selects data rows first..last and makes row current current (-1: first).
    void SelectRows(int first, int last, int current = -1);
    void SetFirstVisibleRow(int row);
    int FirstVisibleRow() const;
    int VisibleRowCount() const;
    void SetGridFont(const QFont &font);
    QFont GridFont() const;
    int ColumnWidth(int column) const;
    void SetColumnWidth(int column, int width);
    // The busy count of the player, with the wait cursor.
    void BeginBusy();
    bool EndBusy();

    // --- information panel ---
    void ShowEntryTags(int index, const TMyTag *tag);
    void ShowEntryFileInfo(int index, const TMyTag *tag);
    QString InfoText(int row) const;
    TMyTagFetch *TagFetch() const { return m_fetch; }

    // --- background tag work (mediaplaylist_tags.cpp) ---
    // Starts a walk over the whole list (a running one is retired first).
    void StartTagRefresh();
    // Stops the walk without waiting for the entry in hand (edits, sorts, openings).
    void StopTagRefresh();
    // Starts a walk when the last one did not complete and tag reading is on.
    void ResumeTagRefresh();
    void ShowTagProgress(int index);
    void MarkTagsComplete();
    void UpdateThreadDestroyed();
    // The list was (re)loaded: nothing of it is read yet.
    void ListLoaded();
    bool TagsComplete = false;
    TMyTagRefresh *TagRefresh() const { return m_refresh; }

    // --- sorting and the find box (mediaplaylist_sort.cpp) ---
    void SortList(int code);
    void ClearSortState();
    int SortCode = 0;
    QString SortMarker;
    void Timer_StatusTimer();
    void Timer_StatusResetTimer();
    // Finds from the entry after (before) the current one, or with fromEnd from the first (last)
    // entry. Without fromEnd given, Ctrl held means from the end (menus and buttons).
    void FindNext(bool upwards);
    void FindNext(bool upwards, bool fromEnd);
    TMyFindTarget FindTarget() const;
    void SetFindTarget(TMyFindTarget target);
    void AddFindHistory(const QString &text);
    void LoadFindHistory(const QStringList &lines);
    QStringList FindHistoryLines() const { return m_history.Items(); }
    // The find box's menu states.
    void mnuEditPopup();

    // --- commands' states (mediaplaylist_edit.cpp) ---
    void mnuPlayListPopup();
    void mnuSortPopup();
    void mnuInfoPopup();
    // The block move of the eight move commands: at most places up (> 0) or down (< 0); a beep
    // when nothing is selected or the block is already at that end.
    void MoveSelection(int places);

    // --- settings (mediaplaylist_settings.cpp) ---
    void LoadSettings(TMyIniFile &ini);
    void SaveSettings(TMyIniFile &ini);

    // Whether a property window is shown (Ctrl+W); by default the panels of that window class
    // are asked. Tests replace it.
    std::function<bool()> PropertyWindowsShown;

    // Yes/No questions (the tag prompt of sorting, property windows for many entries); by
    // default a message box. Tests answer them.
    std::function<bool(const QString &question)> Confirm;

    // The clipboard's text.
    static QString ClipboardText();
    static void SetClipboardText(const QString &text);

Q_SIGNALS:
    // The tags of an entry arrived (the player window refreshes its caption when it plays).
    void entryTagsChanged(int index);

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void CreateControls();
    void CreateCommands();
    void CreateMenus();
    void CreateToolBars();
    void ConnectPlayer();
    void CreateInfoPanel();
    void CreateFindBox();
    void RebuildHistoryMenu();
    void UpdateRowHeight();
    void UpdateColumnZero();
    // The model reset from the list with the selection, the current row and the first visible
    // row put back; without a selection, keepCurrent makes the old current row current (and
    // selected) again.
    void ReloadRows(bool keepCurrent);
    void FormResize();
    void ClearInfo();

    // Handlers.
    void actPlay_SelPlayExecute();
    void actPlay_GoToItemIndexExecute();
    void actListEdit_DeleteExecute();
    void actListEdit_CutExecute();
    void CopyExecute(QStringView command);
    void actListEdit_AppendCursorExecute();
    void actListEdit_SelectAllExecute();
    void actFile_PropertyExecute();
    void actDisp_FontExecute();
    void actMenu_PopupPlaylistExecute();
    void actMenu_PopupPlayerExecute();
    void actEdit_TabExecute();
    void SortCommandExecute(QObject *sender);
    bool GridKeyUp(QKeyEvent *event);
    bool FindBoxKeyUp(QKeyEvent *event);
    // The release of a key with the modifiers held when it went down: a key command is what was
    // pressed, and Shift or Ctrl let go a moment before the key must not change it.
    QKeyEvent KeyUpAsPressed(const QKeyEvent *release);
    void ScrollLines(int lines);
    void PopupSortMenu(const QPoint &globalPos);

    TMyPlayerPort *m_player;
    TMyTagRefresh *m_refresh = nullptr;
    TMyTagFetch *m_fetch = nullptr;
    TMyFindHistory m_history;
    QString m_infoValues[4];
    int m_listUpdates = 0;
    int m_wheelRemainder = 0;
    QElapsedTimer m_tagCaptionClock;  // when the caption last showed the tag walk's progress
    bool m_destroying = false;
    // The modifiers of each key held down in the grid or the find box, as it was pressed.
    QHash<int, Qt::KeyboardModifiers> m_pressModifiers;
};
