#pragma once
// The presentation's browser starts as soon as the command line is read,
// while the program's windows are built: on an engine that is a program of
// its own, its start is most of the time to the homepage.

#include <memory>

namespace quillory {

class ChromiumVisit;

// Starts the first visitor's browser where the presentation's engine is a
// separate browser; does nothing on Qt WebEngine.
void StartPresentationBrowserEarly();

#ifndef _WIN32
// The visit started early, for the presentation's control to take over; null
// if none was started or it was taken already.
std::unique_ptr<ChromiumVisit> TakeEarlyChromiumVisit();
#endif

}  // namespace quillory
