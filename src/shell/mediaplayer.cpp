#include "shell/mediaplayer.h"

#include "platform/appstate.h"
#include "platform/process.h"
#include "shell/appinfo.h"
#include "shell/mymessagepanel.h"
#include "shell/myparam.h"
#include "shell/paneltexts.h"
#include "shell/playerbinding.h"
#include "shell/videoarea.h"

#include <QGuiApplication>

namespace {

QString &SubPlayerProgramSetting()
{
    static QString program = ExePath();
    return program;
}

} // namespace

void TApp_MEDIAPlayer::SetSubPlayerProgram(const QString &program) { SubPlayerProgramSetting() = program; }
QString TApp_MEDIAPlayer::SubPlayerProgram() { return SubPlayerProgramSetting(); }

TApp_MEDIAPlayer::TApp_MEDIAPlayer(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("App_MEDIAPlayer"));
    setWindowTitle(QStringLiteral("tavio"));
    resize(640, 400);
    MyMessagePanel1 = new TMyMessagePanel(this, QStringLiteral("TApp_MEDIAPlayer"));
    MyMessagePanel1->OnTextChange = [this](TMyMessagePanel *sender, const QString &text) {
        MyMessagePanel1TextChange(sender, text);
    };
    PlayerBinding = new TMyPlayerBinding(this, VideoAreaOf(this));
    StartSubPlayer();
}

TApp_MEDIAPlayer::~TApp_MEDIAPlayer()
{
    // The tag refresh ends before the player and its list go.
    delete PlayerBinding;
    PlayerBinding = nullptr;
}

void TApp_MEDIAPlayer::HandleStartupCommandLine(const QString &restOfCommandLine)
{
    SendPanelText(restOfCommandLine, MyMessagePanel1);
}

void TApp_MEDIAPlayer::StartSubPlayer()
{
    const QString program = SubPlayerProgram();
    if (program.isEmpty() || MyMessagePanel1->Handle() <= 0)
        return; // without a panel of our own no answer could come
    platform::StartProgram(program, SubPlayerArguments(MyMessagePanel1->Handle()));
}

bool TApp_MEDIAPlayer::EnsureSubPlayer()
{
    if (platform::IsPanel(SubPlayerPanel))
        return true;
    const platform::PanelHandle before = SubPlayerPanel;
    StartSubPlayer();
    platform::ServePanels(2000, [&] { return SubPlayerPanel != before && platform::IsPanel(SubPlayerPanel); });
    return platform::IsPanel(SubPlayerPanel);
}

void TApp_MEDIAPlayer::MyMessagePanel1TextChange(TMyMessagePanel *sender, const QString &text)
{
    if (platform::IsTerminating())
        return;
    const TMyParam param(text);
    enum ListMode { OpenList, FolderList, ThisFolderList } mode = OpenList;
    QStringList lists[3];
    for (const TMyParamOption &o : param.Options) {
        if (!o.IsSwitch) {
            lists[mode].append(o.Text);
            continue;
        }
        if (o.NameIs(u"TO_SUBPLAYER"))
            SubPlayerPanel = o.ValueInt();
        else if (o.NameIs(u"OPEN"))
            mode = OpenList;
        else if (o.NameIs(u"FOLDER"))
            mode = FolderList;
        else if (o.NameIs(u"THISFOLDER"))
            mode = ThisFolderList;
    }
    const bool shift = QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
    auto openList = [&](const QStringList &paths) {
        if (paths.isEmpty())
            return;
        if (shift)
            OpenThisFolderOnly(paths);
        else
            OpenPaths(paths);
    };
    openList(lists[OpenList]);
    {
        // The later lists are added to the playlist; the setting comes back however they end.
        struct Restore {
            bool &flag;
            bool saved;
            ~Restore() { flag = saved; }
        } restore{OpenAdd, OpenAdd};
        OpenAdd = true;
        openList(lists[FolderList]);
        if (!lists[ThisFolderList].isEmpty())
            OpenThisFolderOnly(lists[ThisFolderList]);
    }
    if (sender)
        sender->Tag = 0;
}

void TApp_MEDIAPlayer::OpenPaths(const QStringList &paths) { VideoAreaOf(this)->PlayPaths(paths); }
void TApp_MEDIAPlayer::OpenThisFolderOnly(const QStringList &) {}
