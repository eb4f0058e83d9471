#pragma once
// The exit password prompt. The right password unlocks the keys and ends the
// program; a wrong one hides the prompt, keeps what was typed, and makes the
// prompt wait longer before it opens again.

#include <QWidget>
#include <cstdint>

class QLabel;
class QLineEdit;
class QTimer;

namespace quillory {

class PromptKeyGate;

class FrmPassword : public QWidget {
    Q_OBJECT
public:
    FrmPassword();

    QLineEdit* txtPassword;
    QLabel* lblPassword;

    // Shows the prompt modeless, with no owner; centred on the screen the
    // first time after it was loaded, where it was left afterwards. After a
    // wrong password it opens only once the wait is over (see RetryWait.h).
    // From the first call until Hide, keys go to the prompt or nowhere.
    void Show();
    // Hides it, and calls off a show that waits.
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
    QTimer* pendingShow_;
    PromptKeyGate* keyGate_;
};

// The program's one prompt, loaded (which runs its Form_Load) on first use (see Forms.h).
FrmPassword& frmPassword();

}  // namespace quillory
