// The player window's transport: play, pause, skips, frame steps, rates, repeat and A-B points,
// mute, volume and balance, the seek bar, the time display and the information panel's file
// line, deleting the current entry and its property window.
#include "shell/mediaplayer.h"

#include "custom/actionbuilder.h"
#include "custom/commandcatalogue.h"
#include "engine/dsplayer.h"
#include "engine/timetexts.h"
#include "lists/fileutils.h"
#include "platform/process.h"
#include "platform/uihooks.h"
#include "shell/appinfo.h"
#include "shell/busycount.h"
#include "shell/commandwords.h"
#include "shell/paneltexts.h"
#include "shell/playerbinding.h"
#include "shell/playerwindowtexts.h"
#include "tags/taglibrary.h"
#include "widgets/heldmodifiers.h"
#include "widgets/mytrackbar.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QStyleHints>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace {

QString &PropertyProgramSetting()
{
    static QString program = ExePath();
    return program;
}

constexpr const char16_t *kRepeatCommands[] = {u"actPlay_RepeatAll", u"actPlay_RepeatOne", u"actPlay_RepeatAB"};

void ReleaseMouseCapture()
{
    if (QWidget *grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
}

} // namespace

void TApp_MEDIAPlayer::SetPropertyProgram(const QString &program) { PropertyProgramSetting() = program; }
QString TApp_MEDIAPlayer::PropertyProgram() { return PropertyProgramSetting(); }

