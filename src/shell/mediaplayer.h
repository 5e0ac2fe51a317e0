#pragma once
// The player's main window (user-interface thread). It owns the playback component, its
// commands (the QActions of ActionList_Main and ActionList_Exclude), the open dialogs and
// histories, and every way of bringing files in, which all end in OpenPaths.
//
// The window's code is spread over files by concern: mediaplayer.cpp (creation, closing, the
// sub-player), mediaplayer_menus.cpp (menus and tool bars), mediaplayer_open.cpp (opening,
// saving the list, drops, the resume list),
// mediaplayer_settings.cpp (the settings pass), mediaplayer_words.cpp (the panel's command
// words).

#include "platform/messagepanel.h"
#include "shell/openhistory.h"

#include <QMainWindow>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QAction;
class QKeyEvent;
class QLabel;
class TMyTrackBar;
namespace platform { class ScreenSaverInhibitor; class SleepWatcher; }
class QMenu;
class QTimer;
class QToolBar;
class QToolButton;
class TMyActionBuilder;
class TMyBusyCount;
class TMyDSPlayer;
class TMyIniFile;
class TMyMessagePanel;
class TMyOpenFileDialog;
class TMyOpenFolderDialog;
class TMyParam;
class TMyPlayerBinding;
class TApp_MEDIAPlaylist;
class TMyPlayerPort;
class TMySaveFileDialog;
class TMyVideoArea;

class TApp_MEDIAPlayer : public QMainWindow {
    Q_OBJECT
public:
    explicit TApp_MEDIAPlayer(QWidget *parent = nullptr);
    ~TApp_MEDIAPlayer() override;

    // --- settings (mediaplayer_settings.cpp) ---
    // Once after construction: reads the window's keys, shows the window, then reopens the
    // resume list when asked to and the process was started without arguments.
    void LoadSettings(TMyIniFile &ini);
    // Once when closing; the caller writes the file.
    void SaveSettings(TMyIniFile &ini);
    // Whether the process had arguments after the program name (no resume then).
    bool HasStartupArguments = false;

    // --- command words (mediaplayer_words.cpp) ---
    // The process's own command line goes through the panel like a forwarded one, once the
    // window is complete.
    void HandleStartupCommandLine(const QString &restOfCommandLine);
    // The dispatcher of every text the panel receives.
    void MyMessagePanel1TextChange(TMyMessagePanel *sender, const QString &text);
    // The settings words of the process's own command line that must act before the settings
    // are read ("/LOADINI:OFF").
    void ApplyStartupSettingsWords(const TMyParam &param);
    // A rename notice: entries naming the old path name the new one; the playing one closes and
    // continues at the same second under its new name.
    void RenameEntries(const QString &oldPath, const QString &newPath);
    // Tag-write notices: the playing file is released before the write (resume point, close) and
    // continues after it.
    void PropertyStartWrite(const QString &path);
    void PropertyEndWrite(const QString &path);
    // Pauses and keeps the current entry and second as the resume point.
    void SaveResumePoint();
    // The volume (0..100) and balance (-100..100) as if their bars were moved there.
    void SetVolumePosition(int position);
    void SetBalancePosition(int position);

    // --- the sub-player ---
    // Starts a sub-player unless the one known is alive; true when a live one has answered
    // (waiting at most two seconds for the answer of a new one).
    bool EnsureSubPlayer();
    // Starts a new sub-player process without waiting for its answer.
    void StartSubPlayer();
    // The program a sub-player runs: this executable by default; empty starts none (tests).
    static void SetSubPlayerProgram(const QString &program);
    static QString SubPlayerProgram();

    // --- commands ---
    TMyActionBuilder *Commands = nullptr;
    // The command's action (ActionList_Main or ActionList_Exclude); never null for a name of
    // those lists.
    QAction *Command(QStringView name) const;
    bool IsChecked(QStringView name) const;
    // Runs a command as program code does (no sender: no dialog, the current state).
    bool Execute(QStringView name);

    // --- the busy count: user input to every window and file dropping off while above zero ---
    TMyBusyCount *Busy = nullptr;
    void DisableUserInput();
    // True when the count is still above zero.
    bool EnableUserInput();

