#include "shell/startup.h"

#include "engine/mediameasurer.h"
#include "lists/textencoding.h"
#include "platform/appdirs.h"
#include "platform/appstate.h"
#include "platform/displayplatform.h"
#include "platform/messagepanel.h"
#include "platform/qttranslation.h"
#include "platform/termsignals.h"
#include "platform/uihooks.h"
#include "shell/appguard.h"
#include "shell/appinfo.h"
#include "custom/myinifile.h"
#include "shell/mediaplayer.h"
#include "shell/mediaproperty.h"
#include "shell/mymessagepanel.h"
#include "shell/myparam.h"
#include "shell/startupstamp.h"
#include "shell/subplayer.h"
#include "tags/taglibrary.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLocale>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

PropertyWindowFactory &PropertyFactory()
{
    static PropertyWindowFactory factory;
    return factory;
}

// From here on a termination signal (SIGTERM, SIGINT) closes the windows the way the user
// closes them, so their panels go and their settings can be written, and ends the event loop.
void CloseOnTerminationSignals()
{
    platform::InstallTerminationSignals([](int) {
        platform::SetTerminating(true);
        QApplication::closeAllWindows();
        QCoreApplication::quit();
    });
}

// Runs the event loop, unless a termination signal came while the windows were being made.
int RunUntilClosed(QApplication &app)
{
    if (!platform::TerminationSignalReceived())
        return app.exec();
    platform::SetTerminating(true);
    QApplication::closeAllWindows();
    return 0;
}

int RunPropertyMode(QApplication &app, const TMyParam &params)
{
    const QString given = params.NonSwitchArg(1);
    const QFileInfo info(given);
    if (given.isEmpty() || !info.isFile()) {
        MsgBoxInfo(QStringLiteral("%1\rファイルが存在しません").arg(given), QStringLiteral("tavio"));
        return 0;
    }
    // Other processes compare the path and players match notices against their own entries:
    // it must not depend on this process's working folder.
    const QString path = QDir::cleanPath(info.absoluteFilePath());
    if (const int panel = FindPropertyWindowPanel(path)) {
        RestoreAndRaise(panel);
        return 0;
    }
    CloseOnTerminationSignals();
    std::unique_ptr<QWidget> window(PropertyFactory() ? PropertyFactory()(path) : new TApp_MediaProperty(path));
    window->show();
    return RunUntilClosed(app);
}

int RunSubPlayer(QApplication &app, const TMyParam &params)
{
    app.setQuitOnLastWindowClosed(false);
    CloseOnTerminationSignals(); // the hidden form is not closed by it; the loop's end ends it
    TApp_MEDIAPlayerSubForm form(params.RestOfCommandLine());
    QObject::connect(&form, &TApp_MEDIAPlayerSubForm::Closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    if (!form.Timer2->isActive())
        return 0; // closed while it was being created
    return RunUntilClosed(app);
}

int RunPlayer(QApplication &app, const TMyParam &params, const QString &displayNotice)
{
    if (!DuplicationAllowed() &&
        FindRunningInstance(InstanceMutexName(), QStringLiteral("TApp_MEDIAPlayer"), QStringLiteral("tavio"), QString()))
        return 0;
    CloseOnTerminationSignals();
    // The database opens when the tag library is first used, not before the window shows;
    // without a usable database the library is off and the rest works.
    OpenLibraryOnFirstUse();
    int result = 0;
    {
        TApp_MEDIAPlayer window;
        window.HasStartupArguments = params.ArgumentsWithoutFirst.size() > 0;
        window.ApplyStartupSettingsWords(params);  // "/LOADINI:OFF" acts before the settings are read
        {
            TMyIniFile settings;
            window.LoadSettings(settings);  // shows the window, then may reopen the resume list
        }
        if (!displayNotice.isEmpty())
            QTimer::singleShot(0, &window, [displayNotice] { MsgBoxInfo(displayNotice, QStringLiteral("tavio")); });
        window.HandleStartupCommandLine(params.RestOfCommandLine());
        result = RunUntilClosed(app);
        TMyIniFile settings;
        window.SaveSettings(settings);
        settings.UpdateFile();  // a file that cannot be written is passed over
    }
    CloseLibrary();
    return result;
}

} // namespace

QString InstanceMutexName() { return QStringLiteral("dgdo19dkg?Idodxx"); }

QString DuplicationMarkerPath() { return platform::DataFolder() + QStringLiteral("/allow.duplication"); }

bool DuplicationAllowed() { return QFileInfo::exists(DuplicationMarkerPath()); }

