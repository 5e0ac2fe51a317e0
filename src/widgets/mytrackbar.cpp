#include "widgets/mytrackbar.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolTip>

#include <algorithm>
#include <cstdlib>

int TrackHalfThumb(const TrackMetrics &m)
{
    // The pixel under which the thumb's centre lies: exact for odd widths, the right one of the
    // two middle pixels for even widths.
    return std::max(0, m.thumbWidth) / 2;
}

bool TrackInChannel(const TrackMetrics &m, int x)
{
    return x >= m.channelLeft && x < m.channelLeft + m.channelWidth;
}

int TrackValueFromX(const TrackMetrics &m, int x)
{
    if (m.maximum <= m.minimum)
        return m.minimum;
    const int span = m.channelWidth - m.thumbWidth;
    const int pos = x - (m.channelLeft + TrackHalfThumb(m));
    // Positions before 0 give the minimum, beyond the span the maximum; rounded half up between.
    return QStyle::sliderValueFromPosition(m.minimum, m.maximum, pos, span);
}

int TrackXFromValue(const TrackMetrics &m, int value)
{
    const int span = std::max(0, m.channelWidth - m.thumbWidth);
    const int v = std::clamp(value, m.minimum, std::max(m.minimum, m.maximum));
    return m.channelLeft + TrackHalfThumb(m) + QStyle::sliderPositionFromValue(m.minimum, m.maximum, v, span);
}

SeekBarClick SeekBarClickAt(const TrackMetrics &m, int x)
{
    if (x < m.channelLeft)
        return {SeekBarClick::SkipBack, 0};
    if (x >= m.channelLeft + m.channelWidth)
        return {SeekBarClick::SkipNext, 0};
    return {SeekBarClick::Position, TrackValueFromX(m, x)};
}

int TrackSnap(int position, int zone)
{
    return zone > 0 && std::abs(position) <= zone ? 0 : position;
}

int BalanceSnap(int position)
{
    return TrackSnap(position, kBalanceSnapZone);
}

QString VolumeHint(int position)
{
    return QString::number(position);
}

QString BalanceHint(int position)
{
    const QString side = position < 0 ? QStringLiteral("L ") : position > 0 ? QStringLiteral("R ") : QString();
    return side + QString::number(std::abs(position));
}

TMyTrackBar::TMyTrackBar(QWidget *parent)
    : QSlider(Qt::Horizontal, parent)
{
    setMouseTracking(true);
    connect(this, &QAbstractSlider::valueChanged, this, &TMyTrackBar::OnValueChanged);
}

TMyTrackBar::~TMyTrackBar() = default;

void TMyTrackBar::SetSelStart(int value)
{
    SetSelection(value, m_selEnd);
}

void TMyTrackBar::SetSelEnd(int value)
{
    SetSelection(m_selStart, value);
}

void TMyTrackBar::SetSelection(int start, int end)
{
    if (start == m_selStart && end == m_selEnd)
        return;
    m_selStart = start;
    m_selEnd = end;
    update();
}

TrackMetrics TMyTrackBar::Metrics() const
{
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
    return {groove.left(), groove.width(), handle.width(), minimum(), maximum()};
}

QRect TMyTrackBar::ThumbRect() const
{
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    return style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
}

void TMyTrackBar::paintEvent(QPaintEvent *)
{
    // Groove and ticks, then the selection over the groove, then the thumb over both.
    QPainter painter(this);
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QStyle::SubControls ticks = tickPosition() != NoTicks ? QStyle::SC_SliderTickmarks : QStyle::SC_None;
    opt.subControls = QStyle::SC_SliderGroove | ticks;
    style()->drawComplexControl(QStyle::CC_Slider, &opt, &painter, this);

    if (m_selEnd > m_selStart && maximum() > minimum()) {
        const TrackMetrics m = Metrics();
        const QRect groove = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
        const int x1 = TrackXFromValue(m, m_selStart);
        const int x2 = TrackXFromValue(m, m_selEnd);
        const int band = std::max(3, groove.height() / 3);
        const QRect sel(x1, groove.center().y() - band / 2, std::max(1, x2 - x1 + 1), band);
        painter.fillRect(sel, palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Highlight));
    }

    opt.subControls = QStyle::SC_SliderHandle;
    if (isSliderDown()) {
        opt.activeSubControls = QStyle::SC_SliderHandle;
        opt.state |= QStyle::State_Sunken;
    }
    style()->drawComplexControl(QStyle::CC_Slider, &opt, &painter, this);
}

void TMyTrackBar::SetUserPosition(int value)
{
    m_userAction = true;
    if (isSliderDown())
        setSliderPosition(value);
    else
        setValue(value);
    m_userAction = false;
}

void TMyTrackBar::OnValueChanged(int value)
{
    if (m_userAction)
        Q_EMIT UserChanged(value);
    else
        Q_EMIT ProgramChanged(value);
}

void TMyTrackBar::ShowHint(const QString &text, const QPoint &globalPos)
{
    if (text == m_currentHint && !text.isEmpty() && QToolTip::isVisible())
        return;
    m_currentHint = text;
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(globalPos, text, this);
}

