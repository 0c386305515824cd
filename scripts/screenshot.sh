#!/usr/bin/env bash
# Redoes docs/screenshot.png: the main window with a search, a cue and both
# decks playing generated songs, taken on a virtual X display.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
BUILD_DIR="${VELUMIX_BUILD_DIR:-build}"
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)" --target velumix_screenshot
mkdir -p docs
# No sound card is needed: the decks play into SDL's silent driver.
SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}" QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1280x800x24" "$BUILD_DIR/tools/velumix_screenshot" docs/screenshot.png "${1:-3}"
echo "docs/screenshot.png: $(stat -c %s docs/screenshot.png) bytes"
