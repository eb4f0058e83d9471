#include "platform/HandoverChannel.h"

namespace quillory {

// The program never renews itself on Windows.
const char* SpawnSuccessor(int, Successor&)
{
    return "not supported";
}

bool SendAll(int, const QByteArray&)
{
    return false;
}

bool WaitForChannel(int, int)
{
    return false;
}

std::int64_t ReadChannel(int, char*, std::int64_t)
{
    return -1;
}

void KeepChannelFromChildren(int)
{
}

void CloseChannel(int)
{
}

}  // namespace quillory
