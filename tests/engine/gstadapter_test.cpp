// The GStreamer adapter: bus messages reach the owner's thread in order and never after
// detaching; errors map to the program's failure results; elements are found by stored names.
#include "engine/gstbusbridge.h"
#include "engine/gsterrors.h"
#include "engine/gstsupport.h"

#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gio/gio.h>

#include <thread>
#include <vector>

using namespace engine;

namespace {

QCoreApplication *App()
{
    static int argc = 1;
    static char name[] = "gstadapter_test";
    static char *argv[] = {name, nullptr};
    static QCoreApplication *app = QCoreApplication::instance() ? QCoreApplication::instance()
                                                                 : new QCoreApplication(argc, argv);
    return app;
}

// Runs the event loop until the condition holds or the time is up.
template <typename Condition>
bool SpinUntil(Condition done, int ms = 5000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

int SequenceOf(GstMessage *m)
{
    const GstStructure *s = gst_message_get_structure(m);
    int n = -1;
    if (s && gst_structure_has_name(s, "seq"))
        gst_structure_get_int(s, "n", &n);
    return n;
}

void PostSequence(GstElement *pipeline, int from, int to)
{
    for (int i = from; i < to; ++i)
        gst_element_post_message(pipeline, gst_message_new_application(
                                               GST_OBJECT(pipeline), gst_structure_new("seq", "n", G_TYPE_INT, i, nullptr)));
}

class GstAdapterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        ASSERT_TRUE(EnsureGStreamer());
    }
};

TEST_F(GstAdapterTest, MessagesFromOtherThreadsArriveOnOwnerThreadInOrder)
{
    ElementRef pipeline = ElementRef::Adopt(GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new("p"))));
    TGstBusBridge bridge;
    std::vector<int> seen;
    bool offThread = false;
    ASSERT_TRUE(bridge.Attach(pipeline.get(), [&](GstMessage *m) {
        offThread |= QThread::currentThread() != App()->thread();
        if (SequenceOf(m) >= 0)
            seen.push_back(SequenceOf(m));
    }));
    std::thread a([&] { PostSequence(pipeline.get(), 0, 200); });
    a.join();
    std::thread b([&] { PostSequence(pipeline.get(), 200, 400); });
    b.join();
    ASSERT_TRUE(SpinUntil([&] { return seen.size() == 400; }));
    EXPECT_FALSE(offThread);
    for (int i = 0; i < 400; ++i)
        ASSERT_EQ(seen[size_t(i)], i);
}

TEST_F(GstAdapterTest, RunningPipelineDeliversEndOfStream)
{
    GErrorHolder error;
    ElementRef pipeline = ElementRef::Adopt(GST_ELEMENT(gst_object_ref_sink(
        gst_parse_launch("fakesrc num-buffers=20 ! fakesink", error.out()))));
    ASSERT_TRUE(pipeline);
    TGstBusBridge bridge;
    bool eos = false;
    int stateChanges = 0;
    bridge.Attach(pipeline.get(), [&](GstMessage *m) {
        if (GST_MESSAGE_TYPE(m) == GST_MESSAGE_EOS)
            eos = true;
        if (GST_MESSAGE_TYPE(m) == GST_MESSAGE_STATE_CHANGED && GST_MESSAGE_SRC(m) == GST_OBJECT(pipeline.get()))
            ++stateChanges;
    });
    gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
    EXPECT_TRUE(SpinUntil([&] { return eos; }));
    EXPECT_GE(stateChanges, 3);  // NULL->READY->PAUSED->PLAYING
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
}

TEST_F(GstAdapterTest, NothingIsDeliveredAfterDetach)
{
    ElementRef pipeline = ElementRef::Adopt(GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new("p"))));
    TGstBusBridge bridge;
    int delivered = 0;
    bridge.Attach(pipeline.get(), [&](GstMessage *) { ++delivered; });
    PostSequence(pipeline.get(), 0, 50);  // queued, drain not yet run
    EXPECT_EQ(bridge.Pending(), 50);
    bridge.Detach();
    PostSequence(pipeline.get(), 50, 60);  // after closing: not even queued
    SpinUntil([] { return false; }, 200);
    EXPECT_EQ(delivered, 0);
    EXPECT_EQ(bridge.Pending(), 0);

    // Re-attached, only the new pipeline's messages arrive.
    ElementRef second = ElementRef::Adopt(GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new("q"))));
    std::vector<int> seen;
    bridge.Attach(second.get(), [&](GstMessage *m) { seen.push_back(SequenceOf(m)); });
    PostSequence(pipeline.get(), 100, 110);
    PostSequence(second.get(), 0, 3);
    ASSERT_TRUE(SpinUntil([&] { return seen.size() == 3; }));
    SpinUntil([] { return false; }, 100);
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2}));
}

