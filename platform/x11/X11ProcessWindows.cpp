#include "platform/ProcessWindows.h"

#include "platform/x11/X11Display.h"

#include <cstdlib>
#include <limits>
#include <vector>

namespace quillory {

namespace {

// The windows of the process at most `depth` levels below `top`, viewable
// with all their ancestors; below one of the process's, none is looked for.
// Each level's requests go out together: a search waits for the server two
// times a level, not two times a window, which on a busy server kept the
// program still for tens of milliseconds at every step of the search.
std::vector<xcb_window_t> FindBelow(xcb_connection_t* c, xcb_window_t top, xcb_atom_t netWmPid, qint64 pid, int depth)
{
    std::vector<xcb_window_t> found;
    std::vector<xcb_window_t> level{top};
    for (int down = 0; down < depth && !level.empty(); ++down) {
        std::vector<xcb_query_tree_cookie_t> trees;
        for (xcb_window_t window : level)
            trees.push_back(xcb_query_tree(c, window));
        std::vector<xcb_window_t> children;
        for (xcb_query_tree_cookie_t tree : trees) {
            if (xcb_query_tree_reply_t* reply = xcb_query_tree_reply(c, tree, nullptr)) {
                const xcb_window_t* first = xcb_query_tree_children(reply);
                children.insert(children.end(), first, first + xcb_query_tree_children_length(reply));
                std::free(reply);
            }
        }
        std::vector<xcb_get_window_attributes_cookie_t> states;
        std::vector<xcb_get_property_cookie_t> owners;
        for (xcb_window_t child : children) {
            states.push_back(xcb_get_window_attributes(c, child));
            owners.push_back(xcb_get_property(c, 0, child, netWmPid, XCB_ATOM_CARDINAL, 0, 1));
        }
        level.clear();
        for (std::size_t i = 0; i < children.size(); ++i) {
            xcb_get_window_attributes_reply_t* state = xcb_get_window_attributes_reply(c, states[i], nullptr);
            xcb_get_property_reply_t* owner = xcb_get_property_reply(c, owners[i], nullptr);
            const bool shown = state && state->map_state == XCB_MAP_STATE_VIEWABLE;
            const bool ofProcess = owner && owner->format == 32 && xcb_get_property_value_length(owner) == 4 &&
                                   *static_cast<const std::uint32_t*>(xcb_get_property_value(owner)) == pid;
            std::free(state);
            std::free(owner);
            if (shown)
                (ofProcess ? found : level).push_back(children[i]);
        }
    }
    return found;
}

}  // namespace

quint64 FindShownWindowOfProcess(qint64 pid, const QList<quint64>& except, const QSize& size)
{
    xcb_connection_t* c = QtX11Connection();
    if (!c || pid <= 0)
        return 0;
    // A window manager keeps each window in a frame of its own, a level or
    // two below the root; a window taken into the program's is a level or
    // two below that.
    constexpr int kFrameDepth = 4;
    static const xcb_atom_t netWmPid = InternAtom(c, "_NET_WM_PID");
    const std::vector<xcb_window_t> found = FindBelow(c, ScreenRootWindow(c), netWmPid, pid, kFrameDepth);
    // Menus, lists and tooltips are override-redirect; so are the windows
    // taken already.
    std::vector<xcb_get_window_attributes_cookie_t> states;
    std::vector<xcb_get_geometry_cookie_t> geometries;
    for (xcb_window_t window : found) {
        states.push_back(xcb_get_window_attributes(c, window));
        geometries.push_back(xcb_get_geometry(c, window));
    }
    xcb_window_t nearest = XCB_WINDOW_NONE;
    int nearestDistance = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < found.size(); ++i) {
        xcb_get_window_attributes_reply_t* state = xcb_get_window_attributes_reply(c, states[i], nullptr);
        xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(c, geometries[i], nullptr);
        const bool candidate = state && !state->override_redirect && !except.contains(found[i]);
        const int distance = geometry && size.isValid()
                                 ? std::abs(geometry->width - size.width()) + std::abs(geometry->height - size.height())
                                 : std::numeric_limits<int>::max() - 1;
        std::free(state);
        std::free(geometry);
        // Without a size, the first; every reply is read all the same.
        if (candidate && distance < nearestDistance) {
            nearest = found[i];
            nearestDistance = size.isValid() ? distance : std::numeric_limits<int>::min();
        }
    }
    return nearest;
}

void HoldWindowWithin(quint64 window, quint64 parent, const QRect& rect)
{
    xcb_connection_t* c = QtX11Connection();
    if (!c || !window || !parent)
        return;
    const auto w = static_cast<xcb_window_t>(window);
    // Asked together: one wait for the server, not three.
    const xcb_query_tree_cookie_t treeAsked = xcb_query_tree(c, w);
    const xcb_get_geometry_cookie_t geometryAsked = xcb_get_geometry(c, w);
    const xcb_get_window_attributes_cookie_t attributesAsked = xcb_get_window_attributes(c, w);
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, treeAsked, nullptr);
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(c, geometryAsked, nullptr);
    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(c, attributesAsked, nullptr);
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

