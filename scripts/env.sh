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

# Starts `"$@" :N` on the first free display number N, sets HOVELLE_X_PID and
# exports DISPLAY once the server listens.
hovelle_start_x() {
  local n
  for n in $(seq 91 140); do
    if [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; then continue; fi
    "$@" ":$n" >/dev/null 2>&1 </dev/null &
    HOVELLE_X_PID=$!
    for _ in $(seq 100); do
      # Another script may have taken the same number a moment earlier.
      kill -0 "$HOVELLE_X_PID" 2>/dev/null || break
      if [ -e "/tmp/.X11-unix/X$n" ]; then
        export DISPLAY=":$n"
        return 0
      fi
      sleep 0.1
    done
    kill "$HOVELLE_X_PID" 2>/dev/null || true
  done
  echo "$1 did not start" >&2
  return 1
}

# Starts a private Xvfb when there is no display, and stops it on exit.
hovelle_start_display() {
  if [ -n "${DISPLAY:-}" ]; then return 0; fi
  hovelle_start_x Xvfb -screen 0 1024x768x24 -nolisten tcp
  HOVELLE_XVFB_PID=$HOVELLE_X_PID
}

# Starts a private display of three monitors and makes it the display:
# Xorg with the dummy video driver, the 1024x768 primary and an 800x600
# monitor right of it and another left of it. Wine reports them as
# 0,0-1024,768, 1024,0-1824,600 and -800,0-0,600. Wine's desktop keeps the
# monitors of the display it started on: stop Wine before, start it after.
hovelle_start_monitors() {
  mkdir -p "$HOVELLE_BUILD"
  hovelle_start_x Xorg -config "$HOVELLE_ROOT/scripts/xorg-monitors.conf" -logfile "$HOVELLE_BUILD/xorg.log" \
    -noreset -nolisten tcp -novtswitch -keeptty
  HOVELLE_XORG_PID=$HOVELLE_X_PID
  xrandr --addmode DUMMY1 800x600 && xrandr --output DUMMY1 --mode 800x600 --right-of DUMMY0 &&
    xrandr --addmode DUMMY2 800x600 && xrandr --output DUMMY2 --mode 800x600 --left-of DUMMY0 &&
    xrandr >/dev/null  # Wine sees the new monitors only after a query that probes the outputs
}

# A persistent wine server and a booted prefix, with output kept away from
# the caller's pipes (Wine's helper processes would otherwise hold them open).
hovelle_start_wine() {
  "$WINESERVER" -p >/dev/null 2>&1 </dev/null
  "$WINE64" wineboot >/dev/null 2>&1 </dev/null
}

hovelle_stop() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  local pid
  for pid in ${HOVELLE_XVFB_PID:-} ${HOVELLE_XORG_PID:-}; do kill "$pid" 2>/dev/null || true; done
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