bool SetAllowDuplication(bool allow)
{
    const QString path = DuplicationMarkerPath();
    if (allow)
        return WriteTextFile(path, u"allow duplication\r\n", TextEncoding::Ansi);
    return !QFileInfo::exists(path) || QFile::remove(path);
}

void SetPropertyWindowFactory(PropertyWindowFactory factory) { PropertyFactory() = std::move(factory); }

int FindPropertyWindowPanel(const QString &path)
{
    const QString exe = ExePath();
    for (const platform::PanelEntry &entry : platform::ListPanels(QStringLiteral("TApp_MediaProperty"))) {
        // A window that does not answer within half a second is taken as hung and passed over.
        const auto id = platform::QueryPanel(entry.handle, 500);
        if (id && (id->state.visible || id->state.minimized) && id->state.shownFile == path &&
            id->executablePath == exe)
            return entry.handle;
    }
    return 0;
}

namespace {
// Tracks the Escape key for long operations that poll it between user-interface events.
class EscapeKeyWatch : public QObject {
public:
    bool down = false;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
            auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Escape && !key->isAutoRepeat())
                down = event->type() == QEvent::KeyPress;
        } else if (event->type() == QEvent::ApplicationDeactivate) {
            down = false;
        }
        return QObject::eventFilter(watched, event);
    }
};
} // namespace

void InstallUiHooks()
{
    if (auto *app = QCoreApplication::instance()) {
        auto *watch = new EscapeKeyWatch;
        watch->setParent(app);
        app->installEventFilter(watch);
        platform::SetEscapeKeyHandler([watch] { return watch->down; });
        QObject::connect(app, &QCoreApplication::aboutToQuit, [] { platform::SetTerminating(true); });
    }
    platform::SetMessageHandler([](const QString &text) { MsgBoxInfo(text); });
    platform::SetBeepHandler([] { QApplication::beep(); });
    const QString log = qEnvironmentVariable("TAVIO_MSGBOX_LOG");
    if (!log.isEmpty()) {
        SetMsgBoxAnswerer([log](const QString &text, const QString &caption, int flags) {
            QFile file(log);
            if (file.open(QIODevice::WriteOnly | QIODevice::Append))
                file.write((caption + QLatin1Char('\t') + text + QLatin1Char('\n')).toUtf8());
            return DefaultMsgBoxAnswer(flags);
        });
        // Beeps go to the same log, as a line of their own.
        platform::SetBeepHandler([log] {
            QFile file(log);
            if (file.open(QIODevice::WriteOnly | QIODevice::Append))
                file.write("(beep)\n");
            QApplication::beep();
        });
    }
}

int TavioMain(int argc, char **argv)
{
    // Every argument is the program's: the application object gets the program name alone (and
    // the display platform chosen here), so a file named "-style" or "--platform" is not taken
    // for one of the toolkit's options. The toolkit's own settings come from the environment.
    QStringList arguments;
    for (int i = 0; i < argc && argv[i]; ++i)
        arguments << QFile::decodeName(argv[i]);
    SetProcessArguments(arguments);
    const platform::DisplayPlatformChoice display = platform::ChooseDisplayPlatform();
    if (!display.notice.isEmpty())
        std::fprintf(stderr, "tavio: %s\n", display.notice.toLocal8Bit().constData());
    static char fallbackName[] = "tavio";
    static char platformOption[] = "-platform";
    QByteArray platformName = display.platform;
    std::vector<char *> toolkitArgv{argc > 0 && argv[0] ? argv[0] : fallbackName};
    if (!platformName.isEmpty()) {
        toolkitArgv.push_back(platformOption);
        toolkitArgv.push_back(platformName.data());
    }
    toolkitArgv.push_back(nullptr);
    int toolkitArgc = int(toolkitArgv.size()) - 1;
    TMyApplication app(toolkitArgc, toolkitArgv.data());  // exceptions of handlers end in one box
    QApplication::setApplicationName(QStringLiteral("tavio"));
    platform::InstallQtTranslation(app);  // the dialogs' own texts in Japanese
    // Dates and times read as the Japanese interface writes them ("2026/12/10 9:05:02"),
    // whatever the environment's locale says, like the fixed Japanese collation.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    InstallUiHooks();
    InstallStartupStamp();
    engine::InstallMediaMeasurer();
    const TMyParam &params = ProcessParams();

    // Without the private folder there is no safe way to talk to other tavio processes.
    QString folderError;
    if (platform::PanelFolder(&folderError).isEmpty()) {
        MsgBoxInfo(folderError, QStringLiteral("tavio"));
        return 1;
    }
    if (params.HasSwitch(u"property"))
        return RunPropertyMode(app, params);
    if (params.HasSwitch(u"subplayer"))
        return RunSubPlayer(app, params);
    return RunPlayer(app, params, display.notice);
}
