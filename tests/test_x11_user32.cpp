// The X11 window functions on a real X server (Xvfb), run once without a
// window manager and once under openbox (QUILLORY_TEST_WM set), against
// windows of this process and of another X client. One more
// run under the offscreen platform checks that nothing is done there.

#include "platform/x11/X11User32.h"
#include "presentation/CloseBrowserWindows.h"

#include <QtGui/qguiapplication_platform.h>
#include <QtTest>
#include <QtWidgets>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

using namespace quillory;

namespace {

bool underWindowManager()
{
    return qEnvironmentVariableIsSet("QUILLORY_TEST_WM");
}

xcb_connection_t* connection()
{
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

xcb_window_t root()
{
    return xcb_setup_roots_iterator(xcb_get_setup(connection())).data->root;
}

template <typename T>
std::unique_ptr<T, void (*)(void*)> freed(T* reply)
{
    return {reply, std::free};
}

// The reply to an xcb request on this program's connection, freed when it goes.
#define REPLY(request, ...) \
    freed(xcb_##request##_reply(connection(), xcb_##request(connection(), ##__VA_ARGS__), nullptr))

bool isViewable(WindowHandle w)
{
    auto attributes = REPLY(get_window_attributes, w);
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

xcb_window_t parentOf(WindowHandle w)
{
    auto tree = REPLY(query_tree, w);
    return tree ? tree->parent : xcb_window_t{XCB_WINDOW_NONE};
}

// The root's child holding w: the window manager's frame, or w itself.
xcb_window_t topLevelHolding(WindowHandle w)
{
    xcb_window_t current = w;
    for (xcb_window_t parent = parentOf(w); parent != root() && parent != XCB_WINDOW_NONE; parent = parentOf(parent))
        current = parent;
    return current;
}

xcb_atom_t atom(const char* name)
{
    return REPLY(intern_atom, 0, std::strlen(name), name)->atom;
}

WindowHandle activeWindow()
{
    auto property = REPLY(get_property, 0, root(), atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 0, 1);
    if (!property || xcb_get_property_value_length(property.get()) != 4)
        return 0;
    return *static_cast<const xcb_window_t*>(xcb_get_property_value(property.get()));
}

WindowHandle inputFocus()
{
    auto focus = REPLY(get_input_focus);
    return focus ? focus->focus : 0;
}

// The window that has the user's attention: the window manager's active
// window under one, else the X input focus.
WindowHandle foregroundWindow()
{
    return underWindowManager() ? activeWindow() : inputFocus();
}

std::vector<WindowHandle> walk(User32& user32, WindowHandle start)
{
    std::vector<WindowHandle> order;
    for (WindowHandle h = user32.GetWindow(start, GW_HWNDFIRST); h != 0 && order.size() < 10000;
         h = user32.GetWindow(h, GW_HWNDNEXT))
        order.push_back(h);
    return order;
}

long positionIn(const std::vector<WindowHandle>& order, WindowHandle h)
{
    auto it = std::find(order.begin(), order.end(), h);
    return it == order.end() ? -1 : static_cast<long>(it - order.begin());
}

int xdotool(const QStringList& arguments)
{
    return QProcess::execute("xdotool", arguments);
}

// A top-level window of this process that counts the requests to close it
// and the times it stopped being the active window.
class CountingWindow : public QWidget {
public:
    explicit CountingWindow(const QString& title)
    {
        setWindowTitle(title);
        resize(240, 160);
    }
    int closeRequests = 0;
    int deactivations = 0;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        ++closeRequests;
        QWidget::closeEvent(event);
    }
    void changeEvent(QEvent* event) override
    {
        if (event->type() == QEvent::ActivationChange && !isActiveWindow())
            ++deactivations;
        QWidget::changeEvent(event);
    }
};

// Another X client: its own connection to the server, owning windows and able
// to hold the keyboard, as another program is.
class Helper {
public:
    Helper() : c(xcb_connect(nullptr, nullptr)) {}
    ~Helper() { xcb_disconnect(c); }

    // "<mapped|hidden> <net|wm> <closable|plain> <title>": the title goes into
    // _NET_WM_NAME (UTF-8) or WM_NAME only; closable windows list WM_DELETE_WINDOW.
    WindowHandle window(const QString& description)
    {
        const QByteArray title = description.section(' ', 3).toUtf8();
        const bool net = description.section(' ', 1, 1) == "net";
        const xcb_window_t w = xcb_generate_id(c);
        const uint32_t events = XCB_EVENT_MASK_KEY_PRESS;
        xcb_create_window(c, XCB_COPY_FROM_PARENT, w, root(), 40, 40, 300, 200, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, net ? atom("_NET_WM_NAME") : XCB_ATOM_WM_NAME,
                            net ? atom("UTF8_STRING") : XCB_ATOM_STRING, 8, title.size(), title.data());
        if (description.section(' ', 2, 2) == "closable")
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, atom("WM_PROTOCOLS"), XCB_ATOM_ATOM, 32, 1, &deleteWindow);
        if (description.startsWith("mapped"))
            xcb_map_window(c, w);
        sync(c);
        (void)QTest::qWaitFor(
            [&] { return !description.startsWith("mapped") || isViewable(w); });  // checked by its use
        return w;
    }
    // What this program asked of the server is done first, as it would be
    // by the time another program looks.
    int grab()
    {
        sync(connection());
        auto reply = freed(xcb_grab_keyboard_reply(
            c, xcb_grab_keyboard(c, 0, root(), XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC), nullptr));
        return reply ? reply->status : -1;
    }
    void ungrab()
    {
        xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
        sync(c);
    }
    // True while someone else (this program) holds the keyboard; a grab the
    // helper gets to test it is let go at once.
    bool keyboardTakenElsewhere()
    {
        const int status = grab();
        if (status == XCB_GRAB_STATUS_SUCCESS)
            ungrab();
        return status == XCB_GRAB_STATUS_ALREADY_GRABBED;
    }
    bool wasClosed(WindowHandle w) { return readEvents(), closed.count(w) > 0; }
    int closedCount() { return readEvents(), int(closed.size()); }
    int keyCount() { return readEvents(), keys; }

private:
    static void sync(xcb_connection_t* on)
    {
        std::free(xcb_get_input_focus_reply(on, xcb_get_input_focus(on), nullptr));
    }
    void readEvents()
    {
        while (auto event = freed(xcb_poll_for_event(c))) {
            auto* message = reinterpret_cast<xcb_client_message_event_t*>(event.get());
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE && message->data.data32[0] == deleteWindow)
                closed.insert(message->window);
            keys += (event->response_type & 0x7f) == XCB_KEY_PRESS;
        }
    }

    xcb_connection_t* c;
    const xcb_atom_t deleteWindow = atom("WM_DELETE_WINDOW");
    std::set<WindowHandle> closed;
    int keys = 0;
};

}  // namespace

