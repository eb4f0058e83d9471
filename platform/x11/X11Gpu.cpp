#include "platform/Gpu.h"

#include <QByteArray>
#include <QtGlobal>
#include <cstdlib>
#include <xcb/xcb.h>

namespace quillory {

namespace {

bool HasExtension(xcb_connection_t* connection, const char* name)
{
    xcb_query_extension_cookie_t cookie = xcb_query_extension(connection, qstrlen(name), name);
    xcb_query_extension_reply_t* reply = xcb_query_extension_reply(connection, cookie, nullptr);
    const bool present = reply && reply->present;
    free(reply);
    return present;
}

}  // namespace

// Direct rendering (DRI3 or DRI2) is what a GPU driver gives an X server;
// a server without it (Xvfb, a frame-buffer driver) leaves OpenGL to software.
bool DisplayLacksGpu()
{
    if (qgetenv("LIBGL_ALWAYS_SOFTWARE") == "1")
        return true;
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb"))
        return false;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    bool lacks = false;
    if (!xcb_connection_has_error(connection))
        lacks = !HasExtension(connection, "DRI3") && !HasExtension(connection, "DRI2");
    xcb_disconnect(connection);
    return lacks;
}

}  // namespace quillory
