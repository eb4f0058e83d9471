#pragma once
// The page inside a browser control: reports every new document of the page
// and its frames, and routes requests for new windows to its control.

#include <QWebEnginePage>
#include <functional>

namespace quillory {

class BrowserPage : public QWebEnginePage {
    Q_OBJECT
public:
    // reportDocuments: whether this page tells its control about every new
    // document (the control's own page does; pages of new windows do not).
    BrowserPage(QWebEngineProfile* profile, bool reportDocuments, QObject* parent = nullptr);

    // Asked when the page wants a new window; returns the page of the new
    // window, or nullptr to refuse it.
    std::function<QWebEnginePage*()> newWindowHandler;

signals:
    // A document of the page or one of its frames has been created: a
    // navigation has completed. url is the document's address.
    void documentCreated(const QString& url, bool topLevel);
    // A document of the page or of one of its frames has moved to another
    // address or entry of its own: a navigation within it has completed.
    void movedWithinDocument(const QString& url);

protected:
    QWebEnginePage* createWindow(WebWindowType type) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber,
                                  const QString& sourceID) override;
    // No box of a page ever stays on the screen: alerts are dropped, prompts
    // and confirmations answered "cancel", and leaving the page is always allowed.
    void javaScriptAlert(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptPrompt(const QUrl& securityOrigin, const QString& msg, const QString& defaultValue,
                          QString* result) override;
    // A file picker offers nothing: the page gets no files.
    QStringList chooseFiles(FileSelectionMode mode, const QStringList& oldFiles,
                            const QStringList& acceptedMimeTypes) override;
};

}  // namespace quillory