class X11User32Test : public QObject {
    Q_OBJECT
    std::unique_ptr<X11User32> user32;
    std::unique_ptr<Helper> helper;

private slots:
    // Each test but the offscreen one needs an X server, and gets the
    // functions and another client of its own.
    void init()
    {
        const bool offscreenTest = QTest::currentTestFunction() == QLatin1String("offscreenPlatformDoesNothing");
        if ((QGuiApplication::platformName() == QLatin1String("xcb")) == offscreenTest)
            QSKIP(offscreenTest ? "runs under the offscreen platform" : "needs an X server");
        user32 = std::make_unique<X11User32>();
        if (!offscreenTest)
            helper = std::make_unique<Helper>();
    }
    void cleanup() { helper.reset(), user32.reset(); }
    void walkFindsEveryTopLevelAndClosingWalkTakesTheMarkedOnes();
    void windowTextFitsTheBufferAndGoneWindowsGiveNothing();
    void setForegroundWindowActivatesAndRaises();
    void lockKeepsTheProgramsKeysAndDropsOthers();
    void lockWaitsForAnotherClientsGrabAndIsReleased();
    void offscreenPlatformDoesNothing();
};

void X11User32Test::walkFindsEveryTopLevelAndClosingWalkTakesTheMarkedOnes()
{
    CountingWindow shown(QStringLiteral("Qt shown – äöü ✓")), hidden(QStringLiteral("Qt hidden")),
        self(QStringLiteral("Quillory")), marked(QStringLiteral("Start - Microsoft Internet Explorer")),
        markedHidden(QStringLiteral("Microsoft Internet Explorer"));
    for (CountingWindow* window : {&shown, &self, &marked})
        window->show();
    for (CountingWindow* window : {&hidden, &markedHidden})  // native windows that are never mapped
        window->winId();
    const WindowHandle helperMapped = helper->window("mapped net closable Helper mapped – ✓");
    const WindowHandle helperHidden = helper->window("hidden net closable Helper hidden");
    const WindowHandle helperWmName = helper->window("mapped wm closable Helper WM_NAME only");
    const WindowHandle helperMarked = helper->window("mapped net closable Microsoft Internet Explorer - Blank");
    const WindowHandle helperMarkedHidden = helper->window("hidden wm closable About Microsoft Internet Explorer");
    const WindowHandle unclosable = helper->window("mapped net plain Microsoft Internet Explorer");
    for (CountingWindow* window : {&shown, &self, &marked})
        QVERIFY(QTest::qWaitForWindowExposed(window));
    if (underWindowManager())  // the root's children are frames here
        QVERIFY(topLevelHolding(helperMapped) != helperMapped);

    const std::vector<WindowHandle> order = walk(*user32, shown.winId());
    QCOMPARE(std::set<WindowHandle>(order.begin(), order.end()).size(), order.size());
    const QList<QPair<WindowHandle, QString>> expected = {{shown.winId(), shown.windowTitle()},
                                                          {hidden.winId(), hidden.windowTitle()},
                                                          {helperMapped, QStringLiteral("Helper mapped – ✓")},
                                                          {helperHidden, QStringLiteral("Helper hidden")},
                                                          {helperWmName, QStringLiteral("Helper WM_NAME only")}};
    for (const auto& [window, title] : expected) {
        QVERIFY2(positionIn(order, window) >= 0, qPrintable(title));
        char buffer[256];
        QCOMPARE(QString::fromUtf8(buffer, user32->GetWindowTextA(window, buffer, sizeof buffer)), title);
    }
    // The first window doesn't depend on where the walk starts, and a frame
    // stands for the window in it.
    QCOMPARE(user32->GetWindow(helperHidden, GW_HWNDFIRST), order.front());
    QCOMPARE(user32->GetWindow(topLevelHolding(helperMapped), GW_HWNDNEXT),
             user32->GetWindow(helperMapped, GW_HWNDNEXT));

    // The program's closing walk asks exactly the marked windows to close.
    CloseBrowserWindows(*user32, self.winId(), "Quillory");
    QTRY_VERIFY(helper->wasClosed(helperMarked) && helper->wasClosed(helperMarkedHidden));
    QTRY_COMPARE(marked.closeRequests, 1);
    QTRY_COMPARE(markedHidden.closeRequests, 1);
    QTest::qWait(300);  // time for wrong requests to arrive too
    QCOMPARE(helper->closedCount(), 2);
    for (CountingWindow* window : {&shown, &hidden, &self})
        QVERIFY2(window->closeRequests == 0, qPrintable(window->windowTitle()));
    QVERIFY(parentOf(unclosable) != XCB_WINDOW_NONE);  // asked nothing, and not killed
    QCOMPARE(user32->PostMessageA(unclosable, WM_CLOSE, 0, 0), 0);
    QTRY_COMPARE(foregroundWindow(), self.winId());
}

