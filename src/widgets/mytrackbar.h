#pragma once
// TMyTrackBar: the horizontal track bar of the player window's seek, volume and balance bars.
//
// Over QSlider it adds what those bars need: whether the user holds the thumb or the bar, the
// value under the mouse (for the seek bar's time hint), a selection range painted over the groove
// (the A-B repeat range), a click that goes straight to the clicked value instead of a page step,
// a snap zone around 0 applied when the button is released, and signals that tell changes made by
// the user from changes made by the program.
//
// The value/pixel maths are free functions over TrackMetrics, so they are tested without a widget.
// User-interface thread only.

#include <QSlider>
#include <QString>

#include <functional>

// Where the thumb can travel: the channel (QStyle's slider groove) and the thumb's width.
struct TrackMetrics {
    int channelLeft = 0;   // x of the channel's first pixel
    int channelWidth = 0;  // pixels
    int thumbWidth = 0;    // pixels
    int minimum = 0;
    int maximum = 0;
};

// Half the thumb width, rounded down (the right one of the two middle pixels of an even width):
// the thumb's centre is never closer to a channel end.
int TrackHalfThumb(const TrackMetrics &m);
// True when x lies on the channel (horizontally).
bool TrackInChannel(const TrackMetrics &m, int x);
// The value whose thumb centre is nearest to x: the minimum left of channel left + h, the maximum
// right of channel right - h, in between proportional over (channel width - thumb width), rounded
// half up.
int TrackValueFromX(const TrackMetrics &m, int x);
// The x of the thumb centre at value (the value limited to the range first).
int TrackXFromValue(const TrackMetrics &m, int value);

// What a left click on the seek bar at x asks for: a skip when it is beside the channel, else the
// value there.
struct SeekBarClick {
    enum Kind { SkipBack, SkipNext, Position } kind = Position;
    int value = 0; // for Position
};
SeekBarClick SeekBarClickAt(const TrackMetrics &m, int x);

// The snap on release: a position within -zone..zone becomes 0 (zone 0: no snap).
int TrackSnap(int position, int zone);
// The balance bar's snap on release: positions within -9..9 become 0.
constexpr int kBalanceSnapZone = 9;
int BalanceSnap(int position);
// The hints shown while the left button is down on the volume bar ("75") and the balance bar
// ("L 20", "R 20", "0").
QString VolumeHint(int position);
QString BalanceHint(int position);

class TMyTrackBar : public QSlider {
    Q_OBJECT
public:
    explicit TMyTrackBar(QWidget *parent = nullptr);
    ~TMyTrackBar() override;

    // The left button went down on the thumb and is still down.
    bool ThumbHold() const { return m_thumbHold; }
    // The left button went down on the bar and is still down.
    bool Touched() const { return m_touched; }
    // The value under the mouse; -1 when the mouse is off the channel or outside the bar.
    int HoverPos() const { return m_hoverPos; }

    // The selection drawn over the groove; nothing is drawn while SelEnd <= SelStart.
    int SelStart() const { return m_selStart; }
    int SelEnd() const { return m_selEnd; }
    void SetSelStart(int value);
    void SetSelEnd(int value);
    void SetSelection(int start, int end);

    // When the left button is released with the position within -SnapZone..SnapZone, the
    // position becomes 0 (a user change). 0 = no snap.
    int SnapZone() const { return m_snapZone; }
    void SetSnapZone(int zone) { m_snapZone = zone < 0 ? 0 : zone; }

    // The hint shown at the mouse while it moves over the bar, from HoverPos (the seek bar's
    // time). Shown only while minimum < maximum and the text is not empty.
    void SetHoverHint(std::function<QString(int hoverPos)> hint) { m_hoverHint = std::move(hint); }
    // The hint shown while the left button is down on the bar, from the position.
    void SetDragHint(std::function<QString(int position)> hint) { m_dragHint = std::move(hint); }
    // The last hint shown (empty once hidden).
    QString CurrentHint() const { return m_currentHint; }

    // The bar's metrics now, from its style.
    TrackMetrics Metrics() const;

Q_SIGNALS:
    // The position changed by the mouse, wheel or keys.
    void UserChanged(int position);
    // The position changed by the program (setValue, a new range).
    void ProgramChanged(int position);
    // HoverPos changed.
    void HoverChanged(int hoverPos);
    // The left button was released; wasThumbHold tells whether it had gone down on the thumb.
    // Sent after the snap, with ThumbHold and Touched already cleared.
    void LeftReleased(const QPoint &pos, bool wasThumbHold);
    // A context menu is asked for (right click or the menu key), at globalPos.
    void ContextMenuRequested(const QPoint &globalPos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    QRect ThumbRect() const;
    void SetUserPosition(int value);
    void UpdateHover(const QPoint &pos, const QPoint &globalPos);
    void ShowHint(const QString &text, const QPoint &globalPos);
    void EndPress();
    void OnValueChanged(int value);

    bool m_thumbHold = false;
    bool m_touched = false;
    bool m_dragging = false;
    bool m_userAction = false; // a change now under way comes from the user
    int m_dragOffset = 0;      // x of the press minus the thumb centre
    int m_hoverPos = -1;
    int m_selStart = 0;
    int m_selEnd = 0;
    int m_snapZone = 0;
    std::function<QString(int)> m_hoverHint;
    std::function<QString(int)> m_dragHint;
    QString m_currentHint;
};

// The player window's three bars, set up as they start.
// Seek bar: 0..0, disabled until a media opens; hoverText formats HoverPos (the seconds) for the
// hint.
void SetupSeekBar(TMyTrackBar &bar, std::function<QString(int seconds)> hoverText);
// Volume bar: 0..100 at 100, a tick every 10, the position as hint while held.
void SetupVolumeBar(TMyTrackBar &bar);
// Balance bar: -100..100 at 0, a tick every 100, snap to 0 within -9..9 on release, "L n"/"R n"
// as hint while held.
void SetupBalanceBar(TMyTrackBar &bar);
