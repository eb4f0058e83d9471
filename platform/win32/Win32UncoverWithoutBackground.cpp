#include "platform/UncoverWithoutBackground.h"

namespace quillory {

// The desktop window manager keeps every window's picture: an uncovered part
// shows at once as it was drawn.
void KeepContentsWhenUncovered(quint64)
{
}

}  // namespace quillory
