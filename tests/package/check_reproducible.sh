#!/usr/bin/env bash
# The release from two clean clones in two folders of different names and
# depths, byte for byte: the ZIP (the plug-in, the runner and the stand-in
# host libraries, the rendered documents, every entry's time, order and
# mode) and SHA256SUMS; the plug-in in it is the very file BUILD_FOLDER's
# build made and its tests loaded, and carries no signature.
#
# Then the clones sign the plug-in with a throwaway self-signed certificate,
# its key behind a password: the two signed files are the same bytes, the
# signature verifies against that certificate, and the 32-bit test programs
# of BUILD_FOLDER pass with the signed file in place of the plug-in.
#
# The clones are of HEAD with the working tree's changes and new files laid
# over it, so that the check sees what is about to be committed. Only what
# the package holds is built in them.
#
# Usage: check_reproducible.sh BUILD_FOLDER (built, its tests run, Wine started)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
fail() { echo "reproducible: $*" >&2; exit 1; }
plugin=DoduzIridizeruRediro.dll
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
clones=("$work/a" "$work/second/clone-b")

for clone in "${clones[@]}"; do
  git clone -q "$root" "$clone"
  git -C "$clone" checkout -q --detach "$(git -C "$root" rev-parse HEAD)"
  git -C "$root" diff --binary HEAD | git -C "$clone" apply --allow-empty
  git -C "$root" ls-files -z --others --exclude-standard |
    tar -C "$root" --null -T - -c | tar -C "$clone" -x
  # The package target without building all: no test program is needed.
  (cd "$clone" && cmake --preset win32 -D CMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null)
  cmake --build "$clone/build/win32" -j2 --target DoduzIridizeruRediro mbc_runner \
    refhost_companion refhost_core mbc_release_docs >/dev/null
  cmake --build "$clone/build/win32" --target package >/dev/null
done
a=${clones[0]}/build/win32
b=${clones[1]}/build/win32
zip=$(cd "$a" && ls DoduzIridizeruRediro-*-win32.zip)
for file in "$zip" SHA256SUMS; do
  cmp "$a/$file" "$b/$file" || fail "$file differs between two clones; compare them with zipinfo"
done
mkdir "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "$a/$zip" "$plugin")
for tested in src/plugin/$plugin tests/bin/$plugin; do
  cmp "$work/unpacked/$plugin" "$build/$tested" || fail "the packaged plug-in is not $build/$tested"
done
# The certificate table's entry in the header, empty in an unsigned file.
certificates() { i686-w64-mingw32-objdump -p "$1" | grep 'Security Directory'; }
[[ $(certificates "$a/src/plugin/$plugin") == 'Entry 4 00000000 00000000 Security Directory' ]] ||
  fail "a certificate table without signing variables: $(certificates "$a/src/plugin/$plugin")"
echo "reproducible: $zip ($(stat -c %s "$a/$zip") bytes) and SHA256SUMS the same from two clones;" \
  "the plug-in in it is the one the tests loaded, unsigned"

# The signing step: a throwaway certificate and key, the key's password in a
# file, each clone's plug-in linked anew and signed.
secrets=$work/secrets
mkdir "$secrets"
echo "throwaway password" >"$secrets/password"
openssl req -x509 -newkey rsa:2048 -sha256 -days 2 -subj "/CN=Throwaway test publisher" \
  -addext extendedKeyUsage=codeSigning -passout "file:$secrets/password" \
  -keyout "$secrets/key.pem" -out "$secrets/certificate.pem" 2>/dev/null
for folder in "$a" "$b"; do
  cmake "$folder" -D MBC_SIGN_CERTIFICATE="$secrets/certificate.pem" \
    -D MBC_SIGN_KEY="$secrets/key.pem" -D MBC_SIGN_PASSWORD_FILE="$secrets/password" >/dev/null
  cmake --build "$folder" --target DoduzIridizeruRediro >/dev/null
done
signed=$a/src/plugin/$plugin
cmp "$signed" "$b/src/plugin/$plugin" || fail "two signed builds differ"
[[ $(certificates "$signed") != 'Entry 4 00000000 00000000 Security Directory' ]] ||
  fail "the signing variables signed nothing"
osslsigncode verify -CAfile "$secrets/certificate.pem" -in "$signed" >"$work/verify.log" 2>&1 ||
  { cat "$work/verify.log"; fail "the signature does not verify"; }
# The test programs of BUILD_FOLDER, beside the signed plug-in.
cp -r "$build/tests/bin" "$work/signed-bin"
cp "$signed" "$work/signed-bin/$plugin"
for program in mbc_plugin_tests.exe mbc_unit_tests.exe; do
  (cd "$work/signed-bin" && wine "$program" >"$work/tests.log" 2>&1) ||
    { tr -d '\r' <"$work/tests.log"; fail "$program fails with the signed plug-in"; }
done
echo "reproducible: signed, the same $(stat -c %s "$signed") bytes from both clones; the" \
  "signature verifies, and the plug-in and unit tests pass on it"
