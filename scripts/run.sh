#!/usr/bin/env bash
# Installs what is missing, builds the program (with its empty library and
# the manual beside it, nothing else) and starts Velumix.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
VELUMIX_TARGET=velumix scripts/build.sh
exec "${VELUMIX_BUILD_DIR:-build}/bin/velumix"
