#include "platform/browser/chromium/StartEntry.h"

#include "platform/browser/chromium/ChromiumStart.h"
#include "platform/browser/chromium/DevToolsPipe.h"

#include <QJsonArray>
#include <QPointer>
#include <QTimer>

namespace quillory {

namespace {

// Looked for every 20 ms, for 2 s at most.
constexpr int kRetryMs = 20;
constexpr int kTries = 100;

}  // namespace

void DropStartEntry(DevToolsPipe& pipe, const QString& session, QObject* context, int tries)
{
    pipe.Send(
        QStringLiteral("Page.getNavigationHistory"), {}, session,
        [&pipe, session, context = QPointer<QObject>(context), tries](const QJsonObject& result, const QString& error) {
            if (!context)
                return;
            const QJsonArray entries = result.value(QLatin1String("entries")).toArray();
            const int current = result.value(QLatin1String("currentIndex")).toInt();
            const QString currentUrl = entries.at(current).toObject().value(QLatin1String("url")).toString();
            // While the page moves to the process of its new site, the
            // session answers that it has no page.
            if (!error.isEmpty() || currentUrl == kStartPage) {
                if (tries < kTries)
                    QTimer::singleShot(kRetryMs, context.data(), [&pipe, session, context, tries] {
                        DropStartEntry(pipe, session, context, tries + 1);
                    });
                return;
            }
            if (entries.size() > 1)
                pipe.Send(QStringLiteral("Page.resetNavigationHistory"), {}, session);
        });
}

}  // namespace quillory