void X11User32Test::windowTextFitsTheBufferAndGoneWindowsGiveNothing()
{
    const QByteArray title = QStringLiteral("Grüße, Quillory").toUtf8();
    const WindowHandle w = helper->window("hidden net closable " + QString::fromUtf8(title));
    QCOMPARE(user32->GetWindowTextLengthA(w), title.size());

    char buffer[64];
    auto call = [&](WindowHandle of, std::int32_t size) {
        std::fill(std::begin(buffer), std::end(buffer), 'x');
        return user32->GetWindowTextA(of, buffer, size);
    };
    QCOMPARE(call(w, 5), 4);  // cut mid-title, inside the ü too: bytes are counted
    QCOMPARE(QByteArray(buffer), title.left(4));
    QCOMPARE(buffer[5], 'x');
    QCOMPARE(call(w, title.size() + 1), title.size());
    QCOMPARE(QByteArray(buffer), title);
    QCOMPARE(call(0, sizeof buffer), 0);  // a window that can't be read gives an empty title
    QCOMPARE(buffer[0], '\0');
    QCOMPARE(user32->GetWindowTextLengthA(0), 0);

    // A window that has gone ends the walk, and has no title.
    auto goes = std::make_unique<QWidget>();
    const WindowHandle gone = goes->winId();  // created last, so topmost: others follow it
    QVERIFY(user32->GetWindow(gone, GW_HWNDNEXT) != 0);
    goes.reset();
    QTRY_COMPARE(parentOf(gone), xcb_window_t{XCB_WINDOW_NONE});
    QCOMPARE(user32->GetWindow(gone, GW_HWNDNEXT), WindowHandle(0));
    QCOMPARE(user32->GetWindowTextLengthA(gone), 0);
}

