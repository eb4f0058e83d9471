#pragma once
// What the operator chose for the on-screen keyboard, from the environment
// (/etc/default/quillory on a boot kiosk).

#include "platform/keyboard/KeyboardLayout.h"

namespace quillory {

// QUILLORY_KEYBOARD: when the keyboard shows for a field of a page.
enum class KeyboardMode {
    Touch,   // "touch", the default: when a finger gave the field the focus
    Always,  // "always": for any focus, for touch screens the system reports as a mouse
    Never,   // "never"
};
KeyboardMode ChosenKeyboardMode();

// The layout named by QUILLORY_KEYBOARD_LAYOUT, or else the X keyboard's, as
// the file <name>.layout in the operator's folder (/etc/quillory/keyboards)
// or among the program's own; US English where there is none by that name.
KeyboardLayout ChosenKeyboardLayout();

}  // namespace quillory
