#include "platform/Forms.h"

#include <QApplication>
#include <QList>

namespace quillory {

namespace {

// The loaded forms, in the order they were loaded.
QList<QPointer<QWidget>>& LoadedForms()
{
    static QList<QPointer<QWidget>> forms;
    return forms;
}

QWidget* AnyUnownedWindow()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->parentWidget())
            return window;
    }
    return nullptr;
}

}  // namespace

void AdoptForm(QWidget* form)
{
    LoadedForms().removeAll(nullptr);
    LoadedForms().append(form);
}

bool FormLoaded(const QWidget* form)
{
    return form && LoadedForms().contains(const_cast<QWidget*>(form));
}

void UnloadForm(QWidget* form)
{
    LoadedForms().removeAll(form);
    form->deleteLater();
}

void DeleteAllWindows()
{
    while (!LoadedForms().isEmpty()) {
        const QPointer<QWidget> form = LoadedForms().takeLast();
        delete form.data();
    }
    while (QWidget* window = AnyUnownedWindow())
        delete window;
}

}  // namespace quillory