void X11User32Test::setForegroundWindowActivatesAndRaises()
{
    CountingWindow own(QStringLiteral("Foreground own"));
    own.show();
    const WindowHandle other = helper->window("mapped net closable Foreground other");
    QVERIFY(QTest::qWaitForWindowExposed(&own));

    // Each in turn comes to the front, and first in the walk, which lists the topmost first.
    for (const auto& [front, back] : {std::pair{other, WindowHandle(own.winId())}, {own.winId(), other}}) {
        QVERIFY(user32->SetForegroundWindow(front));
        QTRY_COMPARE(foregroundWindow(), front);
        QTRY_VERIFY(positionIn(walk(*user32, other), front) < positionIn(walk(*user32, other), back));
    }
    QTRY_VERIFY(own.isActiveWindow());

    if (!underWindowManager()) {
        // A window manager that died leaves its root properties behind,
        // naming a check window that is gone: they are not trusted.
        xcb_connection_t* c = connection();
        const xcb_window_t gone = xcb_generate_id(c);  // an id no window has
        const xcb_atom_t supported = atom("_NET_SUPPORTED"), check = atom("_NET_SUPPORTING_WM_CHECK");
        const xcb_atom_t activation = atom("_NET_ACTIVE_WINDOW");
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, root(), check, XCB_ATOM_WINDOW, 32, 1, &gone);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, root(), supported, XCB_ATOM_ATOM, 32, 1, &activation);
        const auto removeProperties = qScopeGuard([&] {
            xcb_delete_property(c, root(), check);
            xcb_delete_property(c, root(), supported);
            xcb_flush(c);
        });
        QVERIFY(user32->SetForegroundWindow(other));
        QTRY_COMPARE(inputFocus(), other);
    } else {
        // Only the window manager brings a minimized window back.
        own.showMinimized();
        QTRY_VERIFY(!isViewable(own.winId()));
        QVERIFY(user32->SetForegroundWindow(own.winId()));
        QTRY_VERIFY(isViewable(own.winId()));
        QTRY_COMPARE(activeWindow(), own.winId());
    }
    QCOMPARE(user32->SetForegroundWindow(0), 0);
}

