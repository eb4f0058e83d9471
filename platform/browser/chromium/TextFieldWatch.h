#pragma once
// Sees which text field of a visitor's pages has the focus, and whether a
// finger or a mouse gave it, without the pages knowing: a script of the
// program's runs in a world of its own in every document of the sessions it
// is given, and tells of trusted pointer and focus events through a binding
// that only that world has. The binding carries one of a few fixed words,
// never anything of the page's; any other word is dropped.

#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

class QJsonObject;

namespace quillory {

class DevToolsPipe;

class TextFieldWatch : public QObject {
    Q_OBJECT
public:
    explicit TextFieldWatch(DevToolsPipe& pipe, QObject* parent = nullptr);

    // Puts the script in every document of the session, the one it holds
    // now included; sent before the session is let run.
    void Follow(const QString& session);
    // The session whose document told last that one of its fields got the
    // focus; empty while no field has it.
    QString FieldSession() const { return fieldSession_; }
    // The program's own keyboard typed into the field: a field that the
    // typing moves the focus to (Tab, Return) counts as given by the same
    // finger as the field before it.
    void NoteTyping() { typedSinceField_ = true; }

signals:
    void Focused(bool byTouch, bool singleLine);
    void Left();
    // A pointer was used on a page: a finger (true) or a mouse (false); told
    // at each use, not only on a change.
    void PointerUsed(bool touch);

private:
    void OnEvent(const QString& method, const QJsonObject& params, const QString& session);
    void Told(const QString& word, const QString& session);

    DevToolsPipe& pipe_;
    QSet<QString> followed_;
    QString fieldSession_;
    bool fieldByTouch_ = false;
    bool typedSinceField_ = false;
    // A field left in one frame is often followed at once by one focused in
    // another, told by another session, in either order.
    QTimer leaving_;
};

}  // namespace quillory
