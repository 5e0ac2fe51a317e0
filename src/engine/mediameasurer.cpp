#include "engine/mediameasurer.h"

#include "engine/gstsupport.h"
#include "platform/files.h"

#include <QFile>

#include <gst/pbutils/pbutils.h>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace engine {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kTimestampFrames = 300;
constexpr long long kAsfTimeStepNs = 1000000;  // ASF keeps presentation times in milliseconds

struct DiscovererDeleter {
    void operator()(GstDiscoverer *d) const { g_object_unref(d); }
};
struct DiscovererInfoDeleter {
    void operator()(GstDiscovererInfo *i) const { g_object_unref(i); }
};

// Collects the presentation times of the first video stream an ASF demuxer puts out.
struct TimestampCollector {
    GstElement *pipeline = nullptr;
    std::mutex lock;
    std::vector<long long> times;
    bool haveVideo = false;
    bool finished = false;
};

GstPadProbeReturn OnVideoBuffer(GstPad *, GstPadProbeInfo *info, gpointer data)
{
    auto *c = static_cast<TimestampCollector *>(data);
    GstBuffer *buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    bool post = false;
    {
        std::lock_guard<std::mutex> guard(c->lock);
        if (c->finished)
            return GST_PAD_PROBE_OK;
        if (buffer && GST_BUFFER_PTS_IS_VALID(buffer))
            c->times.push_back((long long)GST_BUFFER_PTS(buffer));
        if (int(c->times.size()) >= kTimestampFrames) {
            c->finished = true;
            post = true;
        }
    }
    if (post)
        gst_element_post_message(c->pipeline,
                                 gst_message_new_application(GST_OBJECT(c->pipeline),
                                                             gst_structure_new_empty("tavio-frames")));
    return GST_PAD_PROBE_OK;
}

void OnDemuxPad(GstElement *, GstPad *pad, gpointer data)
{
    auto *c = static_cast<TimestampCollector *>(data);
    GstElement *sink = gst_element_factory_make("fakesink", nullptr);
    if (!sink)
        return;
    g_object_set(sink, "sync", FALSE, "async", FALSE, nullptr);
    gst_bin_add(GST_BIN(c->pipeline), sink);
    gst_element_sync_state_with_parent(sink);
    GstPad *sinkPad = gst_element_get_static_pad(sink, "sink");
    gst_pad_link(pad, sinkPad);
    gst_object_unref(sinkPad);

    GstCaps *caps = gst_pad_get_current_caps(pad);
    if (!caps)
        caps = gst_pad_query_caps(pad, nullptr);
    bool video = false;
    if (caps) {
        if (gst_caps_get_size(caps) > 0)
            video = g_str_has_prefix(gst_structure_get_name(gst_caps_get_structure(caps, 0)), "video/");
        gst_caps_unref(caps);
    }
    if (!video)
        return;
    {
        std::lock_guard<std::mutex> guard(c->lock);
        if (c->haveVideo)
            return;
        c->haveVideo = true;
    }
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, OnVideoBuffer, c, nullptr);
}

// The frame rate of an ASF file's first video stream from its presentation times; 0 when they
// do not tell. (The ASF demuxer reports 25/1 for streams whose rate it does not know.)
double AsfFrameRateFromTimestamps(const QString &fileName, Clock::time_point deadline)
{
    TimestampCollector c;
    c.pipeline = gst_pipeline_new(nullptr);
    GstElement *source = gst_element_factory_make("filesrc", nullptr);
    GstElement *demux = gst_element_factory_make("asfdemux", nullptr);
    if (!c.pipeline || !source || !demux) {
        if (source)
            gst_object_unref(gst_object_ref_sink(source));
        if (demux)
            gst_object_unref(gst_object_ref_sink(demux));
        if (c.pipeline)
            gst_object_unref(c.pipeline);
        return 0;
    }
    const QByteArray native = QFile::encodeName(fileName);
    g_object_set(source, "location", native.constData(), nullptr);
    gst_bin_add_many(GST_BIN(c.pipeline), source, demux, nullptr);
    double rate = 0;
    if (gst_element_link(source, demux)) {
        g_signal_connect(demux, "pad-added", G_CALLBACK(OnDemuxPad), &c);
        GstBus *bus = gst_element_get_bus(c.pipeline);
        if (gst_element_set_state(c.pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE) {
            for (;;) {
                const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Clock::now());
                if (left.count() <= 0)
                    break;
                GstMessage *m = gst_bus_timed_pop_filtered(
                    bus, GstClockTime(left.count()),
                    GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR | GST_MESSAGE_APPLICATION));
                if (!m)
                    break;  // out of time
                gst_message_unref(m);
                break;
            }
        }
        gst_element_set_state(c.pipeline, GST_STATE_NULL);
        gst_object_unref(bus);
        std::lock_guard<std::mutex> guard(c.lock);
        rate = FrameRateFromTimestamps(std::move(c.times), kAsfTimeStepNs);
    }
    gst_object_unref(c.pipeline);
    return rate;
}

