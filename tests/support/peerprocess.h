#pragma once
// A helper process of the multi-process tests, read line by line from its standard output.

#include "platform/messagepanel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <functional>
#include <optional>

// Lets events and panel texts of this process run until pred() holds or the time is up.
inline bool WaitServingPanels(const std::function<bool()> &pred, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!pred()) {
        if (clock.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        platform::ServePanels(10);
    }
    return true;
}

// A helper process (tests/platform/messagepanel_peer.cpp) read line by line.
class Peer {
public:
    // program: the helper executable (the tests get TAVIO_PANEL_PEER from the build).
    Peer(const QString &program, const QStringList &arguments)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(program, arguments);
        m_process.waitForStarted();
    }
    ~Peer()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    // The rest of the next line that starts with prefix (earlier lines are passed over).
    std::optional<QString> Expect(const QString &prefix, int timeoutMs = 5000)
    {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            while (m_process.canReadLine()) {
                const QString line = QString::fromUtf8(m_process.readLine()).chopped(1);
                m_lines.append(line);
                if (line.startsWith(prefix))
                    return line.mid(prefix.size());
            }
            const int left = timeoutMs - int(clock.elapsed());
            if (left <= 0 || m_process.state() == QProcess::NotRunning)
                return std::nullopt;
            m_process.waitForReadyRead(std::min(left, 100));
        }
    }
    // Every line read so far, also the ones Expect passed over.
    QStringList Lines()
    {
        while (m_process.canReadLine())
            m_lines.append(QString::fromUtf8(m_process.readLine()).chopped(1));
        return m_lines;
    }
    platform::PanelHandle OpenPanel()
    {
        const auto handle = Expect(QStringLiteral("HANDLE "));
        return handle ? handle->toInt() : 0;
    }
    qint64 Pid() const { return m_process.processId(); }
    void Kill()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    bool WaitEnd(int ms) { return m_process.waitForFinished(ms); }

private:
    QProcess m_process;
    QStringList m_lines;
};
