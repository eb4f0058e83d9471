#pragma once
// Key codes as the program's key handlers expect them: the old virtual-key
// numbers (A-Z 65-90, 0-9 48-57, keypad 0-9 96-105, F1-F12 112-123, and the
// usual control keys), whatever the keyboard layout.

#include <QKeyEvent>

namespace quillory {

constexpr int VK_BACK = 8, VK_TAB = 9, VK_RETURN = 13, VK_SHIFT = 16, VK_CONTROL = 17, VK_MENU = 18,
              VK_ESCAPE = 27, VK_SPACE = 32, VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39, VK_DOWN = 40,
              VK_DELETE = 46, VK_NUMPAD0 = 96, VK_F1 = 112;

// Modifier mask of key events: 1 Shift, 2 Ctrl, 4 Alt.
int ShiftMask(Qt::KeyboardModifiers modifiers);

int VirtualKeyCode(const QKeyEvent& event);

// The parts, exposed for tests: from an X keysym (0 when it is none of
// letters, digits, keypad digits or function keys), from an X key code by
// the key's US position (0 when unknown), and from Qt's own key.
int VirtualKeyFromKeysym(quint32 keysym);
int VirtualKeyFromX11ScanCode(quint32 scanCode);
int VirtualKeyFromQtKey(int key, Qt::KeyboardModifiers modifiers);

}  // namespace quillory
