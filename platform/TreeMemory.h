#pragma once
// The memory a process and all its descendants (the web engine's helper
// processes) hold of their own: the sum of their anonymous and shared-memory
// proportional set sizes. Pages of mapped libraries are left out, since they
// come and go with what the system happens to keep in memory.

#include <QtGlobal>
#include <optional>

namespace quillory {

// In KiB, from Linux's /proc; nothing where the system does not report it.
std::optional<qint64> TreeMemoryKiB(qint64 rootPid);

}  // namespace quillory
