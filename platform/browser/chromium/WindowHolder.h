#pragma once
// Another process's window, taken into a widget of the program's as soon as
// it is shown and kept to the widget's rectangle: a window manager that
// managed it first may still move or hide it a moment later, and the browser
// resizes its window when a page goes full screen.

#include <QMargins>
#include <QObject>

#include <functional>

class QTimer;
class QWidget;

namespace quillory {

// Names a native child window of the program's, which would otherwise bear
// the program's name on the window system, as its top-level windows do.
void NameHelperWindow(QWidget& window, const char* name);

class WindowHolder : public QObject {
    Q_OBJECT
public:
    // The window's id once it is shown, 0 until then.
    using Finder = std::function<quint64()>;

    explicit WindowHolder(QWidget* holder);

    // Looks for the window every 20 ms, for 15 s at most, then holds it.
    void Take(Finder find);
    // Lets the window go back to the screen's root, unmapped, before the
    // holder goes: a window destroyed with its parent is gone for its
    // process too.
    void Release();
    // Forgets the window, which went with its process.
    void Forget();
    quint64 Window() const { return window_; }
    // Puts the window back into the holder's rectangle now.
    void Hold();
    // The window reaches this far beyond the holder's rectangle, where the
    // holder clips it: the browser's own bars above the page, say.
    void SetHiddenMargins(const QMargins& margins);
    // Where the window is held, in the holder's coordinates.
    QRect HeldRect() const;

signals:
    // At each look at a held window; `settling` for the first 5 s.
    void Held(bool settling);

private:
    void Step();

    QWidget* holder_;
    QTimer* timer_;
    Finder find_;
    quint64 window_ = 0;
    int steps_ = 0;
    QMargins hiddenMargins_;
};

}  // namespace quillory
