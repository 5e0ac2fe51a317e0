#pragma once
// The thin layer over GStreamer that the player, the measurement and the frame capture share:
// initialisation once per process, owning handles for GStreamer objects, and elements looked up
// by the names the program stores.

#include <QString>
#include <QStringList>

#include <gst/gst.h>

#include <utility>

namespace engine {

// Initialises GStreamer once per process (from any thread); false when that failed, and then
// every later call is false too.
bool EnsureGStreamer();

// How each kind of GStreamer object is referenced and released.
template <typename T>
struct GstRefTraits;

#define TAVIO_GST_OBJECT_TRAITS(Type)                                                     \
    template <>                                                                           \
    struct GstRefTraits<Type> {                                                           \
        static void Ref(Type *p) { gst_object_ref(p); }                                   \
        static void Unref(Type *p) { gst_object_unref(p); }                               \
    };
TAVIO_GST_OBJECT_TRAITS(GstObject)
TAVIO_GST_OBJECT_TRAITS(GstElement)
TAVIO_GST_OBJECT_TRAITS(GstBin)
TAVIO_GST_OBJECT_TRAITS(GstPipeline)
TAVIO_GST_OBJECT_TRAITS(GstBus)
TAVIO_GST_OBJECT_TRAITS(GstPad)
TAVIO_GST_OBJECT_TRAITS(GstClock)
TAVIO_GST_OBJECT_TRAITS(GstElementFactory)
TAVIO_GST_OBJECT_TRAITS(GstPluginFeature)
#undef TAVIO_GST_OBJECT_TRAITS

#define TAVIO_GST_MINI_TRAITS(Type, ref, unref)                                           \
    template <>                                                                           \
    struct GstRefTraits<Type> {                                                           \
        static void Ref(Type *p) { ref(p); }                                              \
        static void Unref(Type *p) { unref(p); }                                          \
    };
TAVIO_GST_MINI_TRAITS(GstMessage, gst_message_ref, gst_message_unref)
TAVIO_GST_MINI_TRAITS(GstCaps, gst_caps_ref, gst_caps_unref)
TAVIO_GST_MINI_TRAITS(GstBuffer, gst_buffer_ref, gst_buffer_unref)
TAVIO_GST_MINI_TRAITS(GstSample, gst_sample_ref, gst_sample_unref)
TAVIO_GST_MINI_TRAITS(GstEvent, gst_event_ref, gst_event_unref)
TAVIO_GST_MINI_TRAITS(GstQuery, gst_query_ref, gst_query_unref)
TAVIO_GST_MINI_TRAITS(GstTagList, gst_tag_list_ref, gst_tag_list_unref)
#undef TAVIO_GST_MINI_TRAITS

// An owned reference: copying takes another reference, destruction drops it.
template <typename T>
class GstRef {
public:
    GstRef() = default;
    ~GstRef() { reset(); }
    GstRef(const GstRef &other) : m_p(other.m_p)
    {
        if (m_p)
            GstRefTraits<T>::Ref(m_p);
    }
    GstRef(GstRef &&other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    GstRef &operator=(GstRef other) noexcept
    {
        std::swap(m_p, other.m_p);
        return *this;
    }

    // Takes over a reference the caller owns (the "transfer full" results of GStreamer calls).
    static GstRef Adopt(T *p)
    {
        GstRef r;
        r.m_p = p;
        return r;
    }
    // Takes a new reference to an object the caller does not own.
    static GstRef Share(T *p)
    {
        GstRef r;
        r.m_p = p;
        if (p)
            GstRefTraits<T>::Ref(p);
        return r;
    }

    T *get() const { return m_p; }
    T *operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    T *release() { return std::exchange(m_p, nullptr); }
    void reset()
    {
        if (T *p = std::exchange(m_p, nullptr))
            GstRefTraits<T>::Unref(p);
    }

private:
    T *m_p = nullptr;
};

using ElementRef = GstRef<GstElement>;
using BusRef = GstRef<GstBus>;
using PadRef = GstRef<GstPad>;
using MessageRef = GstRef<GstMessage>;
using CapsRef = GstRef<GstCaps>;

// A GError owned until the end of the scope.
class GErrorHolder {
public:
    GErrorHolder() = default;
    ~GErrorHolder() { reset(); }
    GErrorHolder(const GErrorHolder &) = delete;
    GErrorHolder &operator=(const GErrorHolder &) = delete;
    GError **out() { reset(); return &m_error; }
    GError *get() const { return m_error; }
    explicit operator bool() const { return m_error != nullptr; }
    void reset()
    {
        if (m_error)
            g_error_free(m_error);
        m_error = nullptr;
    }

private:
    GError *m_error = nullptr;
};

// Text owned by GLib (g_free), turned into a QString.
QString TakeGString(gchar *text);

// The element factory for a name the program stores: an alias of the program's own names
// ("Video Renderer", "Default DirectSound Device", ...) first, then a factory name, then a
// factory's long name, all ignoring case. Null when nothing matches or GStreamer is missing.
GstRef<GstElementFactory> FindElementFactory(const QString &name);
// The factory names an alias stands for, in order of preference (empty for other names).
QStringList ElementAliasTargets(const QString &name);
// A new element from FindElementFactory, with its floating reference sunk (the handle owns a
// full reference; a bin it is added to takes its own). elementName may be empty.
ElementRef MakeElement(const QString &name, const QString &elementName = QString());

// The file name as a "file://" URI (absolute, percent-encoded), or a URL unchanged.
QByteArray UriOfFile(const QString &fileName);

} // namespace engine
