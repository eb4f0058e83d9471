#include "platform/ArgumentText.h"

#include <QStringList>

#include <cctype>
#include <cstring>

namespace quillory {

namespace {
QString storedArgumentText;

bool StartsWithPassKeyword(const char* text)
{
    static const char keyword[] = "pass:";
    for (int i = 0; i < 5; ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != keyword[i])
            return false;
    }
    return true;
}
}  // namespace

QString JoinArguments(int argc, const char* const* argv)
{
    QStringList words;
    for (int i = 1; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);
    return words.join(QLatin1Char(' ')).left(MaxArgumentTextLength);
}

void BlankPasswordsInArguments(int argc, char** argv)
{
    bool inPassword = false;  // a password field goes on from the previous word
    for (int i = 1; i < argc; ++i) {
        char* word = argv[i];
        std::size_t length = std::strlen(word);
        std::size_t kept = 0;  // bytes of the word written back
        for (std::size_t k = 0; k < length; ++k) {
            if (inPassword && word[k] != ',')
                continue;
            inPassword = false;
            word[kept++] = word[k];
            if (k + 5 <= length && StartsWithPassKeyword(word + k)) {
                std::memmove(word + kept, word + k + 1, 4);
                kept += 4;
                k += 4;
                inPassword = true;
            }
        }
        // What was cut leaves zero bytes behind, which ps shows as blanks.
        std::memset(word + kept, 0, length - kept);
    }
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
