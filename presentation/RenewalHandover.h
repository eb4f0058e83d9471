#pragma once
// The old instance's side of a renewal: it covers its window with a still
// picture of the homepage, drops its browser (which writes out the disk
// cache), starts the new instance and sends it the settings, and, once the
// new instance is ready, lets go of the keyboard and goes.

#include <QByteArray>
#include <QObject>

namespace quillory {

class FrmBrowser;

namespace renewal {

class Handover final : public QObject {
public:
    // The form's homepage must be loaded and drawn.
    explicit Handover(FrmBrowser& form);

    void Start();

private:
    void StartSuccessor();
    void Finish();
    // Without a working successor the kiosk cannot go on here: ending with a
    // failure lets the boot session start it again.
    void Fail(const char* why);

    FrmBrowser& form_;
    int channel_ = -1;
    int namingRead_ = -1;
    qint64 successor_ = 0;
    QByteArray received_;
    bool finished_ = false;
};

}  // namespace renewal
}  // namespace quillory
