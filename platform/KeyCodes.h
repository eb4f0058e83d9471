#pragma once
// Key codes as the program's key handlers expect them: the old virtual-key
// numbers (A-Z 65-90, 0-9 48-57, keypad 0-9 96-105, F1-F12 112-123, and the
// usual control keys), whatever the keyboard layout; and the masks of the
// modifier keys and mouse buttons that its mouse and key handlers get.

#include <QKeyEvent>

namespace quillory {

constexpr int VK_BACK = 8, VK_TAB = 9, VK_RETURN = 13, VK_SHIFT = 16, VK_CONTROL = 17, VK_MENU = 18, VK_ESCAPE = 27,
              VK_SPACE = 32, VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39, VK_DOWN = 40, VK_DELETE = 46, VK_NUMPAD0 = 96,
              VK_F1 = 112;
// VK_BACK and VK_RETURN are also the characters (KeyAscii) of Backspace and Enter.

// Modifier mask of key and mouse events.
constexpr int kShiftMask = 1, kCtrlMask = 2, kAltMask = 4;
int ShiftMask(Qt::KeyboardModifiers modifiers);

// Button mask of mouse events.
constexpr int kLeftButton = 1, kRightButton = 2, kMiddleButton = 4;
int ButtonMask(Qt::MouseButtons buttons);

// Each window system reads its own events (platform/x11, platform/win32).
int VirtualKeyCode(const QKeyEvent& event);

// The parts, exposed for tests: from Qt's own key; and X11's, from an X
// keysym (0 when it is none of letters, digits, keypad digits or function
// keys) and from an X key code by the key's US position (0 when unknown).
int VirtualKeyFromQtKey(int key, Qt::KeyboardModifiers modifiers);
int VirtualKeyFromKeysym(quint32 keysym);
int VirtualKeyFromX11ScanCode(quint32 scanCode);

}  // namespace quillory
