#pragma once
// Cache-only reading for one page, as the old control's offline switch did.
//
// The engine has no public switch for it. Two things together give it:
// - the engine's own network emulation, switched to offline through a hidden
//   developer-tools page attached in-process to the page (no debugging port is
//   ever opened): loads are served from the disk cache, everything else fails;
// - an application proxy that points nowhere, for what the emulation does not
//   cover (frame documents, new windows): nothing reaches the network.

#include <QNetworkProxy>
#include <QObject>

class QWebEnginePage;

namespace quillory {

class OfflineMode : public QObject {
    Q_OBJECT
public:
    OfflineMode(QWebEnginePage* page, QObject* parent);

    void setOffline(bool offline);
    bool isOffline() const { return offline_; }
    // False from a switch until the engine has taken it; navigations wait.
    bool isReady() const { return ready_; }

signals:
    void ready();

private:
    void SendEmulation();
    void SendThrowawayRequest();
    void BecomeReadyWhenDone();

    QWebEnginePage* page_;
    QWebEnginePage* devTools_ = nullptr;
    QWebEnginePage* throwaway_ = nullptr;
    QNetworkProxy operatorProxy_{QNetworkProxy::DefaultProxy};
    bool offline_ = false;
    bool ready_ = true;
    bool emulationSent_ = false;
    bool proxyTaken_ = false;
};

}  // namespace quillory
