#pragma once
// The keys of the on-screen keyboard, read from a layout file: a layer of
// letters and one of symbols, each a list of rows. The file format is told
// in resources/keyboards/us.layout.

#include <QList>
#include <QString>

#include <optional>

namespace quillory {

struct KeyboardKey {
    enum class Kind { Character, Backspace, Tab, Enter, Shift, Symbols, Letters, Left, Right, Space, Hide, Gap };
    Kind kind = Kind::Character;
    QString lower;  // what a character key types, and with Shift
    QString upper;
    double width = 1;  // in key widths
};

using KeyboardRow = QList<KeyboardKey>;

struct KeyboardLayout {
    QString name;
    QList<KeyboardRow> letters;
    QList<KeyboardRow> symbols;

    // The layout a file's text describes; nothing, with the reason in
    // `error`, for a text that is not one.
    static std::optional<KeyboardLayout> Parse(const QString& text, QString* error = nullptr);
    static std::optional<KeyboardLayout> Load(const QString& path, QString* error = nullptr);
};

}  // namespace quillory
