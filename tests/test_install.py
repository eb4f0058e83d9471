#!/usr/bin/env python3
"""`cmake --install` into a staging folder, then the installed program run as an
operator would run it.

Usage: test_install.py BUILD_DIR   (DISPLAY must name an X server)
"""
import os
import signal
import subprocess
import sys
import tempfile
import time
import unittest

import e2e

BUILD = None


class Install(unittest.TestCase):
    def test_installed_program_runs(self):
        with tempfile.TemporaryDirectory() as stage, tempfile.TemporaryDirectory() as cache:
            subprocess.run(["cmake", "--install", BUILD, "--prefix", stage], check=True, capture_output=True)
            for path in ("bin/quillory", "bin/index.htm", "share/applications/quillory.desktop",
                         "share/icons/hicolor/16x16/apps/quillory.png", "share/icons/hicolor/32x32/apps/quillory.png",
                         "share/quillory/quillory-session", "share/quillory/quillory-kiosk.service",
                         "share/quillory/10-quillory-kiosk.conf"):
                self.assertTrue(os.path.isfile(os.path.join(stage, path)), path)
            self.assertTrue(os.access(os.path.join(stage, "bin/quillory"), os.X_OK))
            with open(os.path.join(stage, "share/applications/quillory.desktop")) as desktop:
                entry = desktop.read()
            self.assertIn("Exec=quillory", entry)
            self.assertIn("Icon=quillory", entry)

            server = e2e.Server()
            try:
                e2e.BINARY = os.path.join(stage, "bin/quillory")
                kiosk = e2e.Kiosk([server.url("home.html") + ",30"], cache)
                self.assertTrue(e2e.wait_for(lambda: "/home.html" in server.seen()), "homepage never requested")
                self.assertIsNotNone(e2e.wait_for(e2e.presentation_window))
                self.assertEqual(kiosk.end(signal.SIGTERM), 0)
            finally:
                server.stop()


if __name__ == "__main__":
    BUILD = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
