#!/usr/bin/env python3
"""The boot-time kiosk session (deploy/quillory-session) run by xinit on a
private Xvfb: it starts the program with the configured command line, starts
it again after a crash, and ends when the program ends with status 0.

Usage: test_session.py QUILLORY_BINARY
"""
import os
import signal
import subprocess
import sys
import tempfile
import time
import unittest

import e2e

HERE = os.path.dirname(os.path.abspath(__file__))
SESSION = os.path.join(HERE, "..", "deploy", "quillory-session")
BINARY = None


def free_display():
    for number in range(140, 200):
        if not os.path.exists(f"/tmp/.X11-unix/X{number}") and not os.path.exists(f"/tmp/.X{number}-lock"):
            return number
    raise RuntimeError("no free display number")


def kiosk_pids():
    found = subprocess.run(["pgrep", "-x", "-f", f"{BINARY} .*"], capture_output=True, text=True).stdout.split()
    return [int(pid) for pid in found]


class Session(unittest.TestCase):
    def test_session_restarts_after_a_crash_and_ends_with_the_program(self):
        server = e2e.Server()
        with tempfile.TemporaryDirectory() as home:
            config = os.path.join(home, "quillory.conf")
            with open(config, "w") as out:
                # A page that must be fetched again at every start shows each start at the server.
                out.write(f'QUILLORY_ARGS="{server.url("stale.html")},30"\n')
            env = dict(os.environ, QUILLORY_CONFIG=config, QUILLORY_BIN=BINARY, HOME=home,
                       XDG_CACHE_HOME=os.path.join(home, "cache"))
            env.pop("DISPLAY", None)
            xinit = subprocess.Popen(["xinit", SESSION, "--", "/usr/bin/Xvfb", f":{free_display()}",
                                      "-nolisten", "tcp", "-screen", "0", "1024x768x24"],
                                     env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                starts = lambda: server.seen().count("/stale.html")
                self.assertTrue(e2e.wait_for(lambda: starts() == 1, timeout=30), "the session never started it")
                pids = e2e.wait_for(kiosk_pids)
                self.assertEqual(len(pids), 1)

                os.kill(pids[0], signal.SIGKILL)  # a crash
                self.assertTrue(e2e.wait_for(lambda: starts() == 2, timeout=30), "not started again")
                self.assertIsNone(xinit.poll())

                new_pids = e2e.wait_for(kiosk_pids)
                self.assertNotEqual(new_pids, pids)
                os.kill(new_pids[0], signal.SIGTERM)  # ends with status 0, as the exit prompt does
                self.assertEqual(xinit.wait(timeout=30), 0)
                self.assertEqual(starts(), 2)
            finally:
                if xinit.poll() is None:
                    xinit.terminate()
                    xinit.wait(timeout=10)
                server.stop()


if __name__ == "__main__":
    BINARY = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