void TApp_MEDIAPlayer::AttachTransportCommands()
{
    auto on = [this](QStringView name, std::function<void()> run) {
        Commands->Attach(name, [run = std::move(run)](QObject *) { run(); });
    };
    Commands->Attach(u"actPlay_PlayPause", [this](QObject *) {
        TMyDSPlayer *p = plyMedia();
        if (ShiftHeld()) {
            p->Close();
            if (p->WallVideo)
                p->StopWallVideo();
            return;
        }
        switch (p->GetPlayState()) {
        case psRunning:
            p->Pause();
            break;
        case psPaused:
            p->Play();
            break;
        default:
            if (p->EntryCount() > 0)
                p->PlayIndex(p->NextIndex(0));
        }
    });
    on(u"actPlay_Replay", [this] { plyMedia()->Replay(); });
    on(u"actPlay_Back", [this] { plyMedia()->PlayBack(); });
    on(u"actPlay_Next", [this] { plyMedia()->PlayNext(); });
    on(u"actPlay_SkipBack", [this] { Skip(-1); });
    on(u"actPlay_SkipNext", [this] { Skip(+1); });
    on(u"actPlay_FrameBack", [this] { FrameStep(ShiftHeld() ? -5 : -1, false); });
    on(u"actPlay_FrameNext", [this] { FrameStep(ShiftHeld() ? 5 : 1, false); });
    on(u"actPlay_FrameBack10", [this] { FrameStep(ShiftHeld() ? -20 : -10, false); });
    on(u"actPlay_FrameNext10", [this] { FrameStep(ShiftHeld() ? 20 : 10, false); });
    auto secondStep = [this](double seconds) {
        TMyDSPlayer *p = plyMedia();
        if (!p->IsOpen())
            return;
        if (p->GetPlayState() == psRunning)
            p->Pause();
        p->SetPosition(std::clamp(p->Position() + seconds, 0.0, p->Duration()));
        Timer_SeekBarTimer(nullptr);
        Timer_TimeTimer();
    };
    on(u"actPlay_FrameBack1Sec", [secondStep] { secondStep(ShiftHeld() ? -0.5 : -1.0); });
    on(u"actPlay_FrameNext1Sec", [secondStep] { secondStep(ShiftHeld() ? 0.5 : 1.0); });
    on(u"actPlay_FrameCaptureBack", [this] { FrameStep(ShiftHeld() ? -5 : -1, true); });
    on(u"actPlay_FrameCaptureNext", [this] { FrameStep(ShiftHeld() ? 5 : 1, true); });
    on(u"actPlay_FrameCapturePause", [this] { FrameStep(0, true); });
    on(u"actPlay_Mute", [this] {
        plyMedia()->SetVolume(IsChecked(u"actPlay_Mute") ? 0 : barVolume->value());
    });
    on(u"actPlay_Volume", [this] { ShowOrHideBars(); });
    on(u"actPlay_Balance", [this] { ShowOrHideBars(); });
    // The rate commands in the rate menu's order (the index is each command's tag).
    for (int i = 0; i < RateCommandCount(); ++i)
        Commands->Attach(RateCommandName(i), [this](QObject *sender) { RateExecute(sender); });
    // The holders only open their menus.
    on(u"actPlay_Rate", [this] {
        if (QMenu *m = MenuNamed(QStringLiteral("mnuPlay_Rate")))
            m->popup(QCursor::pos());
    });
    on(u"actPlay_Repeat", [this] {
        if (QMenu *m = MenuNamed(QStringLiteral("mnuPlay_Repeat")))
            m->popup(QCursor::pos());
    });
    for (const char16_t *name : kRepeatCommands)
        Commands->Attach(name, [this](QObject *sender) { RepeatExecute(sender); });
    on(u"actPlay_RepeatAB_Start", [this] {
        PointA = plyMedia()->Position();
        TrackBar_Seek->SetSelStart(TrackBar_Seek->value());
        // A start at or after the end drops the end: the range runs to the file's end.
        if (PointB > 0 && PointB <= PointA) {
            PointB = 0;
            TrackBar_Seek->SetSelEnd(TrackBar_Seek->maximum());
        } else if (TrackBar_Seek->SelEnd() < TrackBar_Seek->SelStart()) {
            TrackBar_Seek->SetSelEnd(TrackBar_Seek->maximum());
        }
    });
    on(u"actPlay_RepeatAB_End", [this] {
        PointB = plyMedia()->Position();
        TrackBar_Seek->SetSelEnd(TrackBar_Seek->value());
        // An end at or before the start moves the start to the file's beginning.
        if (PointA >= PointB) {
            PointA = 0;
            TrackBar_Seek->SetSelStart(0);
        } else if (TrackBar_Seek->SelEnd() < TrackBar_Seek->SelStart()) {
            TrackBar_Seek->SetSelStart(0);
        }
    });
    on(u"actPlay_RepeatAB_Reset", [this] {
        PointA = PointB = 0;
        TrackBar_Seek->SetSelection(0, 0);
    });
    on(u"actOpt_Random", [this] { plyMedia()->PlayMode = IsChecked(u"actOpt_Random") ? pmRandom : pmNormal; });
    on(u"actList_Del", [this] { ListDelExecute(); });
    on(u"Action_FileProperty", [this] { FilePropertyExecute(); });
    on(u"actDisp_TimeVerbose", [this] { TimeVerboseExecute(); });
    on(u"Action_List_LibDBTune", [this] {
        TMyBusyScope busy(Busy);
        OptimizeLibrary();
    });
    on(u"actOpt_AllowScreenSaver", [this] {
        if (IsChecked(u"actOpt_AllowScreenSaver"))
            SetScreenSaverInhibited(false);
    });
    on(u"actMenu_Main", [this] {
        if (QMenu *m = MenuNamed(QStringLiteral("mnuPopup")))
            m->popup(m_client->mapToGlobal(QPoint(0, 0)));
    });
}

void TApp_MEDIAPlayer::ShowOrHideBars()
{
    barVolume->setVisible(IsChecked(u"actPlay_Volume"));
    barBalance->setVisible(IsChecked(u"actPlay_Balance"));
}

void TApp_MEDIAPlayer::RateExecute(QObject *sender)
{
    // A rate command chosen sets the index; no sender re-applies the current one.
    if (auto *chosen = qobject_cast<QAction *>(sender)) {
        const int index = chosen->data().toInt();
        if (index >= 0 && index < RateCommandCount())
            RateIndex = index;
    }
    QAction *action = Command(RateCommandName(RateIndex));
    action->setChecked(true);  // the rate menus' items follow their command
    if (QMenu *menu = MenuNamed(QStringLiteral("mnuPlay_Rate")))
        menu->setProperty("Tag", RateIndex);
    QAction *holder = Command(u"actPlay_Rate");
    holder->setIcon(action->icon());
    if (const TMyCommandDef *def = Commands->Definition(action))
        holder->setProperty("ImageIndex", def->ImageIndex);
    plyMedia()->SetRate(RateOfCommand(RateIndex));
    ReleaseMouseCapture();
}

