#!/usr/bin/env bash
# Installs what is missing, builds and starts Velumix.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
exec "${VELUMIX_BUILD_DIR:-build}/bin/velumix"
