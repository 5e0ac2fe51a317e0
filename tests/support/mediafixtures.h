#pragma once
// Media files made at test time by gst-launch-1.0 pipelines.

#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>

// Runs "gst-launch-1.0 -q <pipeline> ! filesink location=<path>"; true when the file was made.
// The pipeline is given as separate words, as on a command line.
inline bool MakeMediaFile(const QString &path, const QStringList &pipeline)
{
    QStringList args{QStringLiteral("-q")};
    args << pipeline << QStringLiteral("!") << QStringLiteral("filesink")
         << (QStringLiteral("location=") + path);
    QProcess p;
    p.start(QStringLiteral("gst-launch-1.0"), args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return false;
    }
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0 && QFileInfo(path).size() > 0;
}

// True when gst-inspect-1.0 knows every element.
inline bool HaveElements(const QStringList &elements)
{
    for (const QString &e : elements) {
        QProcess p;
        p.start(QStringLiteral("gst-inspect-1.0"), {QStringLiteral("--exists"), e});
        if (!p.waitForFinished(30000) || p.exitCode() != 0)
            return false;
    }
    return true;
}

inline QStringList Words(const QString &text)
{
    return text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}
