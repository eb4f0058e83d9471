#include "platform/WindowManager.h"

#include "platform/x11/X11Display.h"

#include <cstdlib>

namespace quillory {

namespace {

constexpr std::uint32_t kAllDesktops = 0xFFFFFFFF;
constexpr std::uint32_t kRemoveState = 0;
constexpr std::uint32_t kAddState = 1;
// Source indication 2 (a pager) says the user asked for it, so that the
// window manager doesn't refuse it as focus stealing.
constexpr std::uint32_t kSourcePager = 2;

// The desktop on the screen, or every desktop where the window manager has none.
std::uint32_t CurrentDesktop(xcb_connection_t* c)
{
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, ScreenRootWindow(c), InternAtom(c, "_NET_CURRENT_DESKTOP"), XCB_ATOM_CARDINAL, 0, 1),
        nullptr);
    std::uint32_t desktop = kAllDesktops;
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply) == 4)
        desktop = *static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
    std::free(reply);
    return desktop;
}

// A window not shown reads its desktop from its property when it is shown;
// a shown one is moved by the window manager at the client message.
void MoveToDesktop(xcb_connection_t* c, xcb_window_t window, std::uint32_t desktop)
{
    const xcb_atom_t netWmDesktop = InternAtom(c, "_NET_WM_DESKTOP");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, netWmDesktop, XCB_ATOM_CARDINAL, 32, 1, &desktop);
    AskWindowManager(c, window, netWmDesktop, {desktop, kSourcePager});
}

}  // namespace

void BringBackToScreen(quint64 window)
{
    xcb_connection_t* c = QtX11Connection();
    if (!c || window > 0xFFFFFFFFu)
        return;
    const auto id = static_cast<xcb_window_t>(window);
    const xcb_atom_t netWmState = InternAtom(c, "_NET_WM_STATE");
    AskWindowManager(
        c, id, netWmState,
        {kRemoveState, InternAtom(c, "_NET_WM_STATE_SHADED"), InternAtom(c, "_NET_WM_STATE_HIDDEN"), kSourcePager});
    AskWindowManager(c, id, netWmState,
                     {kRemoveState, InternAtom(c, "_NET_WM_STATE_BELOW"), XCB_ATOM_NONE, kSourcePager});
    const std::uint32_t desktop = CurrentDesktop(c);
    if (desktop != kAllDesktops)
        MoveToDesktop(c, id, desktop);
    AskWindowManager(c, id, InternAtom(c, "_NET_ACTIVE_WINDOW"), {kSourcePager, XCB_CURRENT_TIME, XCB_WINDOW_NONE});
    xcb_flush(c);
}

void ShowOnEveryDesktop(quint64 window)
{
    xcb_connection_t* c = QtX11Connection();
    if (!c || window > 0xFFFFFFFFu)
        return;
    const auto id = static_cast<xcb_window_t>(window);
    MoveToDesktop(c, id, kAllDesktops);
    AskWindowManager(c, id, InternAtom(c, "_NET_WM_STATE"),
                     {kAddState, InternAtom(c, "_NET_WM_STATE_STICKY"), XCB_ATOM_NONE, kSourcePager});
    xcb_flush(c);
}

}  // namespace quillory
