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

}  // namespace quillory
