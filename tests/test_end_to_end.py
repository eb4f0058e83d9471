#!/usr/bin/env python3
"""The real program, started as an operator would, under Xvfb: what only the
whole program shows - real input, the keyboard lock, the cache across runs
and the command line as the system passes it.

Usage: test_end_to_end.py QUILLORY_BINARY   (DISPLAY must name an X server;
with-xvfb.sh provides one, with --wm also a window manager).
"""
import os
import signal
import subprocess
import sys
import tempfile
import time
import unittest

import e2e
from e2e import HOME_GREEN, NEXT_BLUE, VISITED_RED, KioskCase, near, pixel, shows, wait_for, xdotool

UNDER_WM = bool(os.environ.get("QUILLORY_TEST_WM"))
ON_CHROMIUM = e2e.ENGINE == "chromium"
needs_wm = unittest.skipUnless(UNDER_WM, "needs a window manager")
# Each test runs only where its outcome can differ: the program's engine is
# Chromium, and a kiosk's session has no window manager. So a test runs on
# Chromium on the bare server, again under openbox only if a window manager
# can change what it sees, and again on Qt WebEngine only if the engine can
# (how each engine raises its events is also checked in-process, against
# both, by the browser control's own tests).
nothing_of_the_wm = unittest.skipIf(UNDER_WM and ON_CHROMIUM, "nothing a window manager changes: runs on the bare server")
nothing_of_the_engine = unittest.skipUnless(ON_CHROMIUM, "nothing of the engine: runs on Chromium")
needs_two_screens = unittest.skipUnless(os.environ.get("QUILLORY_TEST_SCREENS"), "needs two screens (with-xvfb.sh --two-screens)")


class EndToEnd(KioskCase):
    """Start-up and the presentation window."""

    def test_presentation_covers_the_screen_and_ends_on_sigterm(self):
        kiosk = self.start_presentation("30", {"QTWEBENGINE_REMOTE_DEBUGGING": "127.0.0.1:9339",
                                               "QTWEBENGINE_CHROMIUM_FLAGS": "--remote-debugging-port=9338"})
        window = e2e.presentation_window()
        width, height = e2e.screen_size()
        self.assertTrue(wait_for(lambda: e2e.window_geometry(window) == (0, 0, width, height), timeout=10),
                        e2e.window_geometry(window))
        self.assertEqual(e2e.keyboard_grab_status(), 0)  # without a password the keys stay free
        self.assertFalse(e2e.port_listening(9339) or e2e.port_listening(9338))  # no remote debugging
        # Qt WebEngine and the OpenGL it shares are mapped only where that engine draws the pages.
        with open(f"/proc/{kiosk.process.pid}/maps") as maps:
            mapped = maps.read()
        mapped = {name for name in ("libQt6WebEngineCore", "libQt6Quick.", "libLLVM") if name in mapped}
        if e2e.ENGINE == "chromium":
            self.assertEqual(mapped, set())
        else:
            self.assertIn("libQt6WebEngineCore", mapped)
        if os.environ.get("QUILLORY_TEST_WM"):
            # Keys that leave or shrink a browser's full screen leave the window whole.
            subprocess.run(["xdotool", "key", "Escape", "F11", "super"])
            # Closing it through the window manager, as a taskbar would, is refused.
            subprocess.run(["wmctrl", "-c", "Quillory"], check=True)
            time.sleep(1)
            self.assertEqual(e2e.window_geometry(window), (0, 0, width, height))
            self.assertEqual(e2e.presentation_window(), window)
        self.assertEqual(kiosk.end(signal.SIGTERM), 0)
        self.assertIsNone(e2e.presentation_window())

    @nothing_of_the_wm
    def test_page_seen_before_the_end_shows_offline_in_the_next_run(self):
        kiosk = self.start_presentation("30")
        # The engine files a page in its cache a moment after showing it.
        self.assertTrue(wait_for(lambda: e2e.cached(self.cache.name, "/home.html"), timeout=10), "nothing cached")
        self.assertEqual(kiosk.end(signal.SIGINT), 0)

        asked = len(self.server.seen())
        # Separate words, as a shortcut may pass them.
        kiosk = self.start([self.server.url("home.html"), ",", "30", ",", "workoffline"])
        # Offline, Qt WebEngine first loads two pages of its own.
        self.assertTrue(wait_for(lambda: shows(HOME_GREEN), timeout=90), "cached homepage not shown offline")
        self.assertEqual(kiosk.end(), 0)
        self.assertEqual(self.server.seen()[asked:], [])

    @nothing_of_the_wm
    @nothing_of_the_engine
    def test_command_lines_that_need_the_dialog(self):
        # These show the settings dialog and nothing else; none may crash or
        # hang, and none reaches the presentation's homepage.
        for words in ([], [",,,,,,,,"], ["-platform", "offscreen"], ["--webEngineArgs", "--remote-debugging-port=9"],
                      ["x" * 100000], ["\u00e9\u4e2d,abc"], [self.server.url("home.html") + ",5"]):
            with self.subTest(words=str(words)[:40]):
                kiosk = self.start(words)
                self.assertIsNotNone(wait_for(e2e.dialog_window), "no dialog")
                self.assertIsNone(kiosk.process.poll())
                kiosk.process.send_signal(signal.SIGTERM)
                self.ends_cleanly(kiosk)
                self.assertNotIn("/home.html", self.server.seen())


