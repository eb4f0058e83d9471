#pragma once
// The font of the program's own windows. Their designs give every position
// in twips, laid out for a small sans-serif dialog font of 8 points; this
// picks the nearest face at hand so that their texts fit as designed.

#include <QFont>

namespace quillory {

QFont DialogFont(qreal pointSize = 8, bool bold = false);

// Makes DialogFont() the default of every widget in the application.
void UseDialogFont();

}  // namespace quillory
