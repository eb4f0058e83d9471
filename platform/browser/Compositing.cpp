#include "platform/browser/Compositing.h"

#include "platform/Gpu.h"

#include <QByteArray>
#include <QtGlobal>

namespace quillory {

void ChooseCompositing()
{
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND") || qEnvironmentVariableIsSet("QSG_RHI_BACKEND"))
        return;
    // The variable rather than QQuickWindow::setGraphicsApi(), which would map
    // Qt Quick into a program whose pages Chromium draws; Qt Quick and Qt
    // WebEngine both read it when the first web view is made.
    if (DisplayLacksGpu())
        qputenv("QT_QUICK_BACKEND", "software");
}

}  // namespace quillory
