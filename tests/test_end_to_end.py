#!/usr/bin/env python3
"""The real program, started as an operator would, under Xvfb.

Usage: test_end_to_end.py QUILLORY_BINARY   (DISPLAY must name an X server;
with-xvfb.sh provides one, with --wm also a window manager).
"""
import os
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
BINARY = None
HOME_GREEN = (0x2A, 0x7D, 0x2A)  # the background of pages/home.html
NEXT_BLUE = (0x2A, 0x2A, 0x7D)  # the background of pages/next.html; a link of pages/visitor.html
VISITED_RED = (0x7D, 0x2A, 0x2A)  # the same link once visited


def wait_for(predicate, timeout=40.0, step=0.1):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    return predicate()


class Server:
    """tests/http_server.py on 127.0.0.1; records the paths requested."""

    def __init__(self, port=0):
        self.process = subprocess.Popen(
            [sys.executable, os.path.join(HERE, "http_server.py"), "--root", os.path.join(HERE, "pages"),
             "--port", str(port), "--lifetime", "300"],
            stdout=subprocess.PIPE, text=True)
        first = self.process.stdout.readline().split()
        self.port = int(first[1])
        self.requests = []
        os.set_blocking(self.process.stdout.fileno(), False)

    def url(self, path):
        return f"http://127.0.0.1:{self.port}/{path}"

    def seen(self):
        while True:
            line = self.process.stdout.readline()
            if not line:
                break
            if line.startswith("GET "):
                self.requests.append(line[4:].strip())
        return self.requests

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)
        self.process.stdout.close()


class Kiosk:
    def __init__(self, arguments, cache_home, extra_env=None):
        env = dict(os.environ, XDG_CACHE_HOME=cache_home)
        env.update(extra_env or {})
        self.process = subprocess.Popen([BINARY] + arguments, env=env, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, text=True)

    def end(self, sig=signal.SIGTERM):
        if self.process.poll() is None:
            self.process.send_signal(sig)
        try:
            self.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        return self.process.returncode


def xdotool(*words):
    subprocess.run(["xdotool"] + [str(w) for w in words], check=True)


def windows_named(pattern):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", pattern],
                          capture_output=True, text=True).stdout.split()


def exit_prompt():
    """The visible window titled Quillory that is not the full-screen one."""
    width, height = screen_size()
    for window in windows_named("^Quillory$"):
        if window_geometry(window)[2:] != (width, height):
            return window
    return None


def hot_corner_gesture(start_y=300):
    """Press at the screen's left edge, hold, drag into the bottom-left corner."""
    _, height = screen_size()
    xdotool("mousemove", 0, start_y, "mousedown", 1)
    xdotool("mousemove", 0, (start_y + height) // 2)
    xdotool("mousemove", 0, height - 1)
    time.sleep(0.3)
    xdotool("mouseup", 1)


def keyboard_grab_status():
    """Whether another client can take the keyboard now: 0 taken, 1 held by someone else."""
    helper = subprocess.Popen([os.environ["QUILLORY_X11_HELPER"]], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                              text=True)
    try:
        helper.stdin.write("grab\n")
        helper.stdin.flush()
        status = int(helper.stdout.readline().split()[1])
        helper.stdin.write("ungrab\n")
        helper.stdin.flush()
        helper.stdout.readline()
    finally:
        helper.stdin.close()
        helper.wait(timeout=10)
    return status


def program_windows(kiosk):
    """The program's mapped windows: the presentation and whatever a page opened over it."""
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(kiosk.process.pid)],
                          capture_output=True, text=True).stdout.split()


def presentation_window():
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Quillory$"],
                           capture_output=True, text=True).stdout.split()
    return found[0] if found else None


def twips(value):
    """Pixels at the 96 dots per inch the test displays have."""
    return round(value / 15)


DIALOG_COMPACT = (twips(4695), twips(3030))
DIALOG_EXPANDED = (twips(4695), twips(5415))
ABOUT_SIZE = (twips(6135), twips(4095))


