#include "platform/browser/chromium/NetworkEmulation.h"

#include "platform/browser/NetworkConditions.h"
#include "platform/browser/chromium/DevToolsPipe.h"

namespace quillory {

NetworkEmulation::NetworkEmulation(DevToolsPipe& pipe, QObject* parent) : QObject(parent), pipe_(pipe)
{
}

void NetworkEmulation::Apply(const QString& session)
{
    ++unanswered_;
    pipe_.Send(QStringLiteral("Network.enable"), {}, session);
    pipe_.Send(QStringLiteral("Network.emulateNetworkConditions"), NetworkConditions(offline_), session,
               [this](const QJsonObject&, const QString&) {
                   --unanswered_;
                   emit Answered();
               });
}

void NetworkEmulation::SetOffline(bool offline, const QStringList& sessions)
{
    offline_ = offline;
    for (const QString& session : sessions)
        Apply(session);
}

}  // namespace quillory
