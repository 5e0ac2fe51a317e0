#include "engine/gstbusbridge.h"

#include <QMetaObject>
#include <QPointer>

#include <deque>
#include <mutex>

namespace engine {

// Shared by the bridge and the sync handler, which may outlive each other by a moment.
struct TGstBusBridge::State {
    std::mutex lock;
    QObject *receiver = nullptr;      // null once the bridge is detached or destroyed
    TGstBusBridge *bridge = nullptr;
    quint64 generation = 0;           // of the current attachment
    std::deque<std::pair<quint64, GstMessage *>> queue;
    bool drainPosted = false;

    ~State()
    {
        for (auto &entry : queue)
            gst_message_unref(entry.second);
    }
};

namespace {

struct HandlerData {
    std::shared_ptr<TGstBusBridge::State> state;
    quint64 generation;
};

void FreeHandlerData(gpointer data)
{
    delete static_cast<HandlerData *>(data);
}

GstBusSyncReply OnSyncMessage(GstBus *, GstMessage *message, gpointer data)
{
    auto *h = static_cast<HandlerData *>(data);
    TGstBusBridge::State &s = *h->state;
    std::lock_guard<std::mutex> guard(s.lock);
    if (!s.receiver || s.generation != h->generation)
        return GST_BUS_DROP;
    s.queue.emplace_back(h->generation, gst_message_ref(message));
    if (!s.drainPosted) {
        s.drainPosted = true;
        // The receiver cannot go away meanwhile: detaching takes the lock first. If it is
        // destroyed before the call runs, Qt drops the queued call with it.
        TGstBusBridge *bridge = s.bridge;
        QMetaObject::invokeMethod(s.receiver, [bridge] { bridge->Drain(); }, Qt::QueuedConnection);
    }
    return GST_BUS_DROP;
}

} // namespace

TGstBusBridge::TGstBusBridge(QObject *parent) : QObject(parent), m_state(std::make_shared<State>())
{
    m_state->bridge = this;
}

TGstBusBridge::~TGstBusBridge()
{
    Detach();
    std::lock_guard<std::mutex> guard(m_state->lock);
    m_state->bridge = nullptr;
}

bool TGstBusBridge::Attach(GstElement *pipeline, Handler handler)
{
    Detach();
    if (!pipeline)
        return false;
    GstBus *bus = gst_element_get_bus(pipeline);
    if (!bus)
        return false;
    quint64 generation;
    {
        std::lock_guard<std::mutex> guard(m_state->lock);
        generation = ++m_state->generation;
        m_state->receiver = this;
    }
    m_handler = std::move(handler);
    m_bus = bus;
    gst_bus_set_sync_handler(bus, OnSyncMessage, new HandlerData{m_state, generation}, FreeHandlerData);
    return true;
}

void TGstBusBridge::Detach()
{
    std::deque<std::pair<quint64, GstMessage *>> dropped;
    {
        std::lock_guard<std::mutex> guard(m_state->lock);
        m_state->receiver = nullptr;
        ++m_state->generation;
        dropped.swap(m_state->queue);
    }
    for (auto &entry : dropped)
        gst_message_unref(entry.second);
    if (m_bus) {
        gst_bus_set_sync_handler(m_bus, nullptr, nullptr, nullptr);
        gst_object_unref(m_bus);
        m_bus = nullptr;
    }
    m_handler = nullptr;
}

bool TGstBusBridge::IsAttached() const
{
    return m_bus != nullptr;
}

int TGstBusBridge::Pending() const
{
    std::lock_guard<std::mutex> guard(m_state->lock);
    return int(m_state->queue.size());
}

int TGstBusBridge::Drain()
{
    if (m_draining)
        return 0;  // a handler that waits and drains again gets the rest in the outer loop
    m_draining = true;
    int delivered = 0;
    for (;;) {
        GstMessage *message = nullptr;
        {
            std::lock_guard<std::mutex> guard(m_state->lock);
            if (m_state->queue.empty()) {
                m_state->drainPosted = false;
                break;
            }
            auto entry = m_state->queue.front();
            m_state->queue.pop_front();
            if (entry.first != m_state->generation || !m_state->receiver) {
                gst_message_unref(entry.second);
                continue;
            }
            message = entry.second;
        }
        // A copy: the handler may detach (which clears m_handler) while it runs.
        const Handler handler = m_handler;
        if (handler)
            handler(message);
        gst_message_unref(message);
        ++delivered;
    }
    m_draining = false;
    return delivered;
}

} // namespace engine
