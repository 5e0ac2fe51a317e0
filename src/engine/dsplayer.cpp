#include "engine/dsplayer.h"

#include "engine/gstbusbridge.h"
#include "engine/gsterrors.h"
#include "engine/gstsupport.h"
#include "engine/mediameasurer.h"
#include "engine/timetexts.h"
#include "lists/fileutils.h"
#include "platform/files.h"
#include "platform/uihooks.h"
#include "tags/mytag.h"

#include <QEvent>
#include <QPlatformSurfaceEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QTimer>
#include <QScreen>

#include <gst/video/videooverlay.h>

#include <algorithm>
#include <cmath>
#include <mutex>

Q_LOGGING_CATEGORY(lcPlayer, "tavio.player", QtWarningMsg)

using engine::ElementRef;
using engine::PadRef;

namespace {

constexpr int kPrerollTimeoutMs = 15000;
// How long opening may spend reading frame times where the demuxer's frame rate is not to be
// trusted.
constexpr std::chrono::milliseconds kFrameTimeReadTimeout{3000};
constexpr qint64 kGraphFileLimit = 64 * 1024;
const char kGraphHeader[] = "tavio filter graph 1";

// playbin's flags (GstPlayFlags, not in a public header).
constexpr guint kPlayFlagVideo = 0x1;
constexpr guint kPlayFlagText = 0x4;
constexpr guint kPlayFlagNativeVideo = 0x40;

// The seeking capability bits of the Windows build's diagnostics.
constexpr int kCanSeekAbsolute = 0x1, kCanSeekForwards = 0x2, kCanSeekBackwards = 0x4,
              kCanGetCurrentPos = 0x8, kCanGetStopPos = 0x10, kCanGetDuration = 0x20;

const char *RendererAlias(TMyVmMode mode)
{
    switch (mode) {
    case vmOverlayMixer:
        return "Overlay Mixer";
    case vmVMR7:
        return "VMR7";
    case vmVMR9:
        return "VMR9";
    case vmEVR:
        return "Enhanced Video Renderer";
    case vmFriendlyVideoRenderer:
    case vmVideoRenderer:
    default:
        return "Video Renderer";
    }
}

QVariant ValueToVariant(const GValue *value)
{
    const GType type = G_VALUE_TYPE(value);
    switch (G_TYPE_FUNDAMENTAL(type)) {
    case G_TYPE_DOUBLE:
        return g_value_get_double(value);
    case G_TYPE_FLOAT:
        return double(g_value_get_float(value));
    case G_TYPE_INT:
        return g_value_get_int(value);
    case G_TYPE_UINT:
        return g_value_get_uint(value);
    case G_TYPE_INT64:
        return qlonglong(g_value_get_int64(value));
    case G_TYPE_UINT64:
        return qulonglong(g_value_get_uint64(value));
    case G_TYPE_BOOLEAN:
        return bool(g_value_get_boolean(value));
    case G_TYPE_STRING:
        return QString::fromUtf8(g_value_get_string(value));
    default:
        break;
    }
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    const bool valueArray = type == g_value_array_get_type();
    G_GNUC_END_IGNORE_DEPRECATIONS
    if (valueArray) {
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS
        const GValueArray *array = static_cast<const GValueArray *>(g_value_get_boxed(value));
        QVariantList list;
        if (array)
            for (guint i = 0; i < array->n_values; ++i)
                list << ValueToVariant(g_value_array_get_nth(const_cast<GValueArray *>(array), i));
        G_GNUC_END_IGNORE_DEPRECATIONS
        return list;
    }
    if (GST_VALUE_HOLDS_ARRAY(value) || GST_VALUE_HOLDS_LIST(value)) {
        const bool isArray = GST_VALUE_HOLDS_ARRAY(value);
        const guint n = isArray ? gst_value_array_get_size(value) : gst_value_list_get_size(value);
        QVariantList list;
        for (guint i = 0; i < n; ++i)
            list << ValueToVariant(isArray ? gst_value_array_get_value(value, i) : gst_value_list_get_value(value, i));
        return list;
    }
    return engine::TakeGString(gst_value_serialize(value));
}

QVariantMap StructureToMap(const GstStructure *s)
{
    QVariantMap map;
    if (!s)
        return map;
    const int n = gst_structure_n_fields(s);
    for (int i = 0; i < n; ++i) {
        const char *name = gst_structure_nth_field_name(s, guint(i));
        map.insert(QString::fromUtf8(name), ValueToVariant(gst_structure_get_value(s, name)));
    }
    return map;
}

bool CapsVideoFacts(GstCaps *caps, int &width, int &height, double &frameTime)
{
    if (!caps || gst_caps_get_size(caps) == 0)
        return false;
    const GstStructure *s = gst_caps_get_structure(caps, 0);
    if (!g_str_has_prefix(gst_structure_get_name(s), "video/"))
        return false;
    width = height = 0;
    frameTime = 0;
    gst_structure_get_int(s, "width", &width);
    gst_structure_get_int(s, "height", &height);
    int num = 0, den = 0;
    if (gst_structure_get_fraction(s, "framerate", &num, &den) && num > 0 && den > 0)
        frameTime = double(den) / double(num);
    return width > 0 && height > 0;
}

// Whether an element made by the factory is somewhere inside the bin.
bool BinHasElementOf(GstElement *bin, const char *factoryName)
{
    if (!bin || !GST_IS_BIN(bin))
        return false;
    GstIterator *it = gst_bin_iterate_recurse(GST_BIN(bin));
    bool found = false;
    GValue item = G_VALUE_INIT;
    bool done = false;
    while (!done && !found) {
        switch (gst_iterator_next(it, &item)) {
        case GST_ITERATOR_OK: {
            auto *element = GST_ELEMENT(g_value_get_object(&item));
            GstElementFactory *factory = gst_element_get_factory(element);
            found = factory && g_str_equal(GST_OBJECT_NAME(factory), factoryName);
            g_value_reset(&item);
            break;
        }
        case GST_ITERATOR_RESYNC:
            gst_iterator_resync(it);
            break;
        default:
            done = true;
            break;
        }
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    return found;
}

int MessageTypeBit(GstMessageType type)
{
    int bit = 0;
    for (guint v = guint(type); v > 1; v >>= 1)
        ++bit;
    return bit;
}

} // namespace

// Everything that touches GStreamer, kept out of the header.
struct TMyDirectShowPlayer::Impl {
    ElementRef pipeline;         // a playbin
    ElementRef videoSink;        // the element that draws (overlay, statistics)
    ElementRef videoBin;         // what playbin was given as video-sink (videoSink or a bin around it)
    ElementRef sizeFilter;       // the size the frames are scaled to before ximagesink
    ElementRef volume, panorama; // our audio filter
    PadRef videoPad;             // the decoded video stream (caps changes come from here)
    gulong capsHandler = 0;
    PadRef probePad;             // where the quality statistics are taken
    gulong probeId = 0;
    bool windowSink = false;     // the video sink draws into our video window
    // The sink fits the picture into the video window itself (the overlay sink under VMR7), so
    // the window covers the owner; otherwise the window is laid out to the picture's box.
    bool sinkKeepsAspect = false;
    QString videoSinkFactory;
    QPointer<engine::TGstBusBridge> bridge;
    QByteArray uri;

    // The first error of the opening, for the fallback decisions.
    bool openError = false;
    GQuark openErrorDomain = 0;
    int openErrorCode = 0;
    bool openErrorFromVideoSink = false;

    // A flushing seek or step in flight: the position reads as its target until it settles.
    bool seekPending = false;
    double seekTarget = 0;
    double lastPosition = 0;

