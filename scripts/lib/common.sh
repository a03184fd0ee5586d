# Shared by the scripts: paths, Xvfb and Wine prefix handling.
SF_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
SF_BUILD=$SF_ROOT/build

sf_log() { printf '[skyframe] %s\n' "$*" >&2; }

# Starts a private Xvfb; sets DISPLAY and SF_XVFB_PID. Xvfb picks a free display
# number itself and writes it to a pipe once it accepts connections, so there is
# no window in which another server can take the number we chose.
sf_start_xvfb() {
  local dir fifo fd n=
  dir=$(mktemp -d "${TMPDIR:-/tmp}/skyframe-xvfb.XXXXXX") || return 1
  fifo=$dir/display
  mkfifo -m 600 "$fifo" || { rm -rf "$dir"; return 1; }
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  SF_XVFB_PID=$!
  # Opening returns once Xvfb holds the other end; the name is not needed after that.
  exec {fd}<"$fifo"
  rm -rf "$dir"
  # EOF (Xvfb died before it was ready) or the time-out leaves n empty.
  read -r -t 30 -u "$fd" n || true
  exec {fd}<&-
  if [[ ! "$n" =~ ^[0-9]+$ ]]; then
    sf_log "Xvfb did not start"
    sf_stop_xvfb
    return 1
  fi
  export DISPLAY=":$n"
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
# The prefix is marked ready only when every step worked; otherwise this says
# what failed and returns non-zero, and the next call tries again.
sf_prepare_prefix() {
  local prefix=$1
  export WINEPREFIX=$prefix WINEDEBUG=-all WINEARCH=win64
  [ -f "$prefix/.skyframe-ready" ] && { sf_isolate_profile "$prefix"; return 0; }
  mkdir -p "$prefix" || return 1
  # No Mono or Gecko: the program needs neither, and their installers would ask.
  if ! WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1; then
    sf_log "wineboot failed in $prefix"
    return 1
  fi
  if ! wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null 2>&1 ||
     ! wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1280x1024 /f >/dev/null 2>&1; then
    sf_log "could not switch on the virtual desktop in $prefix"
    return 1
  fi
  # The registry reaches user.reg only when the server ends.
  wineserver -w
  sf_isolate_profile "$prefix"
  touch "$prefix/.skyframe-ready"
}
