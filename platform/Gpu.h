#pragma once
// Whether the display the program shows on has a GPU to composite with. Each
// window system's folder (platform/x11, platform/win32) gives its own answer.

namespace quillory {

bool DisplayLacksGpu();

}  // namespace quillory
