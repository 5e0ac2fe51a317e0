#include "shell/mediaplayer.h"

#include "custom/actionbuilder.h"
#include "custom/commandcatalogue.h"
#include "custom/myinifile.h"
#include "engine/dsplayer.h"
#include "engine/timetexts.h"
#include "platform/appstate.h"
#include "platform/process.h"
#include "platform/screensaver.h"
#include "playlist/mediaplaylist.h"
#include "shell/aftershown.h"
#include "shell/appguard.h"
#include "shell/appinfo.h"
#include "shell/busycount.h"
#include "shellint/myfiledialogs.h"
#include "shell/mymessagepanel.h"
#include "shell/paneltexts.h"
#include "shell/playerbinding.h"
#include "shell/videoarea.h"
#include "widgets/mytrackbar.h"

#include <QAction>
#include <QCloseEvent>
#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QSessionManager>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

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
    CreateControls();  // the panels around the video area "plyMedia", the bars, the timers
    PlayerBinding = new TMyPlayerBinding(this, m_videoArea);
    CreateCommands();
    CreateOpening();       // extension lists, dialogs
    CreatePlaylistPort();  // the playlist window itself comes once this window is shown
    InstallPlayerEvents();
    CreateWallVideo();     // the video owner, wallpaper mode
    CreateMenus();
    CreateToolBars();
    HookControlBar();      // the tool bars into their panels, the frame buttons' auto-repeat
    CreateVideoDisplay();  // the panels placed around the video, full screen, display changes
    SetApplicationExceptionHandler([this](const QString &message, bool fromPlayer) {
        ApplicationException(message, fromPlayer);
    });
    // Keys reach the window before its controls; logging out closes it like the user does.
    qApp->installEventFilter(this);
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &) { close(); });
    // The playlist window, the sub-player process and the sleep watch come once the window is
    // on the screen.
    RunWhenShown(this, [this] { PlaylistWindow(); });
    RunWhenShown(this, [this] {
        if (!platform::IsPanel(SubPlayerPanel))
            StartSubPlayer();
        if (!m_sleepWatcher) {
            m_sleepWatcher = new platform::SleepWatcher(AppTitle(), QString(), this);
            m_sleepWatcher->OnPrepareForSleep = [this](bool starting) {
                if (starting)
                    SystemSuspend();
            };
        }
    });
    Alive = 1;
}

TApp_MEDIAPlayer::~TApp_MEDIAPlayer()
{
    qApp->removeEventFilter(this);
    SetApplicationExceptionHandler({});
    Alive = 0;
    for (QTimer *timer : {Timer_SeekBar, Timer_Time, Timer_Frame, Timer_IsPlay})
        timer->stop();
    SetScreenSaverInhibited(false);
    EndWallVideoAtClose();
    // The player's events end here: what they would touch is going.
    if (TMyDSPlayer *player = plyMedia()) {
        player->OnMediaOpen = player->OnMediaStart = player->OnMediaEnded = player->OnMediaPaused =
            player->OnMediaPlay = player->OnMediaStopped = player->OnMediaClosed = player->OnMediaError =
                player->OnMediaDeleted = nullptr;
        player->OnMediaEvent = nullptr;
        player->OnVideoSizeChange = nullptr;
    }
    // The tag work ends before the player and its list go.
    delete App_MEDIAPlaylist;
    App_MEDIAPlaylist = nullptr;
    delete PlayerBinding;
    PlayerBinding = nullptr;
}

