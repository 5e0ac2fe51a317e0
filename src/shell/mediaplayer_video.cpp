// The player window's video display: the layout of the panels around the video, the height the
// window may take, zooming the window and the video inside it, the aspect presets, full screen
// and max zoom with the panels sliding in at the edges, the renderer choice, the display
// changing under the window, and where the window first appears.
#include "shell/mediaplayer.h"

#include "custom/actionbuilder.h"
#include "engine/dsplayer.h"
#include "platform/uihooks.h"
#include "shell/videoarea.h"
#include "shell/videozoom.h"
#include "widgets/heldmodifiers.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTimer>
#include <QToolBar>

#include <algorithm>

namespace {

constexpr QStringView kFullScreen = u"actZoom_FullScreen";
constexpr QStringView kMaxZoom = u"actZoom_MaxZoom";

constexpr QStringView kZoomCommands[] = {u"actZoom_50", u"actZoom_100", u"actZoom_200",
                                         u"actZoom_Up", u"actZoom_Down", u"actZoom_Fit"};
constexpr QStringView kPresetCommands[] = {u"actZoom_AspectStandard", u"actZoom_AspectHiVision",
                                           u"actZoom_AspectEVista", u"actZoom_AspectAVista",
                                           u"actZoom_AspectWideScope"};

// A renderer command's number is its renderer mode.
static_assert(vmVideoRenderer == 1 && vmOverlayMixer == 2 && vmVMR7 == 3 && vmVMR9 == 4 && vmEVR == 5);

TMyZoomKind ZoomKindOf(const QObject *sender)
{
    if (!sender)
        return TMyZoomKind::Fit;
    const QString name = sender->objectName();
    struct Kind {
        QStringView name;
        TMyZoomKind kind;
    };
    static const Kind kinds[] = {
        {u"actZoom_Up", TMyZoomKind::Up},          {u"actZoom_Down", TMyZoomKind::Down},
        {u"actZoom_50", TMyZoomKind::Half},        {u"actZoom_100", TMyZoomKind::Original},
        {u"actZoom_200", TMyZoomKind::Double},     {u"actZoom_Fit", TMyZoomKind::Fit},
    };
    for (const Kind &k : kinds) {
        if (name.compare(k.name, Qt::CaseInsensitive) == 0)
            return k.kind;
    }
    if (name.compare(u"actOpt_OpenOriginalSize", Qt::CaseInsensitive) == 0) {
        const auto *action = qobject_cast<const QAction *>(sender);
        if (action && action->isChecked())
            return TMyZoomKind::Original;
    }
    return TMyZoomKind::Other;
}

int PrimaryWorkWidth()
{
    const QScreen *primary = QGuiApplication::primaryScreen();
    return primary ? primary->availableGeometry().width() : 0;
}

QScreen *ScreenAtOrPrimary(const QPoint &point)
{
    QScreen *screen = QGuiApplication::screenAt(point);
    return screen ? screen : QGuiApplication::primaryScreen();
}

// The menu bar's height: the part of the window above the client area.
int MenuBarHeight(const QMainWindow *window)
{
    const QMenuBar *bar = window->menuBar();
    return bar && !bar->isHidden() ? bar->sizeHint().height() : 0;
}

// A panel that is shown and not on its way out.
bool PanelShown(const QWidget *panel) { return !panel->isHidden() && !panel->property("tavioSlideOut").toBool(); }

} // namespace

QWidget *TApp_MEDIAPlayer::VideoControl() const { return m_videoArea; }

