#include "platform/browser/Compositing.h"

#include "platform/Gpu.h"

#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QtGlobal>

namespace quillory {

void ChooseCompositing()
{
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND") || qEnvironmentVariableIsSet("QSG_RHI_BACKEND"))
        return;
    if (DisplayLacksGpu())
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

}  // namespace quillory
