#pragma once
// Work on files that may take long is done on a thread of its own, never on
// the GUI thread, where the hot corner, the exit prompt and the keyboard
// lock's check run: copying the homepage's cache for the next visitor, and
// removing the folders of a visitor's ended browser (hundreds of
// milliseconds on a busy machine).

#include <functional>
#include <memory>

class QTemporaryDir;

namespace quillory {

// Runs `work` on the folder thread, after the work asked for before.
void RunFolderWork(std::function<void()> work);

// Removes the folder and all in it, on the folder thread.
void RemoveInBackground(std::unique_ptr<QTemporaryDir> folder);

// Waits until the folder work asked for so far, and any it asked for in
// turn, is done: at the program's end, so that no folder is left behind.
void FinishFolderWork();

}  // namespace quillory
