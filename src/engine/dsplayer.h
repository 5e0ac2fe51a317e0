#pragma once
// The playback component: one media file at a time through a playbin pipeline, with our own
// audio filter (volume and balance) and a video sink that draws into a child window of the
// video owner. TMyDirectShowPlayer owns the pipeline and turns its bus messages into the
// component's events; TMyDSPlayer adds the playlist, the current entry, play order and repeat.
//
// Everything here runs on the user-interface thread. Open prerolls synchronously, so duration,
// video size and seeks made from OnMediaOpen work at once; "stopped" is the component's own state
// over a paused pipeline.

#include "engine/dsplaylist.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <QWindow>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

enum TMyVmMode : uint8_t {
    vmFriendlyVideoRenderer = 0,
    vmVideoRenderer = 1,
    vmOverlayMixer = 2,
    vmVMR7 = 3,
    vmVMR9 = 4,
    vmEVR = 5,
};

enum TMyPlaylistPlayMode : uint8_t { pmNormal = 0, pmRevers = 1, pmRandom = 2, pmNone = 3 };
enum TMyPlaylistRepeatMode : uint8_t { rmAll = 0, rmOne = 1, rmNone = 2 };

// Play states as GetPlayState reports them.
enum TMyPlayState : int { psStopped = 1, psPaused = 2, psRunning = 3 };

// Codes of OnMediaEvent: the graph event numbers the rest of the program knows, each standing for
// the bus message that means the same here; other messages pass as kMediaEventMessageBase plus
// the bit number of their message type.
enum TMyMediaEventCode : int {
    EC_COMPLETE = 0x01,             // end of stream
    EC_ERRORABORT = 0x03,           // error (param1: the failure result)
    EC_VIDEO_SIZE_CHANGED = 0x0A,   // param1: width | height << 16
    EC_CLOCK_CHANGED = 0x0D,        // a new clock was selected
    EC_PAUSED = 0x0E,               // a state change completed (param1: the state reached)
    EC_LENGTH_CHANGED = 0x1E,       // the duration became known or changed
    EC_STEP_COMPLETE = 0x24,        // a frame step finished
    EC_DISPLAY_CHANGED = 0x53,
    EC_WARNING = 0x8000,            // a warning (param1: the failure result)
    kMediaEventMessageBase = 0x8100,
};

class TMyDirectShowPlayer : public QObject {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(TMyDirectShowPlayer *sender)>;
    using TMyOnMediaEvent = std::function<void(TMyDirectShowPlayer *sender, int eventCode, int param1, int param2)>;
    using TMyOnVideoSizeChange = std::function<void(TMyDirectShowPlayer *sender, quint16 width, quint16 height)>;
    // Element messages of the pipeline (the meters of the diagnostics, "level" in tests), with
    // their fields as Qt values (arrays as lists).
    using TMyOnElementMessage = std::function<void(TMyDirectShowPlayer *sender, const QString &name, const QVariantMap &fields)>;

    explicit TMyDirectShowPlayer(QObject *owner = nullptr);
    ~TMyDirectShowPlayer() override;

    // Lifecycle. Open leads to opened-stopped or, with OnMediaError, to no media.
    virtual bool Open(const QString &fileName);
    virtual void Play();
    virtual bool Pause();
    virtual bool Replay();
    virtual bool StepFrames(int n);
    virtual bool StepFramesByTime(int n);
    virtual void Close();
    virtual void Unload();

    // 1 stopped (also no media), 2 paused, 3 running: the state asked for last, so a query while
    // the pipeline is still changing state reads as where it is going.
    int GetPlayState() const;

    // Properties.
    QString FileName() const { return m_fileName; }
    void SetFileName(const QString &fileName) { Open(fileName); }
    int Volume() const { return m_volume; }
    void SetVolume(int volume);
    int Balance() const { return m_balance; }
    void SetBalance(int balance);
    bool KeepAspect() const { return m_keepAspect; }
    void SetKeepAspect(bool keep);
    TMyVmMode Renderer() const { return m_renderer; }
    void SetRenderer(TMyVmMode mode) { m_renderer = mode; }

