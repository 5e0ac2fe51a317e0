// The player window's side of the playback component's events, the availability of commands,
// the screen saver, system sleep and the reset after an exception.
#include "shell/mediaplayer.h"

#include "custom/actionbuilder.h"
#include "engine/dsplayer.h"
#include "platform/screensaver.h"
#include "playlist/playerport.h"
#include "shell/appguard.h"
#include "shell/appinfo.h"
#include "shell/apptitle.h"
#include "shell/playerbinding.h"
#include "shell/startup.h"
#include "shell/videoarea.h"
#include "widgets/heldmodifiers.h"
#include "widgets/mytrackbar.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>

#include <algorithm>

void TApp_MEDIAPlayer::InstallPlayerEvents()
{
    TMyDSPlayer *p = plyMedia();
    p->OnMediaOpen = [this](TMyDirectShowPlayer *) { MediaOpen(); };
    p->OnMediaStart = [this](TMyDirectShowPlayer *) { MediaStart(); };
    p->OnMediaEnded = [this](TMyDirectShowPlayer *) { MediaEnded(); };
    p->OnMediaStopped = [this](TMyDirectShowPlayer *) { MediaStopped(); };
    p->OnMediaClosed = [this](TMyDirectShowPlayer *) { MediaStopped(); };
    p->OnMediaPaused = [this](TMyDirectShowPlayer *) { MediaPaused(); };
    p->OnMediaPlay = [this](TMyDirectShowPlayer *) { MediaPlay(); };
    p->OnMediaError = [this](TMyDirectShowPlayer *) { MediaError(); };
    p->OnMediaDeleted = [this](TMyDirectShowPlayer *) { MediaDeleted(); };
    p->OnMediaEvent = [this](TMyDirectShowPlayer *, int code, int param1, int param2) {
        MediaEvent(code, param1, param2);
    };
    p->OnVideoSizeChange = [this](TMyDirectShowPlayer *, quint16 w, quint16 h) { VideoSizeChange(w, h); };
}

void TApp_MEDIAPlayer::MediaOpen()
{
    TMyDSPlayer *p = plyMedia();
    TrackBar_Seek->setMaximum(int(std::max<long long>(0, p->DurationSeconds())));
    TrackBar_Seek->setEnabled(true);
    TimeVerboseExecute();  // the width of the time display for this length
    Timer_SeekBar->stop(); // the display timers start with playback
    Timer_Time->stop();
    Command(u"actPlay_FrameBack")->setEnabled(false);
    Command(u"actPlay_FrameNext")->setEnabled(false);
    Command(u"actZoom_Capture")->setEnabled(p->HasVideo());

    if (SavedIndex < 0) {
        if (StartPosition > 0 && StartPosition <= p->Duration())
            p->SetPosition(StartPosition);
    } else if (p->DurationSeconds() > 0 && p->Duration() <= SavedPosition) {
        // The point lies past this file's end: it belongs to no later file either, so it goes
        // before the next one opens (else every file, and a one-entry list for ever, resumes
        // there).
        SavedIndex = -1;
        SavedPosition = 0;
        QTimer::singleShot(0, this, [this] {
            plyMedia()->Close();
            plyMedia()->PlayNext();
        });
        return;
    } else {
        p->SetPosition(SavedPosition);
        TrackBar_Seek->setValue(int(SavedPosition));
        SavedIndex = -1;
        SavedPosition = 0;
    }

    RateExecute(nullptr);
    ReapplyWallVideo();
    ShowVideoOnOpen();  // full screen again, or the window fitted to the video
    Label_VideoSize->setVisible(p->HasVideo());
    PlayerBinding->ShowCurrentMedia();  // the hint (and the caption until playback starts)
    const TMyShownTags tags = CurrentEntryTags(*p);
    Label_FileName->setText(p->FileName());
    Label_Title->setText(tags.Title);
    Label_Artist->setText(tags.Artist);
    Label_Album->setText(tags.Album);
    if (IsChecked(u"actPlay_Mute"))
        p->SetVolume(0);
    ShowOrHideBars();
    mnuPopupPopup();
}

void TApp_MEDIAPlayer::MediaStart()
{
    PlayerBinding->ShowCurrentMedia();
    MediaPlay();
}

void TApp_MEDIAPlayer::MediaPlay()
{
    if (Alive == 0)
        return;
    MinimisedHandOver();
    Timer_SeekBar->start();
    Timer_Time->start();
}

