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
// page's scripts, which can neither see nor remove the listeners. A colour
// input opens nothing, by a click, a tap or a key: the browser's colour
// picker holds the pointer while it is open, so that the press that starts
// the exit gesture would only close it.
const char kNoMenuOrPicker[] = R"(
addEventListener('contextmenu', (event) => event.preventDefault(), true);
addEventListener('click', (event) => {
  const target = event.composedPath()[0];
  if (target instanceof HTMLInputElement && target.type === 'color')
    event.preventDefault();
}, true);
)";

// Runs in the page's own world in every document, its frames' empty first
// documents included, ahead of the page's scripts: a picture-in-picture
// window floats over everything, outside the program's frames, and the
// screen capture that the browser's switches take away is refused as a
// denied permission is; a colour input's picker is not shown by a script
// either. The properties cannot be redefined or deleted.
const char kRefusals[] = R"(
(() => {
  const refuse = () => Promise.reject(new DOMException('Not allowed in this kiosk.', 'NotAllowedError'));
  const showPicker = HTMLInputElement.prototype.showPicker;
  Object.defineProperty(HTMLInputElement.prototype, 'showPicker', {value: function () {
    if (this.type === 'color')
      throw new DOMException('Not allowed in this kiosk.', 'NotAllowedError');
    return showPicker.call(this);
  }});
  Object.defineProperty(HTMLVideoElement.prototype, 'requestPictureInPicture', {value: refuse});
  Object.defineProperty(Document.prototype, 'pictureInPictureEnabled', {get: () => false});
  if (window.MediaDevices)
    Object.defineProperty(MediaDevices.prototype, 'getDisplayMedia', {value: refuse});
})();
)";

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

QStringList LimitingSwitches()
{
    // Screen capture (its picker can share the whole screen, the exit prompt
    // with it), the document picture-in-picture window and the eyedropper
    // (which reads the colour of the next click anywhere on the screen) are
    // taken out of the pages altogether.
    return {QStringLiteral("--disable-blink-features=GetDisplayMedia,DocumentPictureInPictureAPI,EyeDropperAPI")};
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
              {{"source", QLatin1String(kNoMenuOrPicker)}, {"worldName", "quillory"}, {"runImmediately", true}},
              session);
    pipe.Send(QStringLiteral("Page.addScriptToEvaluateOnNewDocument"),
              {{"source", QLatin1String(kRefusals)}, {"runImmediately", true}}, session);
}

bool AnswerLimitedRequest(DevToolsPipe& pipe, const QString& method, const QJsonObject& params, const QString& session)
{
    if (method != QLatin1String("Page.javascriptDialogOpening"))
        return false;
    // alert, confirm and prompt: as though the visitor had dismissed them.
    // The question before leaving a page is answered "leave": a page that
    // asked would otherwise stay for the next visitor.
    const bool leaving = params.value(QLatin1String("type")) == QLatin1String("beforeunload");
    pipe.Send(QStringLiteral("Page.handleJavaScriptDialog"), {{"accept", leaving}}, session);
    return true;
}

}  // namespace quillory
