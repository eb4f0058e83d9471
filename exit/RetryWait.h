#pragma once
// How long the exit prompt waits before it opens again after a wrong
// password: one second after the first, twice as long after each further
// one, never more than a minute, so that guessing is slow but the attendant
// is never locked out for good. It outlives the prompt, whose close box
// unloads it.

#include <QDeadlineTimer>

namespace quillory {

class RetryWait {
public:
    static constexpr int kFirstWaitMs = 1000;
    static constexpr int kLongestWaitMs = 60 * 1000;

    // The wait after this many wrong passwords in a row.
    static int WaitAfter(int wrongPasswords);

    void WrongPassword();
    // What is left of the wait; 0 once the prompt may open.
    int RemainingMs() const;

private:
    int wrongPasswords_ = 0;
    QDeadlineTimer end_;
};

// The run's one wait.
RetryWait& PromptRetryWait();

}  // namespace quillory