    // Quality statistics, filled on the streaming thread.
    struct Quality {
        std::mutex lock;
        GstSegment segment;
        qint64 frames = 0;
        gint64 firstWall = -1, lastWall = -1;
        double sumOffset = 0, sumOffset2 = 0;       // ms
        double sumInterval = 0, sumInterval2 = 0;   // ms between arrivals
        qint64 intervals = 0;
        void Reset()
        {
            std::lock_guard<std::mutex> g(lock);
            gst_segment_init(&segment, GST_FORMAT_TIME);
            frames = intervals = 0;
            firstWall = lastWall = -1;
            sumOffset = sumOffset2 = sumInterval = sumInterval2 = 0;
        }
    } quality;

    GstElement *Pipe() const { return pipeline.get(); }
};

namespace {

void OnVideoCaps(GstPad *pad, GParamSpec *, gpointer data)
{
    auto *pipeline = static_cast<GstElement *>(data);
    GstCaps *caps = gst_pad_get_current_caps(pad);
    int w = 0, h = 0;
    double ft = 0;
    const bool ok = CapsVideoFacts(caps, w, h, ft);
    if (caps)
        gst_caps_unref(caps);
    if (!ok)
        return;
    GstStructure *s = gst_structure_new("tavio-video-caps", "width", G_TYPE_INT, w, "height", G_TYPE_INT, h,
                                        "frame-time", G_TYPE_DOUBLE, ft, nullptr);
    gst_element_post_message(pipeline, gst_message_new_application(GST_OBJECT(pipeline), s));
}

GstPadProbeReturn OnQualityProbe(GstPad *pad, GstPadProbeInfo *info, gpointer data)
{
    auto *q = static_cast<TMyDirectShowPlayer::Impl *>(data);
    auto &quality = q->quality;
    if (info->type & GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM) {
        GstEvent *event = GST_PAD_PROBE_INFO_EVENT(info);
        if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
            const GstSegment *segment = nullptr;
            gst_event_parse_segment(event, &segment);
            std::lock_guard<std::mutex> g(quality.lock);
            gst_segment_copy_into(segment, &quality.segment);
        } else if (GST_EVENT_TYPE(event) == GST_EVENT_FLUSH_STOP) {
            std::lock_guard<std::mutex> g(quality.lock);
            quality.lastWall = -1;
        }
        return GST_PAD_PROBE_OK;
    }
    GstBuffer *buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (!buffer || !GST_BUFFER_PTS_IS_VALID(buffer))
        return GST_PAD_PROBE_OK;
    GstElement *sink = gst_pad_get_parent_element(pad);
    if (!sink)
        return GST_PAD_PROBE_OK;
    const GstClockTime now = gst_element_get_current_running_time(sink);
    const bool playing = GST_STATE(sink) == GST_STATE_PLAYING;
    gst_object_unref(sink);
    const gint64 wall = g_get_monotonic_time();
    std::lock_guard<std::mutex> g(quality.lock);
    const guint64 due = gst_segment_to_running_time(&quality.segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
    if (!playing || now == GST_CLOCK_TIME_NONE || due == GST_CLOCK_TIME_NONE)
        return GST_PAD_PROBE_OK;
    // How late the frame reaches the renderer (negative: early, it waits for its time).
    const double offset = (double(now) - double(due)) / 1e6;
    quality.sumOffset += offset;
    quality.sumOffset2 += offset * offset;
    if (quality.lastWall >= 0) {
        const double interval = double(wall - quality.lastWall) / 1000.0;
        quality.sumInterval += interval;
        quality.sumInterval2 += interval * interval;
        ++quality.intervals;
    }
    if (quality.firstWall < 0)
        quality.firstWall = wall;
    quality.lastWall = wall;
    ++quality.frames;
    return GST_PAD_PROBE_OK;
}

} // namespace

// TMyDirectShowPlayer

TMyDirectShowPlayer::TMyDirectShowPlayer(QObject *owner) : QObject(owner), d(std::make_unique<Impl>())
{
    d->quality.Reset();
}

TMyDirectShowPlayer::~TMyDirectShowPlayer()
{
    OnMediaOpen = OnMediaStart = OnMediaEnded = OnMediaPaused = OnMediaPlay = OnMediaStopped = OnMediaClosed =
        OnMediaError = nullptr;
    OnMediaEvent = nullptr;
    OnVideoSizeChange = nullptr;
    OnElementMessage = nullptr;
    TMyDirectShowPlayer::Unload();
    if (m_videoWindow)
        delete m_videoWindow.data();
}

void TMyDirectShowPlayer::Log(const QString &line)
{
    if (OnLog)
        OnLog(line);
    else
        qCInfo(lcPlayer).noquote() << line;
}

void TMyDirectShowPlayer::RaiseError()
{
    // Whatever goes wrong with one opening, and however many messages say so, the window hears
    // about it once.
    if (m_errorRaised)
        return;
    m_errorRaised = true;
    Fire(OnMediaError);
}

bool TMyDirectShowPlayer::IsOpen() const
{
    return d->pipeline.get() != nullptr;
}

int TMyDirectShowPlayer::GetPlayState() const
{
    return IsOpen() ? m_logicalState : psStopped;
}

bool TMyDirectShowPlayer::Open(const QString &fileName)
{
    Close();
    m_started = false;
    m_clockChanged = false;
    m_errorRaised = false;
    m_fileName = fileName;
    m_fileFactsRead = false;
    m_duration = 0;
    m_videoWidth = m_videoHeight = 0;
    m_frameRate = m_frameTime = 0;
    m_frameTimeFromFrames = false;
    m_rate = 1.0;
    m_logicalState = psStopped;
    Album.clear();
    Artist.clear();
    Composer.clear();
    Conductor.clear();
    TitleOrName.clear();
    Writer.clear();

    m_opening = true;
    const bool ok = OpenPipeline(fileName);
    m_opening = false;
    if (!ok) {
        RaiseError();
        return false;
    }

    {
        gint64 duration = 0;
        if (gst_element_query_duration(d->Pipe(), GST_FORMAT_TIME, &duration) && duration > 0)
            m_duration = double(duration) / 1e9;
    }
    {
        const TMyTag tag(fileName);
        Album = tag.Texts().Album;
        Artist = tag.Texts().Artist;
        Composer = tag.Texts().Composer;
        Conductor = tag.Texts().Conductor;
        TitleOrName = tag.TitleOrName();
        Writer = tag.Texts().Writer;
    }
    ReadVideoFacts();
    if (HasVideoSize() && BinHasElementOf(d->Pipe(), "asfdemux")) {
        // The ASF demuxer reports 25/1 for streams whose rate it does not know (a 29.97 fps film
        // among them): the frames' own times tell the real frame time.
        const double rate = engine::AsfFrameRate(fileName, kFrameTimeReadTimeout);
        if (rate > 0) {
            m_frameTime = 1.0 / rate;
            m_frameTimeFromFrames = true;
        }
    }
    m_frameRate = m_frameTime > 0 ? double(RoundHalfAway(100.0 / m_frameTime)) / 100.0 : 0.0;
    if (m_videoWindow) {
        if (HasVideoSize() && d->windowSink) {
            LayoutVideoWindow();
            ScheduleSinkRefresh();
            m_videoWindow->show();
        } else {
            m_videoWindow->hide();
        }
    }
    ApplyVolume();
    ApplyBalance();
    // A successful opening ends the closing of the previous file: no closed event follows it.
    m_closing = false;
    Fire(OnMediaOpen);
    return true;
}

bool TMyDirectShowPlayer::OpenPipeline(const QString &fileName)
{
    if (!engine::EnsureGStreamer())
        return false;
    const QFileInfo info(fileName);
    if (!info.isFile())
        return false;

    QByteArray uri;
    if (info.suffix().compare(QLatin1String("grf"), Qt::CaseInsensitive) == 0) {
        // Our own graph file: a header line and the description of the pipeline; only a playbin
        // of a local file is taken, since a free description could write or send anything.
        QFile file(fileName);
        if (info.size() > kGraphFileLimit || !file.open(QIODevice::ReadOnly)) {
            Log(QStringLiteral("graph file cannot be read: %1").arg(fileName));
            return false;
        }
        const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
        if (lines.isEmpty() || lines.first().trimmed() != QLatin1String(kGraphHeader)) {
            Log(QStringLiteral("not a graph file of this program: %1").arg(fileName));
            return false;
        }
        QStringList body;
        for (int i = 1; i < lines.size(); ++i) {
            const QString line = lines[i].trimmed();
            if (!line.isEmpty() && !line.startsWith(u'#'))
                body << line;
        }
        engine::GErrorHolder error;
        GstElement *parsed = gst_parse_launch_full(body.join(u' ').toUtf8().constData(), nullptr,
                                                   GST_PARSE_FLAG_FATAL_ERRORS, error.out());
        if (!parsed)
            return false;
        ElementRef graph = ElementRef::Adopt(GST_ELEMENT(gst_object_ref_sink(parsed)));
        GstElementFactory *factory = gst_element_get_factory(graph.get());
        if (!factory || qstrcmp(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)), "playbin") != 0) {
            Log(QStringLiteral("graph file does not describe a player: %1").arg(fileName));
            return false;
        }
        gchar *graphUri = nullptr;
        g_object_get(graph.get(), "uri", &graphUri, nullptr);
        uri = graphUri ? QByteArray(graphUri) : QByteArray();
        g_free(graphUri);
        // The named media must be a plain file like any other we open: a pipe or a device would
        // block the opening (or read without end).
        gchar *local = uri.startsWith("file://") ? g_filename_from_uri(uri.constData(), nullptr, nullptr) : nullptr;
        const QString mediaPath = local ? QFile::decodeName(local) : QString();
        g_free(local);
        if (mediaPath.isEmpty() || !QFileInfo(mediaPath).isFile()) {
            Log(QStringLiteral("graph file names no local file: %1").arg(fileName));
            return false;
        }
    } else {
        uri = engine::UriOfFile(info.absoluteFilePath());
    }
    if (uri.isEmpty())
        return false;

    // Attempts: the chosen renderer; ximagesink when the renderer failed; audio alone when the
    // video could not be played at all.
    bool videoOff = false;
    bool plainSink = false;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (d->pipeline)
            Close();
        ElementRef playbin = engine::MakeElement(QStringLiteral("playbin"));
        if (!playbin)
            return false;
        d->uri = uri;
        g_object_set(playbin.get(), "uri", uri.constData(), nullptr);

        // Our audio output: volume and balance right before the sink, so that a change is heard
        // at once and works with any output.
        const QString output = AudioSinkDescription.isEmpty()
            ? engine::ElementAliasTargets(QStringLiteral("Default DirectSound Device")).value(0, QStringLiteral("autoaudiosink"))
            : AudioSinkDescription;
        engine::GErrorHolder error;
        GstElement *audio = gst_parse_bin_from_description(
            ("audioconvert ! volume name=tavio-volume ! audiopanorama method=simple name=tavio-balance ! "
             "audioconvert ! audioresample ! " + output).toUtf8().constData(),
            TRUE, error.out());
        if (!audio) {
            Log(QStringLiteral("audio output cannot be built: %1").arg(error ? QString::fromUtf8(error.get()->message) : output));
            return false;
        }
        ElementRef audioSink = ElementRef::Adopt(GST_ELEMENT(gst_object_ref_sink(audio)));
        d->volume = ElementRef::Adopt(gst_bin_get_by_name(GST_BIN(audio), "tavio-volume"));
        d->panorama = ElementRef::Adopt(gst_bin_get_by_name(GST_BIN(audio), "tavio-balance"));
        g_object_set(playbin.get(), "audio-sink", audioSink.get(), nullptr);

        // The video sink: into our video window when there is one to draw into.
        ElementRef videoSink;
        d->windowSink = false;
        d->sinkKeepsAspect = false;
        const bool canShow = m_videoOwner && QGuiApplication::platformName() == QLatin1String("xcb");
        if (canShow && !videoOff) {
            QStringList candidates = plainSink ? QStringList{QStringLiteral("ximagesink")}
                                               : engine::ElementAliasTargets(QString::fromLatin1(RendererAlias(m_renderer)));
            if (!candidates.contains(QLatin1String("ximagesink")))
                candidates << QStringLiteral("ximagesink");
            for (const QString &name : candidates) {
                if (name == QLatin1String("glimagesink")) {
                    // Its own GL window stays unmapped inside a window of ours; draw with X.
                    Log(QStringLiteral("video renderer glimagesink cannot draw into the video window; falling back"));
                    continue;
                }
                ElementRef sink = engine::MakeElement(name);
                if (!sink)
                    continue;
                if (gst_element_set_state(sink.get(), GST_STATE_READY) == GST_STATE_CHANGE_FAILURE) {
                    gst_element_set_state(sink.get(), GST_STATE_NULL);
                    Log(QStringLiteral("video renderer %1 cannot open; falling back").arg(name));
                    continue;
                }
                gst_element_set_state(sink.get(), GST_STATE_NULL);
                videoSink = sink;
                d->videoSinkFactory = name;
                break;
            }
            if (videoSink && GST_IS_VIDEO_OVERLAY(videoSink.get())) {
                EnsureVideoWindow();
                if (m_videoWindow) {
                    // ximagesink's property only steers the scaling upstream of it, and our bin
                    // below scales to the window's exact size: only a sink that scales by itself
                    // (the overlay sink) keeps the aspect inside the window. When the overlay
                    // sink could not open and ximagesink stands in, the window takes the box.
                    GObjectClass *klass = G_OBJECT_GET_CLASS(videoSink.get());
                    const bool hasAspectProperty = g_object_class_find_property(klass, "force-aspect-ratio");
                    d->sinkKeepsAspect = m_renderer == vmVMR7 && hasAspectProperty &&
                                         d->videoSinkFactory != QLatin1String("ximagesink");
                    if (hasAspectProperty)
                        g_object_set(videoSink.get(), "force-aspect-ratio",
                                     gboolean(d->sinkKeepsAspect && m_keepAspect), nullptr);
                    LayoutVideoWindow();
                    gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(videoSink.get()),
                                                        guintptr(m_videoWindow->winId()));
                    gst_video_overlay_handle_events(GST_VIDEO_OVERLAY(videoSink.get()), FALSE);
                    d->windowSink = true;
                }
            }
        }
        ElementRef videoBin = videoSink;
        d->sizeFilter.reset();
        if (d->windowSink && d->videoSinkFactory == QLatin1String("ximagesink")) {
            // ximagesink draws frames at the size they come in: scale them to the video window
            // here, to the window's exact size, so that a picture not kept in aspect stretches.
            GstElement *bin = gst_bin_new("tavio-video-output");
            GstElement *convert = gst_element_factory_make("videoconvert", nullptr);
            GstElement *scale = gst_element_factory_make("videoscale", nullptr);
            GstElement *filter = gst_element_factory_make("capsfilter", "tavio-video-size");
            if (bin && convert && scale && filter) {
                g_object_set(scale, "add-borders", FALSE, nullptr);
                // The size changes while frames of the old one are still on their way: those
                // must pass until the scaler has renegotiated, or the stream stops as not
                // negotiated.
                gst_util_set_object_arg(G_OBJECT(filter), "caps-change-mode", "delayed");
                gst_bin_add_many(GST_BIN(bin), convert, scale, filter, GST_ELEMENT(gst_object_ref(videoSink.get())), nullptr);
                gst_element_link_many(convert, scale, filter, videoSink.get(), nullptr);
                GstPad *target = gst_element_get_static_pad(convert, "sink");
                gst_element_add_pad(bin, gst_ghost_pad_new("sink", target));
                gst_object_unref(target);
                videoBin = ElementRef::Adopt(GST_ELEMENT(gst_object_ref_sink(bin)));
                d->sizeFilter = ElementRef::Share(filter);
                // Our bin converts and scales; playbin's own scaler would keep the aspect.
                guint flags = 0;
                g_object_get(playbin.get(), "flags", &flags, nullptr);
                g_object_set(playbin.get(), "flags", flags | kPlayFlagNativeVideo, nullptr);
            } else {
                if (bin)
                    gst_object_unref(bin);
                if (convert)
                    gst_object_unref(convert);
                if (scale)
                    gst_object_unref(scale);
                if (filter)
                    gst_object_unref(filter);
            }
        }
        if (!d->windowSink) {
            videoSink = engine::MakeElement(QStringLiteral("fakesink"), QStringLiteral("tavio-video-fakesink"));
            if (videoSink)
                g_object_set(videoSink.get(), "sync", TRUE, "qos", TRUE, nullptr);
            d->videoSinkFactory = QStringLiteral("fakesink");
        }
        if (!d->windowSink)
            videoBin = videoSink;
        if (videoBin)
            g_object_set(playbin.get(), "video-sink", videoBin.get(), nullptr);
        if (videoOff) {
            guint flags = 0;
            g_object_get(playbin.get(), "flags", &flags, nullptr);
            g_object_set(playbin.get(), "flags", flags & ~(kPlayFlagVideo | kPlayFlagText), nullptr);
        }

        d->pipeline = playbin;
        d->videoSink = videoSink;
        d->videoBin = videoBin;
        d->openError = false;
        d->openErrorFromVideoSink = false;
        d->seekPending = false;
        d->lastPosition = 0;
        d->quality.Reset();

        auto *bridge = new engine::TGstBusBridge(this);
        d->bridge = bridge;
        bridge->Attach(playbin.get(), [this](GstMessage *message) { HandleMessage(message); });

        // Preroll: the first frame is decoded and shown before Open returns.
        GstStateChangeReturn r = gst_element_set_state(playbin.get(), GST_STATE_PAUSED);
        if (r != GST_STATE_CHANGE_FAILURE)
            r = gst_element_get_state(playbin.get(), nullptr, nullptr, GstClockTime(kPrerollTimeoutMs) * GST_MSECOND);
        bridge->Drain();
        if (r == GST_STATE_CHANGE_SUCCESS || r == GST_STATE_CHANGE_NO_PREROLL) {
            if (d->videoSink) {
                PadRef pad = PadRef::Adopt(gst_element_get_static_pad(d->videoSink.get(), "sink"));
                if (pad) {
                    d->probePad = pad;
                    d->probeId = gst_pad_add_probe(
                        pad.get(), GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM |
                                                   GST_PAD_PROBE_TYPE_EVENT_FLUSH),
                        OnQualityProbe, d.get(), nullptr);
                }
            }
            return true;
        }
        if (r == GST_STATE_CHANGE_ASYNC)
            Log(QStringLiteral("media did not preroll in time: %1").arg(fileName));

        // Fallbacks.
        const bool unreadable = d->openError && (d->openErrorDomain == GST_RESOURCE_ERROR ||
                                                 (d->openErrorDomain == GST_STREAM_ERROR &&
                                                  d->openErrorCode == GST_STREAM_ERROR_TYPE_NOT_FOUND));
        if (r == GST_STATE_CHANGE_FAILURE && d->openErrorFromVideoSink && d->windowSink &&
            d->videoSinkFactory != QLatin1String("ximagesink") && !plainSink) {
            Log(QStringLiteral("video renderer %1 failed; falling back to ximagesink").arg(d->videoSinkFactory));
            plainSink = true;
            continue;
        }
        if (r == GST_STATE_CHANGE_FAILURE && !unreadable && !videoOff) {
            Log(QStringLiteral("playing the audio of %1 alone").arg(fileName));
            videoOff = true;
            continue;
        }
        break;
    }
    // The failed pipeline goes at once: nothing of it may reach the window later.
    const bool wasClosing = m_closing;
    Close();
    m_closing = wasClosing;
    return false;
}

