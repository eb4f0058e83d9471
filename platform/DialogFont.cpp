#include "platform/DialogFont.h"

#include <QApplication>

namespace quillory {

QFont DialogFont(qreal pointSize, bool bold)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    // Where that face is missing, an Arial-metric sans serif is the nearest.
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

void UseDialogFont()
{
    QApplication::setFont(DialogFont());
}

}  // namespace quillory