void TApp_MEDIAPlayer::CreateControls()
{
    // The window's own background (0x100010) shows where no panel and no video covers it; the
    // panels keep the desktop's colours.
    QPalette plain = QApplication::palette();
    plain.setColor(QPalette::Window, plain.color(QPalette::Window));  // set, so not inherited
    QPalette dark = plain;
    dark.setColor(QPalette::Window, QColor::fromRgb(0x100010));
    auto panel = [&](const QString &name, QWidget *parent) {
        auto *w = new QWidget(parent);
        w->setObjectName(name);
        w->setPalette(plain);
        w->setAutoFillBackground(true);
        return w;
    };
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("pnlClient"));
    m_client->setPalette(dark);
    m_client->setAutoFillBackground(true);
    auto *column = new QVBoxLayout(m_client);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    pnlTop = panel(QStringLiteral("pnlTop"), m_client);
    auto *top = new QHBoxLayout(pnlTop);
    top->setContentsMargins(0, 0, 0, 1);
    top->setSpacing(0);
    column->addWidget(pnlTop);

    pnlInfo = panel(QStringLiteral("pnlInfo"), m_client);
    pnlInfo->setFixedHeight(81);
    auto *grid = new QGridLayout(pnlInfo);
    grid->setContentsMargins(6, 2, 6, 2);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(0);
    struct InfoRow {
        const char16_t *caption;
        const char16_t *captionName;
        const char16_t *name;
        QLabel **label;
    } rows[] = {
        {u"ファイル名", u"lblFileName", u"Label_FileName", &Label_FileName},
        {u"タイトル", u"lblTitle", u"Label_Title", &Label_Title},
        {u"アーティスト", u"lblArtist", u"Label_Artist", &Label_Artist},
        {u"アルバム", u"lblAlbum", u"Label_Album", &Label_Album},
        {u"ファイル情報", u"lblFileInfo", u"Label_FileInfo", &Label_FileInfo},
    };
    int row = 0;
    for (const InfoRow &r : rows) {
        auto *caption = new QLabel(QString::fromUtf16(r.caption), pnlInfo);
        caption->setObjectName(QString::fromUtf16(r.captionName));
        auto *value = new QLabel(pnlInfo);
        value->setObjectName(QString::fromUtf16(r.name));
        value->setTextFormat(Qt::PlainText);
        value->setMinimumWidth(1);
        value->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        grid->addWidget(caption, row, 0);
        grid->addWidget(value, row, 1);
        *r.label = value;
        ++row;
    }
    grid->setColumnStretch(1, 1);
    column->addWidget(pnlInfo);

    auto *area = new TMyVideoArea(m_client);  // owns "plyMedia", behind the panels
    m_videoArea = area;
    column->addWidget(area, 1);

    pnlBottom = panel(QStringLiteral("pnlBottom"), m_client);
    auto *bottom = new QVBoxLayout(pnlBottom);
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->setSpacing(0);
    pnlSeek = panel(QStringLiteral("pnlSeek"), pnlBottom);
    auto *seekRow = new QHBoxLayout(pnlSeek);
    seekRow->setContentsMargins(2, 0, 2, 0);
    seekRow->setSpacing(2);
    barVolume = new TMyTrackBar(pnlSeek);
    SetupVolumeBar(*barVolume);
    barVolume->setFixedWidth(80);
    barBalance = new TMyTrackBar(pnlSeek);
    SetupBalanceBar(*barBalance);
    barBalance->setFixedWidth(80);
    Panel_Seek = panel(QStringLiteral("Panel_Seek"), pnlSeek);
    auto *seekFill = new QHBoxLayout(Panel_Seek);
    seekFill->setContentsMargins(0, 0, 0, 0);
    TrackBar_Seek = new TMyTrackBar(Panel_Seek);
    SetupSeekBar(*TrackBar_Seek, [](int seconds) { return SecondsText(seconds); });
    seekFill->addWidget(TrackBar_Seek);  // the seek bar fills its panel
    seekRow->addWidget(barVolume);
    seekRow->addWidget(barBalance);
    seekRow->addWidget(Panel_Seek, 1);
    bottom->addWidget(pnlSeek);
    auto *controlRow = new QHBoxLayout;
    controlRow->setContentsMargins(0, 0, 4, 0);
    controlRow->setSpacing(4);
    Label_VideoSize = new QLabel(pnlBottom);
    Label_VideoSize->setObjectName(QStringLiteral("Label_VideoSize"));
    Label_VideoSize->hide();
    lblTime = new QLabel(pnlBottom);
    lblTime->setObjectName(QStringLiteral("lblTime"));
    lblTime->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    controlRow->addStretch(1);  // the control bar goes in front (HookControlBar)
    controlRow->addWidget(Label_VideoSize);
    controlRow->addWidget(lblTime);
    bottom->addLayout(controlRow);
    column->addWidget(pnlBottom);
    setCentralWidget(m_client);

    auto timer = [this](const QString &name, int interval) {
        auto *t = new QTimer(this);
        t->setObjectName(name);
        t->setInterval(interval);
        return t;
    };
    Timer_SeekBar = timer(QStringLiteral("Timer_SeekBar"), 300);
    Timer_Time = timer(QStringLiteral("Timer_Time"), 30);
    Timer_Frame = timer(QStringLiteral("Timer_Frame"), 100);
    Timer_IsPlay = timer(QStringLiteral("Timer_IsPlay"), 500);
    Timer_IsPlay->setSingleShot(true);
    connect(Timer_SeekBar, &QTimer::timeout, this, [this] { Timer_SeekBarTimer(Timer_SeekBar); });
    connect(Timer_Time, &QTimer::timeout, this, &TApp_MEDIAPlayer::Timer_TimeTimer);
    connect(Timer_Frame, &QTimer::timeout, this, &TApp_MEDIAPlayer::Timer_FrameTimer);
    connect(Timer_IsPlay, &QTimer::timeout, this, &TApp_MEDIAPlayer::Timer_IsPlayTimer);

    connect(TrackBar_Seek, &TMyTrackBar::LeftReleased, this, &TApp_MEDIAPlayer::SeekBarReleased);
    connect(barVolume, &QSlider::valueChanged, this, [this](int position) {
        if (!IsChecked(u"actPlay_Mute"))
            plyMedia()->SetVolume(position);
    });
    connect(barBalance, &QSlider::valueChanged, this, [this](int position) {
        if (!barBalance->Touched() && position != 0 && BalanceSnap(position) == 0) {
            barBalance->setValue(0);  // comes back here with 0
            return;
        }
        plyMedia()->SetBalance(position);
    });
    // Small menus of the controls (made with the other menus).
    auto menuOn = [this](QWidget *w, const QString &menu) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this, [this, w, menu](const QPoint &pos) {
            if (QMenu *m = MenuNamed(menu))
                m->popup(w->mapToGlobal(pos));
        });
    };
    connect(TrackBar_Seek, &TMyTrackBar::ContextMenuRequested, this, [this](const QPoint &globalPos) {
        if (QMenu *m = MenuNamed(QStringLiteral("mnuPlay_Repeat")))
            m->popup(globalPos);
    });
    for (TMyTrackBar *bar : {barVolume, barBalance})
        connect(bar, &TMyTrackBar::ContextMenuRequested, this, [this](const QPoint &globalPos) {
            if (QMenu *m = MenuNamed(QStringLiteral("mnuVolume")))
                m->popup(globalPos);
        });
    menuOn(lblTime, QStringLiteral("mnuTime"));
    menuOn(Label_VideoSize, QStringLiteral("mnuZoom_UpDown"));
    menuOn(pnlTop, QStringLiteral("mnuCustomize_ToolBar"));
    menuOn(pnlBottom, QStringLiteral("mnuCustomize_ToolBar"));
    // Input over the video area and the information panel is the window's: the application's
    // event filter (installed at the end of the constructor) sees it first.
}

