#include "platform/browser/chromium/PageLimits.h"

#include "platform/browser/chromium/DevToolsPipe.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>

namespace quillory {

namespace {

// A content setting's values.
constexpr int kAllow = 1;
constexpr int kBlock = 2;

// Runs in a world of the program's own in every document, ahead of the
// page's scripts, which can neither see nor remove the listener.
const char kNoContextMenu[] = "addEventListener('contextmenu', (event) => event.preventDefault(), true);";

}  // namespace

void WriteVisitorPreferences(const QString& userDataFolder)
{
    QJsonObject settings;
    for (const char* setting : {"geolocation", "notifications", "media_stream_camera", "media_stream_mic", "midi_sysex",
                                "clipboard", "sensors", "usb_guard", "serial_guard", "hid_guard", "bluetooth_guard",
                                "window_placement", "idle_detection", "local_fonts", "pointer_lock", "keyboard_lock",
                                "automatic_fullscreen", "captured_surface_control", "display_capture"})
        settings.insert(QLatin1String(setting), kBlock);
    settings.insert(QStringLiteral("popups"), kAllow);
    const QJsonObject preferences{
        {"profile", QJsonObject{{"default_content_setting_values", settings}}},
        {"printing", QJsonObject{{"enabled", false}}},
        {"download", QJsonObject{{"prompt_for_download", false}}},
    };
    QDir(userDataFolder).mkpath(QStringLiteral("Default"));
    QFile file(userDataFolder + QStringLiteral("/Default/Preferences"));
    if (file.open(QIODevice::WriteOnly))
        file.write(QJsonDocument(preferences).toJson(QJsonDocument::Compact));
}

void LimitBrowser(DevToolsPipe& pipe)
{
    pipe.Send(QStringLiteral("Browser.setDownloadBehavior"), {{"behavior", "deny"}});
}

void LimitPage(DevToolsPipe& pipe, const QString& session)
{
    // A file picker is reported to the program instead of shown, and left unanswered.
    pipe.Send(QStringLiteral("Page.setInterceptFileChooserDialog"), {{"enabled", true}}, session);
    pipe.Send(QStringLiteral("Page.addScriptToEvaluateOnNewDocument"),
              {{"source", QLatin1String(kNoContextMenu)}, {"worldName", "quillory"}, {"runImmediately", true}},
              session);
}

bool AnswerLimitedRequest(DevToolsPipe& pipe, const QString& method, const QString& session)
{
    // alert, confirm, prompt and the box before leaving a page: as though
    // the visitor had dismissed them.
    if (method != QLatin1String("Page.javascriptDialogOpening"))
        return false;
    pipe.Send(QStringLiteral("Page.handleJavaScriptDialog"), {{"accept", false}}, session);
    return true;
}

}  // namespace quillory
