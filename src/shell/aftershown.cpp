#include "shell/aftershown.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <utility>
#include <vector>

namespace {

// The waiting work of one window, a child of it.
class ShownWork : public QObject {
public:
    explicit ShownWork(QWidget *window) : QObject(window), m_window(window)
    {
        setObjectName(QStringLiteral("ShownWork"));
        QCoreApplication::instance()->installEventFilter(this);
    }

    void Add(std::function<void()> work, int fallbackMs)
    {
        m_work.push_back(std::move(work));
        if (m_exposed) {
            QTimer::singleShot(0, this, [this] { RunNow(); });
            return;
        }
        QTimer::singleShot(fallbackMs, this, [this] { RunNow(); });
    }

    void RunNow()
    {
        // Work may add work or run this again: take the list first.
        while (!m_work.empty()) {
            std::vector<std::function<void()>> work = std::exchange(m_work, {});
            for (auto &w : work) {
                const QPointer<ShownWork> alive(this);
                w();
                if (!alive)
                    return;  // the window went with it
            }
        }
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!m_exposed && event->type() == QEvent::Expose && m_window->windowHandle() == watched &&
            m_window->windowHandle()->isExposed()) {
            m_exposed = true;
            QCoreApplication::instance()->removeEventFilter(this);
            // Let this expose paint the window first.
            QTimer::singleShot(0, this, [this] { RunNow(); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget *m_window;
    std::vector<std::function<void()>> m_work;
    bool m_exposed = false;
};

ShownWork *WorkOf(QWidget *window)
{
    if (auto *work = window->findChild<ShownWork *>(QStringLiteral("ShownWork"), Qt::FindDirectChildrenOnly))
        return work;
    return new ShownWork(window);
}

} // namespace

void RunWhenShown(QWidget *window, std::function<void()> work, int fallbackMs)
{
    if (!window || !work)
        return;
    WorkOf(window->window())->Add(std::move(work), fallbackMs);
}
