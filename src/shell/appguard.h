#pragma once
// The application's last line against exceptions: every event the application delivers goes
// through GuardedCall, so an exception that escapes a handler is reported once and the player
// is reset instead of the process ending. User-interface thread only.

#include <QApplication>
#include <QString>

#include <functional>

// What happens with an exception that reached the guard: its message, and whether the playback
// component raised it. Without a handler: "アプリケーションのエラーです\r%s" (or the player's
// text) in a box captioned "エラー".
using ApplicationExceptionHandler = std::function<void(const QString &message, bool fromPlayer)>;
void SetApplicationExceptionHandler(ApplicationExceptionHandler handler);
// The text of the box for an exception ("メディアプレイヤーのエラーです\r%s" or
// "アプリケーションのエラーです\r%s").
QString ApplicationExceptionText(const QString &message, bool fromPlayer);

// Runs deliver and returns its result; an exception it throws goes to the handler, and the
// result is then false. A handler that throws itself is not called again for that exception.
bool GuardedCall(const std::function<bool()> &deliver);

// The application object of the program: QApplication with the guard around every delivery.
class TMyApplication : public QApplication {
    Q_OBJECT
public:
    TMyApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