void X11User32Test::lockKeepsTheProgramsKeysAndDropsOthers()
{
    // The program's full-screen frameless window, with a text field that has the focus.
    CountingWindow presentation(QStringLiteral("Quillory"));
    auto* field = new QLineEdit(&presentation);
    presentation.setWindowFlags(Qt::FramelessWindowHint);
    presentation.showFullScreen();
    field->setFocus();
    QWidget prompt;
    auto* password = new QLineEdit(&prompt);
    const WindowHandle other = helper->window("mapped net closable Other program");
    QVERIFY(QTest::qWaitForWindowExposed(&presentation));
    user32->SetForegroundWindow(presentation.winId());
    QTRY_COMPARE(foregroundWindow(), presentation.winId());
    QTRY_VERIFY(presentation.isActiveWindow());
    const int deactivations = presentation.deactivations;

    QVERIFY(user32->SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, API_TRUE, nullptr, 0));
    QTRY_VERIFY(helper->keyboardTakenElsewhere());
    // Taking the keyboard leaves the program active, not even for a moment
    // inactive, and typing where it was.
    QTest::qWait(600);
    QCOMPARE(presentation.deactivations, deactivations);
    QCOMPARE(xdotool({"type", "after"}), 0);
    QTRY_COMPARE(field->text(), QStringLiteral("after"));
    if (underWindowManager()) {
        // The window manager's keys go nowhere: no switching, no closing.
        QCOMPARE(xdotool({"key", "alt+Tab", "alt+F4"}), 0);
        QTest::qWait(500);
        QCOMPARE(activeWindow(), presentation.winId());
        QCOMPARE(presentation.closeRequests, 0);
    }

    // The colour dialog's screen picker takes the keyboard on this program's
    // own connection and lets it go once a colour is picked; the lock takes it back.
    QColorDialog colours;
    colours.setOption(QColorDialog::DontUseNativeDialog);
    colours.show();
    QVERIFY(QTest::qWaitForWindowExposed(&colours));
    const QList<QPushButton*> buttons = colours.findChildren<QPushButton*>();
    const auto picker = std::find_if(buttons.begin(), buttons.end(), [](QPushButton* button) {
        return button->text().contains(QStringLiteral("Pick Screen"));
    });
    QVERIFY(picker != buttons.end());
    (*picker)->click();
    QCOMPARE(xdotool({"mousemove", "5", "5", "click", "1"}), 0);
    QTRY_VERIFY(helper->keyboardTakenElsewhere());
    colours.close();
    user32->SetForegroundWindow(presentation.winId());
    QTRY_VERIFY(presentation.isActiveWindow());

    // Its own other top-level window, once focused, gets the keys.
    prompt.show();
    QVERIFY(QTest::qWaitForWindowExposed(&prompt));
    user32->SetForegroundWindow(prompt.winId());
    QTRY_VERIFY(prompt.isActiveWindow());
    QCOMPARE(xdotool({"type", "secret"}), 0);
    QTRY_COMPARE(password->text(), QStringLiteral("secret"));

    // Keys for another client's window go nowhere.
    user32->SetForegroundWindow(other);
    QTRY_COMPARE(foregroundWindow(), other);
    QCOMPARE(xdotool({"type", "lost"}), 0);
    QTest::qWait(500);
    QCOMPARE(helper->keyCount(), 0);
    QCOMPARE(field->text(), QStringLiteral("after"));
    QCOMPARE(password->text(), QStringLiteral("secret"));

    // Unlocked, they reach it: the focus really was there. And the window
    // manager's keys work again, so it was the lock that stopped them.
    QVERIFY(user32->SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, API_FALSE, nullptr, 0));
    QCOMPARE(xdotool({"type", "k"}), 0);
    QTRY_VERIFY(helper->keyCount() > 0);
    if (underWindowManager()) {
        QCOMPARE(xdotool({"key", "alt+F4"}), 0);
        QTRY_VERIFY(helper->wasClosed(other));
    }
}

void X11User32Test::lockWaitsForAnotherClientsGrabAndIsReleased()
{
    QCOMPARE(helper->grab(), int(XCB_GRAB_STATUS_SUCCESS));
    std::int32_t previous = -1;
    QVERIFY(user32->SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, API_TRUE, &previous, 0));
    QTest::qWait(600);  // a few failed tries
    helper->ungrab();
    QTRY_VERIFY(helper->keyboardTakenElsewhere());

    // Locked twice, one unlock lets it go.
    QVERIFY(user32->SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, API_TRUE, &previous, 0));
    QVERIFY(user32->SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, API_FALSE, &previous, 0));
    QCOMPARE(helper->grab(), int(XCB_GRAB_STATUS_SUCCESS));
    helper->ungrab();

    // Going away while locked lets the keyboard go too.
    {
        X11User32 locked;
        locked.SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, API_TRUE, nullptr, 0);
        QTRY_VERIFY(helper->keyboardTakenElsewhere());
    }
    QCOMPARE(helper->grab(), int(XCB_GRAB_STATUS_SUCCESS));
}

void X11User32Test::offscreenPlatformDoesNothing()
{
    QWidget window;
    window.setWindowTitle(QStringLiteral("Microsoft Internet Explorer"));
    window.show();
    const WindowHandle h = window.winId();
    QCOMPARE(user32->GetWindow(h, GW_HWNDFIRST), WindowHandle(0));
    QCOMPARE(user32->GetWindowTextLengthA(h), 0);
    QCOMPARE(user32->PostMessageA(h, WM_CLOSE, 0, 0), 0);
    QCOMPARE(user32->SetForegroundWindow(h), 0);
    QCOMPARE(user32->SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, API_TRUE, nullptr, 0), 0);
    QVERIFY(window.isVisible());
}

QTEST_MAIN(X11User32Test)
#include "test_x11_user32.moc"
