#include "platform/Processes.h"

#include <csignal>
#include <sys/types.h>
#include <unistd.h>

namespace quillory {

void AskProcessToEnd(std::int64_t pid)
{
    if (pid > 0)
        ::kill(static_cast<pid_t>(pid), SIGTERM);
}

void EndProcess(std::int64_t pid)
{
    if (pid > 0)
        ::kill(static_cast<pid_t>(pid), SIGKILL);
}

bool RunningAsRoot()
{
    return ::geteuid() == 0;
}

}  // namespace quillory