void TApp_MEDIAPlayer::RepeatExecute(QObject *sender)
{
    QAction *action = qobject_cast<QAction *>(sender);
    if (!action || !Commands->Definition(action) || Commands->Definition(action)->GroupIndex == 0) {
        action = nullptr;
        for (const char16_t *name : kRepeatCommands)
            if (IsChecked(name))
                action = Command(name);
        if (!action)
            action = Command(kRepeatCommands[0]);
    }
    action->setChecked(true);
    const int index = action->data().toInt();
    plyMedia()->RepeatMode = index == 0 ? rmAll : rmOne;
    if (QMenu *menu = MenuNamed(QStringLiteral("mnuPlay_Repeat")))
        menu->setProperty("Tag", index);
    const bool ab = IsChecked(u"actPlay_RepeatAB");
    if (!ab) {
        PointA = PointB = 0;
        TrackBar_Seek->SetSelection(0, 0);
    }
    for (QStringView name : {u"actPlay_RepeatAB_Start", u"actPlay_RepeatAB_End", u"actPlay_RepeatAB_Reset"})
        Command(name)->setEnabled(ab);
    QAction *holder = Command(u"actPlay_Repeat");
    holder->setIcon(action->icon());
    if (const TMyCommandDef *def = Commands->Definition(action))
        holder->setProperty("ImageIndex", def->ImageIndex);
    ReleaseMouseCapture();
}

void TApp_MEDIAPlayer::SeekTo(double seconds)
{
    TMyDSPlayer *p = plyMedia();
    const double y = std::clamp(seconds, 0.0, std::max(0.0, p->Duration()));
    p->SetPosition(y);
    if (IsChecked(u"actPlay_RepeatAB") && PointA >= 0 && PointB > 0) {
        if (y < PointA) {
            PointA = y;
            TrackBar_Seek->SetSelStart(int(y));
        } else if (y > PointB) {
            PointB = y;
            TrackBar_Seek->SetSelEnd(int(y));
        }
    }
}

void TApp_MEDIAPlayer::Skip(int direction)
{
    if (UpdateLock)
        return;
    UpdateLock = true;
    m_gestureActive = false;  // a release after a skip is no click
    TMyDSPlayer *p = plyMedia();
    if (p->IsOpen()) {
        const Qt::KeyboardModifiers held = HeldModifiers();
        const bool shift = held & Qt::ShiftModifier, ctrl = held & Qt::ControlModifier;
        double amount = 30;
        if (shift && ctrl)
            amount = double(p->DurationSeconds() / 10);
        else if (ctrl)
            amount = 1;
        else if (shift)
            amount = 90;
        Timer_SeekBar->stop();
        Timer_Time->stop();
        SeekTo(p->Position() + direction * amount);
        Timer_SeekBarTimer(Timer_SeekBar);
    }
    platform::ProcessEvents();
    UpdateLock = false;
}

void TApp_MEDIAPlayer::FrameStep(int frames, bool byTime)
{
    TMyDSPlayer *p = plyMedia();
    if (!p->IsOpen())
        return;
    if (byTime)
        p->StepFramesByTime(frames);
    else
        p->StepFrames(frames);
    Timer_SeekBarTimer(nullptr);
    Timer_TimeTimer();
}

void TApp_MEDIAPlayer::Timer_FrameTimer()
{
    if (m_frameBusy)
        return;
    m_frameBusy = true;
    if (FrameDirection != 0)
        Execute(FrameDirection < 0 ? u"actPlay_FrameBack" : u"actPlay_FrameNext");
    const int rate = std::max(1, QGuiApplication::styleHints()->keyboardAutoRepeatRate());
    Timer_Frame->setInterval(std::max(10, 1000 / rate));
    if (!(QGuiApplication::mouseButtons() & Qt::LeftButton)) {
        Timer_Frame->stop();
        FrameDirection = 0;
    }
    m_frameBusy = false;
}

void TApp_MEDIAPlayer::Timer_SeekBarTimer(QObject *sender)
{
    if (Alive == 0)
        return;
    Timer_SeekBar->stop();
    Timer_Time->stop();
    TMyDSPlayer *p = plyMedia();
    if (p->EntryCount() == 0 || !p->IsOpen()) {
        lblTime->clear();
        return;
    }
    if (pnlInfo->isVisible()) {
        const QString text = PlayerFileInfoText(p->FileSizeText(), p->DurationText(), p->FileDateText(),
                                                p->HasVideo(), p->VideoWidth(), p->VideoHeight(), p->FrameRate(),
                                                p->HasVideo() ? p->QualityStats() : std::array<int, 6>{});
        if (Label_FileInfo->text() != text)
            Label_FileInfo->setText(text);
    }
    // A length that becomes known only while playing widens the bar.
    const int duration = int(std::max<long long>(0, p->DurationSeconds()));
    if (TrackBar_Seek->maximum() != duration)
        TrackBar_Seek->setMaximum(duration);
    if (!UpdateLock && !(QGuiApplication::mouseButtons() & Qt::LeftButton) && !TrackBar_Seek->Touched())
        TrackBar_Seek->setValue(int(p->PositionSeconds()));
    if (!IsChecked(u"actOpt_AllowScreenSaver"))
        SetScreenSaverInhibited(true);
    if (sender) {
        Timer_SeekBar->start();
        Timer_Time->start();
    }
}

