#pragma once
// A navigation asked for before the engine can take it (its page not there
// yet, a switch to or from offline not yet taken) waits here, and starts once
// the engine is ready; of several asked for meanwhile, the last one starts.

#include <QString>

#include <functional>
#include <utility>

namespace quillory {

class PendingNavigation {
public:
    PendingNavigation(std::function<bool()> ready, std::function<void(const QString&)> start)
        : ready_(std::move(ready)),
          start_(std::move(start))
    {
    }

    void Ask(const QString& url)
    {
        url_ = url;
        waiting_ = true;
        StartIfReady();
    }

    // For whoever sees the engine become ready.
    void StartIfReady()
    {
        if (!waiting_ || !ready_())
            return;
        waiting_ = false;
        start_(url_);
    }

private:
    std::function<bool()> ready_;
    std::function<void(const QString&)> start_;
    QString url_;
    bool waiting_ = false;
};

}  // namespace quillory
