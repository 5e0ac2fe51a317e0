#include "shell/busycount.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace {

bool IsUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

// The widget of one of our top-level windows (events reach a window before its widget).
QWidget *WidgetOfWindow(const QWindow *window)
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->windowHandle() == window)
            return widget;
    }
    return nullptr;
}

// True when the receiver lies inside the dialog the operation has opened, including the windows
// of its own that the dialog opens (a drop-down list, a context menu), or inside the popup open
// over it (a completion list has no parent at all). No other popup can be open: input to the
// rest of the program is turned away.
bool InsideActiveModal(QObject *watched)
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal)
        return false;
    QWidget *widget = qobject_cast<QWidget *>(watched);
    if (!widget) {
        if (auto *window = qobject_cast<QWindow *>(watched))
            widget = WidgetOfWindow(window);
    }
    if (!widget)
        return false;
    if (QWidget *popup = QApplication::activePopupWidget(); popup && (popup == widget || popup->isAncestorOf(widget)))
        return true;
    // isAncestorOf stops at a window's edge: the owner chain goes on through parent windows.
    for (QWidget *w = widget; w; w = w->parentWidget()) {
        if (w == modal)
            return true;
    }
    return false;
}

} // namespace

TMyBusyCount::TMyBusyCount(QObject *parent) : QObject(parent) {}

TMyBusyCount::~TMyBusyCount()
{
    if (m_filtering && qApp)
        qApp->removeEventFilter(this);
}

void TMyBusyCount::Enter()
{
    if (m_count++ > 0)
        return;
    if (qApp) {
        qApp->installEventFilter(this);
        m_filtering = true;
    }
    Q_EMIT busyChanged(true);
}

bool TMyBusyCount::Leave()
{
    if (m_count == 0)
        return false;
    if (--m_count > 0)
        return true;
    if (m_filtering && qApp)
        qApp->removeEventFilter(this);
    m_filtering = false;
    Q_EMIT busyChanged(false);
    if (OnInputEnabled)
        OnInputEnabled();
    return false;
}

bool TMyBusyCount::eventFilter(QObject *watched, QEvent *event)
{
    if (m_count > 0 && IsUserInput(event->type()) && !InsideActiveModal(watched)) {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove ||
            event->type() == QEvent::Drop)
            event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
