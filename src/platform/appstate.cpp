#include "platform/appstate.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QThread>

#include <atomic>

namespace platform {
namespace {

std::atomic<bool> g_terminating{false};

std::function<bool()> &EscapeHandler()
{
    static std::function<bool()> h;
    return h;
}

// Watches the application object for its quit request.
class QuitWatcher : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit)
            g_terminating = true;
        return false;
    }
};

void EnsureWatcher()
{
    static QPointer<QCoreApplication> watchedApp;
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || watchedApp == app || QThread::currentThread() != app->thread())
        return;
    watchedApp = app;
    app->installEventFilter(new QuitWatcher(app));
    QObject::connect(app, &QCoreApplication::aboutToQuit, app, [] { g_terminating = true; });
}

} // namespace

bool IsTerminating()
{
    EnsureWatcher();
    return g_terminating || QCoreApplication::closingDown();
}

void SetTerminating(bool terminating) { g_terminating = terminating; }

bool EscapeKeyDown()
{
    const std::function<bool()> &h = EscapeHandler();
    return h ? h() : false;
}

void SetEscapeKeyHandler(std::function<bool()> handler) { EscapeHandler() = std::move(handler); }

} // namespace platform
