#include "platform/TwipsPlacedWidget.h"

#include "platform/Twips.h"

namespace quillory {

void TwipsPlacedWidget::setLeft(float twips)
{
    left_ = twips;
    ApplyGeometry();
}

void TwipsPlacedWidget::setTop(float twips)
{
    top_ = twips;
    ApplyGeometry();
}

void TwipsPlacedWidget::setWidth(float twips)
{
    width_ = twips;
    ApplyGeometry();
}

void TwipsPlacedWidget::setHeight(float twips)
{
    height_ = twips;
    ApplyGeometry();
}

void TwipsPlacedWidget::ApplyGeometry()
{
    setGeometry(TwipsRect(left_, top_, width_, height_));
}

}  // namespace quillory
