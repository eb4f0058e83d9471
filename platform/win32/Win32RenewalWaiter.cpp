#include "platform/RenewalWaiter.h"

#include <cstdlib>

namespace quillory {

// The program does not renew itself on Windows: no process is ever the waiter.
std::optional<int> RunAsRenewalWaiter()
{
    return std::nullopt;
}

void BecomeRenewalWaiter(int, long)
{
}

int SuccessorNamingPipe()
{
    const char* value = std::getenv(kSuccessorPipeVariable);
    return value ? std::atoi(value) : -1;
}

void NameSuccessor(long)
{
}

}  // namespace quillory
