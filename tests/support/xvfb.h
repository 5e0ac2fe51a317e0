#pragma once
// Tests that need real video output run on the Xvfb server that test.sh starts and names in
// TAVIO_XVFB_DISPLAY; without it they skip.

#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>

// Creates the application object App (QGuiApplication or QApplication) on the xcb platform of
// that display, once per test program. True when the program has a real display.
template <class App>
bool StartXvfbApplication(const char *programName)
{
    static bool started = false;
    if (QCoreApplication::instance())
        return started;
    const QByteArray display = qgetenv("TAVIO_XVFB_DISPLAY");
    if (display.isEmpty())
        return false;
    qputenv("DISPLAY", display);
    qputenv("QT_QPA_PLATFORM", "xcb");
    static int argc = 1;
    static QByteArray name(programName);
    static char *argv[] = {name.data(), nullptr};
    new App(argc, argv);
    started = QGuiApplication::platformName() == QLatin1String("xcb");
    return started;
}
