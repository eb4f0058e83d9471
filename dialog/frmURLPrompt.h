#pragma once
// The settings dialog: asks for the homepage URL, the minimum delay, the
// three options and the exit password when the command line did not give a
// usable URL or delay. Start hands them to the presentation; Close, or
// closing the window, ends the program.

#include <QWidget>
#include <cstdint>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace quillory {

class TextBox;

class FrmURLPrompt : public QWidget {
    Q_OBJECT
public:
    // Client heights of the two views, in twips; the width never changes.
    static constexpr float kClientWidth = 4695;
    static constexpr float kCompactHeight = 3030;
    static constexpr float kExpandedHeight = 5415;

    FrmURLPrompt();
    ~FrmURLPrompt() override;

    // The controls, as designed (frmURLPromptDesign.cpp).
    QLabel* lblURL;
    TextBox* txtHomepageURL;
    QLabel* lnlDelay;
    TextBox* txtMinDelay;
    QLabel* lblSeconds;
    QLabel* lblOptions;
    QCheckBox* chkAllowNewWindows;
    QCheckBox* chkWorkOffline;
    QCheckBox* chkCloseOpenWindows;
    TextBox* txtPassword;
    QLabel* lblPassword;
    QPushButton* cmdOK;
    QPushButton* cmdClose;
    QPushButton* cmdMore;
    QGroupBox* Frame1;
    QLabel* lblSubTitle;
    QLabel* lblHelp1;
    QLabel* lblHelp2;
    QLabel* lblCredits;

    // Shows the dialog modally, centred on the screen the first time; returns
    // once Start has hidden it, or once the program has ended.
    void ShowModal();
    void Hide();

    // The client area's height in twips.
    float ClientHeight() const;

    void Form_Load();
    void Form_Unload();
    // Key released anywhere in the dialog. KeyCode is the virtual-key code,
    // Shift the modifier mask (1 Shift, 2 Ctrl, 4 Alt).
    void Form_KeyUp(std::int16_t KeyCode, std::int16_t Shift);
    // Button and Shift are masks, X and Y twips.
    void Form_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void cmdOK_Click();
    void cmdClose_Click();
    void cmdMore_Click();
    void lblCredits_Click();
    void lblCredits_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void txtHomepageURL_GotFocus();
    void txtMinDelay_GotFocus();
    void txtMinDelay_KeyPress(std::int16_t& KeyAscii);
    void txtMinDelay_LostFocus();

protected:
    // Key preview: the dialog sees the key events of its controls first.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void CreateControls();
    void setClientHeight(float twips);
    bool KeyPreview(QWidget* receiver, QKeyEvent* event);
    bool CreditsEvent(QEvent* event);

    bool placed_ = false;
    bool creditsPressed_ = false;
};

// The program's one settings dialog, loaded (which runs its Form_Load) on first use (see Forms.h).
FrmURLPrompt& frmURLPrompt();

}  // namespace quillory
