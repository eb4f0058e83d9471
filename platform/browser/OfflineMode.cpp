#include "platform/browser/OfflineMode.h"

#include "platform/browser/NetworkConditions.h"

#include <QJsonDocument>
#include <QNetworkProxy>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>

namespace quillory {

namespace {

// Nothing listens on this port, so a request sent through it is refused at once.
const QNetworkProxy kProxyToNowhere(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), 1);

QString EmulationScript(bool offline)
{
    return QStringLiteral("(function () {"
                          "  const send = (id, method, params) => InspectorFrontendHost.sendMessageToBackend("
                          "      JSON.stringify({id: id, method: method, params: params}));"
                          "  send(900000001, 'Network.enable', {});"
                          "  send(900000002, 'Network.emulateNetworkConditions', %1);"
                          "  return true;"
                          "})()")
        .arg(QString::fromUtf8(QJsonDocument(NetworkConditions(offline)).toJson(QJsonDocument::Compact)));
}

}  // namespace

OfflineMode::OfflineMode(QWebEnginePage* page, QObject* parent) : QObject(parent), page_(page)
{
}

void OfflineMode::setOffline(bool offline)
{
    offline_ = offline;
    if (!offline && !devTools_)
        return;  // never switched on: nothing to undo
    ready_ = false;
    emulationSent_ = false;
    proxyTaken_ = false;
    // Offline, the proxy to nowhere stands in for the operator's own; back
    // online, the operator's comes back.
    if (offline) {
        if (QNetworkProxy::applicationProxy() != kProxyToNowhere)
            operatorProxy_ = QNetworkProxy::applicationProxy();
        QNetworkProxy::setApplicationProxy(kProxyToNowhere);
    } else {
        QNetworkProxy::setApplicationProxy(operatorProxy_);
    }
    SendThrowawayRequest();
    if (!devTools_) {
        devTools_ = new QWebEnginePage(page_->profile(), this);
        connect(devTools_, &QWebEnginePage::loadFinished, this, &OfflineMode::SendEmulation);
        page_->setDevToolsPage(devTools_);
    } else {
        SendEmulation();
    }
}

void OfflineMode::SendEmulation()
{
    devTools_->runJavaScript(EmulationScript(offline_), [this](const QVariant&) {
        emulationSent_ = true;
        BecomeReadyWhenDone();
    });
}

// The engine reads the application proxy only when it next sends a request,
// and that request may still go out the old way: spend it on an address where
// nothing listens.
void OfflineMode::SendThrowawayRequest()
{
    if (!throwaway_) {
        throwaway_ = new QWebEnginePage(page_->profile(), this);
        connect(throwaway_, &QWebEnginePage::loadFinished, this, [this] {
            proxyTaken_ = true;
            BecomeReadyWhenDone();
        });
    }
    throwaway_->load(QUrl(QStringLiteral("http://127.0.0.1:1/")));
}

void OfflineMode::BecomeReadyWhenDone()
{
    if (ready_ || !emulationSent_ || !proxyTaken_)
        return;
    ready_ = true;
    emit ready();
}

}  // namespace quillory
