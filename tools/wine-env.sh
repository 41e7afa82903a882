# Sourced by the scripts that run 32-bit programs: a private 32-bit Wine prefix
# under build/, created once, with its server and services started before any
# test runs (otherwise each program waits on a pipe for seconds).
mbc_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# MBC_WINEPREFIX gives a prefix of its own to a second build working beside this one.
export WINEPREFIX="${MBC_WINEPREFIX:-$mbc_root/build/wineprefix}"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# True while a server runs for this prefix: its socket sits in a folder named
# after the prefix's device and inode.
mbc_wine_server_running() {
  [ -d "$WINEPREFIX" ] || return 1
  local name
  name=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
  local dir
  for dir in "/tmp/.wine-$(id -u)/$name" /tmp/wine-*/"$name"; do
    [ -S "$dir/socket" ] && return 0
  done
  return 1
}

mbc_start_wine() {
  mkdir -p "$mbc_root/build"
  # A persistent server from an earlier run is reused: waiting for it to end
  # (wineserver -w) would never return.
  if ! mbc_wine_server_running; then
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      echo "wine: creating the 32-bit prefix $WINEPREFIX"
    fi
    wineboot -i </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    wineserver -p </dev/null >/dev/null 2>&1 || true
  fi
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

mbc_stop_wine() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
}
