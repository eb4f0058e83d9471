#pragma once
// The exit password prompt. The right password unlocks the keys and ends the
// program; a wrong one hides the prompt and keeps what was typed.

#include <QWidget>
#include <cstdint>

class QLabel;
class QLineEdit;

namespace quillory {

class FrmPassword : public QWidget {
    Q_OBJECT
public:
    FrmPassword();

    QLineEdit* txtPassword;
    QLabel* lblPassword;

    // Shows the prompt modeless, with no owner; centred on the screen the
    // first time after it was loaded, where it was left afterwards.
    void Show();
    void Hide();

    void Form_Load();
    void txtPassword_KeyPress(std::int16_t& KeyAscii);

protected:
    // The close box unloads the prompt: what was typed is gone, and the next
    // use loads it anew.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool placed_ = false;
};

// The program's one prompt, loaded (which runs its Form_Load) on first use (see Forms.h).
FrmPassword& frmPassword();

}  // namespace quillory