void TMyTrackBar::UpdateHover(const QPoint &pos, const QPoint &globalPos)
{
    const TrackMetrics m = Metrics();
    const int hover = rect().contains(pos) && TrackInChannel(m, pos.x()) ? TrackValueFromX(m, pos.x()) : -1;
    if (hover != m_hoverPos) {
        m_hoverPos = hover;
        Q_EMIT HoverChanged(hover);
    }
    if (m_dragging && m_dragHint)
        ShowHint(m_dragHint(sliderPosition()), globalPos);
    else if (m_hoverHint && minimum() < maximum() && m_hoverPos >= 0)
        ShowHint(m_hoverHint(m_hoverPos), globalPos);
    else if (!m_currentHint.isEmpty())
        ShowHint(QString(), globalPos);
}

void TMyTrackBar::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() != Qt::LeftButton) {
        // Any other button ends a press under way; the right one asks for the context menu
        // through contextMenuEvent.
        EndPress();
        event->ignore();
        return;
    }
    event->accept();
    const TrackMetrics m = Metrics();
    m_touched = true;
    m_dragging = true;
    m_thumbHold = ThumbRect().contains(pos);
    // Holding the thumb off its centre keeps that offset while dragging; a click elsewhere puts
    // the thumb's centre under the mouse at once.
    m_dragOffset = m_thumbHold ? pos.x() - TrackXFromValue(m, sliderPosition()) : 0;
    setSliderDown(true);
    if (!m_thumbHold)
        SetUserPosition(TrackValueFromX(m, pos.x()));
    UpdateHover(pos, event->globalPosition().toPoint());
}

void TMyTrackBar::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (m_dragging && (event->buttons() & Qt::LeftButton))
        SetUserPosition(TrackValueFromX(Metrics(), pos.x() - m_dragOffset));
    UpdateHover(pos, event->globalPosition().toPoint());
    event->accept();
}

void TMyTrackBar::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_touched) {
        event->ignore();
        return;
    }
    event->accept();
    const bool wasThumbHold = m_thumbHold;
    EndPress();
    const int v = value();
    if (minimum() <= 0 && maximum() >= 0 && TrackSnap(v, m_snapZone) != v)
        SetUserPosition(0);
    const QPoint pos = event->position().toPoint();
    UpdateHover(pos, event->globalPosition().toPoint());
    Q_EMIT LeftReleased(pos, wasThumbHold);
}

void TMyTrackBar::EndPress()
{
    const bool wasDown = isSliderDown();
    m_thumbHold = false;
    m_touched = false;
    m_dragging = false;
    m_dragOffset = 0;
    if (wasDown) {
        // Without tracking the value follows the thumb only now.
        m_userAction = true;
        setSliderDown(false);
        m_userAction = false;
    }
}

void TMyTrackBar::leaveEvent(QEvent *event)
{
    if (m_hoverPos != -1) {
        m_hoverPos = -1;
        Q_EMIT HoverChanged(-1);
    }
    if (!m_dragging && !m_currentHint.isEmpty())
        ShowHint(QString(), QPoint());
    QSlider::leaveEvent(event);
}

void TMyTrackBar::focusOutEvent(QFocusEvent *event)
{
    EndPress();
    if (!m_currentHint.isEmpty())
        ShowHint(QString(), QPoint());
    QSlider::focusOutEvent(event);
}

void TMyTrackBar::contextMenuEvent(QContextMenuEvent *event)
{
    EndPress();
    event->accept();
    Q_EMIT ContextMenuRequested(event->globalPos());
}

void TMyTrackBar::keyPressEvent(QKeyEvent *event)
{
    m_userAction = true;
    QSlider::keyPressEvent(event);
    m_userAction = false;
}

void TMyTrackBar::wheelEvent(QWheelEvent *event)
{
    m_userAction = true;
    QSlider::wheelEvent(event);
    m_userAction = false;
}

void SetupSeekBar(TMyTrackBar &bar, std::function<QString(int seconds)> hoverText)
{
    bar.setObjectName(QStringLiteral("TrackBar_Seek"));
    bar.setRange(0, 0);
    bar.setValue(0);
    bar.setEnabled(false);
    bar.SetHoverHint([text = std::move(hoverText)](int seconds) {
        return text ? text(seconds) + QStringLiteral("秒") : QString();
    });
}

void SetupVolumeBar(TMyTrackBar &bar)
{
    bar.setObjectName(QStringLiteral("barVolume"));
    bar.setRange(0, 100);
    bar.setValue(100);
    bar.setTickInterval(10);
    bar.setTickPosition(QSlider::TicksBelow);
    bar.SetDragHint(VolumeHint);
    bar.setVisible(false);
}

void SetupBalanceBar(TMyTrackBar &bar)
{
    bar.setObjectName(QStringLiteral("barBalance"));
    bar.setRange(-100, 100);
    bar.setValue(0);
    bar.setTickInterval(100);
    bar.setTickPosition(QSlider::TicksBelow);
    bar.SetSnapZone(kBalanceSnapZone);
    bar.SetDragHint(BalanceHint);
    bar.setVisible(false);
}
