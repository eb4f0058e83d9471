#include "platform/x11/X11User32.h"

#include "platform/RealUser32.h"
#include "platform/x11/X11Display.h"

#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace quillory {
namespace {

// xcb hands out malloc'ed replies; this frees them.
struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;
template <typename T>
Reply<T> owned(T* reply)
{
    return Reply<T>(reply);
}

// Properties are read whole; 4 MiB is far beyond any title or list.
constexpr std::uint32_t kMaxPropertyLongs = 1u << 20;
// X window ids are 32 bits; anything larger cannot be a window.
xcb_window_t windowId(WindowHandle handle)
{
    return handle <= 0xFFFFFFFFu ? static_cast<xcb_window_t>(handle) : xcb_window_t{XCB_WINDOW_NONE};
}

struct Atoms {
    xcb_atom_t wmState, netWmName, utf8String, wmProtocols, wmDeleteWindow, netSupported, netSupportingWmCheck,
        netActiveWindow;
};

// Interned once per connection, all requests sent before the first reply is read.
const Atoms& atoms(xcb_connection_t* c)
{
    static xcb_connection_t* internedFor = nullptr;
    static Atoms cached{};
    if (internedFor == c)
        return cached;
    const std::pair<const char*, xcb_atom_t*> wanted[] = {
        {"WM_STATE", &cached.wmState},
        {"_NET_WM_NAME", &cached.netWmName},
        {"UTF8_STRING", &cached.utf8String},
        {"WM_PROTOCOLS", &cached.wmProtocols},
        {"WM_DELETE_WINDOW", &cached.wmDeleteWindow},
        {"_NET_SUPPORTED", &cached.netSupported},
        {"_NET_SUPPORTING_WM_CHECK", &cached.netSupportingWmCheck},
        {"_NET_ACTIVE_WINDOW", &cached.netActiveWindow},
    };
    std::vector<xcb_intern_atom_cookie_t> cookies;
    for (const auto& [name, atom] : wanted)
        cookies.push_back(xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name));
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        auto reply = owned(xcb_intern_atom_reply(c, cookies[i], nullptr));
        *wanted[i].second = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }
    internedFor = c;
    return cached;
}

// A 32-bit list property (atoms, window ids); empty when missing, of another
// type, or when the window is gone.
std::vector<std::uint32_t> readList32(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property, xcb_atom_t type)
{
    auto reply = owned(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, type, 0, kMaxPropertyLongs), nullptr));
    if (!reply || reply->type != type || reply->format != 32)
        return {};
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return {values, values + xcb_get_property_value_length(reply.get()) / 4};
}