void TApp_MEDIAPlayer::MediaPaused()
{
    Timer_SeekBar->stop();
    Timer_Time->stop();
    SetScreenSaverInhibited(false);
}

void TApp_MEDIAPlayer::MediaStopped()
{
    TrackBar_Seek->setValue(0);
    TrackBar_Seek->setEnabled(false);
    Timer_SeekBar->stop();
    Timer_Time->stop();
    SetScreenSaverInhibited(false);
    EndWallVideoWithMedia();
}

void TApp_MEDIAPlayer::MediaEnded()
{
    MinimisedHandOver();
    TMyDSPlayer *p = plyMedia();
    if (p->EntryCount() == 0)
        p->Close();
    else if (p->RepeatMode != rmAll || p->EntryCount() < 2) {
        if (!p->Replay())
            p->Close();
    } else {
        p->PlayNext();
    }
}

void TApp_MEDIAPlayer::MediaError()
{
    // The question waits for the player's own opening to return: answering it opens other
    // entries, and a list of files that cannot play must not nest one question in another.
    TMyDSPlayer *p = plyMedia();
    const int index = p->ItemIndex;
    if (m_errorAsked || index < 0 || index >= p->EntryCount())
        return;
    m_errorAsked = true;
    const QString path = p->Playlist()->Get(index);
    QTimer::singleShot(0, this, [this, index, path] { AskMediaError(index, path); });
}

void TApp_MEDIAPlayer::AskMediaError(int index, const QString &path)
{
    m_errorAsked = false;
    TMyDSPlayer *p = plyMedia();
    if (Alive == 0 || index >= p->EntryCount() || p->Playlist()->Get(index) != path)
        return;  // the list changed meanwhile
    const int answer = MsgBoxYesNoCancel(QStringLiteral("%1\rは再生できません。リストから削除しますか").arg(path));
    // A list handed over while the question waited (a second start) is left as it is: neither
    // the deletion nor the move to the next entry is about it.
    if (Alive == 0 || !IsCurrentEntry(index, path))
        return;
    if (answer == IDYES) {
        PlayerBinding->StopTagRefresh();
        p->Close();
        p->Playlist()->Delete(index);
        const int count = p->EntryCount();
        if (count > 0)
            p->PlayIndex(std::min(index, count - 1));
        PlayerBinding->StartTagRefresh();
    } else if (answer == IDNO) {
        p->PlayNext();
    }
}

bool TApp_MEDIAPlayer::IsCurrentEntry(int index, const QString &path)
{
    TMyDSPlayer *p = plyMedia();
    return p->ItemIndex == index && index >= 0 && index < p->EntryCount() && p->Playlist()->Get(index) == path;
}

void TApp_MEDIAPlayer::MediaDeleted()
{
    if (PlaylistPort)
        Q_EMIT PlaylistPort->listChanged();  // the playlist window's grid, unless busy
    if (plyMedia()->EntryCount() > 0)
        return;
    setWindowTitle(AppTitle());
    SetApplicationTitle(AppTitle());
    setToolTip(QString());
    // Nothing is left to describe: the panel no longer names the file that went last.
    for (QLabel *label : {Label_FileName, Label_Title, Label_Artist, Label_Album, Label_FileInfo})
        label->clear();
    Timer_TimeTimer();
}

void TApp_MEDIAPlayer::MediaEvent(int code, int param1, int param2)
{
    if (code == EC_LENGTH_CHANGED && Alive) {
        const int duration = int(std::max<long long>(0, plyMedia()->DurationSeconds()));
        if (TrackBar_Seek->maximum() != duration)
            TrackBar_Seek->setMaximum(duration);
    }
    if (IsChecked(u"Action_Debug_DispEvent"))
        qInfo("MediaEvent %#x %d %d", code, param1, param2);
}

void TApp_MEDIAPlayer::VideoSizeChange(int, int)
{
    const int state = plyMedia()->GetPlayState();
    if (!Timer_IsPlay->isActive() && state != psRunning && state != psPaused)
        Timer_IsPlay->start();
}

void TApp_MEDIAPlayer::Timer_IsPlayTimer()
{
    Timer_IsPlay->stop();
    const int state = plyMedia()->GetPlayState();
    if (state != psRunning && state != psPaused && plyMedia()->IsOpen())
        SeekTo(TrackBar_Seek->value());
}

