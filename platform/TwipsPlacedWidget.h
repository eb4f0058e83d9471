#pragma once
// A control placed in twips within its parent's client area, as the old
// platform's controls were; the control may reach past the parent's edges,
// which clip it. The browser controls of both engines are placed so.

#include <QWidget>

namespace quillory {

class TwipsPlacedWidget : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    float Left() const { return left_; }
    float Top() const { return top_; }
    float Width() const { return width_; }
    float Height() const { return height_; }
    void setLeft(float twips);
    void setTop(float twips);
    void setWidth(float twips);
    void setHeight(float twips);

private:
    void ApplyGeometry();

    float left_ = 0, top_ = 0, width_ = 0, height_ = 0;
};

}  // namespace quillory
