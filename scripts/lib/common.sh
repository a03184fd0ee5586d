# Shared by the scripts: paths, Xvfb and Wine prefix handling.
SF_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
SF_BUILD=$SF_ROOT/build

sf_log() { printf '[skyframe] %s\n' "$*" >&2; }

# Starts a private Xvfb on the first free display from 90 on; sets DISPLAY and SF_XVFB_PID.
sf_start_xvfb() {
  local n=90
  while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  SF_XVFB_PID=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 100); do
    xdpyinfo >/dev/null 2>&1 && return 0
    kill -0 "$SF_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  sf_log "Xvfb did not start on $DISPLAY"
  return 1
}

sf_stop_xvfb() {
  if [ -n "${SF_XVFB_PID:-}" ]; then
    kill "$SF_XVFB_PID" 2>/dev/null || true
    wait "$SF_XVFB_PID" 2>/dev/null || true
    SF_XVFB_PID=
  fi
}

# Wine links the profile's Desktop, Documents, Pictures (and so on) to the
# host's home folder. Tests empty and fill those folders, so each becomes a
# plain folder inside the prefix: nothing a test does may reach the host's files.
sf_isolate_profile() {
  local prefix=$1 link
  for link in "$prefix"/drive_c/users/*/*; do
    if [ -L "$link" ]; then
      rm -f "$link" && mkdir -p "$link"
    fi
  done
}

# Creates (once) a Wine prefix with the virtual desktop switched on, so that
# programs get a desktop with a taskbar, a tray area and a drawn wallpaper.
sf_prepare_prefix() {
  local prefix=$1
  export WINEPREFIX=$prefix WINEDEBUG=-all WINEARCH=win64
  sf_isolate_profile "$prefix"
  if [ ! -f "$prefix/.skyframe-ready" ]; then
    mkdir -p "$prefix"
    # No Mono or Gecko: the program needs neither, and their installers would ask.
    WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1280x1024 /f >/dev/null 2>&1
    wineserver -w
    sf_isolate_profile "$prefix"
    touch "$prefix/.skyframe-ready"
  fi
}
