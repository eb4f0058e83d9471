// The new instance's side of a renewal: it takes the settings from the old
// instance, shows its window below the old one, and once its homepage is
// drawn raises it, says it is ready, waits for the keyboard and starts its
// resets.

#include "platform/HandoverChannel.h"
#include "platform/ProgramEnd.h"
#include "platform/User32Provider.h"
#include "platform/WindowHandover.h"
#include "presentation/Renewal.h"
#include "presentation/RenewalChannel.h"
#include "presentation/StillPicture.h"
#include "presentation/frmBrowser.h"
#include "startup/modInitialise.h"

#include <QTimer>

#include <cstdio>

namespace quillory::renewal {

using modInitialise::PresentationSettings;

namespace {

constexpr int kKeyboardSpinMs = 5000;

// Once the homepage has shown.
void Arrive(int channel)
{
    FrmBrowser& form = frmBrowser();
    SystemUser32().SetForegroundWindow(static_cast<WindowHandle>(form.winId()));
    form.tmrTimeout->start();
    SendAll(channel, "ready\n");
    if (!PresentationSettings.Password.isEmpty()) {
        const bool held = SpinForKeyboard(kKeyboardSpinMs);
        const qint64 grabbed = NowNs();
        const std::optional<QByteArray> line = ReadLine(channel, 1000);
        const QList<QByteArray> words = line.value_or(QByteArray()).split(' ');
        if (held && words.size() > 1)
            std::fprintf(stderr, "quillory: renewed; the keyboard passed over in %.3f ms\n",
                         (grabbed - words.at(1).toLongLong()) / 1e6);
        else
            std::fprintf(stderr, "quillory: renewed; the keyboard %s\n", held ? "passed over" : "was not free yet");
    } else {
        std::fprintf(stderr, "quillory: renewed\n");
    }
    CloseChannel(channel);
}

}  // namespace

bool TakeOver()
{
    const QByteArray variable = qgetenv(kChannelVariable);
    if (variable.isEmpty())
        return false;
    qunsetenv(kChannelVariable);
    const int channel = variable.toInt();
    KeepChannelFromChildren(channel);
    if (!ReadSettings(channel)) {
        std::fprintf(stderr, "quillory: no settings from the instance before\n");
        EndProgram(1);
        return true;
    }
    FrmBrowser& form = frmBrowser();
    LowerWindow(form.winId());
    form.Show();
    // No reset replaces the homepage before it is raised over the picture.
    form.tmrTimeout->stop();
    auto* once = new QObject(&form);
    QObject::connect(&form, &FrmBrowser::DocumentComplete, once, [once, &form, channel] {
        once->deleteLater();
        WhenDrawn(form, &form, [channel] { Arrive(channel); });
    });
    return true;
}

}  // namespace quillory::renewal
