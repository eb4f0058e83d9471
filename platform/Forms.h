#pragma once
// Who owns the program's windows, decided here for all of them.
// - The forms (the presentation window, the exit prompt, the settings dialog)
//   are loaded on first use by their accessors, frmBrowser(), frmPassword()
//   and frmURLPrompt(), and belong to this module. A form that unloads itself
//   is forgotten at once, so its accessor never hands it out again but loads
//   a new one.
// - The About box belongs to itself: closing it deletes it.
// - A page's popups belong to the browser control that opened them; closing
//   one deletes it, and the control deletes those still open with itself.
// At the end of the run DeleteAllWindows deletes them all, each exactly once.

#include <QPointer>
#include <QWidget>

namespace quillory {

// Takes a newly loaded form into the program's ownership.
void AdoptForm(QWidget* form);

// Whether the form was adopted and has not been unloaded since.
bool FormLoaded(const QWidget* form);

// Unloads a form: forgotten at once, deleted once its events have run.
void UnloadForm(QWidget* form);

// Deletes the forms, the last loaded first, and then every window still there
// that no other window owns, looking afresh after each deletion: deleting one
// window may delete others (a control's popups), so no list made beforehand
// can be trusted.
void DeleteAllWindows();

// The accessors' one pattern: the loaded form kept in `slot`, or a new one
// made by `load`, which returns it ready for use.
template <typename Form, typename Load>
Form& LoadedForm(QPointer<Form>& slot, Load load)
{
    if (!slot || !FormLoaded(slot.data())) {
        Form* form = load();
        AdoptForm(form);
        slot = form;
    }
    return *slot;
}

}  // namespace quillory
