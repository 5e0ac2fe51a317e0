#include "platform/x11window.h"

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QCoreApplication>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace platform {

namespace {

xcb_atom_t Atom(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : XCB_ATOM_NONE;
    free(reply);
    return atom;
}

bool CreatedBy(xcb_connection_t *c, NativeWindow window)
{
    const xcb_setup_t *setup = xcb_get_setup(c);
    return setup && (window & ~setup->resource_id_mask) == setup->resource_id_base;
}

// Substructure notifications of the watched windows: children of other clients that arrive go
// into the save-set. The notifications are not passed on: the toolkit takes an event reported on
// one of its windows as news about that window itself (a child's configure notice would move it).
class ForeignChildKeeper : public QAbstractNativeEventFilter {
public:
    xcb_connection_t *connection = nullptr;
    std::vector<NativeWindow> watched;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        if (eventType != "xcb_generic_event_t" || watched.empty())
            return false;
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        const uint8_t type = event->response_type & 0x7f;
        switch (type) {
        case XCB_CREATE_NOTIFY:
        case XCB_DESTROY_NOTIFY:
        case XCB_UNMAP_NOTIFY:
        case XCB_MAP_NOTIFY:
        case XCB_REPARENT_NOTIFY:
        case XCB_CONFIGURE_NOTIFY:
        case XCB_GRAVITY_NOTIFY:
        case XCB_CIRCULATE_NOTIFY:
            break;
        default:
            return false;
        }
        // All of them carry the window reported on (for a creation: the parent) and the window
        // concerned at the same places.
        uint32_t reportedOn = 0, window = 0;
        std::memcpy(&reportedOn, reinterpret_cast<const char *>(event) + 4, 4);
        std::memcpy(&window, reinterpret_cast<const char *>(event) + 8, 4);
        if (window == reportedOn || std::find(watched.begin(), watched.end(), reportedOn) == watched.end())
            return false;
        bool arrived = type == XCB_CREATE_NOTIFY;
        if (type == XCB_REPARENT_NOTIFY) {
            const auto *reparent = static_cast<const xcb_reparent_notify_event_t *>(message);
            arrived = reparent->parent == reportedOn;
        }
        if (arrived && !CreatedBy(connection, window)) {
            xcb_change_save_set(connection, XCB_SET_MODE_INSERT, window);
            xcb_flush(connection);
        }
        return true;
    }
};

ForeignChildKeeper *Keeper()
{
    static ForeignChildKeeper *keeper = nullptr;
    if (!keeper && QCoreApplication::instance()) {
        keeper = new ForeignChildKeeper;
        QCoreApplication::instance()->installNativeEventFilter(keeper);
    }
    return keeper;
}

} // namespace

void MarkAsDesktopWindow(xcb_connection_t *c, NativeWindow window)
{
    if (!c || !window)
        return;
    const xcb_atom_t type = Atom(c, "_NET_WM_WINDOW_TYPE");
    const xcb_atom_t desktop = Atom(c, "_NET_WM_WINDOW_TYPE_DESKTOP");
    const xcb_atom_t state = Atom(c, "_NET_WM_STATE");
    const xcb_atom_t states[] = {Atom(c, "_NET_WM_STATE_BELOW"), Atom(c, "_NET_WM_STATE_SKIP_TASKBAR"),
                                 Atom(c, "_NET_WM_STATE_SKIP_PAGER")};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, type, XCB_ATOM_ATOM, 32, 1, &desktop);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, state, XCB_ATOM_ATOM, 32, 3, states);
    xcb_flush(c);
}

bool KeepForeignChildren(xcb_connection_t *c, NativeWindow window)
{
    if (!c || !window)
        return false;
    ForeignChildKeeper *keeper = Keeper();
    if (!keeper)
        return false;
    xcb_generic_error_t *error = nullptr;
    xcb_get_window_attributes_reply_t *attributes =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), &error);
    free(error);
    if (!attributes)
        return false;
    // The toolkit's own selection stays, substructure notices are added to it. Its redirection of
    // the children's map and configure requests goes (it selects that for a window transparent for
    // input): a foreign child would stay unmapped and unmoved, its requests left unanswered.
    const uint32_t mask = (attributes->your_event_mask | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY) &
                          ~uint32_t(XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT);
    free(attributes);
    keeper->connection = c;
    if (std::find(keeper->watched.begin(), keeper->watched.end(), window) == keeper->watched.end())
        keeper->watched.push_back(window);
    xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &mask);
    // Children already inside are kept too.
    if (xcb_query_tree_reply_t *tree = xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr)) {
        const xcb_window_t *children = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree); ++i)
            if (!CreatedBy(c, children[i]))
                xcb_change_save_set(c, XCB_SET_MODE_INSERT, children[i]);
        free(tree);
    }
    xcb_flush(c);
    return true;
}

void ForgetForeignChildren(NativeWindow window)
{
    ForeignChildKeeper *keeper = Keeper();
    if (!keeper)
        return;
    keeper->watched.erase(std::remove(keeper->watched.begin(), keeper->watched.end(), window), keeper->watched.end());
}

NativeWindow NativeParent(xcb_connection_t *c, NativeWindow window)
{
    if (!c || !window)
        return 0;
    xcb_generic_error_t *error = nullptr;  // a window that is gone answers with an error, kept here
    xcb_query_tree_reply_t *tree = xcb_query_tree_reply(c, xcb_query_tree(c, window), &error);
    free(error);
    const NativeWindow parent = tree ? tree->parent : 0;
    free(tree);
    return parent;
}

} // namespace platform
