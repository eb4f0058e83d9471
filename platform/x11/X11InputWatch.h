#pragma once
// Watches the whole X server for input from a person: keys, mouse buttons
// (the wheel among them) and touches, on every window, the browser's too.
// It reads XInput2's raw events on the root window over a connection of its
// own, so that Qt's own choice of input events is left alone.

#include <QObject>
#include <cstdint>

class QSocketNotifier;
struct xcb_connection_t;

namespace quillory {

class X11InputWatch : public QObject {
    Q_OBJECT
public:
    // The one watch of the run, started on first use and ended with the
    // application; nullptr without an X server that reports raw input.
    static X11InputWatch* Get();
    ~X11InputWatch() override;

    // When the last input came, in milliseconds on SteadyMilliseconds();
    // 0 when none has come since the watch started.
    std::uint32_t LastInput();

private:
    X11InputWatch(xcb_connection_t* connection, std::uint8_t extensionOpcode);
    void ReadEvents();

    xcb_connection_t* connection_;
    std::uint8_t extensionOpcode_;
    QSocketNotifier* notifier_;
    std::uint32_t lastInput_ = 0;
};

// Milliseconds since the machine started, wrapping at 32 bits.
std::uint32_t SteadyMilliseconds();

}  // namespace quillory