    // --- opening (mediaplayer_open.cpp) ---
    // Turns files, folders and playlist files into playlist entries (added, or replacing the
    // list, by "開くときに追加(&A)") and starts playback at the right entry; records the open
    // histories when asked. A second call while one runs only beeps.
    virtual void OpenPaths(const QStringList &paths, bool recordHistory);
    // "選択フォルダのみ開く": the plain files directly inside the first folder, without its
    // sub-folders.
    virtual void OpenThisFolderOnly(const QStringList &folders);
    bool Opening() const { return m_opening; }
    void Action_FileOpenFileExecute(QObject *sender);
    void Action_FileOpenFolderExecute(QObject *sender);
    void Action_FileOpenThisFolderExecute(QObject *sender);
    void Action_FileSaveAsExecute(QObject *sender);
    // Paths dropped on a window of the player, in the order given.
    void DropFiles(const QStringList &paths);
    // "拡張子を限定する(&X)": the playlist admits the allowed list, or everything not excluded.
    void ApplyAllowExt();
    void Timer_GetFileTimer();
    // A history item was chosen: moved to the top, then opened without a dialog.
    void OpenFileHistory(const QString &path);
    void OpenFolderHistory(const QString &path);
    void OpenThisFolderHistory(const QString &path);

    TMyOpenHistory HistoryOpenFile{QStringLiteral("HISTORY_OPENFILE")};
    TMyOpenHistory HistoryOpenFolder{QStringLiteral("HISTORY_OPENFOLDER")};
    TMyOpenHistory HistoryOpenThisFolder{QStringLiteral("HISTORY_OPENTHISFOLDER")};
    std::unique_ptr<TMyOpenFileDialog> dlgOpenFile;
    std::unique_ptr<TMyOpenFolderDialog> dlgOpenFolder;
    std::unique_ptr<TMyOpenFolderDialog> dlgOpenThisFolder;
    std::unique_ptr<TMySaveFileDialog> dlgSaveList;
    QWidget *pnlOpenFile = nullptr;  // the check box panels inside the dialogs
    QWidget *pnlSaveList = nullptr;
    // The editable list of allowed extensions (the settings dialog's, once it exists).
    QStringList AllowedExtensions;

    // The resume point: the entry and second the next opening continues at (-1: none).
    int SavedIndex = -1;
    double SavedPosition = 0;
    // Where files start (command words START, STARTSEC, STARTTIME); 0: at the beginning.
    double StartPosition = 0;

    QTimer *Timer_GetFile = nullptr;

    // The playback component "plyMedia" and what binds the window to it.
    TMyDSPlayer *plyMedia() const;
    TMyPlayerBinding *PlayerBinding = nullptr;
    TMyMessagePanel *MyMessagePanel1 = nullptr;
    platform::PanelHandle SubPlayerPanel = 0; // the sub-player's panel, from TO_SUBPLAYER

