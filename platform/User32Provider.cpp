#include "platform/User32Provider.h"

#include "platform/RealUser32.h"

namespace quillory {

namespace {
User32* replacement = nullptr;
}

User32& SystemUser32()
{
    if (replacement)
        return *replacement;
    return RealUser32();
}

void ReplaceSystemUser32(User32* fake)
{
    replacement = fake;
}

}  // namespace quillory
