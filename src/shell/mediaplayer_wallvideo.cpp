// The player window's video owner: the video area, or the sub-player's window while the window is
// minimised and in wallpaper mode (video shown on the desktop by the sub-player, TMyWallVideo).
#include "shell/mediaplayer.h"

#include "custom/actionbuilder.h"
#include "engine/dsplayer.h"
#include "platform/x11window.h"
#include "shell/videoarea.h"
#include "shellint/mywallvideo.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace {

constexpr int kSubPlayerAnswerMs = 2000;  // a live sub-player answers at once
constexpr int kVideoOwnerCheckMs = 500;

} // namespace

void TApp_MEDIAPlayer::CreateWallVideo()
{
    Timer_VideoOwner = new QTimer(this);
    Timer_VideoOwner->setObjectName(QStringLiteral("Timer_VideoOwner"));
    Timer_VideoOwner->setInterval(kVideoOwnerCheckMs);
    connect(Timer_VideoOwner, &QTimer::timeout, this, &TApp_MEDIAPlayer::Timer_VideoOwnerTimer);

    TMyDSPlayer *p = plyMedia();
    p->OnShowWallVideo = [this](int monitorIndex, quint32 keyColour) {
        TMyWallVideo::ShowWallVideo(VideoHostPanel, monitorIndex, keyColour);
    };
    // Every way out of wallpaper mode (the command, Shift+play/pause, the stop key, suspend,
    // unloading) ends here: the desktop window goes, the video comes back unless minimised.
    p->OnHideWallVideo = [this] {
        TMyWallVideo::HideWallVideo();
        if (!isMinimized())
            TakeVideoBack();
    };

    Commands->Attach(u"Action_ZoomWallvideo", [this](QObject *sender) { Action_ZoomWallvideoExecute(sender); });
    // Checking full screen or max zoom (same group) unchecks this one without running it.
    if (QAction *wall = Command(u"Action_ZoomWallvideo"))
        connect(wall, &QAction::toggled, this, [this](bool on) {
            if (!on && plyMedia()->WallVideo)
                Action_ZoomWallvideoExecute(nullptr);
        });
}

void TApp_MEDIAPlayer::EndWallVideoAtClose()
{
    if (Timer_VideoOwner)
        Timer_VideoOwner->stop();
    if (TMyDSPlayer *p = plyMedia()) {
        p->WallVideo = false;
        p->OnShowWallVideo = nullptr;
        p->OnHideWallVideo = nullptr;
    }
    TMyWallVideo::HideWallVideo();
}

void TApp_MEDIAPlayer::Action_ZoomWallvideoExecute(QObject *)
{
    TMyDSPlayer *p = plyMedia();
    if (!ToolkitX11Connection())
        return;  // no window system to put video on the desktop with: the check stays, nothing else
    if (IsChecked(u"Action_ZoomWallvideo") && p->HasVideo()) {
        if (!HandVideoToSubPlayer())
            return;
        const QList<QScreen *> screens = QGuiApplication::screens();
        p->StartWallVideo(int(screens.indexOf(screen())));
        return;
    }
    if (!isMinimized())
        TakeVideoBack();
    if (p->WallVideo || TMyWallVideo::Instance())
        p->StopWallVideo();
}

void TApp_MEDIAPlayer::ReapplyWallVideo() { Action_ZoomWallvideoExecute(nullptr); }

void TApp_MEDIAPlayer::EndWallVideoWithMedia()
{
    TMyDSPlayer *p = plyMedia();
    if (p->IsOpen() || !(p->WallVideo || TMyWallVideo::Instance()))
        return;
    if (!isMinimized())
        TakeVideoBack();
    p->StopWallVideo();
}

bool TApp_MEDIAPlayer::MinimisedHandOver()
{
    if (!isMinimized() || plyMedia()->EntryCount() == 0 || IsChecked(u"Action_ZoomWallvideo"))
        return false;
    return HandVideoToSubPlayer();
}

void TApp_MEDIAPlayer::VideoOwnerStateChanged()
{
    if (isMinimized())
        MinimisedHandOver();
    else if (!IsChecked(u"Action_ZoomWallvideo"))
        TakeVideoBack();
}

bool TApp_MEDIAPlayer::HandVideoToSubPlayer()
{
    if (!ToolkitX11Connection() || !EnsureSubPlayer())
        return false;
    const std::optional<platform::PanelIdentity> id = platform::QueryPanel(SubPlayerPanel, kSubPlayerAnswerMs);
    if (!id || id->state.windowId == 0)
        return false;
    if (VideoHostPanel == SubPlayerPanel && m_videoHostWindow == id->state.windowId)
        return true;  // it holds the video already
    plyMedia()->SetVideoOwnerId(WId(id->state.windowId));
    VideoHostPanel = SubPlayerPanel;
    m_videoHostWindow = id->state.windowId;
    Timer_VideoOwner->start();
    return true;
}

void TApp_MEDIAPlayer::TakeVideoBack()
{
    if (VideoHostPanel == 0)
        return;
    VideoHostPanel = 0;
    m_videoHostWindow = 0;
    Timer_VideoOwner->stop();
    TMyDSPlayer *p = plyMedia();
    p->SetVideoOwner(m_videoArea->windowHandle());
    p->LayoutVideoWindow();
}

void TApp_MEDIAPlayer::Timer_VideoOwnerTimer()
{
    if (VideoHostPanel == 0) {
        Timer_VideoOwner->stop();
        return;
    }
    if (platform::IsPanel(VideoHostPanel))
        return;
    // The sub-player has gone. Its window went with it, ours was moved out of it by the X server
    // (the sub-player keeps it in its save-set): back into the video area.
    TMyDSPlayer *p = plyMedia();
    const bool wall = p->WallVideo;
    TakeVideoBack();
    if (wall) {
        if (QAction *a = Command(u"Action_ZoomWallvideo"))
            a->setChecked(false);
        p->StopWallVideo();
    }
    // A video window that did not survive cannot be drawn into again: the media closes (it was
    // killed before it could keep our window).
    if (QWindow *video = p->VideoWindow()) {
        if (platform::NativeParent(ToolkitX11Connection(), platform::NativeWindow(video->winId())) == 0) {
            SaveResumePoint();
            p->Close();
        }
    }
    MinimisedHandOver();
}
