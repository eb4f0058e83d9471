#pragma once
// The program's closing walk over the top-level windows, made through the
// User32 layer exactly as the program makes it, so the Win32 layer can be
// checked against real windows.

#include "platform/User32.h"

// Asks every top-level window whose title contains "Microsoft Internet
// Explorer" (case-sensitive), except one titled "Quillory", to leave any mode
// and close; then brings ownWindow to the front.
void CloseMarkedWindows(quillory::User32& user32, quillory::WindowHandle ownWindow);