void TApp_MEDIAPlayer::AttachVideoCommands()
{
    // Program code runs a command with no sender; these act as the command itself then (a
    // command word "50%" zooms to half), while the handler called with none fits.
    auto own = [this](QStringView name, void (TApp_MEDIAPlayer::*handler)(QObject *)) {
        const QString n = name.toString();
        Commands->Attach(name, [this, n, handler](QObject *sender) { (this->*handler)(sender ? sender : Command(n)); });
    };
    for (QStringView name : kZoomCommands)
        own(name, &TApp_MEDIAPlayer::actZoom_UpExecute);
    own(u"actOpt_OpenOriginalSize", &TApp_MEDIAPlayer::actZoom_UpExecute);
    for (QStringView name : kPresetCommands)
        own(name, &TApp_MEDIAPlayer::actZoom_AspectStandardExecute);
    for (QStringView name : kRendererCommands)
        own(name, &TApp_MEDIAPlayer::Action_ZoomVideoRendererExecute);
    Commands->Attach(kFullScreen, [this](QObject *sender) { actZoom_FullScreenExecute(sender); });
    Commands->Attach(kMaxZoom, [this](QObject *sender) { actZoom_FullScreenExecute(sender); });
    Commands->Attach(u"actOpt_OpenFit", [](QObject *) {});  // read when a media opens
    Commands->Attach(u"actOpt_KeepAspect", [this](QObject *) {
        plyMedia()->SetKeepAspect(IsChecked(u"actOpt_KeepAspect"));
    });
    Commands->Attach(u"actDisp_InfoPanel", [this](QObject *) { actDisp_ToolBarExecute(); });
    // The enhanced renderer is the newer systems' own; this build never offers it.
    Command(u"Action_ZoomEVR")->setEnabled(false);
    Command(u"Action_ZoomEVR")->setVisible(false);
}

void TApp_MEDIAPlayer::CreateVideoDisplay()
{
    // The panels keep their own layouts; the client area places them (FormResize).
    delete m_client->layout();
    pnlBottom->setFixedHeight(pnlBottom->sizeHint().height());
    // Panels of their own on the screen, so that they show over the video window when they
    // slide in over it.
    for (QWidget *panel : {pnlTop, pnlInfo, pnlBottom})
        panel->setAttribute(Qt::WA_NativeWindow);
    for (QWidget *panel : {pnlTop, pnlBottom}) {
        auto *slide = new QPropertyAnimation(panel, "pos", this);
        slide->setObjectName(panel == pnlTop ? QStringLiteral("aniTop") : QStringLiteral("aniBottom"));
        connect(slide, &QPropertyAnimation::finished, this, [panel] {
            if (panel->property("tavioSlideOut").toBool()) {
                panel->setProperty("tavioSlideOut", false);
                panel->hide();
            }
        });
    }
    m_client->setMouseTracking(true);
    VideoControl()->setMouseTracking(true);
    VideoControl()->lower();
    VideoControl()->setMinimumSize(0, 0);  // the zoom's limits are the video's own
    setMinimumWidth(240);

    Timer_Control = new QTimer(this);
    Timer_Control->setObjectName(QStringLiteral("Timer_Control"));
    Timer_Control->setInterval(100);
    connect(Timer_Control, &QTimer::timeout, this, &TApp_MEDIAPlayer::Timer_ControlTimer);

    OnZoomWheel = [this](int delta) { Execute(delta > 0 ? u"actZoom_Up" : u"actZoom_Down"); };

    // Display changes come as bursts of screen signals; one look after they settle.
    auto *settle = new QTimer(this);
    settle->setObjectName(QStringLiteral("tmrDisplayChange"));
    settle->setSingleShot(true);
    settle->setInterval(300);
    connect(settle, &QTimer::timeout, this, [this] {
        QList<QRect> monitors;
        for (const QScreen *screen : QGuiApplication::screens())
            monitors << screen->geometry();
        const QScreen *primary = QGuiApplication::primaryScreen();
        if (primary && !monitors.isEmpty())
            DisplayChange(monitors, primary->geometry());
    });
    auto watch = [this, settle](QScreen *screen) {
        connect(screen, &QScreen::geometryChanged, settle, qOverload<>(&QTimer::start));
    };
    for (QScreen *screen : QGuiApplication::screens())
        watch(screen);
    connect(qApp, &QGuiApplication::screenAdded, this, [settle, watch](QScreen *screen) {
        watch(screen);
        settle->start();
    });
    connect(qApp, &QGuiApplication::screenRemoved, settle, qOverload<>(&QTimer::start));
    connect(qApp, &QGuiApplication::primaryScreenChanged, settle, qOverload<>(&QTimer::start));

    // Where a new window appears: by the monitor the mouse is on (the settings may move it).
    if (const QScreen *screen = ScreenAtOrPrimary(QCursor::pos()))
        setGeometry(QRect(screen->geometry().topLeft() + QPoint(75, 75), QSize(640, 480)));
    actDisp_ToolBarExecute();
}

