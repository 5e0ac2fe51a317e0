#pragma once
// What window tests share: the test program's application object, made once (offscreen unless
// a platform is chosen), and environment variables set for one test and put back after it.

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <optional>

// Makes the application object of type App on first call; later calls do nothing.
template <class App = QApplication>
void EnsureTestApp()
{
    static int argc = 1;
    static char name[] = "tavio_test";
    static char *argv[] = {name, nullptr};
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    new App(argc, argv);
}

// Environment variables set through it get their old values (or absence) back when it goes.
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ScopedEnvironment(const ScopedEnvironment &) = delete;
    ScopedEnvironment &operator=(const ScopedEnvironment &) = delete;
    ~ScopedEnvironment()
    {
        for (qsizetype i = m_saved.size() - 1; i >= 0; --i) {
            const auto &[name, value] = m_saved[i];
            if (value)
                qputenv(name.constData(), *value);
            else
                qunsetenv(name.constData());
        }
    }
    void Set(const char *name, const QByteArray &value)
    {
        m_saved.append({name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt});
        qputenv(name, value);
    }
    // A folder's path, as the file system wants it.
    void SetPath(const char *name, const QString &path) { Set(name, QFile::encodeName(path)); }

private:
    QList<QPair<QByteArray, std::optional<QByteArray>>> m_saved;
};
