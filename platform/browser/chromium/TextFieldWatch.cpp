#include "platform/browser/chromium/TextFieldWatch.h"

#include "platform/browser/chromium/DevToolsPipe.h"

#include <QJsonObject>

namespace quillory {

namespace {

// The program's own world, which the pages' scripts cannot see into; the
// binding exists there only.
const char kWorld[] = "quillory";
const char kBinding[] = "quilloryTextField";

// Listens ahead of the page's scripts, in the capture phase on the window,
// to trusted events only: a page can dispatch events of its own, but they
// are never trusted. A field counts as focused by touch when a finger touched
// the document shortly before, with no mouse button or key since: a field a
// script focuses later, or after a click or a key, brings no keyboard.
const char kScript[] = R"(
(() => {
  // Fingers pan the page but never zoom it, and a swipe sideways past its
  // edge never goes back or forward, whatever the page's own styles.
  const panOnly = new CSSStyleSheet();
  panOnly.replaceSync(':root { touch-action: pan-x pan-y !important; overscroll-behavior-x: none !important; }');
  document.adoptedStyleSheets = [...document.adoptedStyleSheets, panOnly];
  const tell = (word) => {
    const binding = globalThis.quilloryTextField;
    if (typeof binding === 'function') binding(word);
  };
  const kinds = new Set(['text', 'search', 'email', 'url', 'tel', 'password', 'number']);
  const fieldOf = (node) => {
    if (node instanceof HTMLInputElement) return kinds.has(node.type) && !node.readOnly ? node : null;
    if (node instanceof HTMLTextAreaElement) return node.readOnly ? null : node;
    if (!(node instanceof HTMLElement) || !node.isContentEditable) return null;
    while (node.parentElement && node.parentElement.isContentEditable) node = node.parentElement;
    return node;
  };
  let touchedAt = -Infinity;
  let pointer = 'mouse';
  let mouseToldAt = -Infinity;
  let told = null;
  const byTouch = () => performance.now() - touchedAt < 1500;
  const tellFocus = (field) => {
    told = field;
    tell('focus-' + (byTouch() ? 'touch' : 'other') + '-' + (field instanceof HTMLInputElement ? 'single' : 'multi'));
  };
  const listen = (type, handler) => addEventListener(type, (event) => { if (event.isTrusted) handler(event); }, true);
  // A touch on the field that had the focus already asks for the keyboard
  // again (a long press may give the focus before the finger lifts: told once).
  let touchedField = null;
  listen('pointerdown', (event) => {
    pointer = event.pointerType === 'mouse' ? 'mouse' : 'touch';
    touchedAt = pointer === 'touch' ? performance.now() : -Infinity;
    const field = fieldOf(event.composedPath()[0]);
    touchedField = pointer === 'touch' && field && field === told && field.matches(':focus') ? field : null;
    tell('pointer-' + pointer);
  });
  listen('pointerup', (event) => {
    if (event.pointerType === 'mouse') return;
    touchedAt = performance.now();
    const field = fieldOf(event.composedPath()[0]);
    if (field && field === touchedField && field.matches(':focus')) tellFocus(field);
    touchedField = null;
  });
  listen('pointermove', (event) => {
    if (event.pointerType !== 'mouse' || (pointer === 'mouse' && performance.now() - mouseToldAt < 500)) return;
    pointer = 'mouse';
    mouseToldAt = performance.now();
    tell('pointer-mouse');
  });
  listen('keydown', () => { touchedAt = -Infinity; });
  listen('focusin', (event) => {
    const field = fieldOf(event.composedPath()[0]);
    if (field) tellFocus(field);
  });
  listen('focusout', (event) => {
    if (!told || (event.relatedTarget && fieldOf(event.relatedTarget))) return;
    told = null;
    tell('left');
  });
  // While the program's keyboard shows, the page's area is smaller: the
  // field typed into, or the frame that holds it, stays in sight.
  listen('resize', () => {
    const active = document.activeElement;
    if (told && told.matches(':focus')) told.scrollIntoView({block: 'nearest'});
    else if (active instanceof HTMLIFrameElement || active instanceof HTMLFrameElement)
      active.scrollIntoView({block: 'nearest'});
  });
})();
)";

}  // namespace

TextFieldWatch::TextFieldWatch(DevToolsPipe& pipe, QObject* parent) : QObject(parent), pipe_(pipe)
{
    // A field left for one in a frame of another process is told of by two
    // renderers, the focus after the leaving: on a busy machine more than
    // 150 ms after it, which hid the keyboard for a moment between fields.
    leaving_.setSingleShot(true);
    leaving_.setInterval(400);
    connect(&leaving_, &QTimer::timeout, this, [this] {
        fieldSession_.clear();
        fieldByTouch_ = false;
        emit Left();
    });
    connect(&pipe_, &DevToolsPipe::Event, this, &TextFieldWatch::OnEvent);
}

void TextFieldWatch::Follow(const QString& session)
{
    followed_.insert(session);
    // A binding reaches only the documents of a session whose runtime is
    // enabled, and ends with it.
    pipe_.Send(QStringLiteral("Runtime.enable"), {}, session);
    pipe_.Send(QStringLiteral("Runtime.addBinding"),
               {{"name", QLatin1String(kBinding)}, {"executionContextName", QLatin1String(kWorld)}}, session);
    pipe_.Send(QStringLiteral("Page.addScriptToEvaluateOnNewDocument"),
               {{"source", QLatin1String(kScript)}, {"worldName", QLatin1String(kWorld)}, {"runImmediately", true}},
               session);
}

void TextFieldWatch::OnEvent(const QString& method, const QJsonObject& params, const QString& session)
{
    if (method == QLatin1String("Runtime.bindingCalled") && followed_.contains(session) &&
        params.value(QLatin1String("name")).toString() == QLatin1String(kBinding))
        Told(params.value(QLatin1String("payload")).toString(), session);
    else if (method == QLatin1String("Target.detachedFromTarget"))
        followed_.remove(params.value(QLatin1String("sessionId")).toString());
}

void TextFieldWatch::Told(const QString& word, const QString& session)
{
    static const QSet<QString> kFocusWords{"focus-touch-single", "focus-touch-multi", "focus-other-single",
                                           "focus-other-multi"};
    if (kFocusWords.contains(word)) {
        leaving_.stop();
        // Tab or Return on the program's keyboard moved the focus on.
        const bool byTouch = word.startsWith(QLatin1String("focus-touch")) || (fieldByTouch_ && typedSinceField_);
        fieldSession_ = session;
        fieldByTouch_ = byTouch;
        typedSinceField_ = false;
        emit Focused(byTouch, word.endsWith(QLatin1String("single")));
    } else if (word == QLatin1String("left")) {
        // A frame's field left after another frame's took the focus is no news.
        if (session == fieldSession_)
            leaving_.start();
    } else if (word == QLatin1String("pointer-touch") || word == QLatin1String("pointer-mouse")) {
        typedSinceField_ = false;
        emit PointerUsed(word == QLatin1String("pointer-touch"));
    }
}

}  // namespace quillory
