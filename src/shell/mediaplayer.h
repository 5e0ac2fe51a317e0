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
#include <QString>
#include <QStringList>

#include <memory>

class QAction;
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
class TMyPlayerBinding;
class TMySaveFileDialog;

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

Q_SIGNALS:
    // The open histories changed (menus that show them rebuild).
    void historiesChanged();

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void CreateCommands();
    void CreateOpening();
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