void TApp_MEDIAPlayer::actDisp_ToolBarExecute()
{
    TMyDSPlayer *p = plyMedia();
    const bool video = p->HasVideo();
    const bool screenMode = video && (IsChecked(kFullScreen) || IsChecked(kMaxZoom));
    setMinimumHeight(0);
    setMaximumHeight(QWIDGETSIZE_MAX);
    int height = 0;
    for (const char *animation : {"aniTop", "aniBottom"}) {
        if (auto *slide = findChild<QPropertyAnimation *>(QLatin1String(animation)))
            slide->stop();
    }
    pnlTop->setProperty("tavioSlideOut", false);
    pnlBottom->setProperty("tavioSlideOut", false);
    pnlBottom->setVisible(!screenMode);
    if (!screenMode)
        height += pnlBottom->height();
    const bool info = !screenMode && !(!IsChecked(u"actDisp_InfoPanel") && p->EntryCount() > 0 && video);
    pnlInfo->setVisible(info);
    if (info)
        height += pnlInfo->height();
    if (video && !screenMode && p->EntryCount() > 0)
        height += VideoHeightForWidth(QSize(p->VideoWidth(), p->VideoHeight()), m_client->width());
    const int bar = ToolBar_Main ? ToolBar_Main->sizeHint().height() : 0;
    pnlTop->setFixedHeight(info && !video ? bar : bar + 1);
    pnlTop->setVisible(!screenMode);
    if (!screenMode) {
        height += pnlTop->height();
        ApplyHeightConstraints(QRect(geometry().topLeft(), QSize(width(), height + MenuBarHeight(this))));
    }
    FormResize();
    // Panels of their own shown again are painted whole, not only where their labels changed.
    for (QWidget *panel : {pnlTop, pnlInfo, pnlBottom}) {
        if (!panel->isHidden())
            panel->update();
    }
}

void TApp_MEDIAPlayer::ApplyHeightConstraints(const QRect &requested)
{
    TMyDSPlayer *p = plyMedia();
    const bool screenMode = IsChecked(kFullScreen) || IsChecked(kMaxZoom);
    const bool infoShown = !pnlInfo->isHidden();
    const int panels = pnlTop->height() + pnlBottom->height() + pnlInfo->height() + MenuBarHeight(this);
    const TMyHeightLimits limits =
        WindowHeightLimits(p->HasVideo() && !screenMode && p->EntryCount() > 0, infoShown, panels);
    setMinimumHeight(limits.minimum);
    setMaximumHeight(limits.maximum.value_or(QWIDGETSIZE_MAX));
    if (!FitFlag) {
        FitFlag = true;
        return;
    }
    if (isMaximized() || isFullScreen())
        return;
    setGeometry(QRect(requested.topLeft(), QSize(std::max(requested.width(), minimumWidth()),
                                                 std::clamp(requested.height(), limits.minimum,
                                                            limits.maximum.value_or(QWIDGETSIZE_MAX)))));
}

