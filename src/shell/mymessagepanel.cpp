#include "shell/mymessagepanel.h"

#include "platform/instancelock.h"
#include "platform/uihooks.h"
#include "shell/appinfo.h"
#include "shell/myparam.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <QWidget>

namespace {

// How long a second start waits for the running player's window when the lock is held but the
// window is not there yet (the first player is still starting).
constexpr int kWindowWaitMs = 5000;

} // namespace

TMyMessagePanel::TMyMessagePanel(QWidget *owner, const QString &className)
    : QObject(owner), m_owner(owner)
{
    setObjectName(QStringLiteral("MyMessagePanel1"));
    const QString cls = !className.isEmpty() ? className
                        : owner             ? QString::fromLatin1(owner->metaObject()->className())
                                            : QStringLiteral("TMyMessagePanel");
    m_endpoint = std::make_unique<platform::PanelEndpoint>(cls);
    QPointer<TMyMessagePanel> self(this);
    m_endpoint->SetTextHandler([self](const QString &text) {
        if (self)
            self->Receive(text);
    });
    m_endpoint->SetStateProvider([self] {
        platform::PanelState state;
        if (!self)
            return state;
        state.shownFile = self->m_shownFile;
        if (QWidget *w = self->m_owner ? self->m_owner->window() : nullptr) {
            state.visible = w->isVisible();
            state.minimized = w->isMinimized();
            state.windowId = quint64(w->internalWinId());
        }
        return state;
    });
    m_endpoint->SetRaiseHandler([self] {
        if (self && self->m_owner)
            RestoreAndRaise(self->m_owner.data());
    });
}

TMyMessagePanel::~TMyMessagePanel() = default;

bool TMyMessagePanel::IsOpen() const { return m_endpoint->IsOpen(); }
QString TMyMessagePanel::ErrorText() const { return m_endpoint->ErrorText(); }
platform::PanelHandle TMyMessagePanel::Handle() const { return m_endpoint->Handle(); }
QString TMyMessagePanel::ClassName() const { return m_endpoint->ClassName(); }

void TMyMessagePanel::Receive(const QString &text)
{
    if (TMyTextChangeEvent handler = OnTextChange)
        handler(this, text);
}

bool SendPanelText(const QString &text, platform::PanelHandle panel)
{
    if (panel <= 0)
        return false;
    return platform::DeliverPanelText(panel, text);
}

bool SendPanelText(const QString &text, QObject *window)
{
    TMyMessagePanel *panel = FindMessagePanelObject(window);
    if (!panel)
        return false;
    if (!panel->IsOpen()) {
        // A panel without its socket still takes texts from its own process.
        panel->Receive(text);
        return true;
    }
    return SendPanelText(text, panel->Handle());
}

void BroadcastPanelTextExcept(const QString &text, const QList<platform::PanelHandle> &except)
{
    for (const platform::PanelEntry &entry : platform::ListPanels()) {
        if (except.contains(entry.handle))
            continue;
        platform::DeliverPanelText(entry.handle, text);
        platform::ProcessEvents();
    }
}

void BroadcastPanelText(const QString &text) { BroadcastPanelTextExcept(text, {}); }

TMyMessagePanel *FindMessagePanelObject(QObject *window)
{
    if (!window)
        return nullptr;
    if (auto *panel = qobject_cast<TMyMessagePanel *>(window))
        return panel;
    return window->findChild<TMyMessagePanel *>();
}

platform::PanelHandle FindMessagePanel(QObject *window)
{
    TMyMessagePanel *panel = FindMessagePanelObject(window);
    return panel ? panel->Handle() : 0;
}

platform::PanelHandle FindWindowPanel(const QString &className)
{
    for (const platform::PanelEntry &entry : platform::ListPanels(className))
        if (platform::IsPanel(entry.handle))
            return entry.handle;
    return 0;
}

void RestoreAndRaise(QWidget *window)
{
    if (!window)
        return;
    QWidget *w = window->window();
    if (w->isMinimized())
        w->setWindowState((w->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    w->raise();
    w->activateWindow();
}

void RestoreAndRaise(platform::PanelHandle panel)
{
    if (panel > 0)
        platform::RequestPanelRaise(panel);
}

QStringList HandOverArguments(const QStringList &arguments, const QString &workingFolder)
{
    QStringList result = arguments;
    const QDir base(workingFolder);
    for (qsizetype i = 1; i < result.size(); ++i) {
        const QString &arg = result[i];
        if (arg.startsWith(QLatin1Char('/'))) {
            // A switch ("/LISTSAVE:" takes the next argument as its value) or an absolute path.
            if (arg.endsWith(QLatin1Char(':')) && IsSwitchArgument(arg))
                ++i;
            continue;
        }
        if (arg.isEmpty())
            continue;
        const QFileInfo info(base, arg);
        if (info.exists())
            result[i] = QDir::cleanPath(info.absoluteFilePath());
    }
    return result;
}

QString HandOverText(const QStringList &arguments, const QString &workingFolder)
{
    return RestOfCommandLine(JoinCommandLine(HandOverArguments(arguments, workingFolder)));
}

bool FindRunningInstance(const QString &mutexName, const QString &className, const QString &caption,
                         const QString &extraText)
{
    return FindRunningInstance(mutexName, className, caption, extraText, ProcessArguments());
}

bool FindRunningInstance(const QString &mutexName, const QString &className, const QString &caption,
                         const QString &extraText, const QStringList &arguments)
{
    platform::PanelHandle panel = 0;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (platform::AcquireInstanceLock(mutexName) != platform::InstanceLockResult::HeldElsewhere)
            return false; // first instance (or no lock to be had: run on our own)
        panel = FindWindowPanel(className);
        if (panel || clock.elapsed() > kWindowWaitMs)
            break;
        // The lock's holder is still starting (or ending): give it a moment, and take over
        // when it has gone.
        QThread::msleep(50);
    }
    if (panel && TMyParam::FromArguments(arguments).ParamCount() > 0) {
        SendPanelText(HandOverText(arguments, QDir::currentPath()), panel);
    } else {
        MsgBoxInfo(QStringLiteral("すでに起動しています"), caption);
        if (!extraText.isEmpty())
            SendPanelText(extraText, panel);
    }
    RestoreAndRaise(panel);
    return true;
}