TEST_F(GstAdapterTest, HandlerMayCloseThePipelineMidDrain)
{
    ElementRef pipeline = ElementRef::Adopt(GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new("p"))));
    auto bridge = std::make_unique<TGstBusBridge>();
    std::vector<int> seen;
    bridge->Attach(pipeline.get(), [&](GstMessage *m) {
        seen.push_back(SequenceOf(m));
        if (SequenceOf(m) == 2)
            bridge->Detach();  // as the player does on an error
    });
    PostSequence(pipeline.get(), 0, 10);
    SpinUntil([] { return false; }, 200);
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2}));

    // A bridge destroyed with a drain pending neither delivers nor crashes.
    int late = 0;
    bridge->Attach(pipeline.get(), [&](GstMessage *) { ++late; });
    PostSequence(pipeline.get(), 0, 5);
    bridge.reset();
    PostSequence(pipeline.get(), 5, 10);
    SpinUntil([] { return false; }, 100);
    EXPECT_EQ(late, 0);
}

TEST_F(GstAdapterTest, ErrorsMapToFailureResults)
{
    struct Case {
        GQuark domain;
        int code;
        MediaResult expected;
    } cases[] = {
        {GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NOT_FOUND, MediaResult::FileNotFound},
        {GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_OPEN_READ, MediaResult::AccessDenied},
        {GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NOT_AUTHORIZED, MediaResult::AccessDenied},
        {GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_BUSY, MediaResult::NoAudioHardware},
        {GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_READ, MediaResult::Failed},
        {GST_STREAM_ERROR, GST_STREAM_ERROR_TYPE_NOT_FOUND, MediaResult::UnknownFileType},
        {GST_STREAM_ERROR, GST_STREAM_ERROR_CODEC_NOT_FOUND, MediaResult::CannotRender},
        {GST_STREAM_ERROR, GST_STREAM_ERROR_DEMUX, MediaResult::UnsupportedStream},
        {GST_STREAM_ERROR, GST_STREAM_ERROR_DECODE, MediaResult::UnsupportedStream},
        {GST_CORE_ERROR, GST_CORE_ERROR_MISSING_PLUGIN, MediaResult::CannotRender},
        {GST_CORE_ERROR, GST_CORE_ERROR_NEGOTIATION, MediaResult::CannotConnect},
        {GST_CORE_ERROR, GST_CORE_ERROR_STATE_CHANGE, MediaResult::Failed},
        {GST_LIBRARY_ERROR, GST_LIBRARY_ERROR_INIT, MediaResult::Failed},
        {G_FILE_ERROR, G_FILE_ERROR_NOENT, MediaResult::FileNotFound},
        {G_FILE_ERROR, G_FILE_ERROR_ACCES, MediaResult::AccessDenied},
        {G_IO_ERROR, G_IO_ERROR_NOT_FOUND, MediaResult::FileNotFound},
        {G_IO_ERROR, G_IO_ERROR_TIMED_OUT, MediaResult::Timeout},
        {g_quark_from_static_string("someone-else"), 1, MediaResult::Failed},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(g_quark_to_string(c.domain));
        EXPECT_EQ(MapMediaError(c.domain, c.code), c.expected) << c.code;
        EXPECT_FALSE(Succeeded(c.expected));
    }
    EXPECT_EQ(MapMediaError(nullptr), MediaResult::Ok);
    EXPECT_TRUE(Succeeded(MediaResult::Ok));
    EXPECT_EQ(MediaResultName(MediaResult::CannotRender), QStringLiteral("VFW_E_CANNOT_RENDER"));
}