void TApp_MEDIAPlayer::mnuPopupPopup()
{
    TMyDSPlayer *p = plyMedia();
    const int count = p->EntryCount();
    const bool video = p->HasVideo();
    const QStringList unhandled = Commands->Unhandled();  // they stay off until they work
    auto enable = [&](QStringView name, bool on) {
        if (QAction *a = Command(name))
            a->setEnabled(on && !unhandled.contains(a->objectName()));
    };
    if (QAction *a = Command(u"actOpt_AllowDuplication"))
        a->setChecked(DuplicationAllowed());
    for (QStringView name : {u"actPlay_PlayPause", u"actPlay_Replay", u"actPlay_SkipBack", u"actPlay_SkipNext"})
        enable(name, count > 0);
    enable(u"actPlay_Back", count >= 2);
    enable(u"actPlay_Next", count >= 2);
    enable(u"actPlay_FrameBack", video);
    enable(u"actPlay_FrameNext", video);
    const bool screenMode = IsChecked(u"actZoom_FullScreen") || IsChecked(u"actZoom_MaxZoom");
    for (QStringView name : {u"actZoom_100", u"actZoom_50", u"actZoom_200", u"actZoom_Fit"})
        enable(name, video && !screenMode);
    enable(u"actList_Del", p->IsOpen());
    for (QStringView name : {u"Action_FileProperty", u"Action_FileSaveAs", u"Action_FileCmd", u"Action_FileCmdRename",
                             u"Action_FileCmdMoveAs", u"Action_FileCmdCopyAs", u"Action_FileCmdMove",
                             u"Action_FileCmdCopy", u"Action_FileCmdTrash"})
        enable(name, count > 0);
    const bool ab = IsChecked(u"actPlay_RepeatAB");
    for (QStringView name : {u"actPlay_RepeatAB_Start", u"actPlay_RepeatAB_End", u"actPlay_RepeatAB_Reset"})
        enable(name, ab);
    if (QAction *a = Command(u"actOpt_NotSaveIni"))
        a->setVisible(a->isChecked() || ShiftHeld());
}

bool TApp_MEDIAPlayer::TargetsPlayingMedia() const
{
    if (isMinimized())
        return true;
    QWidget *active = QApplication::activeWindow();
    // The playlist window names itself; until it exists every command means the playing media.
    return !(active && active->window()->objectName() == QLatin1String("App_MEDIAPlaylist"));
}

void TApp_MEDIAPlayer::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        plyMedia()->SetMessageDrain(true);  // input over the video reaches the window
    if (event->type() == QEvent::WindowStateChange && Alive)
        VideoOwnerStateChanged();
    QMainWindow::changeEvent(event);
}

void TApp_MEDIAPlayer::SetScreenSaverInhibited(bool on)
{
    if (on && !m_inhibitor)
        m_inhibitor = new platform::ScreenSaverInhibitor(QString(), this);
    if (m_inhibitor)
        m_inhibitor->SetInhibited(on, QStringLiteral("再生中"));
}

bool TApp_MEDIAPlayer::ScreenSaverInhibited() const { return m_inhibitor && m_inhibitor->Inhibited(); }

void TApp_MEDIAPlayer::SystemSuspend()
{
    TMyDSPlayer *p = plyMedia();
    if (!p->IsOpen())
        return;
    SaveResumePoint();
    p->Close();
    if (p->WallVideo)
        p->StopWallVideo();
    Timer_SeekBar->stop();
    Timer_Time->stop();
    SetScreenSaverInhibited(false);
}

void TApp_MEDIAPlayer::ResetToNoMedia()
{
    for (QTimer *timer : {Timer_SeekBar, Timer_Time, Timer_Frame})
        timer->stop();
    FrameDirection = 0;
    UpdateLock = false;
    lblTime->clear();
    TrackBar_Seek->setValue(0);
    TrackBar_Seek->setMaximum(0);
    TrackBar_Seek->setEnabled(false);
    SetScreenSaverInhibited(false);
    if (centralWidget() && centralWidget()->layout())
        centralWidget()->layout()->invalidate();
}

void TApp_MEDIAPlayer::ApplicationException(const QString &message, bool fromPlayer)
{
    if (plyMedia()->IsOpen())
        plyMedia()->Close();
    MsgBox(ApplicationExceptionText(message, fromPlayer), QStringLiteral("エラー"), MB_OK | MB_ICONERROR);
    ResetToNoMedia();
}
