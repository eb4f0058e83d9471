#pragma once
// A still picture of what the browser control showed, and the wait for a page
// to be drawn: while no live page can be on the screen (a return home, a
// renewal), its picture stands in for it.

#include <QPixmap>
#include <QWidget>

#include <functional>

namespace quillory {

class FrmBrowser;

// Draws its picture, the same while the window is disabled.
class StillPicture final : public QWidget {
public:
    StillPicture(const QPixmap& picture, QWidget* parent);

    const QPixmap& Picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QPixmap picture_;
};

// Whether the browser control draws in one colour only, as it does with the
// new empty page until the homepage is drawn over it.
bool BrowserShowsOneColour(FrmBrowser& form);

// Calls then() once the page, loaded, has had time to be drawn: a second at
// least, and longer while the control still shows one colour, up to 5 s.
// Nothing is called once the guard is gone.
void WhenDrawn(FrmBrowser& form, QObject* guard, const std::function<void()>& then);

}  // namespace quillory