@nothing_of_the_engine
class SettingsDialog(KioskCase):
    """The settings dialog of a command line without URL or delay, used with real input."""

    def open_dialog(self):
        kiosk = self.start([])
        dialog = wait_for(e2e.dialog_window)
        self.assertIsNotNone(dialog, "the dialog did not open")
        self.assertTrue(wait_for(lambda: e2e.focused(dialog), timeout=5), "the dialog did not take the keyboard")
        return kiosk, dialog

    def test_typed_settings_start_the_presentation(self):
        kiosk, _ = self.open_dialog()
        # A web address without a scheme.
        xdotool("type", "--delay", "20", self.server.url("home.html").removeprefix("http://"))
        xdotool("key", "Tab")
        xdotool("type", "--delay", "20", "30")
        xdotool("key", "Return")
        self.assertTrue(wait_for(lambda: "/home.html" in self.server.seen()), "homepage never requested")
        self.assertTrue(wait_for(lambda: shows(HOME_GREEN)), "homepage not shown")
        self.assertIsNone(e2e.dialog_window())
        self.assertEqual(kiosk.end(), 0)

    def test_more_then_the_about_box(self):
        kiosk, dialog = self.open_dialog()
        compact = e2e.window_geometry(dialog)[3]
        xdotool("key", "alt+m")
        self.assertTrue(wait_for(lambda: e2e.window_geometry(dialog)[3] > compact, timeout=5), "More did not expand")
        x0, y0, _, _ = e2e.window_geometry(dialog)
        # "More about Quillory..."
        xdotool("mousemove", x0 + e2e.twips(660), y0 + e2e.twips(5130), "click", 1)
        about = wait_for(lambda: e2e.windows_named("^About Quillory$"), timeout=10)
        self.assertTrue(about, "the About box did not open")
        # Its page's renderer dies: the box still closes, and opens again.
        for pid in wait_for(lambda: e2e.renderers(kiosk), timeout=10):
            os.kill(pid, signal.SIGKILL)
        time.sleep(0.5)
        xdotool("key", "Escape")
        self.assertTrue(wait_for(lambda: not e2e.windows_named("^About Quillory$"), timeout=5), "Esc left it open")
        self.assertEqual(e2e.dialog_window(), dialog)
        # Ended while the box is open over the dialog.

        def about_opens():  # once the box's modal wait has ended and the dialog takes input again
            xdotool("mousemove", x0 + e2e.twips(660), y0 + e2e.twips(5130), "click", 1)
            return wait_for(lambda: e2e.windows_named("^About Quillory$"), timeout=3)

        self.assertTrue(wait_for(about_opens, timeout=15), "the About box did not open again")
        self.assertEqual(kiosk.end(signal.SIGINT), 0)


