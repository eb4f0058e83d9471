#pragma once
// What the program asks of the operating system about processes. Each
// system's folder (platform/posix, platform/win32) gives its own answer.

#include <cstdint>

namespace quillory {

// Ends the process at once, without asking it; does nothing for pid <= 0.
void EndProcess(std::int64_t pid);

// True when the program runs as root, where Chromium refuses its sandbox.
bool RunningAsRoot();

}  // namespace quillory
