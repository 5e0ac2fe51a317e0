#pragma once
// A helper process of the multi-process tests, read line by line from its standard output.

#include "platform/messagepanel.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QList>
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

// The started process has ended, or ends within ms. QProcess::waitForFinished alone answers
// false for good once the event loop has seen the end first, so a wait that lets events run
// between its looks would never see it.
inline bool ProcessEnded(QProcess &process, int ms = 5)
{
    return process.state() == QProcess::NotRunning || process.waitForFinished(ms);
}

// Ended (a zombie waiting for its parent counts as ended).
inline bool ProcessGone(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    const QByteArray text = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
    return text.isEmpty() || text.contains(") Z ");
}

// The live processes of the program that run with this runtime folder (XDG_RUNTIME_DIR): the
// ones a test started and those they started in turn, which inherit it.
inline QList<qint64> ProcessesIn(const QString &program, const QString &runtimeRoot)
{
    const QString exe = QFileInfo(program).canonicalFilePath();
    const QByteArray entry = "XDG_RUNTIME_DIR=" + QFile::encodeName(runtimeRoot);
    QList<qint64> found;
    for (const QString &name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isNumber = false;
        const qint64 pid = name.toLongLong(&isNumber);
        if (!isNumber || QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget() != exe || ProcessGone(pid))
            continue;
        QFile environ(QStringLiteral("/proc/%1/environ").arg(pid));
        if (environ.open(QIODevice::ReadOnly) && environ.readAll().split('\0').contains(entry))
            found << pid;
    }
    return found;
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