    // --- menus and tool bars (mediaplayer_menus.cpp) ---
    // The menus (main menu, context menu, the small menus) bound to the commands.
    void CreateMenus();
    // The two tool bars, filled with their buttons; the window's layout places them.
    void CreateToolBars();
    QToolBar *ToolBar_Main = nullptr;
    QToolBar *ToolBar_Play = nullptr;
    // The menus (objectName = the component name). mnuMain holds the menu bar's items.
    QMenu *mnuMain = nullptr;
    QMenu *mnuPopup = nullptr;  // the window's context menu
    QMenu *mnuFile = nullptr;   // the open buttons' right button
    // The open histories, rebuilt on historiesChanged; an item opens its path.
    QMenu *mnuFile_HistoryOpenFile = nullptr;
    QMenu *mnuFile_HistoryOpenFolder = nullptr;
    QMenu *mnuFile_HistoryOpenThisFolder = nullptr;
    QMenu *mnuPlay_Rate = nullptr;
    QMenu *mnuPlay_Repeat = nullptr;
    QMenu *mnuZoom_UpDown = nullptr;
    QMenu *mnuVolume = nullptr;
    QMenu *mnuTime = nullptr;
    QMenu *mnuCustomize_ToolBar = nullptr;
    QMenu *mnuWindow = nullptr;  // empty; filled on opening by the window list
    // An item of mnuMain, mnuPopup or a small menu by component name (without regard to case;
    // the main menu first, then the context menu, then the small menus); a TMyCommandItem
    // unless it is a separator. Null when there is none.
    QAction *MenuItem(QStringView name) const;
    // A tool bar item (TMyCommandItem or separator) and its button by component name.
    QAction *ToolItem(QStringView name) const;
    QToolButton *ToolButton(QStringView name) const;
    // The playlist window's command of a name (without "App_MEDIAPlaylist."); until that window
    // exists, a disabled stand-in with the catalogue's caption.
    QAction *PlaylistCommand(QStringView name) const;
    // Disables the commands no handler serves yet (the sub-menu holders excepted), and keeps
    // them disabled until one is attached. Run at the end of CreateToolBars.
    void DisableUnhandledCommands();
    // Refills the three history menus from the histories.
    void RebuildHistoryMenus();
    // The debug menu's graph files: write the playing graph, or open and play a graph file.
    void actTest_CreateGrfFileExecute(QObject *sender);
    void actTest_LoadGrfFileExecute(QObject *sender);
    std::unique_ptr<TMySaveFileDialog> dlgSelectGrfFile;

    // --- components and transport (mediaplayer.cpp, mediaplayer_transport.cpp,
    // mediaplayer_events.cpp, mediaplayer_keys.cpp) ---
    // The panels around the video area, top to bottom; component names are their objectNames.
    QWidget *pnlTop = nullptr;
    QWidget *pnlInfo = nullptr;
    QLabel *Label_FileName = nullptr, *Label_Title = nullptr, *Label_Artist = nullptr, *Label_Album = nullptr,
           *Label_FileInfo = nullptr;
    QWidget *pnlBottom = nullptr;
    QWidget *pnlSeek = nullptr;
    QWidget *Panel_Seek = nullptr;
    TMyTrackBar *TrackBar_Seek = nullptr;
    TMyTrackBar *barVolume = nullptr;
    TMyTrackBar *barBalance = nullptr;
    QLabel *Label_VideoSize = nullptr;
    QLabel *lblTime = nullptr;

    QTimer *Timer_SeekBar = nullptr;  // 300 ms: information, seek bar, screen saver
    QTimer *Timer_Time = nullptr;     // 30 ms: time display, A-B check
    QTimer *Timer_Frame = nullptr;    // auto-repeat of the frame buttons
    QTimer *Timer_IsPlay = nullptr;   // one shot after a video size change while stopped
    // The timers' handlers (tests call them). A sender (the timer, a skip, the time display
    // command) lets the seek bar tick re-enable both display timers; none leaves them off.
    void Timer_SeekBarTimer(QObject *sender);
    void Timer_TimeTimer();
    void Timer_FrameTimer();
    void Timer_IsPlayTimer();

    // 1 from the end of creation until the window starts closing.
    int Alive = 0;
    // A skip or zoom is under way.
    bool UpdateLock = false;
    // The A-B repeat points in seconds (0: unset).
    double PointA = 0, PointB = 0;
    // Direction of the frame auto-repeat (-1, 0, +1).
    int FrameDirection = 0;
    // The rate menu's current index (the tag of the checked rate command; 7 is "1.0").
    int RateIndex = 7;

