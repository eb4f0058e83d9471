#pragma once
// A stream of screenshots of the X server, grabbed on a thread of its own as
// fast as the server gives them (xcb GetImage of the root window), each
// sorted at once as one of the pictures it was told to look for, or as
// neither of them.

#include <QImage>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

struct xcb_connection_t;

namespace bench {

class FrameStream {
public:
    // What a frame showed, and when (steady clock, ns).
    struct Frame {
        qint64 at;
        int shows;  // the index of the reference it matches, or kNeither
    };
    static constexpr int kNeither = -1;

    FrameStream();
    ~FrameStream();
    bool Connected() const { return connection_ != nullptr; }

    // The screen as it is now.
    QImage GrabNow();
    // Pictures to sort the frames by, compared at every 8th pixel each way.
    void SetReferences(std::vector<QImage> references);
    // Starts grabbing into an empty list; Stop returns what was grabbed.
    void Start();
    std::vector<Frame> Stop();

    static qint64 NowNs();
    // The first few frames that showed neither, since the last Start.
    std::vector<std::pair<qint64, QImage>> Strays();

private:
    int Sort(const QImage& frame) const;
    void Run();

    xcb_connection_t* connection_ = nullptr;
    quint32 root_ = 0;
    int width_ = 0, height_ = 0;
    std::vector<QImage> references_;
    std::vector<Frame> frames_;
    std::vector<std::pair<qint64, QImage>> strays_;
    std::mutex framesLock_;
    std::atomic<bool> running_{false};
    std::thread thread_;
};

}  // namespace bench
