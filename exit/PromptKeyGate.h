#pragma once
// From the hot corner's gesture until the exit prompt closes, every key goes
// to the prompt's box or nowhere: never to a page, whatever window of the
// program's the window system or the toolkit gives it to, and whatever a page
// does with the focus. While the prompt waits after a wrong password (hidden),
// keys go nowhere. The prompt is kept in front of every other window.

#include <QObject>
#include <QSet>

class QTimer;
class QWidget;

namespace quillory {

class PromptKeyGate : public QObject {
    Q_OBJECT
public:
    // `prompt` is the exit prompt, `box` the box in it that takes the keys.
    PromptKeyGate(QWidget& prompt, QWidget& box);
    ~PromptKeyGate() override;

    void Open();
    void Close();
    bool IsOpen() const { return open_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void KeepInFront();

    QWidget& prompt_;
    QWidget& box_;
    bool open_ = false;
    // Keys pressed while the gate was open, whose release goes nowhere either.
    QSet<quint32> pressed_;
    QTimer* front_;
};

}  // namespace quillory
