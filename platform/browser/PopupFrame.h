#pragma once
// The window of the program's that shows a page a page opened, whichever
// engine draws it: placed by the program, not by a window manager, which
// might put it at the left edge, where the hot corner's gesture runs; kept
// clear of that strip and never maximised; titled with the page's title and
// the marker by which browser windows are known, so that the program can
// find and close it.

#include <QWidget>

namespace quillory {

class PopupFrame : public QWidget {
    Q_OBJECT
public:
    // A window of `size`, at most nine tenths of the screen, centred on it
    // and clear of the left strip; not shown yet.
    explicit PopupFrame(const QSize& size);

    // The page's title, or about:blank while it has none, then the marker.
    void SetPageTitle(const QString& title);

protected:
    // Also after a window manager, a page or a visitor dragging the title
    // bar moved it.
    void moveEvent(QMoveEvent* event) override;
    // Undoes a maximise that a window manager may still do (a double click
    // on the title bar).
    void changeEvent(QEvent* event) override;

private:
    void KeepClearOfLeftStrip();
};

}  // namespace quillory
