#pragma once
// The main window's video area: the black surface the playback component ("plyMedia") draws its
// video into, and the simple opening of files there (the list of paths given, folders searched
// and playlist files expanded, played from the first entry).

#include <QStringList>
#include <QWidget>

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

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void MediaError();

    TMyDSPlayer *m_player = nullptr;
    int m_failures = 0;
};

// The video area of a main window: its central widget, made on first use.
TMyVideoArea *VideoAreaOf(QMainWindow *window);
