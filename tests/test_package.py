#!/usr/bin/env python3
"""The Debian package as an operator meets it: made by cpack from the build,
checked by lintian, installed with apt, set up in the README's two steps, its
boot session run as the kiosk account against a local page, then purged,
started again after a crash, then purged, leaving nothing of it behind.

Usage: test_package.py BUILD_DIR   (as root; DISPLAY must name an X server)
"""
import glob
import grp
import os
import pwd
import re
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import unittest

import e2e

HERE = os.path.dirname(os.path.abspath(__file__))
BUILD = None
CONFIG = "/etc/default/quillory"


def run(*command):
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout


def package_state():
    """dpkg's state of the package: "" when unknown, "installed", "config-files"..."""
    return subprocess.run(["dpkg-query", "-W", "-f=${db:Status-Status}", "quillory"],
                          capture_output=True, text=True).stdout


class Package(unittest.TestCase):
    @unittest.skipUnless(os.geteuid() == 0, "installs a package on this machine: needs root")
    def test_install_run_purge(self):
        if package_state():
            self.skipTest("quillory is installed on this machine: left alone")
        with tempfile.TemporaryDirectory() as out:
            run("cpack", "-G", "DEB", "--config", os.path.join(BUILD, "CPackConfig.cmake"), "-B", out)
            with open(os.path.join(HERE, "..", "resources", "identity.cmake")) as identity:
                version = re.search(r'set\(QUILLORY_VERSION "([^"]+)"\)', identity.read()).group(1)
            deb = os.path.join(out, f"quillory_{version}_{run('dpkg', '--print-architecture').strip()}.deb")
            self.assertTrue(os.path.isfile(deb), os.listdir(out))
            lint = subprocess.run(["lintian", "--fail-on", "error", deb], capture_output=True, text=True)
            self.assertEqual(lint.returncode, 0, lint.stdout + lint.stderr)
            try:
                run("apt-get", "install", "-y", "--no-install-recommends", deb)
                files = run("dpkg-query", "-L", "quillory").split()
                self.assertLessEqual({"/usr/share/applications/quillory.desktop",
                                      "/usr/share/icons/hicolor/32x32/apps/quillory.png",
                                      "/usr/share/X11/xorg.conf.d/10-quillory-kiosk.conf"}, set(files))
                self.run_boot_session(next(path for path in files if path.endswith("/quillory-kiosk.service")))
            finally:
                # However the test went, so that the machine is left as it was.
                subprocess.run(["apt-get", "purge", "-y", "quillory"], capture_output=True)
        left = [path for path in files + ["/var/lib/quillory"] + glob.glob("/etc/systemd/system/*/quillory-kiosk.service")
                if os.path.lexists(path) and not (os.path.isdir(path) and "quillory" not in path)]
        self.assertEqual(left, [])
        self.assertEqual(package_state(), "")
        self.assertNotIn("kiosk", [e.pw_name for e in pwd.getpwall()] + [e.gr_name for e in grp.getgrall()])

    def run_boot_session(self, unit):
        """The README's two steps, then what the unit starts, as the account it names."""
        server = e2e.Server()
        try:
            with open(CONFIG, "a") as config:
                # A page fetched again at every start shows each start at the server.
                config.write(f'QUILLORY_ARGS="{server.url("stale.html")},30"\n')
            info = os.stat(CONFIG)
            kiosk = pwd.getpwnam("kiosk")
            self.assertEqual((stat.S_IMODE(info.st_mode), info.st_uid, info.st_gid), (0o640, 0, kiosk.pw_gid))
            run("systemctl", "enable", "quillory-kiosk")

            with open(unit) as text:
                session = re.search(r"^ExecStart=/usr/bin/xinit (\S+) ", text.read(), re.M).group(1)
            runtime = tempfile.mkdtemp()  # the session's own, as logind would give it
            os.chown(runtime, kiosk.pw_uid, kiosk.pw_gid)
            env = {"PATH": "/usr/sbin:/usr/bin:/sbin:/bin", "HOME": kiosk.pw_dir, "DISPLAY": os.environ["DISPLAY"],
                   "XDG_RUNTIME_DIR": runtime}
            process = subprocess.Popen(["runuser", "-u", "kiosk", "--", session], env=env, start_new_session=True)
            # The homepage's address; the program's own headless load of it, which
            # refreshes the cache kept for later runs, asks for it too.
            requested = lambda: server.seen().count("/stale.html")
            program = lambda: subprocess.run(["pgrep", "-u", "kiosk", "-x", "quillory"], capture_output=True,
                                             text=True).stdout.split()
            try:
                self.assertTrue(e2e.wait_for(requested), "homepage never requested")
                first = e2e.wait_for(program)
                self.assertEqual(len(first), 1)
                # Its pages are Debian's Chromium's, which keeps its sandbox for the account.
                browser = lambda: subprocess.run(["pgrep", "-u", "kiosk", "-P", first[0], "-f", "remote-debugging-pipe"],
                                                 capture_output=True, text=True).stdout.split()
                self.assertTrue(e2e.wait_for(browser, timeout=20), "no Chromium runs")
                with open(f"/proc/{browser()[0]}/cmdline", "rb") as cmdline:
                    self.assertNotIn(b"--no-sandbox", cmdline.read())
                # /usr/bin/quillory ran, and the About box's page lies in the folder it runs from.
                executable = os.readlink(f"/proc/{first[0]}/exe")
                self.assertEqual(executable, os.path.realpath("/usr/bin/quillory"))
                self.assertTrue(os.path.isfile(os.path.join(os.path.dirname(executable), "index.htm")))
                before = requested()
                os.kill(int(first[0]), signal.SIGKILL)  # a crash: the session starts it again
                again = e2e.wait_for(lambda: program() != first and program(), timeout=30)
                self.assertTrue(again, "not started again")
                self.assertTrue(e2e.wait_for(lambda: requested() > before, timeout=30), "homepage not requested again")
                os.kill(int(again[0]), signal.SIGTERM)  # status 0, as at the exit prompt: the session ends
                self.assertEqual(process.wait(timeout=30), 0)
                self.assertEqual(program(), [], "started again after a clean end")
            finally:
                if process.poll() is None:
                    os.killpg(process.pid, signal.SIGKILL)
                    process.wait(timeout=10)
                shutil.rmtree(runtime)
            # The browser's disk cache went into the account's home.
            self.assertTrue(os.path.isdir(os.path.join(kiosk.pw_dir, ".cache", "Quillory")))
        finally:
            server.stop()


if __name__ == "__main__":
    BUILD = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
