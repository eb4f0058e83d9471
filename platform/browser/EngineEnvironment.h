#pragma once
// What the web engine is told through the environment, settled once before
// the application object exists. Both the program and its tests call this.

namespace quillory {

// - As root, Chromium refuses to start with its sandbox on, so it is turned
//   off, and stderr says so.
// - No way in for remote debugging: QTWEBENGINE_REMOTE_DEBUGGING is cleared and
//   any --remote-debugging-* flag is dropped from QTWEBENGINE_CHROMIUM_FLAGS;
//   the operator's other flags (such as --disable-gpu) stay.
// - Qt Quick renders in software on a machine without a GPU (Compositing.h).
// - Where Qt WebEngine draws the presentation, the application shares its
//   OpenGL contexts, as that engine needs.
void PrepareEngineEnvironment();

}  // namespace quillory