void TApp_MEDIAPlayer::Timer_TimeTimer()
{
    TMyDSPlayer *p = plyMedia();
    if (p->EntryCount() == 0 || !p->IsOpen()) {
        lblTime->clear();
        Timer_Time->stop();
        return;
    }
    const double position = p->Position();
    if (IsChecked(u"actPlay_RepeatAB") && PointB > 0 && position >= PointB)
        SeekTo(PointA);
    const QString text = PlayerTimeText(IsChecked(u"actDisp_TimeVerbose"), p->Position(), p->Duration());
    if (lblTime->text() != text)
        lblTime->setText(text);
}

void TApp_MEDIAPlayer::TimeVerboseExecute()
{
    TMyDSPlayer *p = plyMedia();
    const bool verbose = IsChecked(u"actDisp_TimeVerbose");
    QString duration;
    if (p->IsOpen())
        duration = verbose ? FractionText(3, p->Duration()) : SecondsText(p->DurationSeconds());
    else
        duration = verbose ? QStringLiteral("00:00:00") : QStringLiteral("00:00");
    const QString sample = QStringLiteral("%1/%1 ").arg(duration);
    const QMargins margins = lblTime->contentsMargins();
    lblTime->setMinimumWidth(lblTime->fontMetrics().horizontalAdvance(sample) + margins.left() + margins.right() +
                             2 * lblTime->margin());
    Timer_SeekBarTimer(Command(u"actDisp_TimeVerbose"));
}

void TApp_MEDIAPlayer::SeekBarReleased(const QPoint &pos, bool wasThumbHold)
{
    if (wasThumbHold) {
        SeekTo(TrackBar_Seek->value());
        if (!Timer_Time->isActive())
            Timer_TimeTimer();
        return;
    }
    const SeekBarClick click = SeekBarClickAt(TrackBar_Seek->Metrics(), pos.x());
    switch (click.kind) {
    case SeekBarClick::SkipBack:
        Skip(-1);
        break;
    case SeekBarClick::SkipNext:
        Skip(+1);
        break;
    case SeekBarClick::Position:
        TrackBar_Seek->setValue(click.value);
        SeekTo(click.value);
        break;
    }
    // Paused, the display timers are off: the time shows the new place at once.
    if (!Timer_Time->isActive())
        Timer_TimeTimer();
}

void TApp_MEDIAPlayer::ListDelExecute()
{
    TMyDSPlayer *p = plyMedia();
    const int index = p->ItemIndex;
    if (index < 0 || index >= p->EntryCount())
        return;
    TMyBusyScope busy(Busy);
    const QString path = p->Playlist()->Get(index);
    if (MsgBoxQuestion(QStringLiteral("%1\r%2\r\rリストから削除しますか").arg(ExtractFilePath(path), ExtractFileName(path))) !=
        IDYES)
        return;
    // A list handed over while the question waited (a second start) no longer holds the entry
    // the answer is about.
    if (!IsCurrentEntry(index, path))
        return;
    PlayerBinding->StopTagRefresh();
    p->Close();
    p->Playlist()->Delete(index);
    if (p->EntryCount() > 0)
        p->PlayIndex(p->NextIndex(0));
    PlayerBinding->StartTagRefresh();
}

void TApp_MEDIAPlayer::FilePropertyExecute()
{
    TMyDSPlayer *p = plyMedia();
    if (p->ItemIndex < 0 || p->ItemIndex >= p->EntryCount())
        return;
    const QString path = p->Playlist()->Get(p->ItemIndex);
    if (ShiftHeld()) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
        return;
    }
    const QString program = PropertyProgram();
    if (!program.isEmpty())
        platform::StartProgram(program, PropertyArguments(path));
}
