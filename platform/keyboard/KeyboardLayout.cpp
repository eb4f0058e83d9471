#include "platform/keyboard/KeyboardLayout.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>

namespace quillory {

namespace {

using Kind = KeyboardKey::Kind;

// Room enough for any real keyboard; a file beyond it is a mistake, and the
// keys would be too small for a finger anyway.
constexpr int kMostRows = 6;
constexpr int kMostKeysInRow = 16;
constexpr double kNarrowest = 0.5;
constexpr double kWidest = 8;

const QHash<QString, Kind>& NamedKinds()
{
    static const QHash<QString, Kind> kinds{
        {QStringLiteral("backspace"), Kind::Backspace},
        {QStringLiteral("tab"), Kind::Tab},
        {QStringLiteral("enter"), Kind::Enter},
        {QStringLiteral("shift"), Kind::Shift},
        {QStringLiteral("symbols"), Kind::Symbols},
        {QStringLiteral("letters"), Kind::Letters},
        {QStringLiteral("left"), Kind::Left},
        {QStringLiteral("right"), Kind::Right},
        {QStringLiteral("space"), Kind::Space},
        {QStringLiteral("hide"), Kind::Hide},
        {QStringLiteral("gap"), Kind::Gap},
    };
    return kinds;
}

std::optional<KeyboardKey> ParseKey(const QString& word, QString* error)
{
    KeyboardKey key;
    static const QRegularExpression named(QStringLiteral(R"(^\{([a-z]+)(?::([0-9]+(?:\.[0-9]+)?))?\}$)"));
    if (const QRegularExpressionMatch match = named.match(word); match.hasMatch()) {
        if (!NamedKinds().contains(match.captured(1))) {
            *error = QStringLiteral("unknown key %1").arg(word);
            return std::nullopt;
        }
        key.kind = NamedKinds().value(match.captured(1));
        if (match.hasCaptured(2))
            key.width = match.captured(2).toDouble();
        if (key.width < kNarrowest || key.width > kWidest) {
            *error = QStringLiteral("key %1 is too narrow or too wide").arg(word);
            return std::nullopt;
        }
        return key;
    }
    // "a" types a and A; "ß|?" types ß and ?; "|" alone types |.
    const qsizetype bar = word.indexOf(QLatin1Char('|'), 1);
    key.lower = bar < 0 ? word : word.left(bar);
    key.upper = bar < 0 ? word.toUpper() : word.mid(bar + 1);
    if (key.upper.isEmpty() || key.lower.size() > 2 || key.upper.size() > 2) {
        *error = QStringLiteral("%1 is not a key").arg(word);
        return std::nullopt;
    }
    return key;
}

bool Has(const QList<KeyboardRow>& layer, Kind kind)
{
    for (const KeyboardRow& row : layer) {
        for (const KeyboardKey& key : row) {
            if (key.kind == kind)
                return true;
        }
    }
    return false;
}

}  // namespace

std::optional<KeyboardLayout> KeyboardLayout::Parse(const QString& text, QString* error)
{
    QString ignored;
    QString& why = error ? *error : ignored;
    KeyboardLayout layout;
    QList<KeyboardRow>* layer = nullptr;
    int lineNumber = 0;
    for (const QString& rawLine : text.split(QLatin1Char('\n'))) {
        ++lineNumber;
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line == QLatin1String("[letters]") || line == QLatin1String("[symbols]")) {
            layer = line == QLatin1String("[letters]") ? &layout.letters : &layout.symbols;
            if (!layer->isEmpty()) {
                why = QStringLiteral("line %1: the layer comes twice").arg(lineNumber);
                return std::nullopt;
            }
            continue;
        }
        if (!layer && line.startsWith(QLatin1String("name"))) {
            const qsizetype equals = line.indexOf(QLatin1Char('='));
            if (equals > 0 && line.left(equals).trimmed() == QLatin1String("name")) {
                layout.name = line.mid(equals + 1).trimmed();
                continue;
            }
        }
        if (!layer) {
            why = QStringLiteral("line %1: keys before any layer").arg(lineNumber);
            return std::nullopt;
        }
        KeyboardRow row;
        for (const QString& word : line.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const std::optional<KeyboardKey> key = ParseKey(word, &why);
            if (!key) {
                why = QStringLiteral("line %1: %2").arg(lineNumber).arg(why);
                return std::nullopt;
            }
            row.append(*key);
        }
        if (row.size() > kMostKeysInRow || layer->size() >= kMostRows) {
            why = QStringLiteral("line %1: too many keys").arg(lineNumber);
            return std::nullopt;
        }
        layer->append(row);
    }
    // Each layer leads to the other, and the keyboard can always be put away.
    if (layout.letters.isEmpty() || layout.symbols.isEmpty() || !Has(layout.letters, Kind::Symbols) ||
        !Has(layout.symbols, Kind::Letters) || !Has(layout.letters, Kind::Hide) || !Has(layout.symbols, Kind::Hide)) {
        why = QStringLiteral("a layout needs both layers, each with its way to the other and the hide key");
        return std::nullopt;
    }
    return layout;
}

std::optional<KeyboardLayout> KeyboardLayout::Load(const QString& path, QString* error)
{
    QFile file(path);
    // A layout is a few hundred bytes; a huge file is not one.
    if (!file.open(QIODevice::ReadOnly) || file.size() > 65536) {
        if (error)
            *error = QStringLiteral("cannot read %1").arg(path);
        return std::nullopt;
    }
    return Parse(QString::fromUtf8(file.readAll()), error);
}

}  // namespace quillory
