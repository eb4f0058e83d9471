"""The end-to-end tests' harness: the local server, the real program started as
an operator would, and what a person sees and does on the X display (xdotool,
xwininfo, screenshots). Set BINARY to the program before starting one."""
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
# The engine the kiosks draw their pages with, as the program chooses it:
# Debian's Chromium where installed, unless QUILLORY_ENGINE=qtwebengine.
ENGINE = ("chromium" if os.environ.get("QUILLORY_ENGINE") != "qtwebengine" and os.access("/usr/bin/chromium", os.X_OK)
          else "qtwebengine")
HOME_GREEN = (0x2A, 0x7D, 0x2A)  # the background of pages/home.html
NEXT_BLUE = (0x2A, 0x2A, 0x7D)  # the background of pages/next.html; a link of pages/visitor.html
VISITED_RED = (0x7D, 0x2A, 0x2A)  # the same link once visited


def wait_for(predicate, timeout=60.0, step=0.1):
    """The predicate's first true value, polled until the timeout; a bound for
    a loaded machine, not a time anything is expected to take."""
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
        self.partial = ""
        os.set_blocking(self.process.stdout.fileno(), False)

    def url(self, path):
        return f"http://127.0.0.1:{self.port}/{path}"

    def seen(self):
        # A line the server is still writing is read whole next time.
        lines = (self.partial + "".join(self.process.stdout.readlines())).split("\n")
        self.partial = lines.pop()
        self.requests += [line[4:].strip() for line in lines if line.startswith("GET ")]
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
        # A browser process outlives a killed kiosk by the moment it takes to end.
        self.assertTrue(wait_for(lambda: not processes_using(self.cache.name), timeout=10), "a browser stayed")
        self.cache.cleanup()

    def start(self, command_line_words, extra_env=None):
        kiosk = Kiosk(command_line_words, self.cache.name, extra_env)
        self.kiosks.append(kiosk)
        return kiosk

    def start_presentation(self, options, extra_env=None, page="home.html"):
        """The kiosk on a page (green, as pages/home.html) with these fields after the URL, once it shows."""
        # A homepage without a scheme is a web address.
        kiosk = self.start([self.server.url(page).removeprefix("http://") + "," + options], extra_env)
        self.assertTrue(wait_for(lambda: "/" + page in self.server.seen()), "homepage never requested")
        self.assertTrue(wait_for(lambda: shows(HOME_GREEN)), "homepage not shown")
        if ENGINE == "chromium":  # the browser is given the kiosk's cache folder
            self.assertTrue(processes_using(self.cache.name, "--remote-debugging-pipe"), "no Chromium runs")
        return kiosk

    def assert_locked(self, timeout=5):
        self.assertTrue(wait_for(lambda: keyboard_grab_status() == 1, timeout=timeout), "the keys are not locked")

    def open_prompt(self):
        """The exit gesture, and the prompt it opens."""
        hot_corner_gesture()
        self.assertIsNotNone(wait_for(dialog_window, timeout=5), "the gesture opened no prompt")

    def ends_cleanly(self, kiosk, password=None):
        """Types the password, if any, into the open prompt; the program ends with status 0. Returns its stderr."""
        if password is not None:
            xdotool("type", "--delay", "50", password)
            xdotool("key", "Return")
        _, err = kiosk.process.communicate(timeout=30)
        self.assertEqual(kiosk.process.returncode, 0, err[-2000:])
        return err


def xdotool(*words):
    subprocess.run(["xdotool"] + [str(w) for w in words], check=True)


def windows_named(pattern, by="--name"):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", by, pattern], capture_output=True, text=True)
    return found.stdout.split()


def homepage_live():
    """The homepage as the browser draws it, not its still picture at a return home."""
    return shows(HOME_GREEN) and not windows_named("^homepage picture$")


def program_windows(kiosk):
    """The mapped windows of the program and of the browser it started: the
    presentation and whatever a page opened over it."""
    pids = [kiosk.process.pid] + [pid for _, pid in children(kiosk.process.pid)]
    return [window for pid in pids for window in windows_named(str(pid), by="--pid")]


def presentation_window():
    found = windows_named("^Quillory$")
    return found[0] if found else None


def dialog_window():
    """The visible window titled Quillory that is not the full-screen one:
    the settings dialog, or the exit prompt."""
    width, height = screen_size()
    for window in windows_named("^Quillory$"):
        try:
            if window_geometry(window)[2:] != (width, height):
                return window
        except KeyError:  # gone meanwhile
            continue
    return None


def focused(window):
    """Whether the X input focus is on this window, so that keys typed now reach it."""
    answer = subprocess.run(["xdotool", "getwindowfocus", "-f"], capture_output=True, text=True)
    return answer.stdout.strip() == window


def cached(folder, path):
    """Whether the engine's disk cache below this folder holds this path's response,
    headers and all, as an offline run would read it."""
    for directory, _, names in os.walk(folder):
        for name in names:
            try:
                with open(os.path.join(directory, name), "rb") as entry:
                    data = entry.read(1 << 20)
            except OSError:
                continue
            if path.encode() in data and b" 200 OK" in data:
                return True
    return False


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
    answers = subprocess.run([os.environ["QUILLORY_X11_HELPER"]], input="grab\nungrab\n", capture_output=True,
                             text=True, timeout=10).stdout
    return int(answers.split()[1])


def twips(value):
    """Pixels at the 96 dots per inch the test displays have."""
    return round(value / 15)


