#pragma once
// The process that the boot session started must stay the one it waits on
// across renewals. At its first renewal the program turns that process into
// a small waiter: it reaps every process below it (it is their subreaper) and
// ends, once the kiosk has ended, with the kiosk's own status. Each instance
// that renews itself names its successor to the waiter over a pipe before it
// goes, so the waiter always knows which process is the kiosk.
// Linux only: elsewhere the program is never started as the waiter.

#include <optional>

namespace quillory {

// When this process was started as the waiter, waits and returns the status
// to end with; otherwise returns nothing at once. Called first thing in main.
std::optional<int> RunAsRenewalWaiter();

// Replaces this process with the waiter, which starts out waiting for kiosk.
// namesSuccessors is the read end of the pipe on which later instances name
// their successors. Returns only if the program cannot be started again.
void BecomeRenewalWaiter(int namesSuccessors, long kiosk);

// The write end of that pipe, handed down to every instance after the first;
// -1 in the first instance, which will become the waiter itself.
int SuccessorNamingPipe();

// Names the process that takes over from this instance.
void NameSuccessor(long kiosk);

// The variable that hands the pipe's write end down.
inline constexpr char kSuccessorPipeVariable[] = "QUILLORY_RENEWAL_WAITER_FD";

}  // namespace quillory
