#pragma once
// Questions a test asks the X server directly, over a connection of its own: which windows are
// mapped on the root, their EWMH type, owning process and place, a window's parent, the root's
// properties. Header only; the tests that include it link libxcb through tavio_platform.

#include <QByteArray>
#include <QList>
#include <QRect>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

class X11Query {
public:
    explicit X11Query(const QByteArray &display)
    {
        m_c = xcb_connect(display.constData(), &m_screenNumber);
        if (xcb_connection_has_error(m_c)) {
            xcb_disconnect(m_c);
            m_c = nullptr;
            return;
        }
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_c));
        for (int i = 0; i < m_screenNumber && it.rem; ++i)
            xcb_screen_next(&it);
        m_root = it.data->root;
    }
    ~X11Query()
    {
        if (m_c)
            xcb_disconnect(m_c);
    }
    X11Query(const X11Query &) = delete;
    X11Query &operator=(const X11Query &) = delete;

    bool Ok() const { return m_c != nullptr; }
    xcb_window_t Root() const { return m_root; }

    xcb_atom_t Atom(const char *name) const
    {
        auto *r = xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t atom = r ? r->atom : XCB_ATOM_NONE;
        std::free(r);
        return atom;
    }

    QList<xcb_window_t> Children(xcb_window_t window) const
    {
        QList<xcb_window_t> result;
        xcb_generic_error_t *e = nullptr;
        if (auto *tree = xcb_query_tree_reply(m_c, xcb_query_tree(m_c, window), &e)) {
            const xcb_window_t *c = xcb_query_tree_children(tree);
            for (int i = 0; i < xcb_query_tree_children_length(tree); ++i)
                result.append(c[i]);
            std::free(tree);
        }
        std::free(e);
        return result;
    }

    // 0 when the window does not exist.
    xcb_window_t Parent(xcb_window_t window) const
    {
        xcb_generic_error_t *e = nullptr;
        auto *tree = xcb_query_tree_reply(m_c, xcb_query_tree(m_c, window), &e);
        std::free(e);
        const xcb_window_t parent = tree ? tree->parent : 0;
        std::free(tree);
        return parent;
    }

    bool Viewable(xcb_window_t window) const
    {
        xcb_generic_error_t *e = nullptr;
        auto *a = xcb_get_window_attributes_reply(m_c, xcb_get_window_attributes(m_c, window), &e);
        std::free(e);
        const bool viewable = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(a);
        return viewable;
    }

    // The window's rectangle in root coordinates.
    QRect Geometry(xcb_window_t window) const
    {
        xcb_generic_error_t *e = nullptr;
        auto *g = xcb_get_geometry_reply(m_c, xcb_get_geometry(m_c, window), &e);
        std::free(e);
        if (!g)
            return QRect();
        auto *t = xcb_translate_coordinates_reply(m_c, xcb_translate_coordinates(m_c, window, m_root, 0, 0), nullptr);
        const QRect r(t ? t->dst_x : g->x, t ? t->dst_y : g->y, g->width, g->height);
        std::free(t);
        std::free(g);
        return r;
    }

    // The 32-bit values of a property (atoms, cardinals).
    QList<quint32> Values(xcb_window_t window, const char *property) const
    {
        QList<quint32> result;
        auto *r = xcb_get_property_reply(
            m_c, xcb_get_property(m_c, 0, window, Atom(property), XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr);
        if (r && r->format == 32) {
            const auto *v = static_cast<const quint32 *>(xcb_get_property_value(r));
            for (int i = 0; i < xcb_get_property_value_length(r) / 4; ++i)
                result.append(v[i]);
        }
        std::free(r);
        return result;
    }

    // The viewable children of the root that say they are desktop windows of process pid.
    QList<xcb_window_t> DesktopWindowsOf(qint64 pid) const
    {
        QList<xcb_window_t> result;
        const xcb_atom_t desktop = Atom("_NET_WM_WINDOW_TYPE_DESKTOP");
        for (xcb_window_t w : Children(m_root))
            if (Viewable(w) && Values(w, "_NET_WM_WINDOW_TYPE").contains(desktop) &&
                Values(w, "_NET_WM_PID").value(0) == quint32(pid))
                result.append(w);
        return result;
    }

    // The root window's properties with their raw values: what a wallpaper change would touch.
    QList<QByteArray> RootProperties() const
    {
        QList<QByteArray> result;
        auto *list = xcb_list_properties_reply(m_c, xcb_list_properties(m_c, m_root), nullptr);
        if (!list)
            return result;
        const xcb_atom_t *atoms = xcb_list_properties_atoms(list);
        for (int i = 0; i < xcb_list_properties_atoms_length(list); ++i) {
            auto *r = xcb_get_property_reply(
                m_c, xcb_get_property(m_c, 0, m_root, atoms[i], XCB_GET_PROPERTY_TYPE_ANY, 0, 4096), nullptr);
            QByteArray entry = QByteArray::number(atoms[i]) + '=';
            if (r)
                entry += QByteArray(static_cast<const char *>(xcb_get_property_value(r)),
                                    xcb_get_property_value_length(r));
            std::free(r);
            result.append(entry);
        }
        std::free(list);
        std::sort(result.begin(), result.end());
        return result;
    }

private:
    xcb_connection_t *m_c = nullptr;
    int m_screenNumber = 0;
    xcb_window_t m_root = 0;
};