    // The window that hosts the video window. Without one (or off X11) video is decoded and timed
    // but not shown. A foreign window (another process's) is given by its native id.
    QWindow *VideoOwner() const { return m_videoOwner; }
    void SetVideoOwner(QWindow *owner);
    void SetVideoOwnerId(WId nativeId);
    // The input of the video window goes to the owner (on) or stays with the video window.
    void SetMessageDrain(bool on);
    bool DisplayVisible() const;
    void SetDisplayVisible(bool visible);
    // Lays the video window out inside the owner again (the owner calls this when it is resized;
    // an owner given as QWindow is watched by itself).
    void LayoutVideoWindow();
    // The video window's rectangle inside the owner (empty when there is none).
    QRect VideoWindowRect() const;

    // Facts of the open file.
    bool IsOpen() const;
    bool HasVideoSize() const { return IsOpen() && m_videoWidth > 0 && m_videoHeight > 0; }
    bool HasVideo() const { return HasVideoSize() && m_duration > 0; }
    double AspectRatio() const;
    // Seconds; a length that only becomes known while playing is asked for again.
    double Duration() const;
    long long DurationSeconds() const;
    int VideoWidth() const { return m_videoWidth; }
    int VideoHeight() const { return m_videoHeight; }
    double FrameRate() const { return m_frameRate; }
    double Rate() const { return m_rate; }
    bool Started() const { return m_started; }
    bool Closing() const { return m_closing; }
    QString Album, Artist, Composer, Conductor, TitleOrName, Writer;

    int WidthForHeight(int h) const;
    int HeightForWidth(int w) const;
    QString DurationText() const;
    QString FileSizeText() const;
    QString FileDateText() const;
    QString FileNameOnly() const;
    QString FileFolder() const;

    // Average frame rate (hundredths of frames per second), average sync offset and its
    // deviation (ms), frames drawn, frames dropped, jitter (ms); all 0 without video.
    std::array<int, 6> QualityStats() const;
    // Seeking capabilities as the flags AM_SEEKING_Can*: 0 without media.
    int SeekingCaps() const;

    // Position, rate, volume, balance and stepping.
    double Position() const;
    void SetPosition(double seconds);
    long long PositionSeconds() const;
    void SetPositionSeconds(long long seconds) { SetPosition(double(seconds)); }
    void SetRate(double rate);
    double FrameTime() const { return IsOpen() ? m_frameTime : 0.0; }
    // Stream time (seconds) of the video frame on display; -1 when no frame is shown.
    double ShownFrameTime() const;
    // A seek or frame step is still on its way (Position reads its target meanwhile).
    bool SeekPending() const;
    bool CanStep(int n) const;

    // Writes the open pipeline as a graph file; "フィルタグラフは作成されていません" without one.
    bool SaveGraph(const QString &path);
    // The colour the program paints behind video (the overlay colour key of the Windows build).
    static quint32 OverlayColorKey() { return 0x100010; }
    // The window the video is drawn into (a child of the owner); null until video is shown.
    QWindow *VideoWindow() const { return m_videoWindow; }
    // The element that draws the open file's video ("fakesink" without a video window); empty
    // without media.
    QString VideoSinkName() const;

    // Written to the diagnostics log with every graph event while set.
    bool MessageMode = false;
    // The decoder preference of the Windows build; this build lets GStreamer choose.
    bool UseFfdshow = false;
    bool WallVideo = false;
    // A gst-launch description of the audio output to use instead of the system's default
    // ("level ! fakesink sync=true" in measurements); empty for the default.
    QString AudioSinkDescription;