void TApp_MEDIAPlayer::FormResize()
{
    TMyDSPlayer *p = plyMedia();
    QWidget *area = VideoControl();
    const int cw = m_client->width(), ch = m_client->height();
    const bool video = p->HasVideo();
    const bool sliding = FullScreenTag != 0;
    // In full screen the panels rest where they slide to; their animations place them meanwhile.
    auto placeAtRest = [&](QWidget *panel, int top) {
        const auto *slide = findChild<QPropertyAnimation *>(panel == pnlTop ? QStringLiteral("aniTop")
                                                                             : QStringLiteral("aniBottom"));
        if (!slide || slide->state() != QAbstractAnimation::Running)
            panel->setGeometry(0, top, cw, panel->height());
    };
    placeAtRest(pnlTop, 0);
    placeAtRest(pnlBottom, ch - pnlBottom->height());
    pnlInfo->resize(cw, pnlInfo->height());
    const int t = pnlTop->isHidden() || sliding ? 0 : pnlTop->height();
    const int b = pnlBottom->isHidden() || sliding ? 0 : pnlBottom->height();
    if (sliding && video) {
        // The client area is the whole monitor here (the window system may give it late, so the
        // video follows every resize): full screen fills it, max zoom covers it and is cut.
        const QSize native(p->VideoWidth(), p->VideoHeight());
        area->setGeometry(IsChecked(kMaxZoom) ? MaxZoomRect(native, m_client->rect()) : m_client->rect());
    } else if (!video || p->EntryCount() == 0 || IsChecked(kFullScreen) || IsChecked(kMaxZoom)) {
        pnlInfo->move(0, t);
    } else if (IsChecked(u"actDisp_InfoPanel")) {
        const int h = std::max(0, ch - t - b - pnlInfo->height());
        area->setGeometry(0, t, cw, h);
        pnlInfo->move(0, h + t);
    } else {
        area->setGeometry(0, t, cw, std::max(0, ch - t - b));
    }
    if (video) {
        const int w = area->width(), h = area->height();
        Label_VideoSize->setText(QString::asprintf("%dx%d %.2f:1", w, h, h > 0 ? double(w) / h : 0.0));
    }
}

void TApp_MEDIAPlayer::actZoom_UpExecute(QObject *sender)
{
    if (UpdateLock || IsChecked(kFullScreen) || IsChecked(kMaxZoom))
        return;
    // Keys typed into the playlist window's find box are not zooms.
    if (const QWidget *focus = QApplication::focusWidget();
        focus && focus->objectName() == QLatin1String("edtToolFind_Find"))
        return;
    UpdateLock = true;
    TMyDSPlayer *p = plyMedia();
    const TMyZoomKind kind = ZoomKindOf(sender);
    const int direction = kind == TMyZoomKind::Up ? 1 : kind == TMyZoomKind::Down ? -1 : 0;
    const bool shift = ShiftHeld();
    const QSize native(p->VideoWidth(), p->VideoHeight());
    if (p->HasVideo() && CtrlHeld()) {
        // The video inside the window; the point under the cursor stays under it.
        QWidget *area = VideoControl();
        const QPoint local = m_client->mapFromGlobal(QCursor::pos());
        std::optional<QPoint> cursor;
        if ((m_client->rect() & area->geometry()).contains(local))
            cursor = local - area->pos();
        if (const auto rect = VideoZoomRect(area->geometry(), direction, shift, PrimaryWorkWidth(), native, cursor))
            area->setGeometry(*rect);
    } else {
        const int info = pnlInfo->isHidden() ? 0 : pnlInfo->height();
        const int top = pnlTop->isHidden() ? 0 : pnlTop->height();
        const int bottom = pnlBottom->isHidden() ? 0 : pnlBottom->height();
        TMyWindowZoom zoom;
        zoom.kind = kind;
        zoom.shift = shift;
        zoom.primaryWorkWidth = PrimaryWorkWidth();
        zoom.client = m_client->size();
        zoom.panels = top + bottom + info;
        zoom.video = p->HasVideo() && p->EntryCount() > 0;
        zoom.native = native;
        zoom.keepAspect = IsChecked(u"actOpt_KeepAspect");
        zoom.infoHeight = info;
        if (const auto area = WindowZoomArea(zoom)) {
            const QSize frame = frameGeometry().size() - geometry().size();
            int w = area->width();
            int h = area->height() + MenuBarHeight(this) + (zoom.video ? info : 0) + top + bottom;
            w = std::max(w, minimumWidth());
            h = std::max(h, minimumHeight());
            // No larger than the work area of the monitor under the mouse.
            const QRect work = ScreenAtOrPrimary(QCursor::pos())->availableGeometry();
            setMaximumWidth(std::max(minimumWidth(), work.width() - frame.width()));
            w = std::min(w, maximumWidth());
            h = std::min(h, std::max(minimumHeight(), work.height() - frame.height()));
            ApplyHeightConstraints(QRect(geometry().topLeft(), QSize(w, h)));
            FormResize();
        }
    }
    platform::ProcessEvents();
    UpdateLock = false;
}

