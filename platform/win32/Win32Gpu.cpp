#include "platform/Gpu.h"

namespace quillory {

// Qt Quick picks Direct3D and falls back to software by itself.
bool DisplayLacksGpu()
{
    return false;
}

}  // namespace quillory