void TMyDirectShowPlayer::ReadVideoFacts()
{
    m_videoWidth = m_videoHeight = 0;
    m_frameTime = 0;
    if (!d->pipeline)
        return;
    int videos = 0;
    g_object_get(d->Pipe(), "n-video", &videos, nullptr);
    if (videos <= 0)
        return;
    GstPad *pad = nullptr;
    g_signal_emit_by_name(d->Pipe(), "get-video-pad", 0, &pad);
    if (!pad)
        return;
    d->videoPad = PadRef::Adopt(pad);
    GstCaps *caps = gst_pad_get_current_caps(pad);
    int w = 0, h = 0;
    double ft = 0;
    if (CapsVideoFacts(caps, w, h, ft)) {
        m_videoWidth = w;
        m_videoHeight = h;
        m_frameTime = ft;
    }
    if (caps)
        gst_caps_unref(caps);
    d->capsHandler = g_signal_connect(pad, "notify::caps", G_CALLBACK(OnVideoCaps), d->Pipe());
}

void TMyDirectShowPlayer::HandleMessage(void *raw)
{
    auto *message = static_cast<GstMessage *>(raw);
    if (!d->pipeline)
        return;
    const bool fromPipeline = GST_MESSAGE_SRC(message) == GST_OBJECT(d->Pipe());
    auto event = [this](int code, int p1, int p2, const QString &what) {
        if (MessageMode)
            Log(QStringLiteral("event 0x%1 (%2, %3) %4").arg(code, 4, 16, QLatin1Char('0')).arg(p1).arg(p2).arg(what));
        if (OnMediaEvent)
            OnMediaEvent(this, code, p1, p2);
    };
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS:
        event(EC_COMPLETE, 0, 0, QStringLiteral("end of stream"));
        if (!m_started && m_logicalState == psRunning) {
            // The end can overtake the report of the state it was reached in.
            m_started = true;
            Fire(OnMediaStart);
        }
        if (m_started)
            Fire(OnMediaEnded);
        else
            RaiseError();
        break;
    case GST_MESSAGE_ERROR:
    case GST_MESSAGE_WARNING: {
        GError *error = nullptr;
        gchar *debug = nullptr;
        const bool isError = GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR;
        if (isError)
            gst_message_parse_error(message, &error, &debug);
        else
            gst_message_parse_warning(message, &error, &debug);
        const auto result = engine::MapMediaError(error);
        const QString text = QStringLiteral("%1 from %2: %3 (%4)")
                                 .arg(isError ? QStringLiteral("error") : QStringLiteral("warning"),
                                      engine::TakeGString(gst_object_get_path_string(GST_MESSAGE_SRC(message))),
                                      error ? QString::fromUtf8(error->message) : QString(),
                                      engine::MediaResultName(result));
        if (isError && m_opening && !d->openError) {
            d->openError = true;
            d->openErrorDomain = error ? error->domain : 0;
            d->openErrorCode = error ? error->code : 0;
            d->openErrorFromVideoSink =
                d->videoBin && (GST_MESSAGE_SRC(message) == GST_OBJECT(d->videoBin.get()) ||
                                gst_object_has_as_ancestor(GST_MESSAGE_SRC(message), GST_OBJECT(d->videoBin.get())));
        }
        if (error)
            g_error_free(error);
        g_free(debug);
        Log(text);
        event(isError ? EC_ERRORABORT : EC_WARNING, int(result), 0, text);
        if (isError && !m_opening)
            RaiseError();
        break;
    }
    case GST_MESSAGE_NEW_CLOCK:
        m_clockChanged = true;
        event(EC_CLOCK_CHANGED, 0, 0, QStringLiteral("new clock"));
        break;
    case GST_MESSAGE_STATE_CHANGED: {
        if (!fromPipeline)
            break;
        GstState oldState, newState, pending;
        gst_message_parse_state_changed(message, &oldState, &newState, &pending);
        if (pending != GST_STATE_VOID_PENDING)
            break;
        event(EC_PAUSED, int(newState), int(oldState), QStringLiteral("state %1").arg(gst_element_state_get_name(newState)));
        if (newState == GST_STATE_PLAYING) {
            if (!m_started) {
                m_started = true;
                Fire(OnMediaStart);
            }
            if (HasVideo() && (m_renderer == vmVMR9 || m_renderer == vmVMR7))
                LayoutVideoWindow();
        }
        break;
    }
    case GST_MESSAGE_ASYNC_DONE:
        d->seekPending = false;
        if (m_duration <= 0)
            Duration();
        break;
    case GST_MESSAGE_STEP_DONE:
        d->seekPending = false;
        event(EC_STEP_COMPLETE, 0, 0, QStringLiteral("step done"));
        break;
    case GST_MESSAGE_DURATION_CHANGED: {
        // Files without a length in their header (an MP3 without a VBR header) get theirs only
        // while playing; the position is still fine meanwhile.
        gint64 duration = 0;
        if (gst_element_query_duration(d->Pipe(), GST_FORMAT_TIME, &duration) && duration > 0) {
            const double seconds = double(duration) / 1e9;
            if (std::fabs(seconds - m_duration) > 1e-6) {
                m_duration = seconds;
                event(EC_LENGTH_CHANGED, int(RoundHalfAway(seconds * 1000)), 0, QStringLiteral("duration"));
            }
        }
        break;
    }
    case GST_MESSAGE_APPLICATION: {
        const GstStructure *s = gst_message_get_structure(message);
        if (!s || !gst_structure_has_name(s, "tavio-video-caps"))
            break;
        int w = 0, h = 0;
        double ft = 0;
        gst_structure_get_int(s, "width", &w);
        gst_structure_get_int(s, "height", &h);
        gst_structure_get_double(s, "frame-time", &ft);
        if (ft > 0 && !m_frameTimeFromFrames) {
            m_frameTime = ft;
            m_frameRate = double(RoundHalfAway(100.0 / ft)) / 100.0;
        }
        if (w > 0 && h > 0 && (w != m_videoWidth || h != m_videoHeight)) {
            m_videoWidth = w;
            m_videoHeight = h;
            event(EC_VIDEO_SIZE_CHANGED, (w & 0xFFFF) | (h << 16), 0, QStringLiteral("video size %1x%2").arg(w).arg(h));
            if (OnVideoSizeChange)
                OnVideoSizeChange(this, quint16(w), quint16(h));
            LayoutVideoWindow();
        }
        break;
    }
    case GST_MESSAGE_ELEMENT: {
        const GstStructure *s = gst_message_get_structure(message);
        if (s && OnElementMessage)
            OnElementMessage(this, QString::fromUtf8(gst_structure_get_name(s)), StructureToMap(s));
        break;
    }
    default:
        if (MessageMode || OnMediaEvent)
            event(kMediaEventMessageBase + MessageTypeBit(GST_MESSAGE_TYPE(message)), 0, 0,
                  QString::fromUtf8(GST_MESSAGE_TYPE_NAME(message)));
        break;
    }
}