void TApp_MEDIAPlayer::actZoom_AspectStandardExecute(QObject *sender)
{
    const double k = sender ? AspectPresetRatio(sender->objectName()) : 0;
    const auto videoHeight = AspectPresetVideoHeight(m_client->width(), k);
    if (k <= 0 || !videoHeight)
        return;
    int client = *videoHeight;
    for (const QWidget *panel : {pnlTop, pnlBottom, pnlInfo}) {
        if (!panel->isHidden())
            client += panel->height();
    }
    resize(width(), client + MenuBarHeight(this));
    FormResize();
}

void TApp_MEDIAPlayer::actZoom_FullScreenExecute(QObject *)
{
    TMyDSPlayer *p = plyMedia();
    const bool enter = p->HasVideo() && (IsChecked(kFullScreen) || IsChecked(kMaxZoom)) && !isMinimized() &&
                       Alive != 0 && !QCoreApplication::closingDown();
    if (enter) {
        Timer_Control->start();
        QScreen *monitor = ScreenAtOrPrimary(geometry().topLeft());
        if (FullScreenTag == 0) {
            SavedBounds = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
            // The caption and frame go with the window system's full-screen state; the menu
            // is hidden. The window's flags stay: changing them would re-create the native
            // windows the video is drawn into.
            menuBar()->hide();
        }
        FullScreenTag = 1;
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        if (!isFullScreen())
            setGeometry(monitor->geometry());
        showFullScreen();
        mnuPopupPopup();
        actDisp_ToolBarExecute();
        PanelAutoHideCheck();
        return;
    }
    if (FullScreenTag != 0) {
        showNormal();
        menuBar()->show();
        setGeometry(SavedBounds);
    }
    FullScreenTag = 0;
    actZoom_UpExecute(nullptr);
    FormResize();
    Timer_Control->stop();
    mnuPopupPopup();
    actDisp_ToolBarExecute();
}

void TApp_MEDIAPlayer::LeaveFullScreenForClose()
{
    if (FullScreenTag != 0)
        actZoom_FullScreenExecute(nullptr);  // Alive is 0 by now: this leaves
}

void TApp_MEDIAPlayer::ToggleFullScreen()
{
    if (IsChecked(kFullScreen))
        Command(kFullScreen)->setChecked(false);
    else if (IsChecked(kMaxZoom))
        Command(kMaxZoom)->setChecked(false);
    else
        Command(kFullScreen)->setChecked(true);
    actZoom_FullScreenExecute(nullptr);
}

void TApp_MEDIAPlayer::SlidePanel(QWidget *panel, bool in, int duration)
{
    auto *slide = findChild<QPropertyAnimation *>(panel == pnlTop ? QStringLiteral("aniTop") : QStringLiteral("aniBottom"));
    const int cw = m_client->width(), ch = m_client->height(), h = panel->height();
    const QPoint rest = panel == pnlTop ? QPoint(0, 0) : QPoint(0, ch - h);
    const QPoint away = panel == pnlTop ? QPoint(0, -h) : QPoint(0, ch);
    slide->stop();
    panel->setProperty("tavioSlideOut", !in);
    if (in && panel->isHidden())
        panel->setGeometry(QRect(away, QSize(cw, h)));
    panel->resize(cw, h);
    panel->show();
    panel->raise();
    slide->setDuration(duration);
    slide->setStartValue(panel->pos());
    slide->setEndValue(in ? rest : away);
    slide->start();
}

void TApp_MEDIAPlayer::PanelAutoHideCheck()
{
    if (FullScreenTag == 0 || !plyMedia()->HasVideo())
        return;
    const QPoint local = m_client->mapFromGlobal(QCursor::pos());
    const bool inside = m_client->rect().contains(local);
    const bool inTop = inside && local.y() < pnlTop->height();
    const bool inBottom = inside && local.y() >= m_client->height() - pnlBottom->height();
    if (inTop != PanelShown(pnlTop))
        SlidePanel(pnlTop, inTop, inTop ? 100 : 200);
    if (inBottom != PanelShown(pnlBottom))
        SlidePanel(pnlBottom, inBottom, 200);
    if (PanelShown(pnlTop) || PanelShown(pnlBottom))
        Timer_Control->start();
}