bool IsAsf(GstDiscovererInfo *info)
{
    GstDiscovererStreamInfo *top = gst_discoverer_info_get_stream_info(info);
    if (!top)
        return false;
    bool asf = false;
    if (GstCaps *caps = gst_discoverer_stream_info_get_caps(top)) {
        if (gst_caps_get_size(caps) > 0)
            asf = g_str_equal(gst_structure_get_name(gst_caps_get_structure(caps, 0)), "video/x-ms-asf");
        gst_caps_unref(caps);
    }
    gst_discoverer_stream_info_unref(top);
    return asf;
}

} // namespace

double FrameRateFromTimestamps(std::vector<long long> times, long long step)
{
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    if (times.size() < 3)
        return 0;
    const double intervals = double(times.size() - 1);
    const double span = double(times.back() - times.front());
    if (span <= 0)
        return 0;
    const double estimate = intervals * 1e9 / span;
    if (step <= 0)
        return estimate;
    // Each time is off by less than one step, so the span is too.
    const double slack = 1e-9 * span;
    const double low = intervals * 1e9 / (span + double(step) + slack);
    const double high = double(step) < span ? intervals * 1e9 / (span - double(step) - slack) : HUGE_VAL;
    const auto nearestIn = [&](double scale) -> double {
        // Candidates n * scale inside [low, high], the one nearest the estimate.
        const double first = std::ceil(low / scale);
        const double last = std::floor(high / scale);
        if (!(first <= last) || first < 1)
            return 0;
        double n = std::round(estimate / scale);
        n = std::clamp(n, first, last);
        return n * scale;
    };
    if (const double whole = nearestIn(1.0); whole > 0)
        return whole;
    if (const double ntsc = nearestIn(1000.0 / 1001.0); ntsc > 0)
        return ntsc;
    return estimate;
}

double AsfFrameRate(const QString &fileName, std::chrono::milliseconds timeout)
{
    if (fileName.isEmpty() || timeout.count() <= 0 || !platform::GetFileStatus(fileName).isRegular ||
        !EnsureGStreamer())
        return 0;
    return AsfFrameRateFromTimestamps(fileName, Clock::now() + timeout);
}

TMediaInfo MeasureMedia(const QString &fileName, std::chrono::milliseconds timeout)
{
    const Clock::time_point deadline = Clock::now() + timeout;
    if (fileName.isEmpty() || timeout.count() <= 0)
        return {};
    // Only regular files: a FIFO or a device would block the source element.
    if (!platform::GetFileStatus(fileName).isRegular)
        return {};
    if (!EnsureGStreamer())
        return {};

    GErrorHolder error;
    const GstClockTime limit = GstClockTime(std::max<long long>(timeout.count(), 1)) * GST_MSECOND;
    std::unique_ptr<GstDiscoverer, DiscovererDeleter> discoverer(gst_discoverer_new(limit, error.out()));
    if (!discoverer)
        return {};
    const QByteArray uri = UriOfFile(fileName);
    std::unique_ptr<GstDiscovererInfo, DiscovererInfoDeleter> info(
        gst_discoverer_discover_uri(discoverer.get(), uri.constData(), error.out()));
    if (!info)
        return {};
    const GstDiscovererResult result = gst_discoverer_info_get_result(info.get());
    if (result != GST_DISCOVERER_OK && result != GST_DISCOVERER_MISSING_PLUGINS)
        return {};

    TMediaInfo media;
    const GstClockTime duration = gst_discoverer_info_get_duration(info.get());
    if (GST_CLOCK_TIME_IS_VALID(duration))
        media.Duration = double(duration) / double(GST_SECOND);

    GList *videos = gst_discoverer_info_get_video_streams(info.get());
    for (GList *l = videos; l; l = l->next) {
        auto *video = static_cast<GstDiscovererVideoInfo *>(l->data);
        if (gst_discoverer_video_info_is_image(video))
            continue;  // cover art of an audio file is no video
        const int width = int(gst_discoverer_video_info_get_width(video));
        const int height = int(gst_discoverer_video_info_get_height(video));
        if (width > 0 && height > 0) {
            media.Width = width;
            media.Height = height;
        }
        media.FrameRate = FrameRateFromFraction(gst_discoverer_video_info_get_framerate_num(video),
                                                gst_discoverer_video_info_get_framerate_denom(video));
        break;
    }
    gst_discoverer_stream_info_list_free(videos);

    if (media.Width > 0 && IsAsf(info.get())) {
        const double measured = AsfFrameRateFromTimestamps(fileName, deadline);
        if (measured > 0)
            media.FrameRate = FrameRateFromFrameTime(1.0 / measured);
    }
    if (Clock::now() > deadline)
        return {};  // the time limit holds for the whole measurement
    return media;
}

void InstallMediaMeasurer(std::chrono::milliseconds timeout)
{
    SetMediaMeasurer([timeout](const QString &fileName) { return MeasureMedia(fileName, timeout); });
}

} // namespace engine
