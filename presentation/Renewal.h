#pragma once
// Renewal: the web engine's own memory grows with every navigation, however
// long the program runs. At an idle reset, once the memory of the program's
// process tree has grown more than a bound above its size at the first idle
// reset, the program hands the presentation to a fresh instance of itself,
// with the same settings, and goes:
//
//  1. the old instance stops its resets, waits for the homepage the reset
//     brings back to be loaded and drawn, covers its window with a still
//     picture of it, drops its pages and its browser profile (which writes
//     out the disk cache), and starts the new instance;
//     the settings go over a socket, never through argv or the environment;
//  2. the new instance shows its window below the old one, loads the
//     homepage, raises its window over the picture once the homepage is
//     drawn, says it is ready, and only then starts its resets;
//  3. the old instance lets go of the keyboard, which the new one has been
//     asking for without pause, and goes: the first instance becomes the
//     waiter the boot session keeps waiting on (platform/RenewalWaiter.h).
//
// Linux only; elsewhere the program never renews itself.

#include <QtGlobal>

namespace quillory {

class FrmBrowser;

namespace renewal {

// The bound in KiB: QUILLORY_RENEWAL_MIB MiB when set to a whole number (0
// turns renewal off), otherwise 256 MiB.
qint64 BoundKiB();

// Called at every idle reset, once the reset has sent the page home. Only
// where the engine outlives its visitors: Chromium, started anew for each
// visitor, never needs it.
void AtIdleReset(FrmBrowser& form);

// In an instance started by a renewal, takes over the settings and the
// presentation and returns true; in any other, returns false.
bool TakeOver();

}  // namespace renewal
}  // namespace quillory
