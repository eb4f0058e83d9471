#include "platform/keyboard/OnScreenKeyboard.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStackedLayout>
#include <QStyle>
#include <QVBoxLayout>

#include <cmath>

namespace quillory {

namespace {

using Kind = KeyboardKey::Kind;

constexpr int kLetters = 0;
constexpr int kSymbols = 1;
// Widths are set as stretch factors, in hundredths of a key.
constexpr double kStretchUnit = 100;
constexpr int kKeyPixelsAt96Dpi = 56;
constexpr int kSmallestKeyAt96Dpi = 48;

// Dark surface, light keys for what is typed, grey ones for the rest; a key
// lights up while pressed, and Shift stays lit while it holds.
const char kLook[] = R"(
quillory--OnScreenKeyboard { background: #202124; }
QPushButton {
    border: none; border-radius: 6px; margin: 3px;
    background: #f1f3f4; color: #202124; font-size: 22px;
}
QPushButton[role="command"] { background: #5f6368; color: #ffffff; font-size: 18px; }
QPushButton[role="command"][lit="true"] { background: #8ab4f8; color: #202124; }
QPushButton:pressed, QPushButton[role="command"]:pressed { background: #1a73e8; color: #ffffff; }
)";

// A button takes "&" as the mark of its shortcut letter: "&&" shows one.
QString Shown(const QString& character)
{
    return QString(character).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QString Label(const KeyboardKey& key)
{
    switch (key.kind) {
    case Kind::Backspace:
        return QStringLiteral("\u232B");
    case Kind::Tab:
        return QStringLiteral("Tab \u21E5");
    case Kind::Enter:
        return QStringLiteral("Enter \u23CE");
    case Kind::Shift:
        return QStringLiteral("\u21E7");
    case Kind::Symbols:
        return QStringLiteral("?123");
    case Kind::Letters:
        return QStringLiteral("ABC");
    case Kind::Left:
        return QStringLiteral("\u25C0");
    case Kind::Right:
        return QStringLiteral("\u25B6");
    case Kind::Space:
        return {};
    case Kind::Hide:
        return QStringLiteral("\u2328 \u25BE");
    case Kind::Gap:
    case Kind::Character:
        break;
    }
    return Shown(key.lower);
}

}  // namespace

int OnScreenKeyboard::KeySize(const QWidget& on)
{
    const double scale = on.logicalDpiY() / 96.0;
    return static_cast<int>(std::lround(std::max(kKeyPixelsAt96Dpi, kSmallestKeyAt96Dpi) * scale));
}

OnScreenKeyboard::OnScreenKeyboard(const KeyboardLayout& layout, QWidget* parent)
    : QWidget(parent),
      layers_(new QStackedLayout(this))
{
    setObjectName(QStringLiteral("onScreenKeyboard"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QString::fromLatin1(kLook));
    // Pressing a key must leave the focus where it is: in the field.
    setFocusPolicy(Qt::NoFocus);
    layers_->addWidget(BuildLayer(layout.letters));
    layers_->addWidget(BuildLayer(layout.symbols));
    const int rows = static_cast<int>(std::max(layout.letters.size(), layout.symbols.size()));
    setFixedHeight(rows * KeySize(*this) + 8);
    UpdateLabels();
}

QWidget* OnScreenKeyboard::BuildLayer(const QList<KeyboardRow>& rows)
{
    auto* layer = new QWidget(this);
    auto* column = new QVBoxLayout(layer);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(0);
    for (const KeyboardRow& keys : rows) {
        auto* row = new QHBoxLayout;
        row->setSpacing(0);
        for (const KeyboardKey& key : keys) {
            const int stretch = static_cast<int>(std::lround(key.width * kStretchUnit));
            if (key.kind == Kind::Gap)
                row->addStretch(stretch);
            else
                row->addWidget(BuildKey(key), stretch);
        }
        column->addLayout(row);
    }
    return layer;
}

QPushButton* OnScreenKeyboard::BuildKey(const KeyboardKey& key)
{
    auto* button = new QPushButton(Label(key));
    button->setFocusPolicy(Qt::NoFocus);
    button->setMinimumSize(KeySize(*this) * 48 / kKeyPixelsAt96Dpi, KeySize(*this) - 6);
    button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
    const bool character = key.kind == Kind::Character || key.kind == Kind::Space;
    button->setProperty("role", character ? "character" : "command");
    // Held down, Backspace and the arrows repeat, as on a real keyboard.
    const bool repeats = key.kind == Kind::Backspace || key.kind == Kind::Left || key.kind == Kind::Right;
    button->setAutoRepeat(repeats);
    if (key.kind == Kind::Character)
        characterKeys_.append({button, key});
    if (key.kind == Kind::Shift)
        shiftKeys_.append(button);
    connect(button, &QPushButton::clicked, this, [this, key] { Press(key); });
    return button;
}

void OnScreenKeyboard::Press(const KeyboardKey& key)
{
    switch (key.kind) {
    case Kind::Character:
        emit TextTyped(shift_ == Shift::Off ? key.lower : key.upper);
        if (shift_ == Shift::Once) {
            shift_ = Shift::Off;
            UpdateLabels();
        }
        break;
    case Kind::Space:
        emit TextTyped(QStringLiteral(" "));
        break;
    case Kind::Backspace:
        emit KeyTyped(Qt::Key_Backspace);
        break;
    case Kind::Tab:
        emit KeyTyped(Qt::Key_Tab);
        break;
    case Kind::Enter:
        emit KeyTyped(Qt::Key_Return);
        break;
    case Kind::Left:
        emit KeyTyped(Qt::Key_Left);
        break;
    case Kind::Right:
        emit KeyTyped(Qt::Key_Right);
        break;
    case Kind::Shift:
        PressShift();
        break;
    case Kind::Symbols:
        ShowLayer(kSymbols);
        break;
    case Kind::Letters:
        ShowLayer(kLetters);
        break;
    case Kind::Hide:
        emit HideAsked();
        break;
    case Kind::Gap:
        break;
    }
}

// One tap: the next character only. Two quick taps: every character, until
// Shift is tapped again.
void OnScreenKeyboard::PressShift()
{
    const bool doubleTap = shift_ == Shift::Once && sinceShift_.isValid() &&
                           sinceShift_.elapsed() < QApplication::doubleClickInterval();
    if (doubleTap)
        shift_ = Shift::Locked;
    else
        shift_ = shift_ == Shift::Off ? Shift::Once : Shift::Off;
    sinceShift_.start();
    UpdateLabels();
}

void OnScreenKeyboard::ShowLayer(int layer)
{
    layers_->setCurrentIndex(layer);
}

bool OnScreenKeyboard::ShowsSymbols() const
{
    return layers_->currentIndex() == kSymbols;
}

void OnScreenKeyboard::Reset()
{
    shift_ = Shift::Off;
    ShowLayer(kLetters);
    UpdateLabels();
}

void OnScreenKeyboard::UpdateLabels()
{
    for (const auto& [button, key] : std::as_const(characterKeys_))
        button->setText(Shown(shift_ == Shift::Off ? key.lower : key.upper));
    for (QPushButton* shift : std::as_const(shiftKeys_)) {
        shift->setProperty("lit", shift_ != Shift::Off);
        shift->setText(shift_ == Shift::Locked ? QStringLiteral("\u21EA") : QStringLiteral("\u21E7"));
        shift->style()->unpolish(shift);
        shift->style()->polish(shift);
    }
}

}  // namespace quillory