def window_geometry(window):
    """x, y, width and height of a window, or of the whole screen for "root"."""
    which = ["-root"] if window == "root" else ["-id", window]
    info = subprocess.run(["xwininfo"] + which, capture_output=True, text=True).stdout
    values = {key.strip(): value for key, _, value in (line.partition(":") for line in info.splitlines())}
    return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
            int(values["Width"]), int(values["Height"]))


def screen_size():
    return window_geometry("root")[2:]


def screenshot(crop):
    """The RGB bytes of a part of a real screenshot, as WxH+X+Y."""
    return subprocess.run(["import", "-silent", "-window", "root", "-crop", crop, "-depth", "8", "rgb:-"],
                          capture_output=True).stdout


def pixel(x, y):
    """The colour of one screen pixel."""
    return tuple(screenshot(f"1x1+{x}+{y}")[:3])


def left_strip_uncovered():
    """Whether the screen's leftmost column shows the presentation window's black strip from top to bottom."""
    _, height = screen_size()
    out = screenshot(f"1x{height}+0+0")
    return len(out) == 3 * height and not any(out)


def near(colour, expected, tolerance=8):
    return len(colour) == 3 and all(abs(a - b) <= tolerance for a, b in zip(colour, expected))


def shows(colour):
    """The middle of the screen shows this colour."""
    width, height = screen_size()
    return near(pixel(width // 2, height // 2), colour)


def port_listening(port):
    with socket.socket() as probe:
        probe.settimeout(0.5)
        return probe.connect_ex(("127.0.0.1", port)) == 0



def children(parent):
    """The processes whose parent this is, as (start time, pid)."""
    found = []
    for entry in os.listdir("/proc"):
        try:
            with open(f"/proc/{entry}/stat") as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except (OSError, IndexError):
            continue
        if int(fields[1]) == parent:
            found.append((int(fields[19]), int(entry)))
    return found


def renderers(kiosk):
    """The kiosk's renderer processes, oldest first: the children of its zygote processes."""
    return [pid for _, pid in sorted(r for _, zygote in children(kiosk.process.pid) for r in children(zygote))]


def descendants(kiosk, switch):
    """The processes below the kiosk with this switch in their command line."""
    found, parents = [], [kiosk.process.pid]
    while parents:
        below = [pid for parent in parents for _, pid in children(parent)]
        for pid in below:
            try:
                with open(f"/proc/{pid}/cmdline", "rb") as cmdline:
                    if switch.encode() in cmdline.read():
                        found.append(pid)
            except OSError:
                continue
        parents = below
    return found


def processes_using(folder, switch=""):
    """The processes with this folder in their command line or environment (a
    kiosk given it as its cache folder, and every process of its browser), and
    with this switch in their command line."""
    found = []
    for entry in os.listdir("/proc"):
        try:
            with open(f"/proc/{entry}/cmdline", "rb") as cmdline, open(f"/proc/{entry}/environ", "rb") as environ:
                words = cmdline.read()
                if folder.encode() in words + environ.read() and switch.encode() in words:
                    found.append(int(entry))
        except (OSError, ValueError):
            continue
    return found


def window_property(window, name):
    """What xprop prints of one property of a window, or of the root window for "root"."""
    which = ["-root"] if window == "root" else ["-id", window]
    return subprocess.run(["xprop"] + which + [name], capture_output=True, text=True).stdout


class MapWatch:
    """The root's children mapped and unmapped meanwhile, from x11_window_helper watch."""

    def __init__(self):
        self.process = subprocess.Popen([os.environ["QUILLORY_X11_HELPER"], "watch", "600"],
                                        stdout=subprocess.PIPE, text=True)
        self.process.stdout.readline()  # "watching": the events are selected

    def mapped_times(self, settle=2.0):
        """{window: milliseconds mapped}, None for a window still mapped, once a
        window that the last action opened has had this many seconds to show and go."""
        time.sleep(settle)
        self.process.terminate()  # the helper writes out each event as it comes
        out, _ = self.process.communicate(timeout=60)
        mapped, times = {}, {}
        for what, window, at in (line.split() for line in out.splitlines()):
            if what == "map":
                mapped[window] = float(at)
                times[window] = None
            elif window in mapped:
                times[window] = float(at) - mapped.pop(window)
        return times


def screen_keyboard():
    """The on-screen keyboard's window, while it shows."""
    found = windows_named("^Quillory keyboard$")
    return found[0] if found else None


# Where each key of the US layout lies, as (row, centre) in key widths from
# the row's left, and each row's width (resources/keyboards/us.layout).
_US_ROWS = {0: 11.5, 1: 11.5, 2: 11.0, 3: 11.5, 4: 11.5}
_US_KEYS = {**{c: (1, 2.0 + i) for i, c in enumerate("qwertyuiop")},
            **{c: (2, 1.0 + i) for i, c in enumerate("asdfghjkl")},
            **{c: (3, 2.0 + i) for i, c in enumerate("zxcvbnm,.-")},
            "\n": (2, 10.25), "\b": (0, 10.75)}


def tap_screen_keyboard(text):
    """Clicks the keys of the on-screen keyboard (US layout) that type this text, as a finger would."""
    x, y, width, height = window_geometry(screen_keyboard())
    for character in text:
        row, centre = _US_KEYS[character]
        xdotool("mousemove", round(x + 4 + centre / _US_ROWS[row] * (width - 8)),
                round(y + 4 + (row + 0.5) * (height - 8) / 5), "click", 1)
