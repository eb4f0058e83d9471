#pragma once
// What the program asks of the operating system about processes. Each
// system's folder (platform/posix, platform/win32) gives its own answer.

#include <cstdint>

namespace quillory {

// Asks the process to end (SIGTERM); does nothing for pid <= 0, and
// nothing on Windows, which has no such request for a process.
void AskProcessToEnd(std::int64_t pid);

// Ends the process at once, without asking it; does nothing for pid <= 0.
void EndProcess(std::int64_t pid);

// True when the program runs as root, where Chromium refuses its sandbox.
bool RunningAsRoot();

}  // namespace quillory