def settings_dialog(size=DIALOG_COMPACT):
    """The visible settings dialog: the window titled Quillory of the dialog's client size."""
    for window in windows_named("^Quillory$"):
        if window_geometry(window)[2:] == size:
            return window
    return None


def click_in(window, left_twips, top_twips):
    """A click at a point of the window's client area, given in twips."""
    x, y, _, _ = window_geometry(window)
    xdotool("mousemove", x + twips(left_twips), y + twips(top_twips), "click", 1)


def window_geometry(window):
    info = subprocess.run(["xwininfo", "-id", window], capture_output=True, text=True).stdout
    values = {}
    for line in info.splitlines():
        key, _, value = line.strip().partition(":")
        values[key] = value.strip()
    return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
            int(values["Width"]), int(values["Height"]))


def screen_size():
    info = subprocess.run(["xwininfo", "-root"], capture_output=True, text=True).stdout
    width = height = 0
    for line in info.splitlines():
        if line.strip().startswith("Width:"):
            width = int(line.split(":")[1])
        if line.strip().startswith("Height:"):
            height = int(line.split(":")[1])
    return width, height


def pixel(x, y):
    """The colour of one screen pixel, read from a real screenshot."""
    out = subprocess.run(["import", "-silent", "-window", "root", "-crop", f"1x1+{x}+{y}", "-depth", "8", "rgb:-"],
                         capture_output=True).stdout
    return tuple(out[:3])


def near(colour, expected, tolerance=8):
    return len(colour) == 3 and all(abs(a - b) <= tolerance for a, b in zip(colour, expected))


def port_listening(port):
    with socket.socket() as probe:
        probe.settimeout(0.5)
        return probe.connect_ex(("127.0.0.1", port)) == 0


class KioskCase(unittest.TestCase):
    """A local server and a cache folder for each test; every kiosk started is ended."""

    def setUp(self):
        self.cache = tempfile.TemporaryDirectory()
        self.server = Server()
        self.kiosks = []

    def tearDown(self):
        for kiosk in self.kiosks:
            kiosk.end(signal.SIGKILL)
        self.server.stop()
        self.cache.cleanup()

    def start(self, command_line_words, extra_env=None):
        kiosk = Kiosk(command_line_words, self.cache.name, extra_env)
        self.kiosks.append(kiosk)
        return kiosk


