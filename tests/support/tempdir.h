#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// A temporary folder for one test, with helpers to write and read raw files in it.
class TestDir {
public:
    QString Path(const QString &name) const { return m_dir.filePath(name); }
    QString Root() const { return m_dir.path(); }
    QString Write(const QString &name, const QByteArray &bytes) const
    {
        const QString p = Path(name);
        QFile f(p);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        return p;
    }
    static QByteArray Read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_dir;
};
