// The hot corner of the presentation window: a press on the window's thin
// left strip, held while the pointer goes into the bottom-left corner of the
// screen, opens the exit password prompt.

#include "exit/frmPassword.h"
#include "platform/KeyCodes.h"
#include "platform/ProgramEnd.h"
#include "presentation/frmBrowser.h"

namespace quillory {

namespace {
constexpr float kCornerSize = 20;  // twips
}  // namespace

void FrmBrowser::Form_MouseMove(std::int16_t Button, std::int16_t, float X, float Y)
{
    const float bottom = Height() - kCornerSize;
    if (!(X < kCornerSize && Y > bottom && Button == kLeftButton))
        return;
    FrmPassword& prompt = frmPassword();  // loading it ends the program when no password is set
    if (ProgramEnded())
        return;
    prompt.Show();
    PasswordShown = True;
}

}  // namespace quillory
