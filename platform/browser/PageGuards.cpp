#include "platform/browser/PageGuards.h"

#include <QAuthenticator>
#include <QChildEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QWebEngineCertificateError>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QWheelEvent>

namespace quillory {

namespace {

// Keeps visitors from zooming the page: the engine keeps a zoom for each
// site, so a zoomed homepage would stay zoomed after every return home.
// It watches the view and the widget the view draws the page in, which the
// view creates and replaces as pages come and go.
class ZoomBlocker final : public QObject {
public:
    explicit ZoomBlocker(QObject* parent) : QObject(parent) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::ChildAdded:
            if (QObject* child = static_cast<QChildEvent*>(event)->child(); child->isWidgetType())
                child->installEventFilter(this);
            return false;
        case QEvent::Wheel:
            return static_cast<QWheelEvent*>(event)->modifiers() & Qt::ControlModifier;
        case QEvent::KeyPress:
        case QEvent::ShortcutOverride: {
            const auto* key = static_cast<QKeyEvent*>(event);
            const bool zoomKey = key->key() == Qt::Key_Plus || key->key() == Qt::Key_Minus ||
                                 key->key() == Qt::Key_Equal || key->key() == Qt::Key_0;
            return zoomKey && (key->modifiers() & Qt::ControlModifier);
        }
        default:
            return QObject::eventFilter(watched, event);
        }
    }
};

// Refuses the dialogs the engine opens on the view for a page's controls (the
// colour chooser of a colour input): a toolkit dialog is modal, keeps the exit
// gesture from the presentation, and its screen picker takes and lets go the
// keyboard. The dialog is cancelled as soon as it opens, before it can be
// used, so the control keeps its value.
class DialogRefuser final : public QObject {
public:
    explicit DialogRefuser(QObject* parent) : QObject(parent) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ChildPolished) {
            if (auto* dialog = qobject_cast<QDialog*>(static_cast<QChildEvent*>(event)->child()))
                QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

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
    QObject::connect(
        p, &QWebEnginePage::proxyAuthenticationRequired, p,
        [](const QUrl&, QAuthenticator* authenticator, const QString&) { *authenticator = QAuthenticator(); });
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
    view.installEventFilter(new DialogRefuser(&view));
    auto* zoomBlocker = new ZoomBlocker(&view);
    view.installEventFilter(zoomBlocker);
    for (QObject* child : view.children()) {
        if (child->isWidgetType())
            child->installEventFilter(zoomBlocker);
    }
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
