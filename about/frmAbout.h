#pragma once
// The About box: the page "index.htm" from the program's folder, drawn by a
// text browser (Qt's own HTML, so the box maps no web engine), and an OK
// button. Opened modally from the settings dialog; each
// opening loads it anew, and closing it discards it.

#include <QPointer>
#include <QWidget>
#include <cstdint>

class QPushButton;
class QTextBrowser;

namespace quillory {

class FrmAbout : public QWidget {
    Q_OBJECT
public:
    // Centred over, and kept above, the window that opens it; not in the taskbar.
    explicit FrmAbout(QWidget* opener);

    QPushButton* cmdOK;
    QTextBrowser* webBrowser;  // the page

    // Shows the box modally; returns once it has been unloaded.
    void ShowModal();
    // Closes the window and discards it.
    void Unload();

    void Form_Load();
    void cmdOK_Click();
    // Button and Shift are masks, X and Y twips.
    void Form_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QPointer<QWidget> opener_;
};

}  // namespace quillory
