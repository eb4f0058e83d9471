#include "platform/browser/chromium/PageKeys.h"

#include <QKeyEvent>

namespace quillory {

namespace {

// The protocol's modifier bits.
constexpr int kAlt = 1;
constexpr int kCtrl = 2;
constexpr int kMeta = 4;
constexpr int kShift = 8;

struct NamedKey {
    Qt::Key qt;
    const char* key;   // KeyboardEvent.key
    const char* code;  // KeyboardEvent.code
    int virtualKey;    // the Windows virtual key code the engine reads
    const char* text;  // what the key types, if anything
};

constexpr NamedKey kNamedKeys[] = {
    {Qt::Key_Backspace, "Backspace", "Backspace", 8, ""},
    {Qt::Key_Tab, "Tab", "Tab", 9, ""},
    {Qt::Key_Backtab, "Tab", "Tab", 9, ""},
    {Qt::Key_Return, "Enter", "Enter", 13, "\r"},
    {Qt::Key_Enter, "Enter", "NumpadEnter", 13, "\r"},
    {Qt::Key_Escape, "Escape", "Escape", 27, ""},
    {Qt::Key_Space, " ", "Space", 32, " "},
    {Qt::Key_PageUp, "PageUp", "PageUp", 33, ""},
    {Qt::Key_PageDown, "PageDown", "PageDown", 34, ""},
    {Qt::Key_End, "End", "End", 35, ""},
    {Qt::Key_Home, "Home", "Home", 36, ""},
    {Qt::Key_Left, "ArrowLeft", "ArrowLeft", 37, ""},
    {Qt::Key_Up, "ArrowUp", "ArrowUp", 38, ""},
    {Qt::Key_Right, "ArrowRight", "ArrowRight", 39, ""},
    {Qt::Key_Down, "ArrowDown", "ArrowDown", 40, ""},
    {Qt::Key_Delete, "Delete", "Delete", 46, ""},
};

// The letters that edit text with Ctrl: select all, copy, paste, cut, undo, redo.
bool EditingLetter(int key)
{
    return key == Qt::Key_A || key == Qt::Key_C || key == Qt::Key_V || key == Qt::Key_X || key == Qt::Key_Z ||
           key == Qt::Key_Y;
}

int Modifiers(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::AltModifier ? kAlt : 0) | (modifiers & Qt::ControlModifier ? kCtrl : 0) |
           (modifiers & Qt::MetaModifier ? kMeta : 0) | (modifiers & Qt::ShiftModifier ? kShift : 0);
}

}  // namespace

std::optional<QJsonObject> PageKeyEvent(const QKeyEvent& key)
{
    const bool press = key.type() == QEvent::KeyPress;
    const int modifiers = Modifiers(key.modifiers());
    QJsonObject event{{"modifiers", modifiers}};
    for (const NamedKey& named : kNamedKeys) {
        if (named.qt != key.key())
            continue;
        // Alt or the system key with Tab, Escape and the like are the window
        // manager's, never the page's.
        if (modifiers & (kAlt | kMeta))
            return std::nullopt;
        const QString text = QString::fromLatin1(named.text);
        event.insert("type", press ? (text.isEmpty() ? "rawKeyDown" : "keyDown") : "keyUp");
        event.insert("key", QString::fromLatin1(named.key));
        event.insert("code", QString::fromLatin1(named.code));
        event.insert("windowsVirtualKeyCode", named.virtualKey);
        if (press && !text.isEmpty() && !(modifiers & kCtrl))
            event.insert("text", text);
        return event;
    }
    const bool letter = key.key() >= Qt::Key_A && key.key() <= Qt::Key_Z;
    const bool digit = key.key() >= Qt::Key_0 && key.key() <= Qt::Key_9;
    if (modifiers & (kAlt | kMeta))
        return std::nullopt;
    if (modifiers & kCtrl) {
        if (!EditingLetter(key.key()))
            return std::nullopt;
        const QChar lower = QChar(key.key()).toLower();
        event.insert("type", press ? "rawKeyDown" : "keyUp");
        event.insert("key", QString(lower));
        event.insert("code", QStringLiteral("Key") + QChar(key.key()));
        event.insert("windowsVirtualKeyCode", key.key());
        return event;
    }
    // Text: what the key types, whatever the layout.
    const QString text = key.text();
    if (text.isEmpty() || !text.at(0).isPrint())
        return std::nullopt;  // the function keys among them
    event.insert("type", press ? "keyDown" : "keyUp");
    event.insert("key", text);
    if (letter || digit) {
        event.insert("code", (letter ? QStringLiteral("Key") : QStringLiteral("Digit")) + QChar(key.key()));
        event.insert("windowsVirtualKeyCode", key.key());
    }
    if (press) {
        event.insert("text", text);
        event.insert("unmodifiedText", text);
    }
    return event;
}

}  // namespace quillory