void TApp_MEDIAPlayer::HookControlBar()
{
    if (ToolBar_Main) {
        pnlTop->layout()->addWidget(ToolBar_Main);
        ToolBar_Main->setMovable(false);
        ToolBar_Main->show();
        pnlTop->setFixedHeight(ToolBar_Main->sizeHint().height() + 1);
    }
    if (ToolBar_Play) {
        auto *row = qobject_cast<QBoxLayout *>(pnlBottom->layout()->itemAt(1)->layout());
        row->insertWidget(0, ToolBar_Play);
        ToolBar_Play->setMovable(false);
        ToolBar_Play->show();
        // Holding the left button on a frame button repeats the step (the application's event
        // filter reads the mark).
        for (QAction *item : ToolBar_Play->actions()) {
            const QString name = item->objectName();
            if (name != QLatin1String("btnPlay_FrameBack") && name != QLatin1String("btnPlay_FrameNext"))
                continue;
            if (QWidget *button = ToolBar_Play->widgetForAction(item))
                button->setProperty("FrameDirection", name.endsWith(QLatin1String("Back")) ? -1 : 1);
        }
    }
}

QMenu *TApp_MEDIAPlayer::MenuNamed(const QString &name) const { return findChild<QMenu *>(name); }

TMyDSPlayer *TApp_MEDIAPlayer::plyMedia() const { return m_videoArea->Player(); }

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
    AttachTransportCommands();
    AttachOpeningCommands();
    AttachVideoCommands();
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
    CloseWindowSteps();
    QMainWindow::closeEvent(event);
}

void TApp_MEDIAPlayer::CloseWindowSteps()
{
    if (Alive == 0 && !isVisible())
        return;
    Alive = 0;
    for (QTimer *timer : {Timer_SeekBar, Timer_Time, Timer_Frame, Timer_IsPlay, Timer_GetFile})
        timer->stop();
    SetScreenSaverInhibited(false);
    // The video window goes with this window's own and takes the media with it: the entry and
    // second the list stands at are kept now for the settings written at the end (a point
    // already waiting for its file to reopen stays).
    if (SavedIndex < 0 && plyMedia()->IsOpen()) {
        SavedIndex = plyMedia()->ItemIndex;
        SavedPosition = plyMedia()->Position();
    }
    DisableUserInput();
    if (isMinimized() || isMaximized())
        showNormal();
    LeaveFullScreenForClose();
    plyMedia()->SetVolume(0);
    hide();
    // The settings are saved and the media unloaded when the window is destroyed.
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
    if (SubPlayerProgram().isEmpty() || MyMessagePanel1->Handle() <= 0)
        return false;  // none is started: no answer to wait for
    const platform::PanelHandle before = SubPlayerPanel;
    StartSubPlayer();
    platform::ServePanels(2000, [&] { return SubPlayerPanel != before && platform::IsPanel(SubPlayerPanel); });
    return platform::IsPanel(SubPlayerPanel);
}
