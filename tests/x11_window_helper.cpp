// Another X client for the end-to-end tests.
//   x11_window_helper          tries to take the keyboard, prints "grab <status>"
//                              (an xcb grab status: 0 taken, 1 already grabbed)
//                              and lets it go again;
//   x11_window_helper watch S  prints, for S seconds, "map <window> <ms>" and
//                              "unmap <window> <ms>" as the root's children are
//                              mapped and unmapped (ms since the start).

#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>

namespace {

int Grab(xcb_connection_t* c, xcb_window_t root)
{
    xcb_grab_keyboard_reply_t* reply = xcb_grab_keyboard_reply(
        c, xcb_grab_keyboard(c, 0, root, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC), nullptr);
    std::printf("grab %d\nungrab\n", reply ? reply->status : -1);
    std::free(reply);
    return 0;
}

int Watch(xcb_connection_t* c, xcb_window_t root, double seconds)
{
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
    const auto start = std::chrono::steady_clock::now();
    const auto elapsedMs = [&] {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };
    std::printf("watching\n");
    std::fflush(stdout);
    while (elapsedMs() < seconds * 1000) {
        pollfd readable{xcb_get_file_descriptor(c), POLLIN, 0};
        poll(&readable, 1, 50);
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            const int type = event->response_type & 0x7f;
            if (type == XCB_MAP_NOTIFY)
                std::printf("map %u %.1f\n", reinterpret_cast<xcb_map_notify_event_t*>(event)->window, elapsedMs());
            else if (type == XCB_UNMAP_NOTIFY)
                std::printf("unmap %u %.1f\n", reinterpret_cast<xcb_unmap_notify_event_t*>(event)->window, elapsedMs());
            std::free(event);
        }
        std::fflush(stdout);
        if (xcb_connection_has_error(c))
            return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 1;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const int status = argc == 3 && std::strcmp(argv[1], "watch") == 0 ? Watch(c, root, std::atof(argv[2]))
                                                                       : Grab(c, root);
    xcb_disconnect(c);  // lets a grab go
    return status;
}
