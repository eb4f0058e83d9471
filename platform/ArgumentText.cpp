#include "platform/ArgumentText.h"

#include <QStringList>

namespace quillory {

namespace {
QString storedArgumentText;
}

QString JoinArguments(int argc, const char* const* argv)
{
    QStringList words;
    for (int i = 1; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);
    return words.join(QLatin1Char(' ')).left(MaxArgumentTextLength);
}

void SetArgumentText(const QString& text)
{
    storedArgumentText = text.left(MaxArgumentTextLength);
}

const QString& ArgumentText()
{
    return storedArgumentText;
}

}  // namespace quillory
