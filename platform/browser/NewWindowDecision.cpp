#include "platform/browser/NewWindowDecision.h"

#include "platform/browser/BrowserControl.h"

namespace quillory {

bool NewWindowAllowed(BrowserControl& control, qsizetype open)
{
    QObject* ppDisp = nullptr;
    Boolean Cancel = False;
    emit control.NewWindow2(&ppDisp, &Cancel);
    return Cancel == False && open < kMostOpenWindows;
}

}  // namespace quillory