bool contains(const std::vector<std::uint32_t>& list, std::uint32_t value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

// The title: _NET_WM_NAME (UTF-8) where set, else WM_NAME as stored. False
// when the window can't be read (it went away).
bool readTitle(xcb_connection_t* c, xcb_window_t window, std::string& title)
{
    const Atoms& a = atoms(c);
    auto netCookie = xcb_get_property(c, 0, window, a.netWmName, a.utf8String, 0, kMaxPropertyLongs);
    auto wmCookie = xcb_get_property(c, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, kMaxPropertyLongs);
    auto net = owned(xcb_get_property_reply(c, netCookie, nullptr));
    auto wm = owned(xcb_get_property_reply(c, wmCookie, nullptr));
    if (!net || !wm)
        return false;
    title.clear();
    for (auto* reply : {net.get(), wm.get()}) {
        const int length = xcb_get_property_value_length(reply);
        if (reply->format == 8 && length > 0) {
            title.assign(static_cast<const char*>(xcb_get_property_value(reply)), static_cast<std::size_t>(length));
            break;
        }
    }
    return true;
}

struct TopLevel {
    xcb_window_t frame;   // the root's child: the window manager's frame, or the window itself
    xcb_window_t client;  // the application's window inside it
};

// Finds each top-level's client window: the first descendant, breadth-first,
// carrying WM_STATE (the window manager sets it on each window it manages),
// else the top-level itself. All top-levels are searched one tree level at a
// time, so each level costs two round trips whatever the number of windows.
void findClients(xcb_connection_t* c, std::vector<TopLevel>& topLevels)
{
    struct Candidate {
        std::size_t topLevel;
        xcb_window_t window;
    };
    const xcb_atom_t wmState = atoms(c).wmState;
    std::vector<bool> found(topLevels.size(), false);
    std::vector<Candidate> level;
    for (std::size_t i = 0; i < topLevels.size(); ++i)
        level.push_back({i, topLevels[i].frame});

    while (!level.empty()) {
        std::vector<xcb_get_property_cookie_t> states;
        for (const Candidate& candidate : level)
            states.push_back(xcb_get_property(c, 0, candidate.window, wmState, wmState, 0, 0));
        for (std::size_t i = 0; i < level.size(); ++i) {
            auto state = owned(xcb_get_property_reply(c, states[i], nullptr));
            if (state && state->type == wmState && !found[level[i].topLevel]) {
                found[level[i].topLevel] = true;
                topLevels[level[i].topLevel].client = level[i].window;
            }
        }

        std::vector<Candidate> searched;
        std::vector<xcb_query_tree_cookie_t> trees;
        for (const Candidate& candidate : level) {
            if (!found[candidate.topLevel]) {
                searched.push_back(candidate);
                trees.push_back(xcb_query_tree(c, candidate.window));
            }
        }
        std::vector<Candidate> next;
        for (std::size_t i = 0; i < searched.size(); ++i) {
            auto tree = owned(xcb_query_tree_reply(c, trees[i], nullptr));
            if (!tree)
                continue;
            const xcb_window_t* children = xcb_query_tree_children(tree.get());
            for (int k = 0; k < xcb_query_tree_children_length(tree.get()); ++k)
                next.push_back({searched[i].topLevel, children[k]});
        }
        level = std::move(next);
    }
}

// All top-level windows, mapped or not, topmost first. The query lists the
// root's children bottom to top.
std::vector<TopLevel> topLevelsTopmostFirst(xcb_connection_t* c)
{
    auto tree = owned(xcb_query_tree_reply(c, xcb_query_tree(c, ScreenRootWindow(c)), nullptr));
    if (!tree)
        return {};
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    std::vector<TopLevel> topLevels;
    for (int k = xcb_query_tree_children_length(tree.get()) - 1; k >= 0; --k)
        topLevels.push_back({children[k], children[k]});
    findClients(c, topLevels);
    return topLevels;
}

// The root's child that holds the window (its frame, or the window itself);
// none when the window is gone.
xcb_window_t topLevelHolding(xcb_connection_t* c, xcb_window_t window)
{
    for (xcb_window_t current = window;;) {
        auto tree = owned(xcb_query_tree_reply(c, xcb_query_tree(c, current), nullptr));
        if (!tree || tree->parent == XCB_WINDOW_NONE)  // gone, or the root itself
            return XCB_WINDOW_NONE;
        if (tree->parent == tree->root)
            return current;
        current = tree->parent;
    }
}

// True when a running window manager handles _NET_ACTIVE_WINDOW. Its check
// window must name itself too: a window manager that died leaves the root's
// property behind, pointing at a window that is gone.
bool windowManagerActivates(xcb_connection_t* c, xcb_window_t root)
{
    const Atoms& a = atoms(c);
    const auto check = readList32(c, root, a.netSupportingWmCheck, XCB_ATOM_WINDOW);
    if (check.empty() || check.front() == XCB_WINDOW_NONE)
        return false;
    const auto self = readList32(c, check.front(), a.netSupportingWmCheck, XCB_ATOM_WINDOW);
    if (self.empty() || self.front() != check.front())
        return false;
    return contains(readList32(c, root, a.netSupported, XCB_ATOM_ATOM), a.netActiveWindow);
}

}  // namespace

WindowHandle X11User32::GetWindow(WindowHandle hWnd, std::uint32_t uCmd)
{
    xcb_connection_t* c = QtX11Connection();
    if (!c || (uCmd != GW_HWNDFIRST && uCmd != GW_HWNDNEXT))
        return 0;
    if (uCmd == GW_HWNDFIRST) {
        const std::vector<TopLevel> topLevels = topLevelsTopmostFirst(c);
        return topLevels.empty() ? 0 : topLevels.front().client;
    }
    // The window is looked up by the top-level holding it, so the walk goes on
    // past a window that a window manager is just framing, and ends at one
    // that went away.
    const xcb_window_t holder = topLevelHolding(c, windowId(hWnd));
    if (holder == XCB_WINDOW_NONE)
        return 0;
    const std::vector<TopLevel> topLevels = topLevelsTopmostFirst(c);
    auto current = std::find_if(topLevels.begin(), topLevels.end(),
                                [holder](const TopLevel& t) { return t.frame == holder; });
    if (current == topLevels.end() || std::next(current) == topLevels.end())
        return 0;
    return std::next(current)->client;
}