// Real errors from real pipelines arrive through the bridge and map as the player needs them.
TEST_F(GstAdapterTest, PipelineErrorsThroughTheBridge)
{
    TestDir dir;
    const QString zeros = dir.Write(QStringLiteral("zeros.mp3"), QByteArray(4096, '\0'));
    const struct {
        QString description;
        MediaResult expected;
    } cases[] = {
        {QStringLiteral("filesrc location=/nonexistent/file.mp3 ! fakesink"), MediaResult::FileNotFound},
        {QStringLiteral("filesrc location=%1 ! typefind ! fakesink").arg(zeros), MediaResult::UnknownFileType},
        {QStringLiteral("filesrc location=%1 ! fakesink").arg(dir.Root()), MediaResult::AccessDenied},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.description.toStdString());
        GErrorHolder parseError;
        ElementRef pipeline = ElementRef::Adopt(
            GST_ELEMENT(gst_object_ref_sink(gst_parse_launch(c.description.toUtf8().constData(), parseError.out()))));
        ASSERT_TRUE(pipeline);
        TGstBusBridge bridge;
        MediaResult result = MediaResult::Ok;
        int errors = 0;
        bridge.Attach(pipeline.get(), [&](GstMessage *m) {
            if (GST_MESSAGE_TYPE(m) != GST_MESSAGE_ERROR || errors++)
                return;
            GError *e = nullptr;
            gst_message_parse_error(m, &e, nullptr);
            result = MapMediaError(e);
            g_error_free(e);
        });
        gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
        EXPECT_TRUE(SpinUntil([&] { return errors > 0; }));
        EXPECT_EQ(result, c.expected) << MediaResultName(result).toStdString();
        gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    }
}

TEST_F(GstAdapterTest, ElementsByStoredNames)
{
    struct Case {
        const char *name;
        const char *factory;  // nullptr: none
    } cases[] = {
        {"Video Renderer", "ximagesink"},
        {"video renderer", "ximagesink"},
        {"Default DirectSound Device", "autoaudiosink"},
        {"WM ASF Reader", "asfdemux"},
        {"FakeSink", "fakesink"},         // a factory name, other case
        {"Fake Sink", "fakesink"},        // a long name
        {"ffdshow Video Decoder", nullptr},
        {"", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto factory = FindElementFactory(QString::fromUtf8(c.name));
        if (!c.factory) {
            EXPECT_FALSE(factory);
            continue;
        }
        ASSERT_TRUE(factory);
        EXPECT_STREQ(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory.get())), c.factory);
    }
    ElementRef sink = MakeElement(QStringLiteral("FAKESINK"), QStringLiteral("mysink"));
    ASSERT_TRUE(sink);
    EXPECT_FALSE(g_object_is_floating(sink.get()));
    EXPECT_STREQ(GST_OBJECT_NAME(sink.get()), "mysink");
    // Added to a bin, the bin holds its own reference; ours stays valid after the bin is gone.
    ElementRef bin = ElementRef::Adopt(GST_ELEMENT(gst_object_ref_sink(gst_bin_new("b"))));
    gst_bin_add(GST_BIN(bin.get()), sink.get());
    bin.reset();
    EXPECT_EQ(GST_OBJECT_REFCOUNT_VALUE(sink.get()), 1);
}

TEST_F(GstAdapterTest, FileUris)
{
    EXPECT_EQ(UriOfFile(QStringLiteral("/tmp/a b#.mp3")), QByteArray("file:///tmp/a%20b%23.mp3"));
    EXPECT_EQ(UriOfFile(QStringLiteral("http://example.com/x.mp3")), QByteArray("http://example.com/x.mp3"));
    EXPECT_TRUE(UriOfFile(QString::fromUtf8("/tmp/音楽.mp3")).startsWith("file:///tmp/%E9%9F%B3"));
    // ":" is an ordinary character of a path: a folder ending in it does not make a URL.
    EXPECT_EQ(UriOfFile(QStringLiteral("/tmp/live:/x.mp3")), QByteArray("file:///tmp/live:/x.mp3"));
    EXPECT_TRUE(UriOfFile(QStringLiteral("/tmp/a://b.mp3")).startsWith("file:///tmp/a:"));
    EXPECT_TRUE(UriOfFile(QStringLiteral("no scheme://x.mp3")).startsWith("file:///"));
}

} // namespace
