#include "platform/ProcessWindows.h"

#include "platform/x11/X11Display.h"

#include <cstdlib>
#include <vector>

namespace quillory {

namespace {

std::vector<xcb_window_t> Children(xcb_connection_t* c, xcb_window_t window)
{
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr);
    if (!tree)
        return {};
    const xcb_window_t* children = xcb_query_tree_children(tree);
    std::vector<xcb_window_t> found(children, children + xcb_query_tree_children_length(tree));
    std::free(tree);
    return found;
}

bool Shown(xcb_connection_t* c, xcb_window_t window)
{
    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
        c, xcb_get_window_attributes(c, window), nullptr);
    const bool shown = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(attributes);
    return shown;
}

bool OfProcess(xcb_connection_t* c, xcb_window_t window, xcb_atom_t netWmPid, qint64 pid)
{
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, netWmPid, XCB_ATOM_CARDINAL, 0, 1), nullptr);
    const bool of = reply && reply->format == 32 && xcb_get_property_value_length(reply) == 4 &&
                    *static_cast<const std::uint32_t*>(xcb_get_property_value(reply)) == pid;
    std::free(reply);
    return of;
}

// A window of the process at most `depth` levels below `window`, viewable
// with all its ancestors.
xcb_window_t FindBelow(xcb_connection_t* c, xcb_window_t window, xcb_atom_t netWmPid, qint64 pid, int depth)
{
    for (xcb_window_t child : Children(c, window)) {
        if (!Shown(c, child))
            continue;
        if (OfProcess(c, child, netWmPid, pid))
            return child;
        if (depth > 1) {
            if (const xcb_window_t found = FindBelow(c, child, netWmPid, pid, depth - 1))
                return found;
        }
    }
    return XCB_WINDOW_NONE;
}

}  // namespace

quint64 FindShownWindowOfProcess(qint64 pid)
{
    xcb_connection_t* c = QtX11Connection();
    if (!c || pid <= 0)
        return 0;
    // A window manager keeps each window in a frame of its own, a level or
    // two below the root.
    constexpr int kFrameDepth = 3;
    return FindBelow(c, ScreenRootWindow(c), InternAtom(c, "_NET_WM_PID"), pid, kFrameDepth);
}

void HoldWindowWithin(quint64 window, quint64 parent, const QRect& rect)
{
    xcb_connection_t* c = QtX11Connection();
    if (!c || !window || !parent)
        return;
    const auto w = static_cast<xcb_window_t>(window);
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr);
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr);
    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w),
                                                                                    nullptr);
    if (tree && geometry && attributes) {
        if (!attributes->override_redirect) {
            const std::uint32_t overrideRedirect = 1;
            xcb_change_window_attributes(c, w, XCB_CW_OVERRIDE_REDIRECT, &overrideRedirect);
        }
        if (tree->parent != parent) {
            xcb_reparent_window(c, w, static_cast<xcb_window_t>(parent), static_cast<std::int16_t>(rect.x()),
                                static_cast<std::int16_t>(rect.y()));
        }
        if (tree->parent != parent || geometry->x != rect.x() || geometry->y != rect.y() ||
            geometry->width != rect.width() || geometry->height != rect.height() || geometry->border_width != 0) {
            const std::uint32_t values[] = {static_cast<std::uint32_t>(rect.x()), static_cast<std::uint32_t>(rect.y()),
                                            static_cast<std::uint32_t>(rect.width()),
                                            static_cast<std::uint32_t>(rect.height()), 0};
            xcb_configure_window(c, w,
                                 XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                                     XCB_CONFIG_WINDOW_HEIGHT | XCB_CONFIG_WINDOW_BORDER_WIDTH,
                                 values);
        }
        if (tree->parent != parent || attributes->map_state == XCB_MAP_STATE_UNMAPPED)
            xcb_map_window(c, w);
        xcb_flush(c);
    }
    std::free(tree);
    std::free(geometry);
    std::free(attributes);
}

void FocusWindow(quint64 window)
{
    xcb_connection_t* c = QtX11Connection();
    if (!c || !window)
        return;
    xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, static_cast<xcb_window_t>(window), XCB_CURRENT_TIME);
    xcb_flush(c);
}

}  // namespace quillory