@needs_wm
class ExitAndReset(KioskCase):
    """The hot corner, the exit prompt and the return home, with real input."""

    def test_only_the_corner_gesture_opens_the_prompt_and_the_right_password_ends(self):
        kiosk = self.start_presentation("30,pass:Secret")
        self.assert_locked()
        # Moves that start over the page open nothing.
        _, height = e2e.screen_size()
        xdotool("mousemove", 600, 600, "mousedown", 1, "mousemove", 0, height - 1, "sleep", 0.3, "mouseup", 1)
        time.sleep(1)
        self.assertIsNone(e2e.dialog_window())
        self.open_prompt()
        self.assertNotIn("secret", self.ends_cleanly(kiosk, "SECRET").lower())
        self.assertEqual(e2e.keyboard_grab_status(), 0)

    @nothing_of_the_engine
    def test_the_gesture_undoes_what_the_window_manager_did_and_waits_after_wrong_passwords(self):
        kiosk = self.start_presentation("30,pass:secret")
        self.open_prompt()
        prompt = e2e.dialog_window()
        # The prompt asks for no minimise or maximise function or button.
        hints = e2e.window_property(prompt, "_MOTIF_WM_HINTS").split("=")[1].split(",")
        self.assertEqual(int(hints[1], 16) & 0x18, 0)
        self.assertEqual(int(hints[2], 16) & 0x60, 0)

        def shown_in_front():
            x, y, width, height = e2e.window_geometry(prompt)
            states = e2e.window_property(prompt, "_NET_WM_STATE")
            return (e2e.windows_named("^Quillory$") and 0 <= x and x + width <= e2e.screen_size()[0] and
                    not any(state in states for state in ("SHADED", "HIDDEN", "BELOW")) and
                    e2e.window_property(prompt, "_NET_WM_DESKTOP").split("=")[-1].strip() ==
                    e2e.window_property("root", "_NET_CURRENT_DESKTOP").split("=")[-1].strip() and
                    subprocess.run(["xdotool", "getactivewindow"], capture_output=True, text=True).stdout.strip()
                    == prompt and near(pixel(x + width - e2e.twips(500), y + height - e2e.twips(300)), (255, 255, 255)))

        for done, command in (("minimised", ["xdotool", "windowminimize", prompt]),
                              ("shaded", ["wmctrl", "-i", "-r", prompt, "-b", "add,shaded"]),
                              ("kept below", ["wmctrl", "-i", "-r", prompt, "-b", "add,below"]),
                              ("sent to another desktop", ["wmctrl", "-i", "-r", prompt, "-t", "2"]),
                              ("moved off the screen", ["xdotool", "windowmove", prompt, "-3000", "-3000"])):
            with self.subTest(done):
                subprocess.run(command, check=True)
                self.assertTrue(wait_for(lambda: not shown_in_front(), timeout=5))
                e2e.hot_corner_gesture()
                self.assertTrue(wait_for(shown_in_front, timeout=5))
        # After each wrong password the prompt waits longer before it opens again.
        for wrong, wait in ((1, 1), (2, 2)):
            xdotool("type", "wrong")
            xdotool("key", "Return")
            self.assertTrue(wait_for(lambda: e2e.dialog_window() is None, timeout=5))
            started = time.monotonic()
            e2e.hot_corner_gesture()
            self.assertTrue(wait_for(shown_in_front, timeout=wait + 5))
            self.assertGreater(time.monotonic() - started, wait - 0.2)
        self.ends_cleanly(kiosk, "secret")

    def test_killed_run_leaves_no_lock_and_the_next_removes_its_site_data(self):
        temp = tempfile.mkdtemp(dir=self.cache.name)
        data = tempfile.mkdtemp(dir=self.cache.name)
        engine_data = os.path.join(data, "Quillory", "QtWebEngine")
        os.makedirs(os.path.join(engine_data, "kiosk-1"))  # a profile of an earlier run, kept by the engine
        url = self.server.url("home.html")

        def start_run():
            before = set(os.listdir(temp))
            kiosk = self.start([url + ",30,pass:secret"], {"TMPDIR": temp, "XDG_DATA_HOME": data})
            return kiosk, wait_for(lambda: set(os.listdir(temp)) - before, timeout=20).pop()

        killed, killed_folder = start_run()
        self.assert_locked(timeout=20)
        # Other accounts read the arguments; the password is no longer there.
        with open(f"/proc/{killed.process.pid}/cmdline", "rb") as cmdline:
            self.assertEqual(cmdline.read().rstrip(b"\0"), (e2e.BINARY + "\0" + url + ",30,pass:").encode())
        killed.end(signal.SIGKILL)
        self.assertEqual(e2e.keyboard_grab_status(), 0)
        self.assertIn(killed_folder, os.listdir(temp))
        live, live_folder = start_run()
        self.assertTrue(wait_for(lambda: killed_folder not in os.listdir(temp), timeout=5))
        _, newest_folder = start_run()
        time.sleep(2)
        self.assertEqual(set(os.listdir(temp)), {live_folder, newest_folder})
        if e2e.ENGINE == "qtwebengine":
            self.assertTrue(wait_for(lambda: os.listdir(engine_data) == [], timeout=10), os.listdir(engine_data))

    def test_visitor_is_sent_home_after_one_tick(self):
        kiosk = self.start_presentation("10")
        xdotool("mousemove", 250, 250, "click", 1)  # the "Next page" link
        self.assertTrue(wait_for(lambda: shows(NEXT_BLUE), timeout=5))
        clicked = time.monotonic()
        self.assertTrue(wait_for(lambda: shows(HOME_GREEN), timeout=25))
        self.assertGreater(time.monotonic() - clicked, 8)  # one tick of 10 s after the completed navigation
        self.assertIsNone(kiosk.process.poll())

    def test_allowed_popup_is_closed_at_the_reset(self):
        kiosk = self.start_presentation("10,allownewwindows,closeopenwindows")
        xdotool("mousemove", 250, 450, "click", 1)  # the "A new window" link
        popup = "^Popup page - Microsoft Internet Explorer$"
        self.assertTrue(wait_for(lambda: e2e.windows_named(popup), timeout=30), "the popup did not open")
        self.assertTrue(wait_for(lambda: not e2e.windows_named(popup), timeout=25), "the reset left the popup open")
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
        self.assertTrue(wait_for(lambda: "/typed?Asecret" in self.server.seen(), timeout=15))

        self.assertTrue(wait_for(lambda: len(homes()) == 2, timeout=25), "no reset")
        self.assertEqual(homes(), ["/home?history=1&held="] * 2)
        self.assertTrue(wait_for(lambda: near(pixel(250, 150), NEXT_BLUE), timeout=5), "A's visit still shows")
        # The next visitor uses the live page, not the homepage's picture over it.
        self.assertTrue(wait_for(lambda: not e2e.windows_named("^homepage picture$"), timeout=30))
        # The page reports the box's text at each change; the reports may
        # reach the server in any order.
        asked = len(self.server.seen())
        typed = lambda: [r for r in self.server.seen()[asked:] if r.startswith("/typed?")]
        xdotool("click", 8)  # Back
        xdotool("mousemove", 250, 320, "click", 1)
        xdotool("key", "ctrl+v")
        xdotool("click", 2)  # pastes the selection
        xdotool("type", "B")
        self.assertTrue(wait_for(lambda: any(r.endswith("B") for r in typed()), timeout=10), self.server.seen())
        # Pastes of nothing may report the box empty; only B was ever in it.
        self.assertEqual([r for r in typed() if r != "/typed?"], ["/typed?B"])
        self.assertEqual(self.server.seen().count("/visitor.html?q=secret"), 1)
        self.assertIsNone(kiosk.process.poll())


