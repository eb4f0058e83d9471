#pragma once
// Runs one step of a procedure that must carry on past a failing step: an
// exception thrown by the step is dropped and the caller goes on.

namespace quillory {

template <typename Step>
void ResumeOnError(Step&& step) noexcept
{
    try {
        step();
    } catch (...) {
    }
}

}  // namespace quillory
