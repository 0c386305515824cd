#!/usr/bin/env bash
# Installs what is missing, checks formatting, builds and runs every test,
# packs and checks the Debian package;
# then the same suite under AddressSanitizer/UndefinedBehaviorSanitizer, and
# each fuzz target for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/check-format.sh
export CCACHE_BASEDIR="$PWD"
scripts/build.sh
BUILD_DIR="${VELUMIX_BUILD_DIR:-build}"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD_DIR" --output-on-failure -j"$(nproc)" --timeout 300
# The Debian package, made from this build, and a staged install started twice.
scripts/package-check.sh
if [ -z "${VELUMIX_QUICK:-}" ]; then
  scripts/test-sanitize.sh
  scripts/fuzz.sh "${VELUMIX_FUZZ_SECONDS:-30}"
fi
