#!/usr/bin/env bash
# Installs the Debian packages Velumix needs to build, test and run.
# Idempotent: does nothing when everything is present.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config ccache clang-format clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libsqlite3-dev libgl-dev
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev ffmpeg
  libfluidsynth-dev timgm6mb-soundfont
  libtag1-dev libicu-dev
  libsdl2-dev libebur128-dev
  googletest libgtest-dev libgmock-dev
  fonts-liberation2
  xvfb xauth desktop-file-utils appstream dpkg-dev file
  dbus-daemon playerctl libxml2-utils
  libshout3-dev libvorbis-dev libogg-dev libopus-dev libmp3lame-dev icecast2
  qtkeychain-qt6-dev
  # A FUSE mount, made by the test of folders on network file systems.
  bindfs
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "Velumix needs these Debian packages. As root, run:" >&2
    echo "  apt-get install -y --no-install-recommends ${missing[*]}" >&2
    exit 1
  fi
  SUDO="sudo"
fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
