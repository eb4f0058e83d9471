#pragma once
// What renewal (presentation/Renewal.h) asks of the system: starting the new
// instance of the program with a socket to this one, and that socket. The
// Linux half is in platform/posix; on Windows, where the program never renews
// itself, no successor starts and the channel functions only fail.

#include <QByteArray>

#include <cstdint>

namespace quillory {

// Names the new instance's end of the socket, by its descriptor number.
inline constexpr char kChannelVariable[] = "QUILLORY_RENEWAL_FD";

// A new instance; namingRead is the read end of the pipe on which instances
// name their successors, when this instance made it (-1 otherwise).
struct Successor {
    std::int64_t pid = 0;
    int channel = -1;
    int namingRead = -1;
};

// Starts the program again, handing it the socket and the naming pipe (whose
// write end is namingWrite, or a new pipe when that is -1) and nothing else of
// this process. Returns nullptr, or why the new instance could not start.
const char* SpawnSuccessor(int namingWrite, Successor& started);

// Sends all of data; false when the other end is gone.
bool SendAll(int channel, const QByteArray& data);

// Waits at most timeoutMs for something to read (or the other end to go).
bool WaitForChannel(int channel, int timeoutMs);

// Reads what has come, at most size bytes; 0 or less when the other end is gone.
std::int64_t ReadChannel(int channel, char* buffer, std::int64_t size);

// Keeps the channel from the processes this one starts (the engine's).
void KeepChannelFromChildren(int channel);

void CloseChannel(int channel);

}  // namespace quillory