# A minute of clicks whose engine side, the events of each kind of
# navigation, the browser control's own tests check on both engines.
@nothing_of_the_wm
@nothing_of_the_engine
class Visits(KioskCase):
    """What holds the presentation away from home: a person's navigations,
    within a page or not; never the page's own."""

    def test_a_visitor_on_a_single_page_site_stays_and_the_page_alone_goes_home(self):
        # The homepage reloads a frame every 4 s and changes its address every
        # 3 s by itself; its ordinary link leads to the same page without either.
        arrivals = lambda query: self.server.seen().count("/arrived?" + query)  # each document's own report
        ticker = lambda: self.server.seen().count("/ticker.html?every=4000")
        self.start_presentation("10", page="spa.html?by-itself")
        self.assertTrue(wait_for(lambda: arrivals("by-itself") == 1, timeout=5))
        links = {"ordinary": 500, "pushState": 140, "fragment": 260, "Back": 380}  # y of each link, at x 250
        started = time.monotonic()
        for step in range(12):  # a click every 5 s for a minute
            time.sleep(max(0.0, started + 5 * step - time.monotonic()))
            name, y = list(links.items())[step % len(links)]
            xdotool("mousemove", 250, y, "click", 1)
            self.assertEqual(arrivals("by-itself"), 1, f"sent home while browsing, after {step} clicks, the last {name}")
        stopped = time.monotonic()
        self.assertEqual(arrivals("ordinary"), 3)
        self.assertTrue(wait_for(lambda: arrivals("by-itself") == 2, timeout=25), "not sent home once they stopped")
        self.assertGreater(time.monotonic() - stopped, 8)  # the visitor's last navigation held it for the delay

        # Nobody there: the homepage's own navigations hold nothing.
        ticks_then = ticker()
        self.assertTrue(wait_for(lambda: arrivals("by-itself") == 3, timeout=30), "the page alone held the kiosk")
        self.assertGreater(ticker(), ticks_then + 1)

