#pragma once
// The application object of the window benches: made once, offscreen, with its own settings
// home and runtime folder so that a bench neither reads nor writes the user's.

#include <QApplication>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <type_traits>

// Window: the player window class when the bench makes player windows (they start no
// sub-player); void when it makes none.
template <class Window = void>
void EnsureBenchApp()
{
    static int argc = 1;
    static char name[] = "tavio_bench";
    static char *argv[] = {name, nullptr};
    if (QCoreApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QTemporaryDir home, runtime;
    qputenv("TAVIO_HOME", QFile::encodeName(home.path()));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    new QApplication(argc, argv);
    if constexpr (!std::is_void_v<Window>)
        Window::SetSubPlayerProgram(QString());
}
