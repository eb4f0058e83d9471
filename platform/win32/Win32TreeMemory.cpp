#include "platform/TreeMemory.h"

namespace quillory {

// Not reported here, so the program never renews itself on Windows.
std::optional<qint64> TreeMemoryKiB(qint64)
{
    return std::nullopt;
}

}  // namespace quillory
