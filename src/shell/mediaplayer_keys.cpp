// Keys and mouse of the player window: bound plain keys run on key-up before any control sees
// them, the media keys, the menu key, right clicks, the wheel and the frame buttons' auto-repeat.
#include "shell/mediaplayer.h"

#include "custom/actionbuilder.h"
#include "custom/keybindings.h"
#include "custom/keycodes.h"
#include "engine/dsplayer.h"
#include "widgets/heldmodifiers.h"
#include "widgets/mytrackbar.h"

#include <QAction>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <QWheelEvent>

namespace {

bool IsMediaKey(int key)
{
    switch (key) {
    case Qt::Key_MediaPlay:
    case Qt::Key_MediaTogglePlayPause:
    case Qt::Key_MediaPause:
    case Qt::Key_MediaNext:
    case Qt::Key_MediaPrevious:
    case Qt::Key_MediaStop:
        return true;
    default:
        return false;
    }
}

// The plain key code of a Qt key, 0 for keys without one.
quint16 PlainKeyCode(int qtKey)
{
    return KeyCode::Plain(KeyCodeFromQtKey(QKeyCombination(Qt::NoModifier, Qt::Key(qtKey))));
}

} // namespace

bool TApp_MEDIAPlayer::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        // Keys come through the application's filter; each event is looked at once, at its first
        // widget (the window system's window sees it before, the parents after).
        // Presses and releases alternate, so one seen with the same address, type and key is the
        // same event passing on to a parent.
        if (!watched->isWidgetType())
            return false;
        {
            auto *key = static_cast<QKeyEvent *>(event);
            if (event == m_lastKeyEvent && event->type() == m_lastKeyType && key->key() == m_lastKey)
                return false;
            m_lastKeyEvent = event;
            m_lastKeyType = event->type();
            m_lastKey = key->key();
            return HandleKeyEvent(watched, key);
        }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        if (watched->isWidgetType())
            return HandleMouseEvent(watched, event);
        return false;
    case QEvent::MouseMove:
        // In full screen the panels slide in when the mouse reaches their edge.
        if (FullScreenTag != 0 && watched->isWidgetType() && static_cast<QWidget *>(watched)->window() == this)
            PanelAutoHideCheck();
        return false;
    case QEvent::Resize:
        if (watched == m_client)
            FormResize();
        return false;
    default:
        return QMainWindow::eventFilter(watched, event);
    }
}

bool TApp_MEDIAPlayer::HandleKeyEvent(QObject *watched, QKeyEvent *event)
{
    QWidget *active = QApplication::activeWindow();
    if (!active || Alive == 0)
        return false;
    const int key = event->key();
    // The media keys, while any window of the program has the focus.
    if (IsMediaKey(key)) {
        if (event->type() == QEvent::KeyRelease) {
            if (!event->isAutoRepeat())
                m_mediaKeyHeld = false;
            return true;
        }
        if (m_mediaKeyHeld || event->isAutoRepeat())
            return true;
        m_mediaKeyHeld = true;
        switch (key) {
        case Qt::Key_MediaNext:
            Execute(u"actPlay_Next");
            break;
        case Qt::Key_MediaPrevious:
            Execute(u"actPlay_Back");
            break;
        case Qt::Key_MediaStop:
            plyMedia()->Close();
            if (plyMedia()->WallVideo)
                plyMedia()->StopWallVideo();
            break;
        default:
            Execute(u"actPlay_PlayPause");
        }
        return true;
    }
    // The rest only while the main window itself is the active window and the key goes to one
    // of its controls: other windows (the playlist, dialogs) and popup menus, the window's own
    // included, keep their keys.
    if (active->window() != this || QApplication::activePopupWidget() ||
        static_cast<QWidget *>(watched)->window() != this)
        return false;
    if (key == Qt::Key_Menu) {
        if (event->type() == QEvent::KeyRelease && !event->isAutoRepeat())
            Execute(u"actMenu_Main");
        return true;
    }
    if (event->modifiers() & Qt::AltModifier)
        return false;
    const quint16 code = PlainKeyCode(key);
    if (code == 0 || BoundCommand(KeyBindings(), code).isEmpty())
        return false;
    // A bound key belongs to its command: the press is consumed too (Space does not also click
    // the focused button), and the command runs once, on the key's release.
    if (event->type() == QEvent::KeyRelease && !event->isAutoRepeat())
        DispatchBoundKey(key, event->modifiers());
    return true;
}

