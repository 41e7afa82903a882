#!/usr/bin/env bash
# The release package as a script author unpacks it: exactly the files below,
# so the stand-in host libraries lie only in reference-host/ and never beside
# the plug-in; each program and library the very file the build made and the
# tests loaded; SHA256SUMS beside the ZIP right for the ZIP and the plug-in; a
# plug-in without a symbol table (nor debug sections, which the DLL file test
# rules out) and without code that registers an exception handler (its header
# says it has none); a README.txt with Windows line endings whose paths
# exist and whose steps work as written; documents whose every link and
# picture resolves inside the release, that give no source-tree steps, paths,
# targets, flags or test names, and that each link back to the reference; and
# a reference host that finds the plug-in a folder up and runs every example.
#
# Usage: check_package.sh BUILD_FOLDER (its "package" target built, Wine started)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
zip="$build/DoduzIridizeruRediro-$version-win32.zip"
fail() { echo "package: $*" >&2; exit 1; }

expected() {
  # Pictures and example scripts come and go: whatever the sources hold now.
  cd "$root"
  shopt -s nullglob
  printf '%s\n' DoduzIridizeruRediro.dll README.txt docs/commands.md \
    docs/{behaviour,commands,plugin,refhost,shapes-and-stretching}.html \
    reference-host/{README.txt,RuzazUrovuv.dll,ZavarOvur.dll,mbc_runner.exe} \
    docs/pictures/*.png examples/*.mbc examples/*.png examples/commands/*.{mbc,png} \
    examples/routines/*.{mbc,png}
}
listed=$(cmake -E tar tf "$zip" | grep -v '/$' | LC_ALL=C sort)
diff <(expected | LC_ALL=C sort) - <<<"$listed" || fail "$zip: '<' expected only, '>' packaged only"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
cd "$unpacked"
cmake -E tar xf "$zip"
for file in DoduzIridizeruRediro.dll reference-host/{RuzazUrovuv.dll,ZavarOvur.dll,mbc_runner.exe}; do
  cmp "$file" "$build/tests/bin/$(basename "$file")" || fail "$file is not the file the tests loaded"
done
cmp DoduzIridizeruRediro.dll "$build/src/plugin/DoduzIridizeruRediro.dll" ||
  fail "the packaged plug-in is not the one the build made"
cp "$zip" "$build/SHA256SUMS" .
[ "$(sha256sum -c SHA256SUMS)" = "$(basename "$zip"): OK"$'\n'"DoduzIridizeruRediro.dll: OK" ] ||
  fail "SHA256SUMS: $(sha256sum -c SHA256SUMS 2>&1)"
[[ $(i686-w64-mingw32-objdump -t DoduzIridizeruRediro.dll) == *"no symbols" ]] || fail "a symbol table"
# A handler is registered through the thread's record at fs:0; the plug-in
# never touches the fs segment.
! i686-w64-mingw32-objdump -d DoduzIridizeruRediro.dll | grep '%fs:' ||
  fail "the plug-in reaches the fs segment, yet is marked as registering no handler"

/usr/bin/python3 "$root/tests/package/check_links.py" . || fail "broken links in the packaged documents"
/usr/bin/python3 "$root/tests/package/check_pages.py" . || fail "the packaged pages speak of the source tree"
! grep -nE 'cmake --|build/|wine-env|bash tools/' docs/*.html docs/*.md ||
  fail "source-tree steps in the packaged documents"

# README.txt: every line ends CRLF for Notepad; every path it names (but the
# output folder its steps make) is in the release.
readme=$(tr -d '\r' <README.txt)
[ "$(grep -c $'\r$' README.txt)" -eq "$(wc -l <README.txt)" ] || fail "README.txt: lines without CRLF"
for path in $(grep -oE '[A-Za-z0-9_.-]+(\\[A-Za-z0-9_.-]*)+' <<<"$readme"); do
  [[ $path == out\\* || $path == report\\* ]] || [ -e "${path//\\//}" ] ||
    fail "README.txt names $path, which is not in the release"
done
# Its step for trying a script, as a new user types it in the release's folder.
step=$(sed -n '/^Trying a script/,/^Running a folder/ s/^[0-9]\. \(reference-host\\.*\)$/\1/p' <<<"$readme")
[ -n "$step" ] && [ "$(wc -l <<<"$step")" -eq 1 ] || fail "README.txt: no runner step under 'Trying a script'"
read -r program arguments <<<"$step"
# shellcheck disable=SC2086 # the arguments as the README splits them
wine "$program" $arguments >readme.log 2>&1 ||
  { tr -d '\r' <readme.log; fail "README.txt: '$program $arguments' failed"; }
ls out/*.png >/dev/null 2>&1 || fail "README.txt: its steps wrote no picture into out"
# Its step for a folder of scripts: every example passes, and the page is there.
step=$(sed -n '/^Running a folder/,$ s/^[0-9]\. \(reference-host\\.*\)$/\1/p' <<<"$readme")
[ -n "$step" ] && [ "$(wc -l <<<"$step")" -eq 1 ] || fail "README.txt: no runner step under 'Running a folder'"
read -r program arguments <<<"$step"
# shellcheck disable=SC2086 # the arguments as the README splits them
wine "$program" $arguments >suite.log 2>&1 ||
  { tr -d '\r' <suite.log; fail "README.txt: '$program $arguments' failed"; }
grep -q "^$(find examples -name '*.mbc' | wc -l) passed, 0 failed" <(tr -d '\r' <suite.log) ||
  fail "README.txt: the suite step did not pass every example"
[ -s report/index.html ] || fail "README.txt: its suite step wrote no report/index.html"

# Run from a folder without the plug-in, so that only the runner's own lookup
# can find it.
mkdir run
cd run
for script in ../examples/*.mbc ../examples/commands/*.mbc ../examples/routines/*.mbc; do
  [ -e "$script" ] || continue
  wine ../reference-host/mbc_runner.exe "$script" . >run.log 2>&1 ||
    { tr -d '\r' <run.log; fail "${script#../} failed under the packaged reference host"; }
done
echo "package: $(basename "$zip"): $(wc -l <<<"$listed") files as expected, each the tested one," \
  "SHA256SUMS right, plug-in stripped, README.txt and every link checked, examples run"
