// A bare Qt window of the player window's size and title: the yardstick of bench/startup_time.sh.
// With "--menu" the window gets a menu bar with one Japanese title: the least a window that shows
// text costs (the font configuration is read, the font list made and a Japanese face loaded).
// With TAVIO_STARTUP_STAMP naming a file, the moment its window is first exposed is appended to
// that file, as tavio does; with TAVIO_STARTUP_EXIT also set the process then ends at once.
#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QMenuBar>
#include <QWindow>

#include <ctime>
#include <unistd.h>

namespace {

class FirstExposeWatch : public QObject {
public:
    explicit FirstExposeWatch(QString file) : m_file(std::move(file)) {}
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *window = qobject_cast<QWindow *>(watched);
        if (event->type() == QEvent::Expose && window && window->isExposed() && !m_done) {
            m_done = true;
            timespec now {};
            clock_gettime(CLOCK_REALTIME, &now);
            QFile out(m_file);
            if (out.open(QIODevice::WriteOnly | QIODevice::Append))
                out.write(QByteArray::number(qint64(now.tv_sec) * 1000000000LL + now.tv_nsec) + '\n');
            out.close();
            if (qEnvironmentVariableIsSet("TAVIO_STARTUP_EXIT"))
                ::_exit(0);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QString m_file;
    bool m_done = false;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    FirstExposeWatch watch(qEnvironmentVariable("TAVIO_STARTUP_STAMP"));
    if (qEnvironmentVariableIsSet("TAVIO_STARTUP_STAMP"))
        app.installEventFilter(&watch);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("tavio"));
    if (app.arguments().contains(QStringLiteral("--menu")))
        window.menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    window.resize(640, 400);
    window.show();
    return app.exec();
}
