#include "FrameStream.h"

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

namespace bench {

namespace {

// A frame matches a reference when this share of the looked-at pixels is equal:
// a caret or an anti-aliased edge may differ, a page half drawn does not pass.
constexpr double kMatchingShare = 0.98;
constexpr int kStep = 8;

}  // namespace

qint64 FrameStream::NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

FrameStream::FrameStream()
{
    int screenNumber = 0;
    connection_ = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection_)) {
        xcb_disconnect(connection_);
        connection_ = nullptr;
        return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    root_ = screens.data->root;
    width_ = screens.data->width_in_pixels;
    height_ = screens.data->height_in_pixels;
}

FrameStream::~FrameStream()
{
    Stop();
    if (connection_)
        xcb_disconnect(connection_);
}

QImage FrameStream::GrabNow()
{
    const xcb_get_image_cookie_t cookie = xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_, 0, 0, width_,
                                                        height_, ~0u);
    xcb_get_image_reply_t* reply = xcb_get_image_reply(connection_, cookie, nullptr);
    if (!reply)
        return {};
    QImage image(width_, height_, QImage::Format_RGB32);
    const int length = xcb_get_image_data_length(reply);
    if (reply->depth == 24 && length >= width_ * height_ * 4)
        std::memcpy(image.bits(), xcb_get_image_data(reply), static_cast<size_t>(width_) * height_ * 4);
    else
        image = QImage();
    std::free(reply);
    return image;
}

void FrameStream::SetReferences(std::vector<QImage> references)
{
    references_ = std::move(references);
}

int FrameStream::Sort(const QImage& frame) const
{
    if (frame.isNull())
        return kNeither;
    for (std::size_t index = 0; index < references_.size(); ++index) {
        const QImage& reference = references_[index];
        if (reference.size() != frame.size())
            continue;
        long equal = 0, looked = 0;
        for (int y = 0; y < frame.height(); y += kStep) {
            const QRgb* a = reinterpret_cast<const QRgb*>(frame.constScanLine(y));
            const QRgb* b = reinterpret_cast<const QRgb*>(reference.constScanLine(y));
            for (int x = 0; x < frame.width(); x += kStep, ++looked)
                equal += (a[x] & 0xffffff) == (b[x] & 0xffffff);
        }
        if (equal >= kMatchingShare * looked)
            return static_cast<int>(index);
    }
    return kNeither;
}

void FrameStream::Start()
{
    Stop();
    frames_.clear();
    strays_.clear();
    running_ = true;
    thread_ = std::thread([this] { Run(); });
}

std::vector<FrameStream::Frame> FrameStream::Stop()
{
    running_ = false;
    if (thread_.joinable())
        thread_.join();
    std::lock_guard<std::mutex> hold(framesLock_);
    return frames_;
}

std::vector<std::pair<qint64, QImage>> FrameStream::Strays()
{
    std::lock_guard<std::mutex> hold(framesLock_);
    return strays_;
}

void FrameStream::Run()
{
    while (running_) {
        // The moment the server was asked: the picture is of then or later.
        const qint64 at = NowNs();
        const QImage frame = GrabNow();
        const int shows = Sort(frame);
        std::lock_guard<std::mutex> hold(framesLock_);
        frames_.push_back({at, shows});
        if (shows == kNeither && strays_.size() < 4)
            strays_.emplace_back(at, frame);
    }
}

}  // namespace bench
