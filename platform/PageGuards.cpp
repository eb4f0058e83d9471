#include "platform/PageGuards.h"

#include <QAuthenticator>
#include <QCoreApplication>
#include <QWebEngineCertificateError>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace quillory {

void GuardPage(QWebEnginePage& page)
{
    QWebEnginePage* p = &page;
    QObject::connect(p, &QWebEnginePage::featurePermissionRequested, p,
                     [p](const QUrl& origin, QWebEnginePage::Feature feature) {
                         p->setFeaturePermission(origin, feature, QWebEnginePage::PermissionDeniedByUser);
                     });
    QObject::connect(p, &QWebEnginePage::fullScreenRequested, p,
                     [](QWebEngineFullScreenRequest request) { request.reject(); });
    QObject::connect(p, &QWebEnginePage::authenticationRequired, p,
                     [](const QUrl&, QAuthenticator* authenticator) { *authenticator = QAuthenticator(); });
    QObject::connect(p, &QWebEnginePage::proxyAuthenticationRequired, p,
                     [](const QUrl&, QAuthenticator* authenticator, const QString&) {
                         *authenticator = QAuthenticator();
                     });
    QObject::connect(p, &QWebEnginePage::certificateError, p,
                     [](QWebEngineCertificateError error) { error.rejectCertificate(); });
    QObject::connect(p, &QWebEnginePage::fileSystemAccessRequested, p,
                     [](QWebEngineFileSystemAccessRequest request) { request.reject(); });
    QObject::connect(p, &QWebEnginePage::registerProtocolHandlerRequested, p,
                     [](QWebEngineRegisterProtocolHandlerRequest request) { request.reject(); });
    // printRequested is left unconnected: window.print() then does nothing.
}

void GuardView(QWebEngineView& view)
{
    view.setContextMenuPolicy(Qt::NoContextMenu);
    view.setAcceptDrops(false);
}

void GuardProfile(QWebEngineProfile& profile)
{
    QObject::connect(&profile, &QWebEngineProfile::downloadRequested, &profile,
                     [](QWebEngineDownloadRequest* download) { download->cancel(); });
    profile.settings()->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
}

bool IsLeavePageQuestion(const QString& message)
{
    // The engine's own text, translated as the engine translates it.
    static const QString question = QCoreApplication::translate(
        "QWebEnginePage", "Are you sure you want to leave this page? Changes that you made may not be saved.");
    return message == question;
}

}  // namespace quillory