void ReleaseWindow(quint64 window)
{
    xcb_connection_t* c = QtX11Connection();
    if (!c || !window)
        return;
    const auto w = static_cast<xcb_window_t>(window);
    xcb_unmap_window(c, w);
    xcb_reparent_window(c, w, ScreenRootWindow(c), 0, 0);
    xcb_flush(c);
}

bool PointerIsOver(quint64 window)
{
    xcb_connection_t* c = QtX11Connection();
    if (!c || !window)
        return false;
    const xcb_window_t root = ScreenRootWindow(c);
    xcb_query_pointer_reply_t* pointer = xcb_query_pointer_reply(c, xcb_query_pointer(c, root), nullptr);
    const xcb_window_t under = pointer ? pointer->child : xcb_window_t{XCB_WINDOW_NONE};
    std::free(pointer);
    // The window, or the window manager's frame around it, is the root's
    // child under the pointer.
    auto w = static_cast<xcb_window_t>(window);
    while (w != XCB_WINDOW_NONE && w != under) {
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr);
        const xcb_window_t parent = tree && tree->parent != root ? tree->parent : xcb_window_t{XCB_WINDOW_NONE};
        std::free(tree);
        w = parent;
    }
    return under != XCB_WINDOW_NONE && w == under;
}

FocusChange FocusChangeOf(const QByteArray& eventType, const void* message, quint64* window)
{
    constexpr std::uint8_t kSentByClient = 0x80;
    if (eventType != "xcb_generic_event_t")
        return FocusChange::None;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const int type = event->response_type & ~kSentByClient;
    if (type != XCB_FOCUS_IN && type != XCB_FOCUS_OUT)
        return FocusChange::None;
    // Focus in and focus out events have the same layout. Only the window's
    // own focus counts, not one passing to or from a window within it, nor
    // a keyboard grab's start or end.
    const auto* focus = reinterpret_cast<const xcb_focus_in_event_t*>(event);
    if (focus->mode != XCB_NOTIFY_MODE_NORMAL || focus->detail == XCB_NOTIFY_DETAIL_VIRTUAL ||
        focus->detail == XCB_NOTIFY_DETAIL_NONLINEAR_VIRTUAL || focus->detail == XCB_NOTIFY_DETAIL_POINTER ||
        focus->detail == XCB_NOTIFY_DETAIL_POINTER_ROOT || focus->detail == XCB_NOTIFY_DETAIL_NONE)
        return FocusChange::None;
    if (window)
        *window = focus->event;
    return type == XCB_FOCUS_IN ? FocusChange::Arrived : FocusChange::Left;
}

bool IsKeyOnRoot(const QByteArray& eventType, const void* message)
{
    xcb_connection_t* c = QtX11Connection();
    if (eventType != "xcb_generic_event_t" || !c)
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const int type = event->response_type & 0x7f;
    // Key press and release events have the same layout.
    return (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) &&
           static_cast<const xcb_key_press_event_t*>(message)->event == ScreenRootWindow(c);
}

void ReportKeyOn(void* message, quint64 window)
{
    auto* key = static_cast<xcb_key_press_event_t*>(message);
    key->event = static_cast<xcb_window_t>(window);
    key->child = XCB_WINDOW_NONE;
    key->event_x = 0;
    key->event_y = 0;
}

bool FocusIsNowhere()
{
    xcb_connection_t* c = QtX11Connection();
    if (!c)
        return false;
    xcb_get_input_focus_reply_t* focus = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
    const xcb_window_t w = focus ? focus->focus : xcb_window_t{XCB_WINDOW_NONE};
    std::free(focus);
    return w == XCB_WINDOW_NONE || w == XCB_INPUT_FOCUS_POINTER_ROOT || w == ScreenRootWindow(c);
}

bool FocusIsWithin(quint64 window)
{
    xcb_connection_t* c = QtX11Connection();
    if (!c || !window)
        return false;
    xcb_get_input_focus_reply_t* focus = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
    xcb_window_t w = focus ? focus->focus : xcb_window_t{XCB_WINDOW_NONE};
    std::free(focus);
    const xcb_window_t root = ScreenRootWindow(c);
    while (w != XCB_WINDOW_NONE && w != XCB_INPUT_FOCUS_POINTER_ROOT && w != root && w != window) {
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr);
        w = tree ? tree->parent : xcb_window_t{XCB_WINDOW_NONE};
        std::free(tree);
    }
    return w == window;
}

void FocusWindow(quint64 window)
{
    xcb_connection_t* c = QtX11Connection();
    if (!c || !window)
        return;
    const auto w = static_cast<xcb_window_t>(window);
    xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, w, XCB_CURRENT_TIME);
    // The toolkit asks for the focus with the time of the last event it saw,
    // and the server refuses a request older than the last focus change: an
    // empty change of a property of the window brings the toolkit the
    // server's time now, later than this change.
    xcb_change_property(c, XCB_PROP_MODE_APPEND, w, InternAtom(c, "_QUILLORY_FOCUS_TIME"), XCB_ATOM_CARDINAL, 32, 0,
                        nullptr);
    xcb_flush(c);
}

}  // namespace quillory