void TMyDirectShowPlayer::Play()
{
    m_closing = false;
    if (d->pipeline) {
        if (gst_element_set_state(d->Pipe(), GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE) {
            m_logicalState = psRunning;
            Fire(OnMediaPlay);
        }
        return;
    }
    if (!m_fileName.isEmpty() && QFileInfo(m_fileName).isFile() && Open(m_fileName))
        Play();
}

bool TMyDirectShowPlayer::Pause()
{
    if (GetPlayState() == psPaused)
        return true;
    if (!d->pipeline)
        return false;
    if (gst_element_set_state(d->Pipe(), GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE)
        return false;
    m_logicalState = psPaused;
    Fire(OnMediaPaused);
    return true;
}

bool TMyDirectShowPlayer::Replay()
{
    if (!d->pipeline)
        return false;
    m_logicalState = psStopped;
    SeekTo(0, m_rate);
    Play();
    return true;
}

void TMyDirectShowPlayer::Close()
{
    m_closing = true;
    const bool hadPipeline = d->pipeline.get() != nullptr;
    bool stopped = false;
    if (hadPipeline) {
        if (d->bridge) {
            d->bridge->Detach();
            d->bridge->deleteLater();
            d->bridge = nullptr;
        }
        stopped = gst_element_set_state(d->Pipe(), GST_STATE_NULL) == GST_STATE_CHANGE_SUCCESS;
        if (d->videoPad && d->capsHandler)
            g_signal_handler_disconnect(d->videoPad.get(), d->capsHandler);
        d->capsHandler = 0;
        if (d->probePad && d->probeId)
            gst_pad_remove_probe(d->probePad.get(), d->probeId);
        d->probeId = 0;
        d->probePad.reset();
        d->videoPad.reset();
        d->volume.reset();
        d->panorama.reset();
        d->videoSink.reset();
        d->videoBin.reset();
        d->sizeFilter.reset();
        d->pipeline.reset();
        d->windowSink = false;
        d->sinkKeepsAspect = false;
        d->seekPending = false;
        if (m_videoWindow)
            m_videoWindow->hide();
    }
    m_logicalState = psStopped;
    if (stopped && !m_opening)
        Fire(OnMediaStopped);
    if (hadPipeline)
        ScheduleClosedCheck();
}

void TMyDirectShowPlayer::ScheduleClosedCheck()
{
    QMetaObject::invokeMethod(this, [this] { ClosedCheck(); }, Qt::QueuedConnection);
}

void TMyDirectShowPlayer::ClosedCheck()
{
    // Pending messages of the closed pipeline were dropped with its bridge; what is left is to
    // say so, unless a new opening or Play came first.
    if (!m_closing || d->pipeline)
        return;
    m_started = false;
    m_closing = false;
    Fire(OnMediaClosed);
}

void TMyDirectShowPlayer::Unload()
{
    Close();
    m_fileName.clear();
    m_fileFactsRead = false;
    if (WallVideo)
        WallVideo = false;
}

// Position, rate, volume, balance

double TMyDirectShowPlayer::Duration() const
{
    if (d->pipeline && m_duration <= 0) {
        gint64 duration = 0;
        if (gst_element_query_duration(d->Pipe(), GST_FORMAT_TIME, &duration) && duration > 0)
            const_cast<TMyDirectShowPlayer *>(this)->m_duration = double(duration) / 1e9;
    }
    return m_duration;
}

long long TMyDirectShowPlayer::DurationSeconds() const
{
    return RoundHalfAway(Duration());
}

double TMyDirectShowPlayer::AspectRatio() const
{
    return HasVideo() ? double(m_videoWidth) / double(m_videoHeight) : 1.0;
}

double TMyDirectShowPlayer::Position() const
{
    if (!d->pipeline)
        return 0;
    if (d->seekPending)
        return d->seekTarget;
    gint64 position = 0;
    if (gst_element_query_position(d->Pipe(), GST_FORMAT_TIME, &position) && position >= 0)
        d->lastPosition = double(position) / 1e9;
    const double duration = Duration();
    if (duration > 0 && d->lastPosition > duration)
        return duration;
    return d->lastPosition;
}

double TMyDirectShowPlayer::ShownFrameTime() const
{
    if (!d->pipeline || !HasVideoSize())
        return -1;
    GstSample *sample = nullptr;
    g_object_get(d->Pipe(), "sample", &sample, nullptr);
    if (!sample)
        return -1;
    double seconds = -1;
    GstBuffer *buffer = gst_sample_get_buffer(sample);
    if (buffer && GST_BUFFER_PTS_IS_VALID(buffer)) {
        guint64 t = GST_BUFFER_PTS(buffer);
        if (const GstSegment *segment = gst_sample_get_segment(sample); segment && segment->format == GST_FORMAT_TIME) {
            const guint64 stream = gst_segment_to_stream_time(segment, GST_FORMAT_TIME, t);
            if (stream != GST_CLOCK_TIME_NONE)
                t = stream;
        }
        seconds = double(t) / 1e9;
    }
    gst_sample_unref(sample);
    return seconds;
}

bool TMyDirectShowPlayer::SeekPending() const
{
    return d->pipeline && d->seekPending;
}

long long TMyDirectShowPlayer::PositionSeconds() const
{
    return RoundHalfAway(Position());
}

bool TMyDirectShowPlayer::SeekTo(double seconds, double rate)
{
    if (!d->pipeline)
        return false;
    const double duration = Duration();
    if (!(seconds > 0))
        seconds = 0;
    if (duration > 0 && seconds > duration)
        seconds = duration;
    const gint64 t = gint64(std::llround(seconds * 1e9));
    const auto flags = GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    gboolean ok;
    if (rate >= 0)
        ok = gst_element_seek(d->Pipe(), rate, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET, t, GST_SEEK_TYPE_NONE, -1);
    else
        ok = gst_element_seek(d->Pipe(), rate, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET, 0, GST_SEEK_TYPE_SET, t);
    if (ok) {
        d->seekPending = true;
        d->seekTarget = seconds;
        d->lastPosition = seconds;
    }
    return ok;
}

void TMyDirectShowPlayer::SetPosition(double seconds)
{
    // Every seek carries the rate: a seek without it would drop back to normal speed.
    SeekTo(seconds, m_rate);
}

void TMyDirectShowPlayer::SetRate(double rate)
{
    if (!d->pipeline)
        return;
    if (!std::isfinite(rate) || RoundHalfAway(rate * 100) == 0)
        rate = 1.0;
    if (RoundHalfAway(rate * 100) < 0 && !(SeekingCaps() & kCanSeekBackwards))
        rate = 1.0;
    // The rate takes effect through a seek to where playback is now.
    if (SeekTo(Position(), rate))
        m_rate = rate;
}

int TMyDirectShowPlayer::SeekingCaps() const
{
    if (!d->pipeline)
        return 0;
    int caps = kCanGetCurrentPos;
    if (Duration() > 0)
        caps |= kCanGetDuration | kCanGetStopPos;
    GstQuery *query = gst_query_new_seeking(GST_FORMAT_TIME);
    if (gst_element_query(d->Pipe(), query)) {
        gboolean seekable = FALSE;
        gst_query_parse_seeking(query, nullptr, &seekable, nullptr, nullptr);
        if (seekable)
            caps |= kCanSeekAbsolute | kCanSeekForwards | kCanSeekBackwards;
    }
    gst_query_unref(query);
    return caps;
}

void TMyDirectShowPlayer::SetVolume(int volume)
{
    m_volume = std::clamp(volume, 0, 100);
    ApplyVolume();
}

void TMyDirectShowPlayer::ApplyVolume()
{
    if (!d->volume)
        return;
    // Hundredths of a decibel on the natural-log curve: 50 is -6.93 dB, 10 is -23.03 dB; 0 is
    // silence.
    double gain = 0.0;
    if (m_volume > 0) {
        const long long centibels = RoundHalfAway(1000.0 * std::log(m_volume / 100.0));
        gain = std::pow(10.0, double(centibels) / 2000.0);
    }
    g_object_set(d->volume.get(), "volume", gain, nullptr);
}

void TMyDirectShowPlayer::SetBalance(int balance)
{
    m_balance = std::clamp(balance, -100, 100);
    ApplyBalance();
}

void TMyDirectShowPlayer::ApplyBalance()
{
    if (!d->panorama)
        return;
    // Balance b lowers the other channel by |b| dB (hundredths of a decibel times 100, as the
    // renderer values -10000..10000 go); -100 and 100 leave it practically silent.
    const double factor = std::pow(10.0, -std::abs(m_balance) / 20.0);
    const double pan = m_balance < 0 ? -(1.0 - factor) : (1.0 - factor);
    g_object_set(d->panorama.get(), "panorama", gfloat(pan), nullptr);
}

// Frame stepping

bool TMyDirectShowPlayer::CanStep(int n) const
{
    return n >= 0 && d->pipeline && HasVideoSize() && m_frameTime > 0;
}

bool TMyDirectShowPlayer::WaitSettled(int timeoutMs)
{
    if (!d->pipeline)
        return false;
    const GstStateChangeReturn r =
        gst_element_get_state(d->Pipe(), nullptr, nullptr, GstClockTime(timeoutMs) * GST_MSECOND);
    return r == GST_STATE_CHANGE_SUCCESS || r == GST_STATE_CHANGE_NO_PREROLL;
}

bool TMyDirectShowPlayer::StepFrames(int n)
{
    if (n > 0 && CanStep(n)) {
        // A step while playing skips frames and plays on: pause first, then step.
        if (GetPlayState() == psRunning) {
            Pause();
            WaitSettled(2000);
        }
        const double from = Position();
        const double target = from + m_frameTime * n;
        const double duration = Duration();
        if (duration > 0 && target > duration) {
            // Past the end the step would run out of frames: stop at the end instead.
            SetPosition(duration);
            platform::ProcessEvents();
            return true;
        }
        GstEvent *step = gst_event_new_step(GST_FORMAT_BUFFERS, guint64(n), 1.0, TRUE, FALSE);
        if (!gst_element_send_event(d->Pipe(), step))
            return false;
        d->seekPending = true;
        d->seekTarget = target;
        return true;
    }
    if (n != 0) {
        if (!d->pipeline)
            return true;
        if (GetPlayState() == psRunning)
            Pause();
        SetPosition(Position() + m_frameTime * n);
        platform::ProcessEvents();
    }
    return true;
}

bool TMyDirectShowPlayer::StepFramesByTime(int n)
{
    if (!d->pipeline)
        return true;
    if (GetPlayState() == psRunning)
        Pause();
    SetPosition(Position() + m_frameTime * n);
    platform::ProcessEvents();
    return true;
}

// Video window

void TMyDirectShowPlayer::SetVideoOwner(QWindow *owner)
{
    if (m_videoOwner == owner)
        return;
    if (m_videoOwner)
        m_videoOwner->removeEventFilter(this);
    m_videoOwner = owner;
    if (owner)
        owner->installEventFilter(this);
    if (m_videoWindow) {
        if (owner) {
            // Hand the video window over: the sink keeps drawing into the same window.
            m_videoWindow->setParent(owner);
            if (IsOpen() && HasVideoSize() && d->windowSink)
                m_videoWindow->show();
        } else {
            // Without an owner the window cannot be shown; the pipeline keeps running.
            m_videoWindow->hide();
            m_videoWindow->setParent(nullptr);
        }
    }
    // Only now that the video window has left it may a foreign owner's stand-in go: its
    // children go with it, and a destroyed video window closes the media.
    if (m_foreignOwner && m_foreignOwner.get() != owner)
        m_foreignOwner.reset();
    LayoutVideoWindow();
}

void TMyDirectShowPlayer::SetVideoOwnerId(WId nativeId)
{
    if (nativeId == 0) {
        SetVideoOwner(nullptr);
        return;
    }
    QWindow *foreign = QWindow::fromWinId(nativeId);
    if (!foreign)
        return;
    SetVideoOwner(foreign);
    m_foreignOwner.reset(foreign);
}

void TMyDirectShowPlayer::EnsureVideoWindow()
{
    if (m_videoWindow || !m_videoOwner)
        return;
    auto *window = new QWindow(m_videoOwner);
    window->setObjectName(QStringLiteral("tavio-video-window"));
    window->setFlag(Qt::WindowTransparentForInput, m_messageDrain);
    window->setGeometry(QRect(QPoint(0, 0), m_videoOwner->size()));
    window->create();
    window->installEventFilter(this);
    m_videoWindow = window;
}

void TMyDirectShowPlayer::SetMessageDrain(bool on)
{
    m_messageDrain = on;
    UpdateDrainState();
}

void TMyDirectShowPlayer::UpdateDrainState()
{
    if (m_videoWindow)
        m_videoWindow->setFlag(Qt::WindowTransparentForInput, m_messageDrain);
}

bool TMyDirectShowPlayer::DisplayVisible() const
{
    return IsOpen() && m_videoWindow && m_videoWindow->isVisible();
}

void TMyDirectShowPlayer::SetDisplayVisible(bool visible)
{
    if (!m_videoWindow || !IsOpen())
        return;
    if (visible && HasVideoSize() && d->windowSink)
        m_videoWindow->show();
    else if (!visible)
        m_videoWindow->hide();
}

void TMyDirectShowPlayer::SetKeepAspect(bool keep)
{
    m_keepAspect = keep;
    if (d->videoSink && d->sinkKeepsAspect)
        g_object_set(d->videoSink.get(), "force-aspect-ratio", gboolean(keep), nullptr);
    LayoutVideoWindow();
}

QString TMyDirectShowPlayer::VideoSinkName() const
{
    return IsOpen() ? d->videoSinkFactory : QString();
}

QRect TMyDirectShowPlayer::VideoWindowRect() const
{
    return m_videoWindow ? m_videoWindow->geometry() : QRect();
}

void TMyDirectShowPlayer::LayoutVideoWindow()
{
    if (!m_videoWindow || !m_videoOwner || WallVideo)
        return;
    const int W = m_videoOwner->width();
    const int H = m_videoOwner->height();
    QRect box(0, 0, W, H);
    if (HasVideo() && m_keepAspect && !d->sinkKeepsAspect) {
        int w = W;
        int h = HeightForWidth(W);
        if (H < h) {
            h = H;
            w = WidthForHeight(H);
        }
        box = QRect((W - w) / 2, (H - h) / 2, w, h);
    }
    if (box.width() < 1 || box.height() < 1)
        box.setSize(QSize(std::max(box.width(), 1), std::max(box.height(), 1)));
    if (m_videoWindow->geometry() == box)
        return;
    m_videoWindow->setGeometry(box);
    if (d->videoSink && d->windowSink && !m_opening)
        ScheduleSinkRefresh();
}

void TMyDirectShowPlayer::PlaceVideoWindow(const QRect &rect)
{
    if (!m_videoWindow || m_videoWindow->geometry() == rect)
        return;
    m_videoWindow->setGeometry(rect);
    if (d->videoSink && d->windowSink)
        ScheduleSinkRefresh();
}

void TMyDirectShowPlayer::ScheduleSinkRefresh()
{
    // The window system applies the new geometry a moment later; the sink must ask after that.
    if (!m_refreshTimer) {
        m_refreshTimer = new QTimer(this);
        m_refreshTimer->setSingleShot(true);
        m_refreshTimer->setInterval(40);
        connect(m_refreshTimer, &QTimer::timeout, this, [this] { RefreshSink(); });
    }
    m_refreshTimer->start();
}

void TMyDirectShowPlayer::RefreshSink()
{
    if (!d->videoSink || !d->windowSink)
        return;
    // ximagesink scales by asking upstream for the window's size: make it ask again, and while
    // not running decode the shown frame again at that size.
    gst_video_overlay_expose(GST_VIDEO_OVERLAY(d->videoSink.get()));
    if (d->sizeFilter && m_videoWindow) {
        const qreal ratio = m_videoWindow->devicePixelRatio();
        const int w = std::max(1, int(std::lround(m_videoWindow->width() * ratio)));
        const int h = std::max(1, int(std::lround(m_videoWindow->height() * ratio)));
        GstCaps *caps = gst_caps_new_simple("video/x-raw", "width", G_TYPE_INT, w, "height", G_TYPE_INT, h,
                                            "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1, nullptr);
        g_object_set(d->sizeFilter.get(), "caps", caps, nullptr);
        gst_caps_unref(caps);
    }
    PadRef pad = PadRef::Adopt(gst_element_get_static_pad(d->videoSink.get(), "sink"));
    if (pad)
        gst_pad_push_event(pad.get(), gst_event_new_reconfigure());
    if (GetPlayState() != psRunning && !d->seekPending)
        SeekTo(Position(), m_rate);
}

bool TMyDirectShowPlayer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_videoOwner) {
        if (event->type() == QEvent::Resize)
            LayoutVideoWindow();
        else if (event->type() == QEvent::PlatformSurface &&
                 static_cast<QPlatformSurfaceEvent *>(event)->surfaceEventType() ==
                     QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed && d->windowSink)
            Close();  // the sink must not draw into a window that is going away
    } else if (watched == m_videoWindow) {
        if (event->type() == QEvent::Expose && d->videoSink && d->windowSink)
            gst_video_overlay_expose(GST_VIDEO_OVERLAY(d->videoSink.get()));
        else if (event->type() == QEvent::PlatformSurface &&
                 static_cast<QPlatformSurfaceEvent *>(event)->surfaceEventType() ==
                     QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed && d->windowSink)
            Close();
    }
    return QObject::eventFilter(watched, event);
}

// Facts for display

int TMyDirectShowPlayer::WidthForHeight(int h) const
{
    return HasVideo() ? int(RoundHalfAway(AspectRatio() * h)) : 0;
}

int TMyDirectShowPlayer::HeightForWidth(int w) const
{
    return HasVideo() ? int(double(m_videoHeight) / double(m_videoWidth) * w) : 0;
}

QString TMyDirectShowPlayer::DurationText() const
{
    const long long s = DurationSeconds();
    return s <= 0 ? QStringLiteral("-") : SecondsText(s);
}

void TMyDirectShowPlayer::ReadFileFacts() const
{
    // Read once per opening: the information panel asks for them on every tick.
    if (m_fileFactsRead)
        return;
    m_fileFactsRead = true;
    const QString size = FormatFileSize(m_fileName);
    m_fileSizeText = size == QLatin1String("0B") ? QString() : size;
    m_fileDateText = FileWriteTimeText(m_fileName);
}

QString TMyDirectShowPlayer::FileSizeText() const
{
    ReadFileFacts();
    return m_fileSizeText;
}

QString TMyDirectShowPlayer::FileDateText() const
{
    ReadFileFacts();
    return m_fileDateText;
}

QString TMyDirectShowPlayer::FileNameOnly() const
{
    return ExtractFileName(m_fileName);
}

QString TMyDirectShowPlayer::FileFolder() const
{
    return ExtractFileDir(m_fileName);
}

std::array<int, 6> TMyDirectShowPlayer::QualityStats() const
{
    std::array<int, 6> stats{};
    if (!d->pipeline || !HasVideoSize())
        return stats;
    guint64 rendered = 0, dropped = 0;
    if (d->videoSink) {
        GObjectClass *klass = G_OBJECT_GET_CLASS(d->videoSink.get());
        if (g_object_class_find_property(klass, "stats")) {
            GstStructure *s = nullptr;
            g_object_get(d->videoSink.get(), "stats", &s, nullptr);
            if (s) {
                gst_structure_get_uint64(s, "rendered", &rendered);
                gst_structure_get_uint64(s, "dropped", &dropped);
                gst_structure_free(s);
            }
        }
    }
    auto &q = d->quality;
    std::lock_guard<std::mutex> g(q.lock);
    if (q.frames > 1 && q.lastWall > q.firstWall)
        stats[0] = int(RoundHalfAway(double(q.frames - 1) * 1e6 / double(q.lastWall - q.firstWall) * 100.0));
    if (q.frames > 0) {
        const double mean = q.sumOffset / double(q.frames);
        stats[1] = int(RoundHalfAway(mean));
        stats[2] = int(RoundHalfAway(std::sqrt(std::max(0.0, q.sumOffset2 / double(q.frames) - mean * mean))));
    }
    stats[3] = int(std::min<guint64>(rendered, INT_MAX));
    stats[4] = int(std::min<guint64>(dropped, INT_MAX));
    if (q.intervals > 0) {
        const double mean = q.sumInterval / double(q.intervals);
        stats[5] = int(RoundHalfAway(std::sqrt(std::max(0.0, q.sumInterval2 / double(q.intervals) - mean * mean))));
    }
    return stats;
}

bool TMyDirectShowPlayer::SaveGraph(const QString &path)
{
    if (!d->pipeline) {
        platform::ShowMessage(QStringLiteral("フィルタグラフは作成されていません"));
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray text = kGraphHeader;
    text += "\n# ";
    text += QFileInfo(m_fileName).fileName().toUtf8().replace('\n', ' ');
    text += "\nplaybin uri=\"" + d->uri + "\"\n";
    if (file.write(text) != text.size()) {
        file.cancelWriting();
        return false;
    }
    return platform::CommitSaveFile(file);
}

// TMyDSPlayer

TMyDSPlayer::TMyDSPlayer(QObject *owner)
    : TMyDirectShowPlayer(owner), m_playlist(std::make_unique<TMyDSPlaylist>(this))
{
    OnMediaEnded = [this](TMyDirectShowPlayer *) { DefaultMediaEnded(); };
}

TMyDSPlayer::~TMyDSPlayer()
{
    OnMediaOpen = OnMediaStart = OnMediaEnded = OnMediaPaused = OnMediaPlay = OnMediaStopped = OnMediaClosed =
        OnMediaError = OnMediaDeleted = nullptr;
    OnMediaEvent = nullptr;
    OnVideoSizeChange = nullptr;
    TMyDSPlayer::Unload();
}

bool TMyDSPlayer::Open(const QString &fileName)
{
    int found = -1;
    for (int i = 0; i < m_playlist->Count(); ++i)
        if (m_playlist->Get(i) == fileName) {
            found = i;
            break;
        }
    if (found < 0)
        found = m_playlist->AddObject(fileName, m_playlist->CreateTagFor(fileName));
    ItemIndex = found;
    return TMyDirectShowPlayer::Open(fileName);
}

void TMyDSPlayer::Unload()
{
    if (WallVideo)
        StopWallVideo();  // the desktop shows its own picture again
    TMyDirectShowPlayer::Unload();
    m_playlist->Clear();
    ItemIndex = -1;
}

bool TMyDSPlayer::OpenIndex(int index)
{
    if (m_playlist->Count() == 0)
        return false;
    ItemIndex = std::clamp(index, 0, m_playlist->Count() - 1);
    return TMyDirectShowPlayer::Open(m_playlist->Get(ItemIndex));
}

void TMyDSPlayer::PlayIndex(int index)
{
    if (OpenIndex(index))
        Play();
}

void TMyDSPlayer::OpenAndPlay(const QString &fileName)
{
    if (Open(fileName))
        Play();
}

void TMyDSPlayer::PlayNext()
{
    PlayIndex(NextIndex(+1));
}

void TMyDSPlayer::PlayBack()
{
    PlayIndex(NextIndex(-1));
}

int TMyDSPlayer::NextIndex(int step) const
{
    const int count = m_playlist->Count();
    if (count == 0)
        return -1;
    // An index left out of range (by the list changing under it) counts as the nearest entry.
    const int current = ItemIndex < 0 ? -1 : std::min(ItemIndex, count - 1);
    switch (PlayMode) {
    case pmRevers:
        step = -step;
        break;
    case pmRandom: {
        if (count < 2)
            return count - 1;
        int pick;
        do
            pick = int(QRandomGenerator::global()->bounded(count));
        while (pick == current);
        return pick;
    }
    case pmNone:
        return current;
    case pmNormal:
    default:
        break;
    }
    if (RepeatMode == rmNone) {
        const long long next = (long long)current + step;
        if ((step < 0 && next < 0) || (step > 0 && next > count - 1))
            return -1;
        return int(next);
    }
    if (current < 0)
        return 0;
    long long next = ((long long)current + step) % count;
    if (next < 0)
        next += count;
    return int(next);
}

QStringList TMyDSPlayer::AllowExt() const
{
    return m_playlist->AllowedExtensions();
}

void TMyDSPlayer::SetAllowExt(const QStringList &extensions)
{
    m_playlist->SetAllowedExtensions(extensions);
}

QStringList TMyDSPlayer::DisallowExt() const
{
    return m_playlist->DeniedExtensions();
}

void TMyDSPlayer::SetDisallowExt(const QStringList &extensions)
{
    m_playlist->SetDeniedExtensions(extensions);
}

void TMyDSPlayer::DefaultMediaEnded()
{
    if (m_playlist->Count() == 0)
        Close();
    else if (RepeatMode != rmAll || m_playlist->Count() < 2)
        Replay();
    else
        PlayNext();
}

void TMyDSPlayer::StartWallVideo(int monitorIndex)
{
    if (!IsOpen()) {
        StopWallVideo();
        return;
    }
    WallVideo = true;
    if (HasVideo()) {
        const QList<QScreen *> screens = QGuiApplication::screens();
        QScreen *screen = nullptr;
        if (monitorIndex >= 0 && monitorIndex < screens.size())
            screen = screens[monitorIndex];
        else if (VideoOwner())
            screen = VideoOwner()->screen();
        if (!screen && !screens.isEmpty())
            screen = screens.first();
        if (screen) {
            monitorIndex = int(screens.indexOf(screen));
            const int W = screen->geometry().width();
            const int H = screen->geometry().height();
            const double w0 = VideoWidth(), h0 = VideoHeight();
            int width = W;
            int height = int(h0 / w0 * W);
            if (height < H) {
                height = H;
                width = int(w0 / h0 * H);
            }
            PlaceVideoWindow(QRect((W - width) / 2, (H - height) / 2, width, height));
        }
    }
    if (OnShowWallVideo)
        OnShowWallVideo(monitorIndex, OverlayColorKey());
}

void TMyDSPlayer::StopWallVideo()
{
    WallVideo = false;
    LayoutVideoWindow();
    if (OnHideWallVideo)
        OnHideWallVideo();
}
