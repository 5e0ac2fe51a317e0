#include "platform/screensaver.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>

#include <optional>

namespace platform {
namespace {

const QString kAppName = QStringLiteral("tavio");

const QString kScreenSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kScreenSaverInterface = QStringLiteral("org.freedesktop.ScreenSaver");
// Desktops differ in where they put the object; the first that answers is used.
const QString kScreenSaverPaths[] = {QStringLiteral("/org/freedesktop/ScreenSaver"), QStringLiteral("/ScreenSaver")};

const QString kLoginService = QStringLiteral("org.freedesktop.login1");
const QString kLoginPath = QStringLiteral("/org/freedesktop/login1");
const QString kLoginInterface = QStringLiteral("org.freedesktop.login1.Manager");

enum class Bus { Session, System };

// The bus at address, or the one of the environment. A connection that failed is returned too;
// callers check isConnected().
QDBusConnection OpenBus(Bus kind, const QString &address)
{
    QString where = address;
    if (where.isEmpty()) {
        if (kind == Bus::System)
            return QDBusConnection::systemBus();
        // The environment's address read now, so a changed variable is honoured.
        where = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
        if (where.isEmpty())
            return QDBusConnection::sessionBus();
    }
    const QString name = QStringLiteral("tavio:") + where;
    QDBusConnection bus = QDBusConnection::connectToBus(where, name);
    if (!bus.isConnected())
        QDBusConnection::disconnectFromBus(name); // so a later try connects afresh
    return bus;
}

// Runs done(watcher) once the call has an answer (or timed out); the watcher then goes away.
template <class Done>
void WhenAnswered(const QDBusPendingCall &call, Done done)
{
    auto *watcher = new QDBusPendingCallWatcher(call);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [done](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        done(*w);
    });
}

} // namespace

// Shared with the answers still under way, so an answer that comes after the inhibitor is gone
// can still be released.
struct ScreenSaverInhibitor::State {
    QDBusConnection bus{QString()};
    bool wanted = false;
    bool pending = false;
    std::optional<uint> cookie;
    int pathIndex = 0;
    QString reason;
};

namespace {

void ReleaseCookie(ScreenSaverInhibitor::State &s, int pathIndex, uint cookie)
{
    QDBusMessage call = QDBusMessage::createMethodCall(kScreenSaverService, kScreenSaverPaths[pathIndex],
                                                       kScreenSaverInterface, QStringLiteral("UnInhibit"));
    call << cookie;
    s.bus.send(call);
}

void RequestInhibit(const std::shared_ptr<ScreenSaverInhibitor::State> &s, int pathIndex)
{
    QDBusMessage call = QDBusMessage::createMethodCall(kScreenSaverService, kScreenSaverPaths[pathIndex],
                                                       kScreenSaverInterface, QStringLiteral("Inhibit"));
    call << kAppName << s->reason;
    s->pending = true;
    WhenAnswered(s->bus.asyncCall(call, kInhibitCallTimeoutMs), [s, pathIndex](const QDBusPendingCall &answer) {
        const QDBusPendingReply<uint> reply = answer;
        if (reply.isError()) {
            const QDBusError::ErrorType type = reply.error().type();
            const bool noSuchObject = type == QDBusError::UnknownObject || type == QDBusError::UnknownMethod ||
                                      type == QDBusError::UnknownInterface;
            if (noSuchObject && pathIndex + 1 < int(std::size(kScreenSaverPaths)) && s->wanted) {
                RequestInhibit(s, pathIndex + 1);
                return;
            }
            s->pending = false; // no screen saver service: nothing to hold
            return;
        }
        s->pending = false;
        if (!s->wanted) { // released while the answer was on its way
            ReleaseCookie(*s, pathIndex, reply.value());
            return;
        }
        s->cookie = reply.value();
        s->pathIndex = pathIndex;
    });
}

} // namespace

ScreenSaverInhibitor::ScreenSaverInhibitor(const QString &busAddress, QObject *parent)
    : QObject(parent)
    , m_state(std::make_shared<State>())
{
    m_state->bus = OpenBus(Bus::Session, busAddress);
}

ScreenSaverInhibitor::~ScreenSaverInhibitor()
{
    SetInhibited(false, QString());
}

void ScreenSaverInhibitor::SetInhibited(bool on, const QString &reason)
{
    State &s = *m_state;
    if (on == s.wanted)
        return;
    s.wanted = on;
    if (on) {
        s.reason = reason;
        if (!s.pending && !s.cookie && s.bus.isConnected())
            RequestInhibit(m_state, 0);
    } else if (s.cookie) {
        ReleaseCookie(s, s.pathIndex, *s.cookie);
        s.cookie.reset();
    }
}

bool ScreenSaverInhibitor::Inhibited() const
{
    return m_state->wanted;
}

bool ScreenSaverInhibitor::Held() const
{
    return m_state->cookie.has_value();
}

struct SleepWatcher::State {
    QDBusConnection bus{QString()};
    QString reason;
    bool alive = true;
    bool pending = false;
    QDBusUnixFileDescriptor delay; // the delay inhibitor: held while valid
};

namespace {

void TakeDelay(const std::shared_ptr<SleepWatcher::State> &s)
{
    if (s->pending || s->delay.isValid() || !s->bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(kLoginService, kLoginPath, kLoginInterface, QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << kAppName << s->reason << QStringLiteral("delay");
    s->pending = true;
    WhenAnswered(s->bus.asyncCall(call, kInhibitCallTimeoutMs), [s](const QDBusPendingCall &answer) {
        s->pending = false;
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = answer;
        // An answer after the watcher is gone is dropped, which closes its descriptor.
        if (!reply.isError() && s->alive)
            s->delay = reply.value();
    });
}

} // namespace

SleepWatcher::SleepWatcher(const QString &reason, const QString &busAddress, QObject *parent)
    : QObject(parent)
    , m_state(std::make_shared<State>())
{
    m_state->reason = reason;
    m_state->bus = OpenBus(Bus::System, busAddress);
    if (!m_state->bus.isConnected())
        return;
    // D-Bus signals reach a slot named by its signature only.
    m_state->bus.connect(kLoginService, kLoginPath, kLoginInterface, QStringLiteral("PrepareForSleep"), this,
                         SLOT(PrepareForSleep(bool)));
    TakeDelay(m_state);
}

SleepWatcher::~SleepWatcher()
{
    m_state->alive = false;
    if (m_state->bus.isConnected())
        m_state->bus.disconnect(kLoginService, kLoginPath, kLoginInterface, QStringLiteral("PrepareForSleep"), this,
                                SLOT(PrepareForSleep(bool)));
    m_state->delay = QDBusUnixFileDescriptor();
}

bool SleepWatcher::HoldsDelay() const
{
    return m_state->delay.isValid();
}

void SleepWatcher::PrepareForSleep(bool starting)
{
    if (OnPrepareForSleep)
        OnPrepareForSleep(starting);
    if (starting)
        m_state->delay = QDBusUnixFileDescriptor(); // ready: the system may sleep now
    else
        TakeDelay(m_state);
}

} // namespace platform
