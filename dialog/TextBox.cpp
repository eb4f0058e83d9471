#include "dialog/TextBox.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QValidator>
#include <algorithm>

namespace quillory {

// Checks every change of the box's text. Text the program puts in with
// SetText is kept whole, even past the limit (QLineEdit's own maximum would
// cut it). A person's change may not leave more characters than the limit:
// the typed or pasted piece is cut to the room left, which is none when the
// rest of the text already fills the box; what the change deleted stays deleted.
class TextLimit final : public QValidator {
public:
    using QValidator::QValidator;

    int limit = 0;        // 0: none
    QString current;      // the box's text as it stands, before the change checked
    QString programText;  // what SetText is putting in, accepted whole

    State validate(QString& input, int& position) const override
    {
        if (limit == 0 || input == programText || input.size() <= limit)
            return Acceptable;
        // The inserted piece lies between what the text kept at its start and at its end.
        const qsizetype shorter = std::min(current.size(), input.size());
        qsizetype prefix = 0;
        while (prefix < shorter && current.at(prefix) == input.at(prefix))
            ++prefix;
        qsizetype suffix = 0;
        while (suffix < shorter - prefix &&
               current.at(current.size() - 1 - suffix) == input.at(input.size() - 1 - suffix))
            ++suffix;
        const qsizetype room = std::max<qsizetype>(0, limit - prefix - suffix);
        input = input.left(prefix + room) + input.right(suffix);
        position = static_cast<int>(prefix + room);
        return input == current ? Invalid : Acceptable;
    }
};

namespace {

bool AltWithoutCtrl(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier);
}

// The characters a key press types, as the old character events gave them:
// Ctrl with a letter gives its control character even where the platform
// sends no text; Delete and keys without text type nothing.
QString TypedCharacters(const QKeyEvent& event)
{
    if (event.key() == Qt::Key_Delete)
        return {};
    if (!event.text().isEmpty())
        return event.text();
    if ((event.modifiers() & Qt::ControlModifier) && event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z)
        return QString(QChar(event.key() - Qt::Key_A + 1));
    return {};
}

}  // namespace

TextBox::TextBox(QWidget* parent) : QLineEdit(parent), limit_(new TextLimit(this))
{
    setValidator(limit_);
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        limit_->current = text;
        limit_->programText.clear();
    });
}

void TextBox::setMaxLength(int characters)
{
    limit_->limit = characters;
}

int TextBox::MaxLength() const
{
    return limit_->limit;
}

void TextBox::SetText(const QString& text)
{
    limit_->programText = text;
    setText(text);
    limit_->programText.clear();
}

void TextBox::focusInEvent(QFocusEvent* event)
{
    const bool returning = focusParked_ &&
                           (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason);
    focusParked_ = false;
    // QLineEdit would select everything on Tab; without a reason it only shows the caret.
    QFocusEvent plain(event->type(), returning ? event->reason() : Qt::OtherFocusReason);
    QLineEdit::focusInEvent(&plain);
    if (returning)
        return;
    emit GotFocus();
    keepSelectionThroughClick_ = event->reason() == Qt::MouseFocusReason && hasSelectedText();
}

void TextBox::focusOutEvent(QFocusEvent* event)
{
    keepSelectionThroughClick_ = false;
    QLineEdit::focusOutEvent(event);
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) {
        focusParked_ = true;
        return;
    }
    emit LostFocus();
}

void TextBox::keyPressEvent(QKeyEvent* event)
{
    const QString typed = TypedCharacters(*event);
    if (!typed.isEmpty() && AltWithoutCtrl(event->modifiers())) {
        event->ignore();  // Alt with a key is a command for the window, never typing
        return;
    }
    if (typed.isEmpty()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    QString kept;
    for (const QChar c : typed) {
        std::int16_t KeyAscii = static_cast<std::int16_t>(c.unicode());
        emit KeyPress(KeyAscii);
        if (KeyAscii != 0)
            kept += QChar(static_cast<char16_t>(KeyAscii));
    }
    if (kept == typed) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    // The handler discarded or replaced characters: type what it kept.
    if (!kept.isEmpty())
        insert(kept);
    event->accept();
}

void TextBox::mousePressEvent(QMouseEvent* event)
{
    if (keepSelectionThroughClick_) {
        event->accept();
        return;
    }
    QLineEdit::mousePressEvent(event);
}

void TextBox::mouseMoveEvent(QMouseEvent* event)
{
    if (keepSelectionThroughClick_) {
        event->accept();
        return;
    }
    QLineEdit::mouseMoveEvent(event);
}

void TextBox::mouseReleaseEvent(QMouseEvent* event)
{
    if (keepSelectionThroughClick_) {
        keepSelectionThroughClick_ = false;
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void TextBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    keepSelectionThroughClick_ = false;
    QLineEdit::mouseDoubleClickEvent(event);
}

}  // namespace quillory
