#include "platform/keyboard/KeyboardChoice.h"

#include "platform/SystemKeyboard.h"

#include <QFile>
#include <QRegularExpression>
#include <QtGlobal>

namespace quillory {

namespace {

const QString kOperatorLayouts = QStringLiteral("/etc/quillory/keyboards/");
const QString kOwnLayouts = QStringLiteral(":/keyboards/");
const QString kFallbackLayout = QStringLiteral("us");

std::optional<KeyboardLayout> LayoutNamed(const QString& name)
{
    // A name, not a path: nothing outside the two folders is read.
    static const QRegularExpression plainName(QStringLiteral("^[A-Za-z0-9_-]{1,32}$"));
    if (!plainName.match(name).hasMatch())
        return std::nullopt;
    for (const QString& folder : {kOperatorLayouts, kOwnLayouts}) {
        const QString path = folder + name + QStringLiteral(".layout");
        if (!QFile::exists(path))
            continue;
        QString error;
        if (std::optional<KeyboardLayout> layout = KeyboardLayout::Load(path, &error))
            return layout;
        qWarning("Keyboard layout %s is not used: %s", qPrintable(path), qPrintable(error));
    }
    return std::nullopt;
}

}  // namespace

KeyboardMode ChosenKeyboardMode()
{
    const QByteArray mode = qgetenv("QUILLORY_KEYBOARD").trimmed().toLower();
    if (mode == "always")
        return KeyboardMode::Always;
    if (mode == "never")
        return KeyboardMode::Never;
    return KeyboardMode::Touch;
}

KeyboardLayout ChosenKeyboardLayout()
{
    QString name = qEnvironmentVariable("QUILLORY_KEYBOARD_LAYOUT").trimmed();
    if (name.isEmpty())
        name = SystemKeyboardLayoutName();
    if (std::optional<KeyboardLayout> layout = LayoutNamed(name))
        return *layout;
    if (std::optional<KeyboardLayout> layout = LayoutNamed(kFallbackLayout))
        return *layout;
    return {};  // the program's own file is missing: an empty keyboard
}

}  // namespace quillory