    // Seeks within 0..Duration; under A-B repeat a seek outside the points widens them.
    void SeekTo(double seconds);
    // Skips by the amount Shift and Ctrl choose (30 s, 90 s with Shift, 1 s with Ctrl, a tenth
    // of the file with both); direction -1 or +1.
    void Skip(int direction);
    // The playback component's events, installed by the window.
    void MediaOpen();
    void MediaStart();
    void MediaPlay();
    void MediaPaused();
    void MediaStopped();
    void MediaEnded();
    void MediaError();
    void MediaDeleted();
    void MediaEvent(int code, int param1, int param2);
    void VideoSizeChange(int width, int height);
    // Command availability (when a menu opens and after each opening).
    void mnuPopupPopup();
    // Whether commands that name "the media" mean the playing one (true) rather than the
    // playlist window's cursor row.
    bool TargetsPlayingMedia() const;
    // The system is about to sleep: pause, keep the resume point, close, stop the timers.
    void SystemSuspend();
    // The reset after an exception reached the application: one box, then the no-media state.
    void ApplicationException(const QString &message, bool fromPlayer);
    // The program that property windows run ("/property" process); this executable by default.
    static void SetPropertyProgram(const QString &program);
    static QString PropertyProgram();
    // Whether the screen saver is held off now.
    bool ScreenSaverInhibited() const;
    // The wheel without the right button: zoom (set by the zoom code; delta > 0 is up).
    std::function<void(int delta)> OnZoomWheel;
    // A right-button stroke from press to release (global points); true when it ran a gesture.
    // Without a handler every release is a click and opens the context menu.
    std::function<bool(const QPoint &from, const QPoint &to)> OnMouseGesture;
    // Runs the first key binding of a plain key; true when one ran (tests call it too).
    bool DispatchBoundKey(int qtKey, Qt::KeyboardModifiers modifiers);
    // A menu by component name (menus are made by mediaplayer_menus.cpp); null until it exists.
    QMenu *MenuNamed(const QString &name) const;

    // --- video display --- (mediaplayer_video.cpp)
    // The panels and the video control are placed by hand: the video can be zoomed past the
    // window's edges, and in full screen the panels slide in over it.
    QTimer *Timer_Control = nullptr;  // 100 ms: the panels' auto-hide in full screen
    // Layout: which panels show and the height the window may have (also "情報パネル(&I)").
    void actDisp_ToolBarExecute();
    // The window was resized: places the video control and the information panel.
    void FormResize();
    // The zoom commands (the sender decides; none fits the window to the video).
    void actZoom_UpExecute(QObject *sender);
    // Full screen and max zoom: entered when a video is open and either is checked, else left.
    void actZoom_FullScreenExecute(QObject *sender);
    // A double click on the window or the video: full screen on, or the mode that is on off.
    void ToggleFullScreen();
    void actZoom_AspectStandardExecute(QObject *sender);
    void Action_ZoomVideoRendererExecute(QObject *sender);
    void Timer_ControlTimer();
    // A mouse move over the window in full screen: the panels slide in at their edges.
    void PanelAutoHideCheck();
    // The display changed (monitors added, removed or moved): full screen is left and the media
    // reopened at the same second, windows left without a monitor move to the primary one.
    void DisplayChange(const QList<QRect> &monitors, const QRect &primary);
    // The height limits for a requested window geometry; with the fit flag cleared only the
    // flag is set again (an opening keeps a window the user has sized).
    void ApplyHeightConstraints(const QRect &requested);
    // Step 6 of an opening: full screen again, or the window fitted to the new video.
    void ShowVideoOnOpen();
    // Closing in full screen leaves it first.
    void LeaveFullScreenForClose();
    bool FitFlag = true;
    int FullScreenTag = 0;           // 1 while in full-screen state (either mode)
    QRect SavedBounds;               // the window before full screen
    bool RememberFullScreen = false; // the mode a display change left, to come back after reopening
    bool RememberMaxZoom = false;

    // --- playlist window --- (mediaplayer_playlist.cpp)
    // The playlist window, made once the player window is on the screen or when something needs
    // it first (PlaylistWindow()), whichever comes first; null until then. It reaches the player
    // through PlaylistPort, which the player window makes with itself.
    TApp_MEDIAPlaylist *App_MEDIAPlaylist = nullptr;
    TMyPlayerPort *PlaylistPort = nullptr;
    // The playlist window, made now when it does not exist yet.
    TApp_MEDIAPlaylist *PlaylistWindow();
    void CreatePlaylistPort();
    void CreatePlaylistWindow();
    // The playlist window's part of the settings read before that window was made (kept in a
    // settings object of its own, applied when the window is made).
    std::unique_ptr<TMyIniFile> m_pendingPlaylistSettings;
    void KeepPlaylistSettings(TMyIniFile &ini);
    // Around an opening: the background tag work pauses before the list changes, and the
    // window shows the new list (sort state reset) and starts the work again once it is loaded.
    void PlaylistListReplacing();
    void PlaylistListLoaded();

