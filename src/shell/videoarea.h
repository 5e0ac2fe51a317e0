#pragma once
// The main window's video area: the surface the playback component ("plyMedia") draws its video
// into. It owns the component.

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

    // Runs before the player and its list are destroyed (background work over the list stops
    // there). The window installs the player's own events.
    std::function<void()> OnListReplacing;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TMyDSPlayer *m_player = nullptr;
};

// The video area of a main window: its central widget (or the area inside it), made on first use.
TMyVideoArea *VideoAreaOf(QMainWindow *window);