class NewWindows(KioskCase):
    @nothing_of_the_wm
    def test_refused_windows_never_show_their_content_and_browser_keys_open_nothing(self):
        kiosk = self.start([self.server.url("popups.html") + ",30"])
        self.assertTrue(wait_for(lambda: near(pixel(100, 25), (0xCC, 0xCC, 0xCC))), "the page is not shown")
        watch = e2e.MapWatch()
        # _blank, a named target, window.open on a click; the plain link with
        # the middle button and with Shift.
        for y in (25, 85, 145):
            xdotool("mousemove", 100, y, "click", 1)
            time.sleep(1)
        xdotool("mousemove", 100, 205, "click", 2)
        time.sleep(1)
        xdotool("keydown", "shift", "click", 1, "keyup", "shift")
        # The browser's own windows: new, private, files, history,
        # downloads, its tools; and full screen.
        xdotool("mousemove", 700, 500)
        for key in ("ctrl+n", "ctrl+shift+n", "ctrl+t", "ctrl+o", "ctrl+s", "ctrl+h", "ctrl+j", "F12",
                    "ctrl+shift+i", "F11"):
            xdotool("key", key)
            time.sleep(0.3)
        times = watch.mapped_times(settle=3)
        self.assertEqual(e2e.window_geometry(e2e.presentation_window())[2:], e2e.screen_size())
        self.assertFalse([r for r in self.server.seen() if r.startswith("/popup.html")], "a popup loaded its page")
        self.assertNotIn(None, times.values(), "a window stayed open")
        print(f"refused windows mapped: {sorted(round(t) for t in times.values())} ms", file=sys.stderr)
        self.assertIsNone(kiosk.process.poll())


    def test_an_allowed_window_is_the_programs_own_and_takes_the_visitors_keys(self):
        kiosk = self.start_presentation("30,allownewwindows")
        xdotool("mousemove", 250, 450, "click", 1)  # the "A new window" link
        popup = wait_for(lambda: e2e.windows_named("^Popup page - Microsoft Internet Explorer$"), timeout=10)
        self.assertEqual(len(popup), 1, "the popup did not open, or not titled with the marker")
        self.assertIn(popup[0], e2e.program_windows(kiosk))
        time.sleep(1)
        x, y, width, height = e2e.window_geometry(popup[0])
        self.assertGreaterEqual(x, e2e.twips(120))
        self.assertTrue(e2e.left_strip_uncovered())
        # The page fills the window from its top edge: no tab strip or address bar.
        self.assertEqual(pixel(x + width // 2, y + 2), (255, 255, 255))
        xdotool("mousemove", x + 150, y + 120, "click", 1)  # the popup's text box
        xdotool("type", "--delay", "30", "typed")
        self.assertTrue(wait_for(lambda: "/typed?typed" in self.server.seen(), timeout=10), self.server.seen())
        # The browser's keys in the popup open nothing and edit no address.
        for key in ("ctrl+t", "ctrl+n", "ctrl+l", "F6", "ctrl+o"):
            xdotool("key", key)
            time.sleep(0.3)
        xdotool("type", "x")
        self.assertTrue(wait_for(lambda: "/typed?typedx" in self.server.seen(), timeout=10), self.server.seen())
        self.assertEqual(e2e.windows_named(" - Microsoft Internet Explorer$"), popup)
        self.assertIsNone(kiosk.process.poll())

    @nothing_of_the_wm
    def test_a_page_gets_no_device_download_picker_box_or_menu(self):
        if e2e.ENGINE == "qtwebengine":
            self.skipTest("the in-process guard tests see to the Qt engine's pages")
        downloads = os.path.expanduser("~/Downloads")
        before = set(os.listdir(downloads)) if os.path.isdir(downloads) else set()
        kiosk = self.start([self.server.url("requests.html") + ",30"])
        self.assertTrue(wait_for(lambda: near(pixel(100, 430), (0xCC, 0xCC, 0xCC))), "the page is not shown")
        watch = e2e.MapWatch()
        # Full screen, devices, a file picker, mailto:, two downloads, print;
        # then the context menu.
        for y in (430, 630, 30, 130, 230, 330, 530):
            xdotool("mousemove", 100, y, "click", 1)
            time.sleep(0.7)
        xdotool("mousemove", 400, 300, "click", 3)
        notes = lambda: " ".join(r.removeprefix("/noted?") for r in self.server.seen() if r.startswith("/noted?"))
        self.assertTrue(wait_for(lambda: "geo-1" in notes() and "notify-denied" in notes(), timeout=10), notes())
        self.assertNotIn(None, watch.mapped_times(settle=4).values(), "a menu, box or picker stayed open")
        # Full screen is granted, but within the control's rectangle; the
        # pointer lock now and then too.
        self.assertNotRegex(notes(), r"\b(geo|notify|camera|mic|screen)-granted")
        self.assertTrue(e2e.left_strip_uncovered())
        self.assertEqual(set(os.listdir(downloads)) if os.path.isdir(downloads) else set(), before)
        self.assertIsNone(kiosk.process.poll())


@needs_wm
class RendererDeaths(KioskCase):
    """Renderers killed as the out-of-memory killer would: each costs the visitor one page, never the program."""

    def test_each_renderer_may_die_again_and_again(self):
        if e2e.ENGINE == "chromium":
            self.skipTest("no next visitor's page waits on Chromium: the test below kills its processes")
        kiosk = self.start_presentation("10,allownewwindows,pass:secret")
        for killed in ("the waiting page's", "the page's on the screen", "a popup's, with all the others",
                       "the waiting page's", "all, just after a reset"):
            with self.subTest(killed=killed):
                if killed.startswith("a popup's"):
                    xdotool("mousemove", 250, 450, "click", 1)  # the "A new window" link
                    self.assertTrue(wait_for(lambda: e2e.windows_named("^Popup page - "), timeout=10))
                elif not killed.startswith("all"):
                    xdotool("mousemove", 250, 250, "click", 1)  # the "Next page" link
                    self.assertTrue(wait_for(lambda: shows(NEXT_BLUE), timeout=10))
                # Just after a reset, the next visitor's page may not be waiting yet.
                least = 1 if killed.startswith("all") else 2
                renderers = wait_for(lambda: len(e2e.renderers(kiosk)) >= least and e2e.renderers(kiosk), timeout=20)
                self.assertTrue(renderers)
                victims = {"the waiting page's": renderers[-1:], "the page's on the screen": renderers[:1]}
                for pid in victims.get(killed, renderers):
                    os.kill(pid, signal.SIGKILL)
                # Nothing starts a renderer until the reset does.
                self.assertTrue(wait_for(lambda: set(e2e.renderers(kiosk)) - set(renderers), timeout=25), "no reset")
                self.assertTrue(wait_for(e2e.homepage_live, timeout=10), "the homepage is not back")
                self.assertFalse(e2e.windows_named("^Popup page - "))
                self.assertIsNone(kiosk.process.poll())
        for pid in e2e.renderers(kiosk):
            os.kill(pid, signal.SIGKILL)
        self.assertEqual(kiosk.end(signal.SIGTERM), 0)

    def test_a_killed_browser_or_renderer_is_replaced_at_the_reset(self):
        if e2e.ENGINE == "qtwebengine":
            self.skipTest("Qt WebEngine's browser process is the program's own")
        kiosk = self.start_presentation("10,pass:secret")
        for victim in ("--type=renderer", "--remote-debugging-pipe", "--type=renderer"):
            with self.subTest(victim=victim):
                xdotool("mousemove", 250, 250, "click", 1)  # the "Next page" link
                self.assertTrue(wait_for(lambda: shows(NEXT_BLUE), timeout=10))
                for pid in e2e.descendants(kiosk, victim):
                    os.kill(pid, signal.SIGKILL)
                self.assertTrue(wait_for(lambda: not shows(NEXT_BLUE), timeout=5), "the page outlived its process")
                self.assertTrue(wait_for(e2e.homepage_live, timeout=25), "the homepage is not back")
                self.assert_locked()
        self.assertEqual(kiosk.end(signal.SIGTERM), 0)

    def test_a_browser_that_ends_by_itself_is_replaced_at_once(self):
        if e2e.ENGINE == "qtwebengine":
            self.skipTest("Qt WebEngine's browser process is the program's own")
        kiosk = self.start_presentation("600,pass:secret")
        # Twice in a row, then with the exit prompt open, which stays open
        # and keeps the keys typed into it.
        for prompt in (False, False, True):
            with self.subTest(prompt=prompt):
                xdotool("mousemove", 250, 250, "click", 1)  # the "Next page" link
                self.assertTrue(wait_for(lambda: shows(NEXT_BLUE), timeout=10))
                if prompt:
                    self.open_prompt()
                browsers = e2e.descendants(kiosk, "--remote-debugging-pipe")
                for pid in browsers:
                    os.kill(pid, signal.SIGKILL)
                # Beside the prompt, which covers the middle.
                self.assertTrue(wait_for(lambda: near(pixel(1000, 150), HOME_GREEN), timeout=10), "no homepage")
                self.assertFalse(set(browsers) & set(e2e.descendants(kiosk, "--remote-debugging-pipe")))
                self.assert_locked()
        self.assertIsNotNone(e2e.dialog_window())
        self.ends_cleanly(kiosk, "secret")


@needs_wm
@needs_two_screens
class Screens(KioskCase):
    """Two screens side by side under openbox, resized, removed and added while the kiosk runs."""

    def test_presentation_covers_every_screen_on_every_desktop_and_follows_them(self):
        kiosk = self.start_presentation("30,pass:secret")
        window = e2e.presentation_window()
        desktop = lambda: e2e.window_property("root", "_NET_CURRENT_DESKTOP").split("=")[-1].strip()
        covered = lambda size: (e2e.window_geometry(window) == (0, 0) + size and
                                near(pixel(size[0] - 20, 600), HOME_GREEN) and near(pixel(600, 600), HOME_GREEN))
        self.assertTrue(wait_for(lambda: covered((2048, 768)), timeout=5), e2e.window_geometry(window))
        # The wheel over the second screen reaches the page, not the desktop behind.
        xdotool("mousemove", 1500, 400, "click", 4)
        time.sleep(0.5)
        self.assertEqual(desktop(), "0")
        # On every desktop the window manager shows.
        subprocess.run(["wmctrl", "-s", "1"], check=True)
        self.assertTrue(wait_for(lambda: desktop() == "1", timeout=5))
        time.sleep(1)  # openbox names the desktop in a box over the screen meanwhile
        self.assertTrue(covered((2048, 768)))
        # The second screen grows, goes, and comes back.
        for change, size in ((["--mode", "1280x1024_60"], (2304, 1024)), (["--off"], (1024, 768)),
                             (["--mode", "1024x768_60", "--pos", "1024x0"], (2048, 768))):
            with self.subTest(change=change):
                subprocess.run(["xrandr", "--output", "DUMMY1"] + change, check=True)
                self.assertTrue(wait_for(lambda: covered(size), timeout=10), e2e.window_geometry(window))
        # Beside a taller screen, the corner is the bottom left of the left one.
        subprocess.run(["xrandr", "--output", "DUMMY1", "--mode", "1280x1024_60"], check=True)
        self.assertTrue(wait_for(lambda: covered((2304, 1024)), timeout=10))
        xdotool("mousemove", 0, 300, "mousedown", 1, "mousemove", 0, 500, "mousemove", 0, 767, "sleep", 0.3,
                "mouseup", 1)
        self.assertTrue(wait_for(e2e.dialog_window, timeout=5), "the gesture opened no prompt")
        self.ends_cleanly(kiosk, "secret")


@nothing_of_the_wm
class PageControls(KioskCase):
    """What a page's controls open, under the keyboard lock."""

    def test_no_control_frees_the_keys_or_outlives_the_reset(self):
        # A delay of 30 s: the controls are all tried before the reset.
        kiosk = self.start_presentation("30,pass:secret", page="controls.html")
        presentation = wait_for(lambda: e2e.program_windows(kiosk))
        self.assert_locked()
        # The colour input opens nothing, by a click, a key or the page's
        # script (which a key lets show pickers): a picker that held the
        # pointer would take the exit gesture's press.
        xdotool("mousemove", 250, 70, "click", 1)
        time.sleep(1)
        xdotool("key", "space")
        xdotool("key", "p")
        time.sleep(1)
        self.assertEqual(e2e.program_windows(kiosk), presentation)
        self.open_prompt()
        xdotool("type", "x")  # a wrong password, which hides the prompt
        xdotool("key", "Return")
        self.assertTrue(wait_for(lambda: e2e.dialog_window() is None, timeout=5))
        # Each picker or list opens over the page at its control's right end;
        # the file input opens nothing.
        for name, top in (("date", 110), ("time", 170), ("datetime-local", 230), ("month", 290), ("week", 350),
                          ("select", 410), ("datalist", 470), ("file", 530)):
            with self.subTest(control=name):
                xdotool("mousemove", 385, top + 20, "click", 1)
                time.sleep(1)
                self.assertEqual(e2e.keyboard_grab_status(), 1)
                xdotool("key", "Escape")
                time.sleep(0.3)
                self.assertEqual(e2e.keyboard_grab_status(), 1)
        xdotool("mousemove", 250, 610)
        self.assertTrue(wait_for(lambda: len(e2e.program_windows(kiosk)) > len(presentation), timeout=15), "no tooltip")
        self.assertEqual(e2e.keyboard_grab_status(), 1)
        # A list of suggestions left open goes with the reset; the program
        # lives on, the lock stays, and the next visitor's lists still open,
        # with the exit gesture still working through them.
        xdotool("mousemove", 385, 490, "click", 1)
        self.assertTrue(wait_for(lambda: len(e2e.program_windows(kiosk)) > len(presentation), timeout=5), "no list")
        self.assertTrue(wait_for(lambda: len(e2e.program_windows(kiosk)) == len(presentation), timeout=45),
                        e2e.program_windows(kiosk))
        time.sleep(1)
        self.assertIsNone(kiosk.process.poll())
        self.assertEqual(e2e.keyboard_grab_status(), 1)

        def list_opens():  # once the new page is there to take the click
            xdotool("mousemove", 385, 470, "mousemove", 385, 490, "click", 1)
            return wait_for(lambda: len(e2e.program_windows(kiosk)) > len(presentation), timeout=2)

        self.assertTrue(wait_for(list_opens, timeout=10), "no list")
        self.open_prompt()
        xdotool("key", "BackSpace")  # the wrong entry typed earlier stays in the box
        self.ends_cleanly(kiosk, "secret")


class EndingWithWindowsOpen(KioskCase):
    """Every way out, with popups that want the left edge and the exit prompt open, in a process each."""

    def test_every_way_out_ends_with_status_0(self):
        # The order of the program's window list varies from run to run: each
        # way runs in a process of its own, on Chromium twice in all, on the
        # bare server and under openbox.
        for way in ["SIGTERM", "SIGINT", "password", "corner"]:
            with self.subTest(way=way):
                for earlier in self.kiosks:
                    earlier.end(signal.SIGKILL)  # one that failed
                password = "" if way == "corner" else ",pass:secret"
                asked = len(self.server.seen())
                kiosk = self.start([self.server.url("popups-left.html") + ",600,allownewwindows" + password])
                # From the kiosk's start: the next runs read the page from the cache.
                self.assertTrue(wait_for(lambda: len(e2e.windows_named("^Popup page - Microsoft Internet Explorer$")) == 2, timeout=60))
                self.assertTrue(wait_for(lambda: "/moved?second" in self.server.seen()[asked:], timeout=10),
                                "the page moved nothing")
                self.assertTrue(wait_for(e2e.left_strip_uncovered, timeout=5), "a popup covers the left strip")
                if password:
                    self.open_prompt()
                else:
                    e2e.hot_corner_gesture()
                if way.startswith("SIG"):
                    kiosk.process.send_signal(getattr(signal, way))
                self.ends_cleanly(kiosk, "secret" if way == "password" else None)


class PromptKeys(KioskCase):
    """The attendant's keys against a page that logs every key it gets (pages/keys.html)."""

    def page_keys(self, since_ms=0):
        """The keys the page reported, of those it got from this time on (ms since the epoch)."""
        reports = (r.removeprefix("/key?").split("&") for r in self.server.seen() if r.startswith("/key?"))
        return [key for key, _, stamp in reports if int(stamp) >= since_ms]

    def typed_into_page(self, text):
        xdotool("type", "--delay", "30", text)
        return wait_for(lambda: all(f"keydown:{c}" in self.page_keys() for c in text), timeout=5)

    def gesture_and_type(self, text):
        """The exit gesture and, 50 ms later, the text and Enter. (A window manager
        that holds a press for its click-to-focus passes the gesture's pointer
        events on a moment after keys typed at the same instant.)"""
        _, height = e2e.screen_size()
        xdotool("mousemove", 0, 300, "mousedown", 1, "mousemove", 0, height // 2, "mousemove", 0, height - 1,
                "mouseup", 1, "sleep", 0.05, "key", *text, "Return")

    def test_keys_reach_the_page_after_any_click_and_never_after_the_gesture(self):
        kiosk = self.start_presentation("30,pass:secret", page="keys.html")
        self.assert_locked()
        # Past the first 5 s, in which the control checks its window every
        # 100 ms and would take the focus back anyway: from then on only the
        # focus events tell it that the browser took the focus.
        time.sleep(6)
        # Into the field, onto the page's background, back into the field.
        for x, y, text in ((300, 30, "ab"), (900, 500, "cd"), (300, 30, "ef")):
            xdotool("mousemove", x, y, "click", 1)
            self.assertTrue(self.typed_into_page(text), f"after a click at {x},{y}: {self.page_keys()}")
        # From now on the page takes the focus back every 10 ms.
        xdotool("type", "!")
        self.assertTrue(wait_for(lambda: "/focusing" in self.server.seen(), timeout=10), "the page did not reload")
        # The page stamps each key with the time it got it: a report of an
        # earlier key that reaches the server late is not the attendant's.
        attendant_from = time.time() * 1000
        # Typed at once after the gesture: a wrong password; then, during the
        # wait it starts, the right one, which goes nowhere; the prompt opens
        # once the wait is over, and takes the right one.
        self.gesture_and_type("wrong")
        self.assertTrue(wait_for(lambda: e2e.dialog_window() is None, timeout=5), "the wrong password was lost")
        self.gesture_and_type("secret")
        self.assertIsNotNone(wait_for(e2e.dialog_window, timeout=5))
        self.assertIsNone(kiosk.process.poll(), "keys typed during the wait reached the prompt")
        self.ends_cleanly(kiosk, "secret")
        time.sleep(0.5)  # requests the page sent as the program ended
        self.assertEqual(self.page_keys(attendant_from), [], "the page got the attendant's keys")

    def test_the_password_ends_the_program_through_storms_of_windows_and_boxes(self):
        for page, options in (("keys.html?windows&focus", "30,allownewwindows,"), ("keys.html?alerts&focus", "30,")):
            with self.subTest(page=page):
                kiosk = self.start_presentation(options + "pass:secret", page=page)
                if "windows" in page:
                    opened = lambda: e2e.windows_named(" - Microsoft Internet Explorer$")
                    self.assertTrue(wait_for(lambda: len(opened()) >= 2, timeout=20))
                    time.sleep(3)  # the page keeps asking for more
                    self.assertLessEqual(len(opened()), 3, "more windows open than allowed")
                    self.assertTrue(wait_for(e2e.left_strip_uncovered, timeout=5), "a window covers the left strip")
                else:
                    time.sleep(3)
                self.open_prompt()
                self.ends_cleanly(kiosk, "secret")
                self.assertEqual(self.page_keys(), [], "a page got the attendant's keys")


def window_pid(window):
    return subprocess.run(["xdotool", "getwindowpid", window], capture_output=True, text=True).stdout.strip()


@needs_wm
@nothing_of_the_engine
class ScreenKeyboard(KioskCase):
    """The on-screen keyboard against the window manager, and the attendant's
    way out on it, beside a page that logs every key it gets (pages/keys.html)."""

    def test_the_window_manager_cannot_take_the_keyboard_and_the_password_typed_on_it_ends(self):
        kiosk = self.start_presentation("30,pass:secret", page="keys.html",
                                        extra_env={"QUILLORY_KEYBOARD": "always", "QUILLORY_KEYBOARD_LAYOUT": "us"})
        self.assert_locked()
        # Shown for the page's field (which has the focus from the start: it
        # is given it again); where it lies is where it stays.
        xdotool("mousemove", 900, 500, "click", 1, "sleep", 0.3, "mousemove", 300, 30, "click", 1)
        self.assertIsNotNone(wait_for(e2e.screen_keyboard, timeout=10), "no keyboard for the field")
        keyboard = e2e.screen_keyboard()
        placed = e2e.window_geometry(keyboard)
        _, height = e2e.screen_size()
        self.assertEqual(placed[1] + placed[3], height)
        for done, command in (("minimised", ["xdotool", "windowminimize", keyboard]),
                              ("shaded", ["wmctrl", "-i", "-r", keyboard, "-b", "add,shaded"]),
                              ("closed", ["wmctrl", "-i", "-c", keyboard]),
                              ("moved", ["wmctrl", "-i", "-r", keyboard, "-e", "0,100,100,-1,-1"]),
                              ("another desktop", ["wmctrl", "-s", "1"])):
            with self.subTest(done):
                subprocess.run(command, check=False)
                time.sleep(0.5)
                self.assertEqual(e2e.screen_keyboard(), keyboard)
                self.assertEqual(e2e.window_geometry(keyboard), placed)
        subprocess.run(["wmctrl", "-s", "0"], check=True)
        # Typed on it, the page's field gets the text.
        e2e.tap_screen_keyboard("ab")
        self.assertTrue(wait_for(lambda: any(r.startswith("/key?") and "input" in r for r in self.server.seen()),
                                 timeout=5), "nothing typed reached the page")
        attendant_from = time.time() * 1000
        # The gesture passes over the keyboard into the corner it covers.
        self.open_prompt()
        self.assertIsNotNone(e2e.screen_keyboard(), "no keyboard under the prompt")
        prompt = e2e.window_geometry(e2e.dialog_window())
        self.assertLessEqual(prompt[1] + prompt[3], e2e.window_geometry(e2e.screen_keyboard())[1])
        e2e.tap_screen_keyboard("secret\n")
        self.ends_cleanly(kiosk)
        time.sleep(0.5)  # requests the page sent as the program ended
        reports = (r.removeprefix("/key?").split("&") for r in self.server.seen() if r.startswith("/key?"))
        self.assertEqual([key for key, _, stamp in reports if int(stamp) >= attendant_from], [],
                         "the page got the attendant's keys")


class Renewal(KioskCase):
    """Renewals with a tiny bound: a new instance takes over unseen. The
    homepage keeps 1 MiB more in the engine at each load, so that 1 MiB of
    growth comes within a few resets."""

    def wait_for_renewal(self, kiosk, watch):
        """The new instance's window, once it is the only one; watch() runs throughout."""
        first = wait_for(e2e.presentation_window)
        self.assertEqual(window_pid(first), str(kiosk.process.pid))
        deadline = time.monotonic() + 120
        while time.monotonic() < deadline:
            watch()
            shown = e2e.presentation_window()
            if shown and shown != first and window_pid(shown) not in ("", str(kiosk.process.pid)):
                self.assertTrue(wait_for(lambda: e2e.windows_named("^Quillory$") == [shown], timeout=5),
                                "the old window stayed")
                return shown
        self.fail("no renewal")

    def test_renewal_keeps_screen_lock_settings_cache_and_session_process(self):
        if e2e.ENGINE == "chromium":
            self.skipTest("each visitor gets a new Chromium: nothing grows to renew")
        homepage_shown = lambda: shows(HOME_GREEN)
        url = self.server.url("hoard.html")
        kiosk = self.start_presentation("10,pass:Secret", {"QUILLORY_RENEWAL_MIB": "1"}, "hoard.html")
        # The next visitor's page loses its renderer before the renewal's reset.
        waiting = wait_for(lambda: len(e2e.renderers(kiosk)) >= 2 and e2e.renderers(kiosk), timeout=20)
        os.kill(waiting[-1], signal.SIGKILL)
        # The homepage is never gone for a second, and no other client can take the keyboard.
        last_shown = [time.monotonic()]

        def homepage_and_lock():
            if homepage_shown():
                last_shown[0] = time.monotonic()
            self.assertLess(time.monotonic() - last_shown[0], 1.0, "the homepage left the screen")
            self.assertEqual(e2e.keyboard_grab_status(), 1, "the keyboard lock lapsed")

        self.wait_for_renewal(kiosk, homepage_and_lock)
        self.assertTrue(homepage_shown())
        self.assertEqual(e2e.keyboard_grab_status(), 1)
        # The session's process is still the kiosk's, and the password still ends it.
        self.assertIsNone(kiosk.process.poll())
        self.open_prompt()
        self.assertIn("renewed", self.ends_cleanly(kiosk, "secret"))
        self.assertEqual(e2e.keyboard_grab_status(), 0)

        # Offline, the new instance shows the homepage from the disk cache.
        self.server.stop()
        self.server = e2e.Server()  # nothing answers the homepage's address
        kiosk = self.start([url + ",10,workoffline"], {"QUILLORY_RENEWAL_MIB": "1"})
        self.wait_for_renewal(kiosk, lambda: None)
        self.assertTrue(wait_for(homepage_shown, timeout=2), "the cached homepage is not shown offline")
        self.assertEqual(kiosk.end(signal.SIGTERM), 0)


if __name__ == "__main__":
    e2e.BINARY = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
