#include "shell/appguard.h"

#include "engine/playererror.h"
#include "shell/appinfo.h"

#include <QtGlobal>

#include <exception>

namespace {

ApplicationExceptionHandler &Handler()
{
    static ApplicationExceptionHandler handler;
    return handler;
}

bool g_reporting = false;

void Report(const QString &message, bool fromPlayer)
{
    qWarning("ApplicationException: %s", qUtf8Printable(message));
    if (g_reporting)
        return; // an exception inside the report itself: the first box is enough
    g_reporting = true;
    struct Reset {
        ~Reset() { g_reporting = false; }
    } reset;
    if (Handler()) {
        try {
            Handler()(message, fromPlayer);
        } catch (...) {
            qWarning("ApplicationException: the handler failed too");
        }
        return;
    }
    MsgBox(ApplicationExceptionText(message, fromPlayer), QStringLiteral("エラー"), MB_OK | MB_ICONERROR);
}

} // namespace

void SetApplicationExceptionHandler(ApplicationExceptionHandler handler) { Handler() = std::move(handler); }

QString ApplicationExceptionText(const QString &message, bool fromPlayer)
{
    return (fromPlayer ? QStringLiteral("メディアプレイヤーのエラーです\r%1") : QStringLiteral("アプリケーションのエラーです\r%1"))
        .arg(message);
}

bool GuardedCall(const std::function<bool()> &deliver)
{
    try {
        return deliver();
    } catch (const EMediaPlayerError &e) {
        Report(QString::fromUtf8(e.what()), true);
    } catch (const std::exception &e) {
        Report(QString::fromUtf8(e.what()), false);
    } catch (...) {
        Report(QStringLiteral("不明な例外"), false);
    }
    return false;
}

TMyApplication::TMyApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool TMyApplication::notify(QObject *receiver, QEvent *event)
{
    return GuardedCall([&] { return QApplication::notify(receiver, event); });
}
