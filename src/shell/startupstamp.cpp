#include "shell/startupstamp.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QWindow>

#include <ctime>
#include <unistd.h>

namespace {

class FirstExposeWatch : public QObject {
public:
    explicit FirstExposeWatch(QString file) : m_file(std::move(file)) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose) {
            auto *window = qobject_cast<QWindow *>(watched);
            if (window && window->isExposed()) {
                timespec now {};
                clock_gettime(CLOCK_REALTIME, &now);
                const qint64 ns = qint64(now.tv_sec) * 1000000000LL + now.tv_nsec;
                QFile out(m_file);
                if (out.open(QIODevice::WriteOnly | QIODevice::Append))
                    out.write(QByteArray::number(ns) + '\n');
                out.close();
                // For profiling the start alone: end the process right at its first expose.
                if (qEnvironmentVariableIsSet("TAVIO_STARTUP_EXIT"))
                    ::_exit(0);
                QCoreApplication::instance()->removeEventFilter(this);
                deleteLater();
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QString m_file;
};

} // namespace

void InstallStartupStamp()
{
    const QString file = qEnvironmentVariable("TAVIO_STARTUP_STAMP");
    QCoreApplication *app = QCoreApplication::instance();
    if (file.isEmpty() || !app)
        return;
    auto *watch = new FirstExposeWatch(file);
    watch->setParent(app);
    app->installEventFilter(watch);
}
