#include "platform/SystemKeyboard.h"

#include "platform/x11/X11Display.h"

#include <QByteArray>
#include <QList>

#include <cstdlib>

namespace quillory {

QString SystemKeyboardLayoutName()
{
    xcb_connection_t* c = QtX11Connection();
    if (!c)
        return {};
    // The root's _XKB_RULES_NAMES: rules, model, layouts, variants and
    // options, each ending in a zero byte; layouts like "de,us".
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, ScreenRootWindow(c), InternAtom(c, "_XKB_RULES_NAMES"), XCB_ATOM_STRING, 0, 1024),
        nullptr);
    QList<QByteArray> names;
    if (reply && reply->format == 8)
        names = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
                           xcb_get_property_value_length(reply))
                    .split('\0');
    std::free(reply);
    if (names.size() < 3)
        return {};
    return QString::fromLatin1(names.at(2).split(',').constFirst()).trimmed();
}

}  // namespace quillory