void TApp_MEDIAPlayer::Timer_ControlTimer()
{
    const bool top = PanelShown(pnlTop), bottom = PanelShown(pnlBottom);
    if (FullScreenTag == 0 || (!top && !bottom)) {
        Timer_Control->stop();
        return;
    }
    const QPoint local = m_client->mapFromGlobal(QCursor::pos());
    const bool inside = m_client->rect().contains(local);
    const bool inStrip = inside && (top ? local.y() < pnlTop->height()
                                        : local.y() >= m_client->height() - pnlBottom->height());
    if (inStrip)
        return;
    if (top)
        SlidePanel(pnlTop, false, 200);
    if (bottom)
        SlidePanel(pnlBottom, false, 200);
    Timer_Control->stop();
}

void TApp_MEDIAPlayer::Action_ZoomVideoRendererExecute(QObject *sender)
{
    auto *action = qobject_cast<QAction *>(sender);
    if (!action)
        return;
    const int number = RendererNumber(action->objectName());
    if (number == 0)
        return;
    action->setChecked(true);
    const auto mode = TMyVmMode(number);
    TMyDSPlayer *p = plyMedia();
    if (p->Renderer() == mode)
        return;
    p->SetRenderer(mode);
    if (!p->HasVideo())
        return;
    // The new renderer takes over at once: the entry reopens at the same second.
    SaveResumePoint();
    p->Close();
    p->PlayIndex(SavedIndex);
}

void TApp_MEDIAPlayer::ShowVideoOnOpen()
{
    TMyDSPlayer *p = plyMedia();
    QWidget *area = VideoControl();
    const bool video = p->HasVideo();
    // A display change left full screen to reopen the media: it comes back now.
    if (RememberFullScreen)
        Command(kFullScreen)->setChecked(true);
    else if (RememberMaxZoom)
        Command(kMaxZoom)->setChecked(true);
    RememberFullScreen = RememberMaxZoom = false;
    area->setVisible(video);
    p->SetDisplayVisible(video);
    if (IsChecked(kFullScreen) || IsChecked(kMaxZoom)) {
        actZoom_FullScreenExecute(nullptr);
        return;
    }
    if (!video) {
        actDisp_ToolBarExecute();
        return;
    }
    // A window no taller than its panels is fitted even when the opening should keep its size.
    FitFlag = IsChecked(u"actOpt_OpenFit") ||
              m_client->height() <= pnlTop->height() + pnlBottom->height() + pnlInfo->height();
    p->SetKeepAspect(IsChecked(u"actOpt_KeepAspect"));
    // The panels for a video; the zoom (or, without one, the height limits) takes the flag.
    const bool keepFlag = FitFlag;
    FitFlag = false;
    actDisp_ToolBarExecute();
    FitFlag = keepFlag;
    if (IsChecked(u"actOpt_OpenOriginalSize"))
        actZoom_UpExecute(Command(u"actOpt_OpenOriginalSize"));
    else if (IsChecked(u"actOpt_OpenFit"))
        actZoom_UpExecute(nullptr);
    else
        ApplyHeightConstraints(geometry());
    FormResize();
}

void TApp_MEDIAPlayer::DisplayChange(const QList<QRect> &monitors, const QRect &primary)
{
    TMyDSPlayer *p = plyMedia();
    bool reopen = false;
    if (p->HasVideo() && FullScreenTag != 0) {
        RememberFullScreen = IsChecked(kFullScreen);
        RememberMaxZoom = IsChecked(kMaxZoom);
        Command(kFullScreen)->setChecked(false);
        Command(kMaxZoom)->setChecked(false);
        actZoom_FullScreenExecute(nullptr);
        SaveResumePoint();
        p->Close();
        reopen = true;
    }
    for (QWidget *window : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = window->windowType();
        if (!window->isVisible() || (type != Qt::Window && type != Qt::Dialog))
            continue;
        if (const auto place = PlacementAfterDisplayChange(window->frameGeometry(), monitors, primary))
            window->move(*place);
    }
    // Only the point saved here: another (a file being written) waits for its own reopening.
    if (reopen && SavedIndex >= 0)
        p->PlayIndex(SavedIndex);
    RememberFullScreen = RememberMaxZoom = false;
}
