#include "shell/mediaplayer.h"

#include "custom/actionbuilder.h"
#include "custom/commandcatalogue.h"
#include "engine/dsplayer.h"
#include "platform/appstate.h"
#include "platform/process.h"
#include "shell/aftershown.h"
#include "shell/appinfo.h"
#include "shell/busycount.h"
#include "shellint/myfiledialogs.h"
#include "shell/mymessagepanel.h"
#include "shell/paneltexts.h"
#include "shell/playerbinding.h"
#include "shell/videoarea.h"

#include <QAction>
#include <QCloseEvent>
#include <QTimer>

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
    setWindowTitle(AppTitle());
    resize(640, 400);
    Busy = new TMyBusyCount(this);
    MyMessagePanel1 = new TMyMessagePanel(this, QStringLiteral("TApp_MEDIAPlayer"));
    MyMessagePanel1->OnTextChange = [this](TMyMessagePanel *sender, const QString &text) {
        MyMessagePanel1TextChange(sender, text);
    };
    PlayerBinding = new TMyPlayerBinding(this, VideoAreaOf(this));
    CreateCommands();
    CreateOpening();
    CreateMenus();
    CreateToolBars();
    // The sub-player process starts once the window is on the screen.
    RunWhenShown(this, [this] {
        if (!platform::IsPanel(SubPlayerPanel))
            StartSubPlayer();
    });
}

TApp_MEDIAPlayer::~TApp_MEDIAPlayer()
{
    // The tag refresh ends before the player and its list go.
    delete PlayerBinding;
    PlayerBinding = nullptr;
}

TMyDSPlayer *TApp_MEDIAPlayer::plyMedia() const
{
    return VideoAreaOf(const_cast<TApp_MEDIAPlayer *>(this))->Player();
}

void TApp_MEDIAPlayer::CreateCommands()
{
    Commands = new TMyActionBuilder(this);
    // The window holds every action, so their shortcuts act wherever the focus is inside it.
    addActions(Commands->AddList(TMyCommandList::ActionList_Main));
    addActions(Commands->AddList(TMyCommandList::ActionList_Exclude));
    Commands->Attach(u"Action_FileExit", [this](QObject *) { close(); });
    Commands->Attach(u"actList_ReadTag", [this](QObject *) {
        PlayerBinding->SetReadTag(IsChecked(u"actList_ReadTag"));
    });
    PlayerBinding->SetReadTag(IsChecked(u"actList_ReadTag"));
    Commands->Attach(u"actOpt_Random", [this](QObject *) {
        plyMedia()->PlayMode = IsChecked(u"actOpt_Random") ? pmRandom : pmNormal;
    });
    AttachOpeningCommands();
}

QAction *TApp_MEDIAPlayer::Command(QStringView name) const { return Commands->Action(name); }

bool TApp_MEDIAPlayer::IsChecked(QStringView name) const
{
    const QAction *action = Command(name);
    return action && action->isChecked();
}

bool TApp_MEDIAPlayer::Execute(QStringView name) { return Commands->Execute(name); }

void TApp_MEDIAPlayer::DisableUserInput() { Busy->Enter(); }

bool TApp_MEDIAPlayer::EnableUserInput() { return Busy->Leave(); }

void TApp_MEDIAPlayer::closeEvent(QCloseEvent *event)
{
    if (m_opening) {
        // The search in progress ends first; the window goes once the opening has returned.
        m_closeAfterOpening = true;
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
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
