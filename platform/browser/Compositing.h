#pragma once
// How the web view's pages reach the screen.

namespace quillory {

// Qt Quick composites the web view. Without a GPU, its OpenGL path runs on
// Mesa's software rasteriser, which costs the process tens of megabytes
// (LLVM and its buffers) and makes every frame slower than Qt Quick's own
// software renderer. So when the X server offers no direct rendering, Qt
// Quick renders in software. An operator's QT_QUICK_BACKEND or
// QSG_RHI_BACKEND is left to decide. Call before the first window exists.
void ChooseCompositing();

}  // namespace quillory
