#include "platform/browser/chromium/TouchSwitches.h"

namespace quillory {

QStringList TouchSwitches()
{
    return {QStringLiteral("--disable-pinch"), QStringLiteral("--overscroll-history-navigation=0")};
}

}  // namespace quillory
