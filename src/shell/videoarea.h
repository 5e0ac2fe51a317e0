#pragma once
// The main window's video area: the surface the playback component ("plyMedia") draws its video
// into. It owns the component.

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

    // Around the playlist's life: OnListReplacing runs before an opening changes the list and
    // before the player and its list are destroyed (background work over the list stops there);
    // OnListLoaded runs once an opening has filled the list. The window installs the player's
    // own events.
    std::function<void()> OnListReplacing;
    std::function<void()> OnListLoaded;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TMyDSPlayer *m_player = nullptr;
};

// The video area of a main window: its central widget (or the area inside it), made on first use.
TMyVideoArea *VideoAreaOf(QMainWindow *window);
