#pragma once
// Keeping the screen saver off while a video plays, and hearing of system sleep.
//
// ScreenSaverInhibitor holds an org.freedesktop.ScreenSaver inhibition on the session bus while
// it is asked to; SleepWatcher takes a "delay" sleep inhibitor from logind on the system bus and
// reports PrepareForSleep, releasing the delay once its handler has run. Both are best effort:
// without a bus or without the service they do nothing, report nothing and never block (every
// call is asynchronous with a short timeout).
//
// User-interface thread only.

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace platform {

// The timeout of every D-Bus call made here.
constexpr int kInhibitCallTimeoutMs = 2000;

class ScreenSaverInhibitor : public QObject {
    Q_OBJECT
public:
    // busAddress: a D-Bus address (tests); empty = the session bus of the environment.
    explicit ScreenSaverInhibitor(const QString &busAddress = QString(), QObject *parent = nullptr);
    // Releases an inhibition held (or still being taken).
    ~ScreenSaverInhibitor() override;
    ScreenSaverInhibitor(const ScreenSaverInhibitor &) = delete;
    ScreenSaverInhibitor &operator=(const ScreenSaverInhibitor &) = delete;

    // On: take an inhibition (once; the reason of the first request stays while it is held).
    // Off: release it. Returns at once; the bus answers later.
    void SetInhibited(bool on, const QString &reason);
    // What was asked last.
    bool Inhibited() const;
    // An inhibition is held now (the service answered with a cookie).
    bool Held() const;

    struct State;

private:
    std::shared_ptr<State> m_state;
};

class SleepWatcher : public QObject {
    Q_OBJECT
public:
    // busAddress: a D-Bus address (tests); empty = the system bus. A delay inhibitor is taken at
    // once, with reason as its "why".
    explicit SleepWatcher(const QString &reason, const QString &busAddress = QString(), QObject *parent = nullptr);
    ~SleepWatcher() override;
    SleepWatcher(const SleepWatcher &) = delete;
    SleepWatcher &operator=(const SleepWatcher &) = delete;

    // Runs when the system is about to sleep (true) and after it woke (false). The delay
    // inhibitor is released once it returned from a true call; a new one is taken after waking.
    std::function<void(bool starting)> OnPrepareForSleep;

    // A delay inhibitor is held now.
    bool HoldsDelay() const;

    struct State;

private Q_SLOTS:
    void PrepareForSleep(bool starting);

private:
    std::shared_ptr<State> m_state;
};

} // namespace platform
