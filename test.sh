#!/usr/bin/env bash
# Sets up and builds (setup.sh), then runs every test. Each test that needs a
# display starts its own Xvfb, so no X server is needed beforehand.
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh
# One test at a time: several tests measure a real engine against real
# timeouts, and the machine has two cores.
ctest --test-dir build --output-on-failure --timeout 600 "$@"
