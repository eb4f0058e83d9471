// Another X client for the window-function tests: it owns windows in a
// separate process and can hold the keyboard. Commands come one a line on
// stdin, answers and events go one a line to stdout:
//   window <mapped|hidden> <net|wm> <closable|plain> <title>  ->  window <id>
//       the title goes into _NET_WM_NAME (UTF-8) or WM_NAME only; closable
//       windows list WM_DELETE_WINDOW in WM_PROTOCOLS
//   grab    ->  grab <status>    (an xcb grab status: 0 taken, 1 already grabbed)
//   ungrab  ->  ungrab
// Unasked: "closed <id>" when a window is asked to close, "key <id>" when a
// window receives a key press. An asked window goes away a moment later, as
// an application's does once it has tidied up: gone at once, it would end a
// walk of the windows that is still under way.
// It exits when stdin closes.

#include <xcb/xcb.h>

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

xcb_connection_t* c;
xcb_window_t root;
xcb_atom_t wmProtocols, wmDeleteWindow, netWmName, utf8String;
int windowsMade = 0;

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kCloseDelay{300};
struct Closing {
    xcb_window_t window;
    Clock::time_point at;
};
std::vector<Closing> closing;  // in the order asked, so the first is due first

xcb_atom_t intern(const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

void answer(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void makeWindow(bool mapped, bool netName, bool closable, const std::string& title) {
    const xcb_window_t w = xcb_generate_id(c);
    const uint32_t values[] = {XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    const int16_t offset = static_cast<int16_t>(40 + 30 * windowsMade++);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, root, offset, offset, 300, 200, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, values);
    const xcb_atom_t property = netName ? netWmName : xcb_atom_t{XCB_ATOM_WM_NAME};
    const xcb_atom_t type = netName ? utf8String : xcb_atom_t{XCB_ATOM_STRING};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, property, type, 8, static_cast<uint32_t>(title.size()), title.data());
    if (closable)
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, wmProtocols, XCB_ATOM_ATOM, 32, 1, &wmDeleteWindow);
    if (mapped)
        xcb_map_window(c, w);
    xcb_flush(c);
    answer("window " + std::to_string(w));
}

void grabKeyboard() {
    xcb_grab_keyboard_reply_t* reply = xcb_grab_keyboard_reply(
        c, xcb_grab_keyboard(c, 0, root, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC), nullptr);
    const int status = reply ? reply->status : -1;
    std::free(reply);
    answer("grab " + std::to_string(status));
}

void runCommand(const std::string& line) {
    std::istringstream in(line);
    std::string command;
    in >> command;
    if (command == "window") {
        std::string mapping, nameProperty, protocols;
        in >> mapping >> nameProperty >> protocols;
        std::string title;
        std::getline(in, title);
        if (!title.empty() && title.front() == ' ')
            title.erase(0, 1);
        makeWindow(mapping == "mapped", nameProperty == "net", protocols == "closable", title);
    } else if (command == "grab") {
        grabKeyboard();
    } else if (command == "ungrab") {
        xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));  // the ungrab is done on return
        answer("ungrab");
    }
}

void handleEvent(xcb_generic_event_t* event) {
    switch (event->response_type & 0x7f) {
    case XCB_CLIENT_MESSAGE: {
        auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
        if (message->type == wmProtocols && message->data.data32[0] == wmDeleteWindow) {
            answer("closed " + std::to_string(message->window));
            closing.push_back({message->window, Clock::now() + kCloseDelay});
        }
        break;
    }
    case XCB_KEY_PRESS:
        answer("key " + std::to_string(reinterpret_cast<xcb_key_press_event_t*>(event)->event));
        break;
    }
}

// Destroys the windows whose time has come; returns the poll timeout until the next.
int closeDueWindows() {
    while (!closing.empty() && closing.front().at <= Clock::now()) {
        xcb_destroy_window(c, closing.front().window);
        closing.erase(closing.begin());
    }
    xcb_flush(c);
    if (closing.empty())
        return -1;
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(closing.front().at - Clock::now());
    return static_cast<int>(wait.count()) + 1;
}

}  // namespace

int main() {
    int screenNumber = 0;
    c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "x11_window_helper: cannot open the display\n");
        return 1;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    root = screens.data->root;
    wmProtocols = intern("WM_PROTOCOLS");
    wmDeleteWindow = intern("WM_DELETE_WINDOW");
    netWmName = intern("_NET_WM_NAME");
    utf8String = intern("UTF8_STRING");

    std::string pending;
    pollfd fds[] = {{STDIN_FILENO, POLLIN, 0}, {xcb_get_file_descriptor(c), POLLIN, 0}};
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            handleEvent(event);
            std::free(event);
        }
        if (xcb_connection_has_error(c))
            return 1;
        if (poll(fds, 2, closeDueWindows()) < 0)
            return 1;
        if (fds[0].revents & (POLLIN | POLLHUP)) {
            char buffer[4096];
            const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
            if (n <= 0)
                return 0;
            pending.append(buffer, static_cast<std::size_t>(n));
            for (std::size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1))
                runCommand(pending.substr(0, end));
        }
    }
}
