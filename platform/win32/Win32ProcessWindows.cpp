#include "platform/ProcessWindows.h"

namespace quillory {

// The program takes in no other process's window on Windows.
quint64 FindShownWindowOfProcess(qint64, const QList<quint64>&, const QSize&)
{
    return 0;
}

void HoldWindowWithin(quint64, quint64, const QRect&)
{
}

void ReleaseWindow(quint64)
{
}

bool PointerIsOver(quint64)
{
    return false;
}

FocusChange FocusChangeOf(const QByteArray&, const void*, quint64*)
{
    return FocusChange::None;
}

bool FocusIsWithin(quint64)
{
    return false;
}

bool IsKeyOnRoot(const QByteArray&, const void*)
{
    return false;
}

void ReportKeyOn(void*, quint64)
{
}

bool FocusIsNowhere()
{
    return false;
}

void FocusWindow(quint64)
{
}

}  // namespace quillory
