#include "platform/UncoverWithoutBackground.h"

#include "platform/x11/X11Display.h"

#include <xcb/xcb.h>

#include <cstdlib>

namespace quillory {

namespace {

// No background: an exposed part keeps what the screen showed there.
void NoBackground(xcb_connection_t* c, xcb_window_t window)
{
    const std::uint32_t none = XCB_BACK_PIXMAP_NONE;
    xcb_change_window_attributes(c, window, XCB_CW_BACK_PIXMAP, &none);
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr);
    if (!tree)
        return;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree); ++i)
        NoBackground(c, children[i]);
    std::free(tree);
}

}  // namespace

void KeepContentsWhenUncovered(quint64 window)
{
    xcb_connection_t* c = QtX11Connection();
    if (!c || window == 0)
        return;
    NoBackground(c, static_cast<xcb_window_t>(window));
    xcb_flush(c);
}

}  // namespace quillory
