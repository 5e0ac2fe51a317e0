#pragma once
// The main window's video area: the black surface the playback component ("plyMedia") draws its
// video into, and the simple opening of files there (the list of paths given, folders searched
// and playlist files expanded, played from the first entry).

#include <QStringList>
#include <QWidget>

#include <functional>

class QMainWindow;
class TMyDSPlayer;

class TMyVideoArea : public QWidget {
    Q_OBJECT
public:
    explicit TMyVideoArea(QWidget *parent = nullptr);
    ~TMyVideoArea() override;

    TMyDSPlayer *Player() const { return m_player; }

    // Replaces the playlist with what the paths name and plays its first entry from the start.
    // An entry that cannot be played is skipped, until every entry has failed once.
    void PlayPaths(const QStringList &paths);

    // Around the playlist's life: OnListReplacing runs before PlayPaths replaces the list and
    // before the player and its list are destroyed (background work over the list stops there);
    // OnListLoaded runs once PlayPaths has filled the new list, before its first entry opens.
    std::function<void()> OnListReplacing;
    std::function<void()> OnListLoaded;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void MediaError();

    TMyDSPlayer *m_player = nullptr;
    int m_failures = 0;
};

// The video area of a main window: its central widget, made on first use.
TMyVideoArea *VideoAreaOf(QMainWindow *window);