    TNotifyEvent OnMediaOpen, OnMediaStart, OnMediaEnded, OnMediaPaused, OnMediaPlay, OnMediaStopped,
        OnMediaClosed, OnMediaError;
    TMyOnMediaEvent OnMediaEvent;
    TMyOnVideoSizeChange OnVideoSizeChange;
    TMyOnElementMessage OnElementMessage;
    // Where the diagnostics lines go (graph events while MessageMode is set, renderer fallbacks).
    std::function<void(const QString &line)> OnLog;

    struct Impl;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void RaiseError();
    void Fire(const TNotifyEvent &event) { if (event) event(this); }
    void Log(const QString &line);
    // Places the video window inside the owner (wallpaper mode) and has the frames follow it.
    void PlaceVideoWindow(const QRect &rect);

private:
    friend struct Impl;
    bool OpenPipeline(const QString &fileName);
    void HandleMessage(void *message);
    void ReadFileFacts() const;
    void ApplyVolume();
    void ApplyBalance();
    void ReadVideoFacts();
    void EnsureVideoWindow();
    void UpdateDrainState();
    void ScheduleClosedCheck();
    void ClosedCheck();
    bool SeekTo(double seconds, double rate);
    void ScheduleSinkRefresh();
    void RefreshSink();
    bool WaitSettled(int timeoutMs);

    std::unique_ptr<Impl> d;
    QString m_fileName;
    // Size and date texts of the open file, read on first request after each opening.
    mutable QString m_fileSizeText, m_fileDateText;
    mutable bool m_fileFactsRead = false;
    int m_volume = 100;
    int m_balance = 0;
    bool m_keepAspect = true;
    TMyVmMode m_renderer = vmFriendlyVideoRenderer;
    QPointer<QWindow> m_videoOwner;
    std::unique_ptr<QWindow> m_foreignOwner;
    QPointer<QWindow> m_videoWindow;
    class QTimer *m_refreshTimer = nullptr;
    bool m_messageDrain = true;
    double m_duration = 0;
    int m_videoWidth = 0;
    int m_videoHeight = 0;
    double m_frameRate = 0;
    double m_frameTime = 0;
    bool m_frameTimeFromFrames = false;  // measured from the frame times; the caps do not override it
    double m_rate = 1.0;
    int m_logicalState = psStopped;
    bool m_closing = false;
    bool m_started = false;
    bool m_clockChanged = false;
    bool m_errorRaised = false;
    bool m_opening = false;
};

class TMyDSPlayer : public TMyDirectShowPlayer {
    Q_OBJECT
public:
    explicit TMyDSPlayer(QObject *owner = nullptr);
    ~TMyDSPlayer() override;

    bool Open(const QString &fileName) override;
    void Unload() override;

    bool OpenIndex(int index);
    void PlayIndex(int index);
    void OpenAndPlay(const QString &fileName);
    void PlayNext();
    void PlayBack();
    int NextIndex(int step) const;
    int EntryCount() const { return m_playlist->Count(); }

    TMyDSPlaylist *Playlist() const { return m_playlist.get(); }
    int ItemIndex = -1;
    TMyPlaylistPlayMode PlayMode = pmNormal;
    TMyPlaylistRepeatMode RepeatMode = rmAll;
    TNotifyEvent OnMediaDeleted;

    QStringList AllowExt() const;
    void SetAllowExt(const QStringList &extensions);
    QStringList DisallowExt() const;
    void SetDisallowExt(const QStringList &extensions);

    // The end-of-media handling installed by the constructor: an empty list closes, a single
    // entry or a repeat mode other than rmAll replays, otherwise the next entry plays.
    void DefaultMediaEnded();

    // Video on the desktop: covers the monitor (cut where it overflows); the wallpaper itself is
    // shown and restored through the handlers installed by the wallpaper code.
    void StartWallVideo(int monitorIndex);
    void StopWallVideo();
    std::function<void(int monitorIndex, quint32 colorKey)> OnShowWallVideo;
    std::function<void()> OnHideWallVideo;

private:
    std::unique_ptr<TMyDSPlaylist> m_playlist;
};
