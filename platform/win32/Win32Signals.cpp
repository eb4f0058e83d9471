#include "platform/ProgramEnd.h"

namespace quillory {

// Windows sends a program no SIGTERM or SIGINT to catch.
void EndProgramOnTerminationSignals()
{
}

}  // namespace quillory
