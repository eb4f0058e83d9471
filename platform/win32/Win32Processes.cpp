#include "platform/Processes.h"

#include <windows.h>

namespace quillory {

void AskProcessToEnd(std::int64_t)
{
}

void EndProcess(std::int64_t pid)
{
    if (pid <= 0)
        return;
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(pid))) {
        TerminateProcess(process, 1);
        CloseHandle(process);
    }
}

// Chromium keeps its sandbox for an administrator: nothing to turn off.
bool RunningAsRoot()
{
    return false;
}

}  // namespace quillory
