#!/usr/bin/env bash
# Configures and builds Velumix into build/ (or $VELUMIX_BUILD_DIR): every
# target, or only $VELUMIX_TARGET.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${VELUMIX_BUILD_DIR:-build}"
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)" ${VELUMIX_TARGET:+--target "$VELUMIX_TARGET"}
