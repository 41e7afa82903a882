#!/usr/bin/env bash
# The release package as a script author unpacks it: exactly the files below,
# so the stand-in host libraries lie only in reference-host/ and never beside
# the plug-in; a plug-in without debug sections or symbol table; and a
# reference host that finds the plug-in a folder up and runs every example.
#
# Usage: check_package.sh BUILD_FOLDER (its "package" target built, Wine started)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
zip="$build/DoduzIridizeruRediro-$version-win32.zip"
fail() { echo "package: $*" >&2; exit 1; }

expected() {
  printf '%s\n' \
    DoduzIridizeruRediro.dll \
    docs/commands.md \
    reference-host/README.txt \
    reference-host/RuzazUrovuv.dll \
    reference-host/ZavarOvur.dll \
    reference-host/mbc_runner.exe
  # Pictures and example scripts come and go: whatever the sources hold now.
  cd "$root"
  for file in docs/pictures/*.png examples/*.mbc examples/*.png examples/commands/*.{mbc,png}; do
    [ ! -e "$file" ] || echo "$file"
  done
}
listed=$(cmake -E tar tf "$zip" | grep -v '/$' | LC_ALL=C sort)
diff <(expected | LC_ALL=C sort) - <<<"$listed" || fail "$zip: '<' expected only, '>' packaged only"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
cd "$unpacked"
cmake -E tar xf "$zip"
headers=$(i686-w64-mingw32-objdump -h DoduzIridizeruRediro.dll)
symbols=$(i686-w64-mingw32-objdump -t DoduzIridizeruRediro.dll)
! grep -E '\.(z?debug|stab)' <<<"$headers" || fail "debug sections in the packaged plug-in"
grep -qx 'no symbols' <<<"$symbols" || fail "a symbol table in the packaged plug-in"

# Run from a folder without the plug-in, so that only the runner's own lookup
# can find it; make-picture.mbc also writes into commands/.
mkdir -p out/commands
cd out
for script in ../examples/*.mbc ../examples/commands/*.mbc; do
  [ -e "$script" ] || continue
  wine ../reference-host/mbc_runner.exe "$script" . >run.log 2>&1 ||
    { tr -d '\r' <run.log; fail "${script#../} failed under the packaged reference host"; }
done
echo "package: $(basename "$zip"): $(wc -l <<<"$listed") files as expected, plug-in stripped, examples run"
