#include "platform/uihooks.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

namespace platform {
namespace {
std::function<void()> &BeepHandler()
{
    static std::function<void()> h;
    return h;
}
std::function<void(const QString &)> &MessageHandler()
{
    static std::function<void(const QString &)> h;
    return h;
}
} // namespace

void ProcessEvents()
{
    QCoreApplication *app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread())
        QCoreApplication::processEvents();
}

void Beep()
{
    if (BeepHandler())
        BeepHandler()();
}

void SetBeepHandler(std::function<void()> handler) { BeepHandler() = std::move(handler); }

void ShowMessage(const QString &text)
{
    if (MessageHandler())
        MessageHandler()(text);
    else
        std::fprintf(stderr, "tavio: %s\n", text.toLocal8Bit().constData());
}

void SetMessageHandler(std::function<void(const QString &)> handler) { MessageHandler() = std::move(handler); }

} // namespace platform
