# Sourced by the scripts: where things live and how Wine is run.
HOVELLE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export HOVELLE_ROOT
export HOVELLE_BUILD=${HOVELLE_BUILD:-$HOVELLE_ROOT/build}
export WINEPREFIX=${WINEPREFIX:-$HOVELLE_BUILD/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win64
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver

# Starts a private Xvfb when there is no display, and stops it on exit.
hovelle_start_display() {
  if [ -n "${DISPLAY:-}" ]; then return 0; fi
  local n
  for n in $(seq 91 140); do
    if [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; then continue; fi
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    HOVELLE_XVFB_PID=$!
    for _ in $(seq 100); do
      # Another script may have taken the same number a moment earlier.
      kill -0 "$HOVELLE_XVFB_PID" 2>/dev/null || break
      if [ -e "/tmp/.X11-unix/X$n" ]; then
        export DISPLAY=":$n"
        return 0
      fi
      sleep 0.1
    done
    kill "$HOVELLE_XVFB_PID" 2>/dev/null || true
  done
  echo "Xvfb did not start" >&2
  return 1
}

# A persistent wine server and a booted prefix, with output kept away from
# the caller's pipes (Wine's helper processes would otherwise hold them open).
hovelle_start_wine() {
  "$WINESERVER" -p >/dev/null 2>&1 </dev/null
  "$WINE64" wineboot >/dev/null 2>&1 </dev/null
}

hovelle_stop() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  if [ -n "${HOVELLE_XVFB_PID:-}" ]; then kill "$HOVELLE_XVFB_PID" 2>/dev/null || true; fi
}

# Configures (once) and builds one architecture's tree (only the targets in
# HOVELLE_TARGETS when it is set).
hovelle_build() {
  local arch=$1
  local dir=$HOVELLE_BUILD/$arch
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$HOVELLE_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$HOVELLE_ROOT/cmake/toolchain-$arch-w64-mingw32.cmake" \
      -DCMAKE_CROSSCOMPILING_EMULATOR="${2:-$WINE64}" >/dev/null
  fi
  # shellcheck disable=SC2086
  cmake --build "$dir" ${HOVELLE_TARGETS:+--target $HOVELLE_TARGETS}
}
