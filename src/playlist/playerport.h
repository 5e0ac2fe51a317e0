#pragma once
// TMyPlayerPort: what the playlist window needs of the player window (user-interface thread).
//
// The playlist window never sees the player window itself: it reads and edits the player's
// playlist, asks the player to play, close or step, shares its busy count, hands drops to it and
// asks it about the playing media. The player window implements the port over its playback
// component; tests pass a fake that records what the window asked for.

#include <QObject>
#include <QPoint>
#include <QString>
#include <QStringList>

class QKeyEvent;
class TMyDSPlaylist;

// The tag texts of the playing media (what the player read when it opened the file).
struct TMyPlayingTags {
    QString Title, Artist, Album, Writer, Composer, Conductor;
};

class TMyPlayerPort : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~TMyPlayerPort() override = default;

    // --- the list and the playing entry ---
    // The player's playlist; the playlist window shows and edits it, never a copy.
    virtual TMyDSPlaylist *Playlist() const = 0;
    // The current entry, -1 for none.
    virtual int ItemIndex() const = 0;
    virtual void SetItemIndex(int index) = 0;
    // 1 stopped (also no media), 2 paused, 3 running.
    virtual int PlayState() const = 0;
    virtual void PlayIndex(int index) = 0;
    virtual void Close() = 0;
    // Plays the first entry whose path equals the given one.
    virtual void OpenAndPlay(const QString &fileName) = 0;
    // The index the play order chooses for a step (0: the current entry's place).
    virtual int NextIndex(int step) const = 0;

    // --- the busy count shared by every window ---
    virtual void EnterBusy() = 0;
    // True when the count is still above zero.
    virtual bool LeaveBusy() = 0;
    virtual bool IsBusy() const = 0;

    // --- the rest of the player window ---
    // Paths dropped on the playlist window, handled as a drop on the player window.
    virtual void DropFiles(const QStringList &paths) = 0;
    // Commands refer to the playing media (the application is minimised, or the playlist
    // window is not the active window).
    virtual bool TargetsPlayingMedia() const = 0;
    virtual TMyPlayingTags PlayingTags() const = 0;
    // "タグ取得(&T)" is checked.
    virtual bool ReadTagEnabled() const = 0;
    // The resume point: the entry and second the next opening continues at (-1: none).
    virtual int SavedIndex() const { return -1; }
    virtual double SavedPosition() const { return 0; }
    virtual void SetResumePoint(int index, double seconds) { (void)index; (void)seconds; }
    // The player window refreshes its own transport state after the list changed.
    virtual void RefreshPlayerState() {}
    // The player's key handling (key bindings); true when the key was consumed.
    virtual bool PlayerKeyDown(QKeyEvent *event) { (void)event; return false; }
    virtual bool PlayerKeyUp(QKeyEvent *event) { (void)event; return false; }
    // The player window's context menu shown for the playlist window, at a global point.
    virtual void PopupPlayerMenu(const QPoint &globalPos) { (void)globalPos; }
    // The window list menu at a global point (Ctrl+W while property windows are open).
    virtual void PopupWindowMenu(const QPoint &globalPos) { (void)globalPos; }
    // Enter on the grid that closed the window list menu: true once, and the mark is cleared.
    virtual bool TakeWindowMenuEnter() { return false; }
    // Restores the application when minimised and activates the player window.
    virtual void ShowPlayer() {}
    // Opens the property window of a file.
    virtual void ShowProperty(const QString &fileName) { (void)fileName; }

Q_SIGNALS:
    // The playlist's length changed outside the playlist window (an entry deleted elsewhere).
    void listChanged();
    // The playing entry changed (opened, started, closed): the grid repaints its mark.
    void playingChanged();
    // A whole new list was loaded (an opening): the window resets its sort state.
    void listLoaded();
};
