#pragma once
// Locks on files that a run holds for as long as it lives: the system lets
// them go when the process ends, however it ends. Each system's folder
// (platform/posix, platform/win32) gives its own.

namespace quillory {

// Makes the file at path, already locked: it is made under another name,
// locked, then renamed, so no other run ever finds it unlocked. Returns the
// lock, or -1 when it could not be taken (always, where not supported).
int TakeNewFileLock(const char* path);

// True when the file at path is there and no living run holds its lock.
bool FileLockIsFree(const char* path);

// Lets a lock go; does nothing for -1.
void ReleaseFileLock(int lock);

}  // namespace quillory
