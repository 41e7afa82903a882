# Sourced by the scripts that run 32-bit programs: a private 32-bit Wine prefix
# under build/, created once, with its server and services started before any
# test runs (otherwise each program waits on a pipe for seconds).
mbc_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="$mbc_root/build/wineprefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

mbc_start_wine() {
  mkdir -p "$mbc_root/build"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine: creating the 32-bit prefix $WINEPREFIX"
  fi
  wineboot -i </dev/null >/dev/null 2>&1 || true
  wineserver -w </dev/null >/dev/null 2>&1 || true
  wineserver -p </dev/null >/dev/null 2>&1 || true
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

mbc_stop_wine() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
}
