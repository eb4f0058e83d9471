// Another X client for the end-to-end tests: it tries to take the keyboard,
// prints "grab <status>" (an xcb grab status: 0 taken, 1 already grabbed) and
// lets it go again.

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>

int main()
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 1;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_grab_keyboard_reply_t* reply = xcb_grab_keyboard_reply(
        c, xcb_grab_keyboard(c, 0, root, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC), nullptr);
    std::printf("grab %d\nungrab\n", reply ? reply->status : -1);
    std::free(reply);
    xcb_disconnect(c);  // lets a grab go
    return 0;
}
