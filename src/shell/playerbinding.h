#pragma once
// What ties the main window to its player: the window's caption, the application title and the
// window's hint from the playing entry's tags, and the switch of the background tag work, which
// the playlist window does (SetTagWork).
//
// The tag work stops before the video area destroys the playlist; the window's opening pauses
// it and starts it again over the new list once it is loaded, while tag reading is on. The caption follows the
// playing entry: the window calls ShowCurrentMedia when the media opens and when playback
// starts, and the binding itself when the refresh brings the entry's tags.

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QMainWindow;
class TMyDSPlayer;
class TMyTagRefresh;
class TApp_MEDIAPlaylist;
class TMyVideoArea;

// The tag texts the window shows for the playing entry.
struct TMyShownTags {
    QString Title;
    QString Artist;
    QString Album;

    bool operator==(const TMyShownTags &) const = default;
};

// The caption of the main window: "tavio" without a current entry, else the title followed by
// " / " and the artist when there is one.
QString PlayerCaption(bool hasEntry, const TMyShownTags &tags);
// The window's hint: the title, then the artist and the album each on a line of its own when
// they are not empty.
QString PlayerHint(const TMyShownTags &tags);
// The tags of the player's current entry: the entry's own tag once it has been read (from the
// file or the library), else the texts the player read when it opened the file, else the
// entry's file name.
TMyShownTags CurrentEntryTags(const TMyDSPlayer &player);

class TMyPlayerBinding : public QObject {
    Q_OBJECT
public:
    // Attaches to the area's player and to its list hooks; the window is the binding's parent.
    TMyPlayerBinding(QMainWindow *window, TMyVideoArea *area);
    ~TMyPlayerBinding() override;

    // The window that does the tag work; the binding shows the caption again whenever the
    // playing entry's tags arrive there.
    void SetTagWork(TApp_MEDIAPlaylist *playlist);
    // The tag work's walk (null before SetTagWork).
    TMyTagRefresh *TagRefresh() const;

    // Tag reading on or off (the check command "タグ取得(&T)" stands here until it exists).
    // Turning it on walks the list from its first entry; turning it off stops the walk.
    bool ReadTag() const { return m_readTag; }
    void SetReadTag(bool on);

    // A walk over the list as it was last loaded ran to its end (cleared by every load).
    bool TagsComplete() const;
    // Stops the walk (before the list is replaced, destroyed or edited).
    void StopTagRefresh();
    // Walks the whole list again when tag reading is on.
    void StartTagRefresh();

    // Sets the caption, the application title and the hint from the current entry.
    void ShowCurrentMedia();

private:
    void TagProgress(int index);

    QPointer<QMainWindow> m_window;
    QPointer<TMyVideoArea> m_area;
    QPointer<TApp_MEDIAPlaylist> m_playlist;
    bool m_readTag = true;
};
