#pragma once
// Typing on the on-screen keyboard as a finger's emulated pointer does: a
// click on each key, found by its label.

#include "platform/keyboard/OnScreenKeyboard.h"

#include <QPushButton>
#include <QStringList>
#include <QTest>

namespace harness {

// What a button shows of its text: a lone "&" marks a shortcut letter and
// shows nothing, "&&" shows one "&".
inline QString ShownText(const QPushButton& key)
{
    QString text = key.text();
    text.replace(QStringLiteral("&&"), QChar(0));
    text.remove(QLatin1Char('&'));
    return text.replace(QChar(0), QLatin1Char('&'));
}

inline QPushButton* ShownKey(quillory::OnScreenKeyboard& keyboard, const QString& label)
{
    for (QPushButton* key : keyboard.findChildren<QPushButton*>()) {
        if (key->isVisible() && ShownText(*key) == label)
            return key;
    }
    return nullptr;
}

// Taps the keys with these labels, one after another; false at the first missing one.
inline bool Tap(quillory::OnScreenKeyboard& keyboard, const QStringList& labels)
{
    for (const QString& label : labels) {
        QPushButton* key = ShownKey(keyboard, label);
        if (!key) {
            qWarning("no key %s shown", qPrintable(label));
            return false;
        }
        QTest::mouseClick(key, Qt::LeftButton);
    }
    return true;
}

// The labels of the keys that type this text, one a character.
inline QStringList Letters(const QString& text)
{
    QStringList labels;
    for (const QChar c : text)
        labels << QString(c);
    return labels;
}

}  // namespace harness
