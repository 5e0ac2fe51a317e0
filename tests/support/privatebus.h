#pragma once
// A private message bus for one test, and a screen saver service to put on it.

#include "support/tempdir.h"

#include <QDBusConnection>
#include <QObject>
#include <QProcess>
#include <QSet>
#include <QString>
#include <QStringList>

// A session bus of the test's own, run by dbus-daemon, with no services that could be started on
// demand. address stays empty when no bus could be started (tests then skip).
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus &) = delete;
    PrivateBus &operator=(const PrivateBus &) = delete;

    // The connection the fake services live on.
    QDBusConnection Services();
    // Serves object (its slots) at path under service; false when the bus refused.
    bool Offer(const QString &service, const QString &path, QObject *object);

    QString address;

private:
    TestDir m_dir;
    QProcess m_daemon;
};

// A screen saver service of the test's own: counts the calls and keeps the cookies held.
class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    int inhibits = 0;
    int uninhibits = 0;
    QSet<uint> held;
    QStringList lastArgs;
public Q_SLOTS:
    uint Inhibit(const QString &application, const QString &reason);
    void UnInhibit(uint cookie);

private:
    uint m_next = 100;
};
