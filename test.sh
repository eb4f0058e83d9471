#!/usr/bin/env bash
# Sets up and builds (setup.sh), then runs every test. Each test that needs a
# display starts its own Xvfb, so no X server is needed beforehand.
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh
ctest --test-dir build --output-on-failure --timeout 600 -j 2 "$@"
