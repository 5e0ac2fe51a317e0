// A helper process for the message panel tests. It talks on stdout, one line per event.
//
//   messagepanel_peer panel <class>   opens a panel, prints "HANDLE <n>", then serves it;
//                                      every text received is printed as "GOT <text>" (or
//                                      "GOTSIZE <length>" when long) and
//                                      may be a command:
//                                        SLEEP <ms>               sleeps inside the handler
//                                        SENDBACK <handle> <text> sends <text> back first
//                                        HANG <ms>                answers, then sleeps <ms>
//                                                                 without serving its panel
//                                        QUIT                     ends after answering
//   messagepanel_peer lock <name>     takes the instance lock, prints "LOCK <result>", waits
//   messagepanel_peer churn <class> <n>
//                                      opens and closes n panels one after the other; prints
//                                      "LOST <count>" of those whose file was not listed right
//                                      after opening, then ends
//   messagepanel_peer signals         bridges the termination signals, prints "READY", then
//                                      "SIGNAL <n>" for each one it is handed (and goes on)
#include "platform/instancelock.h"
#include "platform/messagepanel.h"
#include "platform/termsignals.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <cstdio>

namespace {

void Say(const QString &line)
{
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == QLatin1String("lock")) {
        switch (platform::AcquireInstanceLock(args[2])) {
        case platform::InstanceLockResult::Acquired: Say(QStringLiteral("LOCK acquired")); break;
        case platform::InstanceLockResult::HeldElsewhere: Say(QStringLiteral("LOCK held")); break;
        case platform::InstanceLockResult::Failed: Say(QStringLiteral("LOCK failed")); break;
        }
        return app.exec();
    }
    if (args.size() >= 2 && args[1] == QLatin1String("signals")) {
        if (!platform::InstallTerminationSignals([](int n) { Say(QStringLiteral("SIGNAL %1").arg(n)); }))
            return 1;
        Say(QStringLiteral("READY"));
        return app.exec();
    }
    if (args.size() >= 4 && args[1] == QLatin1String("churn")) {
        int lost = 0;
        for (int i = 0, n = args[3].toInt(); i < n; ++i) {
            platform::PanelEndpoint panel(args[2]);
            if (!panel.IsOpen()) {
                Say(QStringLiteral("ERROR ") + panel.ErrorText());
                return 1;
            }
            bool listed = false;
            for (const platform::PanelEntry &e : platform::ListPanels(args[2]))
                listed = listed || e.handle == panel.Handle();
            lost += listed ? 0 : 1;
        }
        Say(QStringLiteral("LOST %1").arg(lost));
        return 0;
    }
    if (args.size() < 3 || args[1] != QLatin1String("panel"))
        return 2;
    platform::PanelEndpoint panel(args[2]);
    if (!panel.IsOpen()) {
        Say(QStringLiteral("ERROR ") + panel.ErrorText());
        return 1;
    }
    panel.SetTextHandler([&](const QString &text) {
        // Long texts only by their length: the test reads stdout after the send returns.
        Say(text.size() > 1000 ? QStringLiteral("GOTSIZE %1").arg(text.size()) : QStringLiteral("GOT ") + text);
        if (text.startsWith(QLatin1String("SLEEP "))) {
            QThread::msleep(text.mid(6).toULong());
        } else if (text.startsWith(QLatin1String("SENDBACK "))) {
            const qsizetype blank = text.indexOf(QLatin1Char(' '), 9);
            const int target = text.mid(9, blank - 9).toInt();
            const bool ok = platform::DeliverPanelText(target, text.mid(blank + 1));
            Say(QStringLiteral("SENT %1").arg(ok ? 1 : 0));
        } else if (text.startsWith(QLatin1String("HANG "))) {
            const unsigned long ms = text.mid(5).toULong();
            QTimer::singleShot(0, &app, [ms] {
                Say(QStringLiteral("HANGING"));
                QThread::msleep(ms);
            });
        } else if (text == QLatin1String("QUIT")) {
            QTimer::singleShot(0, &app, &QCoreApplication::quit);
        }
    });
    panel.SetStateProvider([] {
        platform::PanelState state;
        state.visible = true;
        state.shownFile = QStringLiteral("/peer/shown file.mp3");
        return state;
    });
    panel.SetRaiseHandler([] { Say(QStringLiteral("RAISED")); });
    Say(QStringLiteral("HANDLE %1").arg(panel.Handle()));
    return app.exec();
}