    // --- wallpaper and sub-player video --- (mediaplayer_wallvideo.cpp)
    // "壁紙ビデオ(&W)": checked with a video open, the sub-player's window takes the video and
    // shows it on the desktop over the window's monitor; otherwise the video comes back to the
    // video area (unless minimised) and wallpaper mode ends. Off X11 only the check is kept.
    void Action_ZoomWallvideoExecute(QObject *sender);
    // The wallpaper state again after a media opening.
    void ReapplyWallVideo();
    // Wallpaper mode ends with the media (closed or unloaded).
    void EndWallVideoWithMedia();
    // Minimised with a list and wallpaper off: the video goes to the sub-player's window, a
    // live owner while the window is iconified. False when no sub-player is to be had.
    bool MinimisedHandOver();
    // The minimised state changed: hand the video over, or take it back on restore.
    void VideoOwnerStateChanged();
    // The video owner becomes the sub-player's top-level window (started when needed).
    bool HandVideoToSubPlayer();
    // The video owner is the video area again and the video window is laid out anew.
    void TakeVideoBack();
    // While the video is with the sub-player: when that process has ended, the video comes back
    // (its window outlived it) and wallpaper mode is over.
    void Timer_VideoOwnerTimer();
    QTimer *Timer_VideoOwner = nullptr;
    // The sub-player panel whose window holds the video; 0 while the video area holds it.
    platform::PanelHandle VideoHostPanel = 0;
private:
    void CreateWallVideo();
    void EndWallVideoAtClose();
    quint64 m_videoHostWindow = 0;
public:

Q_SIGNALS:
    // The open histories changed (menus that show them rebuild).
    void historiesChanged();
    // Entries of the playlist changed their text (a rename): views repaint.
    void playlistChanged();
    // A tag write of the property window ended for the file (views refresh its row).
    void tagsWritten(const QString &path);

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // --- components and transport ---
    void CreateControls();
    void InstallPlayerEvents();
    void AttachTransportCommands();
    void HookControlBar();
    void CloseWindowSteps();
    void RateExecute(QObject *sender);
    void RepeatExecute(QObject *sender);
    void FrameStep(int frames, bool byTime);
    void ListDelExecute();
    void FilePropertyExecute();
    void TimeVerboseExecute();
    void SeekBarReleased(const QPoint &pos, bool wasThumbHold);
    void ShowOrHideBars();
    void AskMediaError(int index, const QString &path);
    // True while the entry at index is still the current one and holds path.
    bool IsCurrentEntry(int index, const QString &path);
    void SetScreenSaverInhibited(bool on);
    bool HandleKeyEvent(QObject *watched, QKeyEvent *event);
    bool HandleMouseEvent(QObject *watched, QEvent *event);
    void ResetToNoMedia();
    platform::ScreenSaverInhibitor *m_inhibitor = nullptr;
    platform::SleepWatcher *m_sleepWatcher = nullptr;
    QPoint m_gestureStart;
    bool m_gestureActive = false;
    bool m_mediaKeyHeld = false;
    bool m_frameBusy = false;
    bool m_errorAsked = false;
    const QEvent *m_lastKeyEvent = nullptr;
    int m_lastKeyType = 0;
    int m_lastKey = 0;
    QWidget *m_client = nullptr;
    TMyVideoArea *m_videoArea = nullptr;  // owns plyMedia, made with the controls

    void CreateCommands();
    void CreateOpening();
    void AttachVideoCommands();
    void CreateVideoDisplay();
    void SlidePanel(QWidget *panel, bool in, int duration);
    QWidget *VideoControl() const;
    void AttachOpeningCommands();
    QString FindProgressText() const;

    bool m_opening = false;
    bool m_resumeOpening = false;  // the resume list reopened at start keeps its resume point
    bool m_closeAfterOpening = false;
    int m_foundCount = 0;
    QString m_foundName;
};

// The paths of the local files among dropped URLs, in order.
QStringList LocalDroppedPaths(const QList<QUrl> &urls);
