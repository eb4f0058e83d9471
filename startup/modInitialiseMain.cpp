// modInitialise::Main: reads the command line, asks for what is missing, then
// starts the presentation. Kept apart from the scanner, which the fuzzers build alone.

#include "dialog/frmURLPrompt.h"
#include "platform/ArgumentText.h"
#include "platform/ProgramEnd.h"
#include "platform/browser/EarlyStart.h"
#include "presentation/Renewal.h"
#include "presentation/frmBrowser.h"
#include "startup/modInitialise.h"

namespace quillory::modInitialise {

void Main()
{
    // An instance started by a renewal takes its settings from the one before.
    if (renewal::TakeOver())
        return;

    // The argument text is capped so that every position fits the 16-bit scanner.
    CommandLine = ArgumentText().left(MaxArgumentTextLength);
    const bool ShowDialog = ReadCommandLine();

    if (ShowDialog) {
        // Start hides the dialog and the presentation follows; Close, or
        // closing the dialog, ends the program inside it.
        frmURLPrompt().ShowModal();
        if (ProgramEnded())
            return;
    }

    // The browser starts while the presentation's windows are built.
    StartPresentationBrowserEarly();
    frmBrowser().Show();
}

}  // namespace quillory::modInitialise
