#include "exit/RetryWait.h"

#include <algorithm>

namespace quillory {

int RetryWait::WaitAfter(int wrongPasswords)
{
    if (wrongPasswords <= 0)
        return 0;
    int wait = kFirstWaitMs;
    for (int i = 1; i < wrongPasswords && wait < kLongestWaitMs; ++i)
        wait *= 2;
    return std::min(wait, kLongestWaitMs);
}

void RetryWait::WrongPassword()
{
    ++wrongPasswords_;
    end_ = QDeadlineTimer(WaitAfter(wrongPasswords_));
}

int RetryWait::RemainingMs() const
{
    return static_cast<int>(std::max<qint64>(0, end_.remainingTime()));
}

RetryWait& PromptRetryWait()
{
    static RetryWait wait;
    return wait;
}

}  // namespace quillory
