#include "platform/x11/X11InputWatch.h"

#include <QGuiApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <chrono>
#include <cstdlib>

namespace quillory {

namespace {

// Raw events carry no window: a page cannot make them, and they come
// whichever client has grabbed the keyboard or the pointer.
constexpr std::uint32_t kPersonEvents = XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS |
                                        XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS |
                                        XCB_INPUT_XI_EVENT_MASK_RAW_TOUCH_BEGIN;

bool IsPersonEvent(std::uint16_t eventType)
{
    return eventType == XCB_INPUT_RAW_KEY_PRESS || eventType == XCB_INPUT_RAW_BUTTON_PRESS ||
           eventType == XCB_INPUT_RAW_TOUCH_BEGIN;
}

// The extension's major opcode, once raw touches (XInput 2.2) are known to
// be there and the root window's raw events are asked for; 0 otherwise.
std::uint8_t SelectRawEvents(xcb_connection_t* c)
{
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(c, &xcb_input_id);
    if (!extension || !extension->present)
        return 0;
    xcb_input_xi_query_version_reply_t* version = xcb_input_xi_query_version_reply(
        c, xcb_input_xi_query_version(c, 2, 2), nullptr);
    const bool recent = version &&
                        (version->major_version > 2 || (version->major_version == 2 && version->minor_version >= 2));
    std::free(version);
    if (!recent)
        return 0;
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, kPersonEvents};
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_generic_error_t* error = xcb_request_check(c, xcb_input_xi_select_events_checked(c, root, 1, &mask.head));
    const bool selected = error == nullptr;
    std::free(error);
    return selected ? extension->major_opcode : 0;
}

}  // namespace

std::uint32_t SteadyMilliseconds()
{
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

X11InputWatch* X11InputWatch::Get()
{
    static QPointer<X11InputWatch> watch;
    static bool tried = false;
    if (watch || tried || !qGuiApp)
        return watch;
    tried = true;
    // Only where the program itself runs on an X server (not offscreen).
    if (!qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        return nullptr;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const std::uint8_t opcode = xcb_connection_has_error(c) ? 0 : SelectRawEvents(c);
    if (opcode == 0) {
        xcb_disconnect(c);
        return nullptr;
    }
    watch = new X11InputWatch(c, opcode);
    return watch;
}

X11InputWatch::X11InputWatch(xcb_connection_t* connection, std::uint8_t extensionOpcode)
    : QObject(qGuiApp),
      connection_(connection),
      extensionOpcode_(extensionOpcode),
      notifier_(new QSocketNotifier(xcb_get_file_descriptor(connection), QSocketNotifier::Read, this))
{
    // Read as they come: events left unread would pile up in the server.
    connect(notifier_, &QSocketNotifier::activated, this, &X11InputWatch::ReadEvents);
}

X11InputWatch::~X11InputWatch()
{
    delete notifier_;
    xcb_disconnect(connection_);
}

std::uint32_t X11InputWatch::LastInput()
{
    // An input the event loop has not got to yet still counts.
    ReadEvents();
    return lastInput_;
}

void X11InputWatch::ReadEvents()
{
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        // Every XInput2 event starts as a raw key press does: extension, then type.
        const auto* generic = reinterpret_cast<const xcb_input_raw_key_press_event_t*>(event);
        if ((event->response_type & 0x7F) == XCB_GE_GENERIC && generic->extension == extensionOpcode_ &&
            IsPersonEvent(generic->event_type))
            lastInput_ = SteadyMilliseconds();
        std::free(event);
    }
    // The server went away: nothing more comes.
    if (xcb_connection_has_error(connection_))
        notifier_->setEnabled(false);
}

}  // namespace quillory
