#!/usr/bin/env bash
# Packs the already built tree into velumix_<version>_amd64.deb, checks what it
# holds and needs, then installs the tree into a staging folder and starts the
# staged program twice against a fresh per-user data folder.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="$(realpath "${VELUMIX_BUILD_DIR:-build}")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

(cd "$BUILD_DIR" && cpack -G DEB -B "$work/pkg" >/dev/null)
deb="$(ls "$work"/pkg/velumix_*_amd64.deb)"
echo "== $(basename "$deb")"
contents="$(dpkg-deb -c "$deb")"
echo "$contents"
depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for lib in libavformat libavcodec libfluidsynth libsdl2 libqt6core6 libqt6widgets6 libqt6sql6-sqlite soundfont; do
  grep -q "$lib" <<<"$depends" || { echo "Depends lacks $lib" >&2; exit 1; }
done
for f in usr/bin/velumix usr/share/applications/velumix.desktop usr/share/icons/hicolor/scalable/apps/velumix.svg \
         usr/share/metainfo/org.velumix.Velumix.metainfo.xml usr/share/velumix/webmanual/vlm.htm; do
  grep -q " ./$f\$" <<<"$contents" || { echo "the package lacks /$f" >&2; exit 1; }
done

stage="$work/stage"
DESTDIR="$stage" cmake --install "$BUILD_DIR" --prefix /usr >/dev/null
desktop-file-validate "$stage/usr/share/applications/velumix.desktop"
appstreamcli validate --no-net "$stage/usr/share/metainfo/org.velumix.Velumix.metainfo.xml" >/dev/null

# Starts the staged program, waits until it handles SIGTERM (it is up), ends
# it with SIGTERM and prints its exit code.
start_and_end() {
  HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config" \
    QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy "$stage/usr/bin/velumix" 2>/dev/null &
  local pid=$! i
  for i in $(seq 300); do
    if [ "$(( 0x$(awk '/^SigCgt/ {print $2}' /proc/$pid/status 2>/dev/null || echo 0) & 0x4000 ))" -ne 0 ]; then break; fi
    sleep 0.1
  done
  kill -TERM "$pid"
  local rc=0
  wait "$pid" || rc=$?
  echo "$rc"
}
library="$work/home/data/velumix/songs.mdb"
[ "$(start_and_end)" = 0 ] || { echo "the first start of the staged program failed" >&2; exit 1; }
[ -s "$library" ] || { echo "the first start created no library in \$XDG_DATA_HOME/velumix" >&2; exit 1; }
before="$(stat -c %i "$library")"
[ "$(start_and_end)" = 0 ] || { echo "the second start did not find its library" >&2; exit 1; }
[ "$(stat -c %i "$library")" = "$before" ] || { echo "the second start replaced the library" >&2; exit 1; }
echo "== package and staged install: OK"
