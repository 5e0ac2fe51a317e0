#pragma once
// Bus messages of a pipeline delivered on the thread of a QObject (the user-interface thread for
// the player). A sync handler takes each message on whatever thread posts it, queues it and asks
// for one queued drain; the drain hands the messages to the handler in posting order. Once the
// bridge is detached (the pipeline closed) nothing more is delivered, not even messages that were
// already queued.

#include <QObject>

#include <gst/gst.h>

#include <functional>
#include <memory>

namespace engine {

class TGstBusBridge : public QObject {
    Q_OBJECT
public:
    // The handler does not own the message; it may Detach or re-Attach the bridge.
    using Handler = std::function<void(GstMessage *message)>;

    explicit TGstBusBridge(QObject *parent = nullptr);
    ~TGstBusBridge() override;

    // Takes the bus of the element (a pipeline); a bridge already attached detaches first.
    // False when the element has no bus.
    bool Attach(GstElement *pipeline, Handler handler);
    // From here on nothing is delivered; queued messages are dropped.
    void Detach();
    bool IsAttached() const;

    // Delivers what is queued now, on the calling thread (the bridge's own thread); the count
    // delivered. The queued drain calls this; code that waits in a loop may call it too.
    int Drain();
    // Messages waiting to be delivered.
    int Pending() const;

    struct State;

private:
    std::shared_ptr<State> m_state;
    Handler m_handler;
    GstBus *m_bus = nullptr;
    bool m_draining = false;
};

} // namespace engine