std::int32_t X11User32::GetWindowTextLengthA(WindowHandle hWnd)
{
    xcb_connection_t* c = QtX11Connection();
    std::string title;
    if (!c || !readTitle(c, windowId(hWnd), title))
        return 0;
    return static_cast<std::int32_t>(title.size());
}

std::int32_t X11User32::GetWindowTextA(WindowHandle hWnd, char* lpString, std::int32_t nMaxCount)
{
    xcb_connection_t* c = QtX11Connection();
    if (!c || !lpString || nMaxCount <= 0)
        return 0;
    std::string title;
    if (!readTitle(c, windowId(hWnd), title))
        title.clear();
    const std::size_t copied = std::min(title.size(), static_cast<std::size_t>(nMaxCount - 1));
    std::memcpy(lpString, title.data(), copied);
    lpString[copied] = '\0';
    return static_cast<std::int32_t>(copied);
}

std::int32_t X11User32::PostMessageA(WindowHandle hWnd, std::uint32_t Msg, std::uintptr_t, std::intptr_t)
{
    xcb_connection_t* c = QtX11Connection();
    if (!c)
        return 0;
    // X has no way to cancel another client's mode (an open menu, a mouse
    // capture); closing the window ends it anyway.
    if (Msg == WM_CANCELMODE)
        return 1;
    const xcb_window_t window = windowId(hWnd);
    if (Msg != WM_CLOSE || window == XCB_WINDOW_NONE)
        return 0;
    // Closing is only asked of windows that take the ICCCM request; none is killed.
    const Atoms& a = atoms(c);
    if (!contains(readList32(c, window, a.wmProtocols, XCB_ATOM_ATOM), a.wmDeleteWindow))
        return 0;
    return SendClientMessage(c, window, XCB_EVENT_MASK_NO_EVENT, window, a.wmProtocols,
                             {a.wmDeleteWindow, XCB_CURRENT_TIME})
               ? 1
               : 0;
}

std::int32_t X11User32::SetForegroundWindow(WindowHandle hWnd)
{
    xcb_connection_t* c = QtX11Connection();
    const xcb_window_t window = windowId(hWnd);
    if (!c || window == XCB_WINDOW_NONE)
        return 0;
    auto tree = owned(xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr));
    if (!tree)
        return 0;
    if (windowManagerActivates(c, tree->root)) {
        // Source indication 2 (a pager) says the user asked for it, so the
        // window manager doesn't refuse it as focus stealing.
        constexpr std::uint32_t kSourcePager = 2;
        return SendClientMessage(c, tree->root,
                                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY, window,
                                 atoms(c).netActiveWindow, {kSourcePager, XCB_CURRENT_TIME, XCB_WINDOW_NONE})
                   ? 1
                   : 0;
    }
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    auto raise = xcb_configure_window_checked(c, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    auto focus = xcb_set_input_focus_checked(c, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
    auto raiseError = owned(xcb_request_check(c, raise));
    auto focusError = owned(xcb_request_check(c, focus));  // fails for an unmapped window
    return !raiseError && !focusError ? 1 : 0;
}

std::int32_t X11User32::SystemParametersInfoA(std::uint32_t uiAction, std::uint32_t uiParam, void* pvParam,
                                              std::uint32_t)
{
    if (!QtX11Connection() || uiAction != SPI_SETSCREENSAVERRUNNING)
        return 0;
    if (pvParam)
        *static_cast<std::int32_t*>(pvParam) = m_keyboardLock.isLocked() ? 1 : 0;
    m_keyboardLock.setLocked(uiParam != API_FALSE);
    return 1;
}

User32& RealUser32()
{
    static X11User32 user32;
    return user32;
}

}  // namespace quillory
