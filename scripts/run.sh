#!/usr/bin/env bash
# Builds Tintwright and starts it from the build tree, beside its Data folder and Demo.nes.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "No display found: starting Tintwright on a virtual X display (xvfb-run)."
    exec xvfb-run -a -s "-screen 0 1280x1024x24" build/app/tintwright
fi
exec build/app/tintwright