bool TApp_MEDIAPlayer::DispatchBoundKey(int qtKey, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & Qt::AltModifier)
        return false;
    const quint16 code = PlainKeyCode(qtKey);
    const QString name = code ? BoundCommand(KeyBindings(), code) : QString();
    QAction *command = name.isEmpty() ? nullptr : Command(name);
    if (!command)
        return false;
    // A check command flips first; its enabled state is not asked.
    if (command->isCheckable() && !(command->actionGroup() && command->actionGroup()->isExclusive() && command->isChecked()))
        command->setChecked(!command->isChecked());
    Commands->Execute(name, command);
    return true;
}

bool TApp_MEDIAPlayer::HandleMouseEvent(QObject *watched, QEvent *event)
{
    // The frame buttons repeat their step while the left button holds them.
    const QVariant direction = watched->property("FrameDirection");
    if (direction.isValid()) {
        if (event->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            FrameDirection = direction.toInt();
            Timer_Frame->setInterval(500);
            Timer_Frame->start();
        } else if (event->type() == QEvent::MouseButtonRelease) {
            FrameDirection = 0;
            Timer_Frame->stop();
        }
        return false;
    }
    if (watched == lblTime) {
        if (event->type() == QEvent::MouseButtonDblClick) {
            if (QAction *a = Command(u"actDisp_TimeVerbose"))
                a->trigger();
            return true;
        }
        return false;
    }
    auto *widget = static_cast<QWidget *>(watched);
    if (widget->window() != this)
        return false;  // another window's (the playlist's) own
    if (event->type() == QEvent::Wheel) {
        // Controls that take the wheel themselves keep it; but the seek bar's thumb seeks only
        // when dropped, so a wheel there would move it away from the playing second: the
        // wheel is the window's there too.
        if ((qobject_cast<QAbstractSlider *>(widget) && widget != TrackBar_Seek) ||
            qobject_cast<QAbstractScrollArea *>(widget))
            return false;
        auto *wheel = static_cast<QWheelEvent *>(event);
        const int delta = wheel->angleDelta().y();
        if (delta == 0)
            return false;
        if (wheel->buttons() & Qt::RightButton)
            Skip(delta > 0 ? -1 : +1);
        else if (OnZoomWheel)
            OnZoomWheel(delta);
        return true;
    }
    // The window's own surface: the video, the information panel and the background. Buttons,
    // bars and labels with menus of their own keep their right button and double click.
    // A press a control let pass reaches the background too: that one is the control's.
    auto *mouse = static_cast<QMouseEvent *>(event);
    QWidget *video = VideoControl();
    const bool background = widget == m_client && !m_client->childAt(mouse->position().toPoint());
    const bool overVideo = widget == video || video->isAncestorOf(widget);
    if (!background && !overVideo && widget != pnlInfo && !pnlInfo->isAncestorOf(widget))
        return false;
    if (event->type() == QEvent::MouseButtonDblClick && mouse->button() == Qt::LeftButton &&
        (background || overVideo)) {
        ToggleFullScreen();
        return true;
    }
    if (mouse->button() != Qt::RightButton)
        return false;
    if (event->type() == QEvent::MouseButtonPress) {
        m_gestureStart = mouse->globalPosition().toPoint();
        m_gestureActive = true;
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        if (!m_gestureActive)
            return true;  // a skip ran meanwhile
        m_gestureActive = false;
        const QPoint release = mouse->globalPosition().toPoint();
        if (OnMouseGesture && OnMouseGesture(m_gestureStart, release))
            return true;
        if (QMenu *menu = MenuNamed(QStringLiteral("mnuPopup"))) {
            mnuPopupPopup();
            menu->popup(release);
        }
        return true;
    }
    return false;
}
