#pragma once
// Ending the program: at once, with all its windows, and no further event of
// any window runs. The engine still gets to write its disk cache on the way
// out, so that a page seen before the end is there for the next offline run.

namespace quillory {

// Hides every window, stops delivering input and timer events to the
// program's objects, and leaves every running event loop. Safe to call more
// than once; the first status wins.
void EndProgram(int status);

bool ProgramEnded();
int ProgramExitStatus();

// SIGTERM and SIGINT (a service manager stopping the kiosk, Ctrl+C in a
// terminal) end the program the same way, with status 0. The POSIX half is
// in platform/posix; Windows has no such signals, and there it does nothing.
void EndProgramOnTerminationSignals();

}  // namespace quillory