class EndToEnd(KioskCase):
    """Start-up and the presentation window."""

    def test_presentation_covers_the_screen_and_ends_on_sigterm(self):
        kiosk = self.start([self.server.url("home.html") + ",30"])
        self.assertTrue(wait_for(lambda: "/home.html" in self.server.seen()), "homepage never requested")
        window = wait_for(presentation_window)
        self.assertIsNotNone(window)
        width, height = screen_size()
        self.assertTrue(wait_for(lambda: window_geometry(window) == (0, 0, width, height), timeout=10),
                        window_geometry(window))
        self.assertTrue(wait_for(lambda: near(pixel(width // 2, height // 2), HOME_GREEN)), "homepage not shown")
        # The thin strip at the left edge is the window's own black.
        self.assertEqual(pixel(0, height // 2), (0, 0, 0))
        self.assertEqual(kiosk.end(signal.SIGTERM), 0)
        self.assertIsNone(presentation_window())

    def test_page_seen_before_the_end_shows_offline_in_the_next_run(self):
        kiosk = self.start([self.server.url("home.html") + ",30"])
        self.assertTrue(wait_for(lambda: "/home.html" in self.server.seen()))
        width, height = screen_size()
        self.assertTrue(wait_for(lambda: near(pixel(width // 2, height // 2), HOME_GREEN)))
        time.sleep(2)  # the engine files a page in its cache a moment after showing it
        self.assertEqual(kiosk.end(signal.SIGINT), 0)

        url = self.server.url("home.html")
        self.server.stop()
        self.server = Server()  # another port: nothing answers the old one
        kiosk = self.start([url, ",", "30", ",", "workoffline"])
        self.assertTrue(wait_for(lambda: near(pixel(width // 2, height // 2), HOME_GREEN), timeout=40),
                        "cached homepage not shown offline")
        self.assertEqual(kiosk.end(), 0)

    def test_unloadable_url_shows_the_error_page_and_runs_on(self):
        kiosk = self.start(["http://127.0.0.1:1/nothing-here,30"])
        self.assertIsNotNone(wait_for(presentation_window))
        time.sleep(3)
        self.assertIsNone(kiosk.process.poll())
        self.assertEqual(kiosk.end(), 0)

    def test_command_lines_that_need_the_dialog(self):
        # These show the settings dialog and nothing else; none may crash or
        # hang, and none reaches the presentation's homepage.
        for words in ([], [",,,,,,,,"], ["-platform", "offscreen"], ["--webEngineArgs", "--remote-debugging-port=9"],
                      ["x" * 100000], ["\u00e9\u4e2d,abc"], [self.server.url("home.html") + ",5"]):
            with self.subTest(words=str(words)[:40]):
                kiosk = Kiosk(words, self.cache.name)
                shown = wait_for(settings_dialog)
                running = kiosk.process.poll() is None
                kiosk.process.send_signal(signal.SIGTERM)
                _, err = kiosk.process.communicate(timeout=30)
                self.assertIsNotNone(shown, "no dialog: " + err[-2000:])
                self.assertTrue(running)
                self.assertEqual(kiosk.process.returncode, 0, err[-2000:])
                self.assertNotIn("/home.html", self.server.seen())

    def test_no_remote_debugging_port(self):
        kiosk = self.start([self.server.url("home.html") + ",30"],
                           {"QTWEBENGINE_REMOTE_DEBUGGING": "127.0.0.1:9339",
                            "QTWEBENGINE_CHROMIUM_FLAGS": "--remote-debugging-port=9338 --disable-gpu"})
        self.assertTrue(wait_for(lambda: "/home.html" in self.server.seen()))
        time.sleep(1)
        self.assertFalse(port_listening(9339))
        self.assertFalse(port_listening(9338))
        self.assertEqual(kiosk.end(), 0)

    @unittest.skipUnless(os.environ.get("QUILLORY_TEST_WM"), "needs a window manager")
    def test_window_manager_cannot_close_or_switch_away(self):
        kiosk = self.start([self.server.url("home.html") + ",30,pass:secret"])
        window = wait_for(presentation_window)
        self.assertIsNotNone(window)
        self.assertTrue(wait_for(lambda: "/home.html" in self.server.seen()))
        time.sleep(1)
        subprocess.run(["xdotool", "key", "alt+F4"])
        subprocess.run(["xdotool", "key", "alt+Tab"])
        # Keys that leave or shrink a browser's full screen leave the window whole.
        subprocess.run(["xdotool", "key", "Escape", "F11", "super"])
        time.sleep(1)
        self.assertIsNone(kiosk.process.poll())
        self.assertEqual(presentation_window(), window)
        width, height = screen_size()
        self.assertEqual(window_geometry(window), (0, 0, width, height))
        # Closing it through the window manager, as a taskbar would, is refused too.
        subprocess.run(["wmctrl", "-c", "Quillory"], check=True)
        time.sleep(1)
        self.assertIsNone(kiosk.process.poll())
        self.assertEqual(kiosk.end(), 0)


class SettingsDialog(KioskCase):
    """The settings dialog of a command line without URL or delay, used with real input."""

    def open_dialog(self):
        kiosk = self.start([])
        dialog = wait_for(settings_dialog)
        self.assertIsNotNone(dialog, "the dialog did not open")
        time.sleep(0.5)  # let it take the keyboard
        return kiosk, dialog

    def test_typed_settings_start_the_presentation(self):
        kiosk, dialog = self.open_dialog()
        url = self.server.url("home.html")
        xdotool("type", "--delay", "20", url)
        xdotool("key", "Tab")
        xdotool("type", "--delay", "20", "30")
        xdotool("key", "Return")
        self.assertTrue(wait_for(lambda: "/home.html" in self.server.seen()), "homepage never requested")
        width, height = screen_size()
        self.assertTrue(wait_for(lambda: near(pixel(width // 2, height // 2), HOME_GREEN)), "homepage not shown")
        window = presentation_window()
        self.assertEqual(window_geometry(window), (0, 0, width, height))
        self.assertIsNone(settings_dialog())
        self.assertIsNone(kiosk.process.poll())
        self.assertEqual(kiosk.end(), 0)

    def test_close_ends_with_status_0_and_no_presentation(self):
        kiosk, dialog = self.open_dialog()
        click_in(dialog, 2520 + 975 / 2, 2520 + 375 / 2)  # cmdClose
        kiosk.process.wait(timeout=20)
        self.assertEqual(kiosk.process.returncode, 0)
        self.assertEqual(self.server.seen(), [])
        self.assertIsNone(presentation_window())

    @unittest.skipUnless(os.environ.get("QUILLORY_TEST_WM"), "needs a window manager")
    def test_close_box_ends_with_status_0(self):
        kiosk, dialog = self.open_dialog()
        subprocess.run(["wmctrl", "-i", "-c", dialog], check=True)
        kiosk.process.wait(timeout=20)
        self.assertEqual(kiosk.process.returncode, 0)
        self.assertIsNone(presentation_window())

    def test_more_then_the_about_box(self):
        kiosk, dialog = self.open_dialog()
        xdotool("key", "alt+m")
        self.assertTrue(wait_for(lambda: window_geometry(dialog)[2:] == DIALOG_EXPANDED, timeout=5),
                        window_geometry(dialog))
        click_in(dialog, 120 + 240 + 300, 3120 + 1890 + 120)  # "More about Quillory..."
        about = wait_for(lambda: windows_named("^About Quillory$"), timeout=10)
        self.assertTrue(about, "the About box did not open")
        self.assertEqual(window_geometry(about[0])[2:], ABOUT_SIZE)
        # The page from beside the program, in the box's browser: its background colour.
        x, y, _, _ = window_geometry(about[0])
        self.assertTrue(wait_for(lambda: near(pixel(x + twips(3000), y + twips(180)), (0xF4, 0xF6, 0xF2)), timeout=10),
                        "index.htm not shown")
        xdotool("key", "Escape")
        self.assertTrue(wait_for(lambda: not windows_named("^About Quillory$"), timeout=5), "Esc left it open")
        self.assertEqual(settings_dialog(DIALOG_EXPANDED), dialog)
        self.assertIsNone(kiosk.process.poll())
        self.assertEqual(kiosk.end(), 0)


@unittest.skipUnless(os.environ.get("QUILLORY_TEST_WM"), "needs a window manager")
class ExitAndReset(KioskCase):
    """The hot corner, the exit prompt and the return home, with real input."""

    def start_presentation(self, options):
        kiosk = self.start([self.server.url("home.html") + "," + options])
        self.assertTrue(wait_for(lambda: "/home.html" in self.server.seen()))
        width, height = screen_size()
        self.assertTrue(wait_for(lambda: near(pixel(width // 2, height // 2), HOME_GREEN)))
        return kiosk

    def test_right_password_ends_and_releases_the_keyboard(self):
        kiosk = self.start_presentation("30,pass:Secret")
        self.assertTrue(wait_for(lambda: keyboard_grab_status() == 1, timeout=5), "the keys are not locked")
        hot_corner_gesture()
        self.assertIsNotNone(wait_for(exit_prompt, timeout=5), "the gesture opened no prompt")
        xdotool("type", "--delay", "50", "SECRET")
        xdotool("key", "Return")
        kiosk.process.wait(timeout=20)
        self.assertEqual(kiosk.process.returncode, 0)
        self.assertNotIn("secret", kiosk.process.stderr.read().lower())
        self.assertEqual(keyboard_grab_status(), 0)

    def test_wrong_password_hides_the_prompt_and_runs_on(self):
        kiosk = self.start_presentation("30,pass:secret")
        hot_corner_gesture()
        prompt = wait_for(exit_prompt, timeout=5)
        self.assertIsNotNone(prompt)
        xdotool("type", "--delay", "50", "guess")
        xdotool("key", "Return")
        self.assertTrue(wait_for(lambda: exit_prompt() is None, timeout=5))
        time.sleep(1)
        self.assertIsNone(kiosk.process.poll())

    def test_moves_that_start_over_the_page_open_nothing(self):
        kiosk = self.start_presentation("30,pass:secret")
        _, height = screen_size()
        xdotool("mousemove", 600, 600, "mousedown", 1)
        xdotool("mousemove", 0, height - 1)
        time.sleep(0.3)
        xdotool("mouseup", 1)
        xdotool("mousemove", 0, height - 1)
        time.sleep(1)
        self.assertIsNone(exit_prompt())
        self.assertIsNone(kiosk.process.poll())

    def test_killed_run_leaves_no_lock_and_the_next_removes_its_site_data(self):
        temp = tempfile.mkdtemp(dir=self.cache.name)
        url = self.server.url("home.html")

        def start_run():
            before = set(os.listdir(temp))
            kiosk = self.start([url + ",30,pass:secret"], {"TMPDIR": temp})
            return kiosk, wait_for(lambda: set(os.listdir(temp)) - before, timeout=20).pop()

        killed, killed_folder = start_run()
        self.assertTrue(wait_for(lambda: keyboard_grab_status() == 1, timeout=20))
        # Other accounts read the arguments; the password is no longer there.
        with open(f"/proc/{killed.process.pid}/cmdline", "rb") as cmdline:
            self.assertEqual(cmdline.read().rstrip(b"\0"), (BINARY + "\0" + url + ",30,pass:").encode())
        killed.end(signal.SIGKILL)
        self.assertEqual(keyboard_grab_status(), 0)
        self.assertIn(killed_folder, os.listdir(temp))
        live, live_folder = start_run()
        self.assertTrue(wait_for(lambda: killed_folder not in os.listdir(temp), timeout=5))
        _, newest_folder = start_run()
        time.sleep(2)
        self.assertEqual(set(os.listdir(temp)), {live_folder, newest_folder})

    def test_no_password_the_corner_ends_at_once(self):
        kiosk = self.start_presentation("30")
        hot_corner_gesture()
        kiosk.process.wait(timeout=20)
        self.assertEqual(kiosk.process.returncode, 0)

    def test_visitor_is_sent_home_after_one_tick(self):
        kiosk = self.start_presentation("10")
        width, height = screen_size()
        xdotool("mousemove", 250, 250, "click", 1)  # the "Next page" link
        self.assertTrue(wait_for(lambda: near(pixel(width // 2, height // 2), NEXT_BLUE), timeout=5))
        clicked = time.monotonic()
        self.assertTrue(wait_for(lambda: near(pixel(width // 2, height // 2), HOME_GREEN), timeout=25))
        self.assertGreater(time.monotonic() - clicked, 8)  # one tick of 10 s after the completed navigation
        self.assertIsNone(kiosk.process.poll())

    def test_allowed_popup_is_closed_at_the_reset(self):
        kiosk = self.start_presentation("10,allownewwindows,closeopenwindows")
        xdotool("mousemove", 250, 450, "click", 1)  # the "A new window" link
        popup = "^Popup page - Microsoft Internet Explorer$"
        self.assertTrue(wait_for(lambda: windows_named(popup), timeout=10), "the popup did not open")
        self.assertTrue(wait_for(lambda: not windows_named(popup), timeout=25), "the reset left the popup open")
        self.assertIsNone(kiosk.process.poll())

    def test_prompt_left_open_is_hidden_at_the_reset(self):
        kiosk = self.start_presentation("10,pass:secret")
        hot_corner_gesture()
        self.assertIsNotNone(wait_for(exit_prompt, timeout=5))
        self.assertTrue(wait_for(lambda: exit_prompt() is None, timeout=25))
        self.assertIsNone(kiosk.process.poll())

    def test_next_visitor_finds_nothing_of_the_last(self):
        kiosk = self.start([self.server.url("visitor.html") + ",10"])
        homes = lambda: [r for r in self.server.seen() if r.startswith("/home?")]
        self.assertTrue(wait_for(homes))
        xdotool("mousemove", 250, 150, "click", 1)  # visitor A's search, which stores all it can
        self.assertTrue(wait_for(lambda: "/stored?cookies+local+session+indexeddb+caches+worker" in self.server.seen(),
                                 timeout=10), self.server.seen())
        self.assertTrue(wait_for(lambda: near(pixel(250, 150), VISITED_RED), timeout=5), "the link never showed visited")
        xdotool("mousemove", 250, 320, "click", 1)
        xdotool("type", "--delay", "20", "Asecret")
        xdotool("key", "ctrl+a", "ctrl+c")  # the clipboard, and the selection the engine sets
        self.assertTrue(wait_for(lambda: "/typed?Asecret" in self.server.seen(), timeout=5))

        self.assertTrue(wait_for(lambda: len(homes()) == 2, timeout=25), "no reset")
        self.assertEqual(homes(), ["/home?history=1&held="] * 2)
        self.assertTrue(wait_for(lambda: near(pixel(250, 150), NEXT_BLUE), timeout=5), "A's visit still shows")
        xdotool("click", 8)  # Back
        xdotool("mousemove", 250, 320, "click", 1)
        xdotool("key", "ctrl+v")
        xdotool("click", 2)  # pastes the selection
        xdotool("type", "B")
        self.assertTrue(wait_for(lambda: self.server.seen()[-1].startswith("/typed?") and
                                 self.server.seen()[-1].endswith("B"), timeout=5))
        self.assertEqual(self.server.seen()[-1], "/typed?B")
        self.assertEqual(self.server.seen().count("/visitor.html?q=secret"), 1)
        self.assertIsNone(kiosk.process.poll())


class PageControls(KioskCase):
    """What a page's controls open, under the keyboard lock."""

    def test_no_control_frees_the_keys_or_outlives_the_reset(self):
        kiosk = self.start([self.server.url("controls.html") + ",10,pass:secret"])
        self.assertTrue(wait_for(lambda: "/controls.html" in self.server.seen()))
        width, height = screen_size()
        self.assertTrue(wait_for(lambda: near(pixel(width // 2, height // 2), HOME_GREEN)))
        presentation = wait_for(lambda: program_windows(kiosk))
        self.assertTrue(wait_for(lambda: keyboard_grab_status() == 1, timeout=5), "the keys are not locked")
        # The colour input opens nothing, so the exit gesture still opens the prompt.
        xdotool("mousemove", 250, 70, "click", 1)
        time.sleep(1)
        self.assertEqual(program_windows(kiosk), presentation)
        hot_corner_gesture()
        self.assertIsNotNone(wait_for(exit_prompt, timeout=5), "the gesture opened no prompt")
        xdotool("type", "x")  # a wrong password, which hides the prompt
        xdotool("key", "Return")
        self.assertTrue(wait_for(lambda: exit_prompt() is None, timeout=5))
        # Each picker or list opens over the page at its control's right end;
        # the file input opens nothing.
        for name, top in (("date", 110), ("time", 170), ("datetime-local", 230), ("month", 290), ("week", 350),
                          ("select", 410), ("datalist", 470), ("file", 530)):
            with self.subTest(control=name):
                xdotool("mousemove", 385, top + 20, "click", 1)
                time.sleep(1)
                self.assertEqual(keyboard_grab_status(), 1)
                xdotool("key", "Escape")
                time.sleep(0.3)
                self.assertEqual(keyboard_grab_status(), 1)
        xdotool("mousemove", 250, 610)
        self.assertTrue(wait_for(lambda: len(program_windows(kiosk)) > len(presentation), timeout=5), "no tooltip")
        self.assertEqual(keyboard_grab_status(), 1)
        # A list left open goes with the reset; the lock stays.
        xdotool("mousemove", 385, 430, "click", 1)
        self.assertTrue(wait_for(lambda: len(program_windows(kiosk)) > len(presentation), timeout=5), "no list")
        self.assertTrue(wait_for(lambda: program_windows(kiosk) == presentation, timeout=25), program_windows(kiosk))
        self.assertEqual(keyboard_grab_status(), 1)
        self.assertIsNone(kiosk.process.poll())


if __name__ == "__main__":
    BINARY = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
