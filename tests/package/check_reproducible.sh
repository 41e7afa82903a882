#!/usr/bin/env bash
# The release from two clean clones in two folders of different names and
# depths is BUILD_FOLDER's release, byte for byte: the ZIP (the plug-in, the
# runner and the stand-in host libraries, the rendered documents, every
# entry's time, order and mode) and SHA256SUMS. check_package.sh has shown
# that BUILD_FOLDER's ZIP holds the files its build made and its tests
# loaded; its plug-in carries no signature.
#
# Then the clones sign the plug-in with a throwaway self-signed certificate,
# its key behind a password: the two signed files are the same bytes, the
# signature verifies against that certificate, and every 32-bit test passes
# in a clone with the signed file as its plug-in.
#
# The clones are of HEAD with the working tree's changes and new files laid
# over it, so that the check sees what is about to be committed.
#
# Usage: check_reproducible.sh BUILD_FOLDER (its package made, tests run, Wine started)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
fail() { echo "reproducible: $*" >&2; exit 1; }
dll=build/win32/src/plugin/DoduzIridizeruRediro.dll
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
for clone in a second/clone-b; do
  git clone -q "$root" "$clone"
  git -C "$root" diff --binary HEAD | git -C "$clone" apply --allow-empty
  git -C "$root" ls-files -z --others --exclude-standard |
    tar -C "$root" --null -T - -c | tar -C "$clone" -x
  (cd "$clone" && cmake --preset win32 >/dev/null && cmake --build --preset win32 --target package >/dev/null)
  for file in "$build"/DoduzIridizeruRediro-*-win32.zip "$build/SHA256SUMS"; do
    cmp "$file" "$clone/build/win32/${file##*/}" || fail "${file##*/} differs in $clone"
  done
done
# An unsigned file's certificate table entry is empty.
i686-w64-mingw32-objdump -p a/$dll | grep -q 'Entry 4 00000000 00000000' || fail "signed unasked"

echo "throwaway password" >password
openssl req -x509 -newkey rsa:2048 -days 2 -subj "/CN=Throwaway test publisher" -passout \
  file:password -addext extendedKeyUsage=codeSigning -keyout key.pem -out cert.pem 2>/dev/null
for clone in a second/clone-b; do
  cmake "$clone/build/win32" -D MBC_SIGN_CERTIFICATE="$work/cert.pem" \
    -D MBC_SIGN_KEY="$work/key.pem" -D MBC_SIGN_PASSWORD_FILE="$work/password" >/dev/null
  cmake --build "$clone/build/win32" -j2 >/dev/null
done
cmp a/$dll second/clone-b/$dll || fail "two signed builds differ"
osslsigncode verify -CAfile cert.pem -in a/$dll >log 2>&1 || { cat log; fail "no valid signature"; }
ctest --test-dir a/build/win32 --output-on-failure >log || { cat log; fail "tests fail when signed"; }
echo "reproducible: the ZIP ($(stat -c %s "$build"/*-win32.zip) bytes) and SHA256SUMS the same from" \
  "two clean clones; signed, the same $(stat -c %s a/$dll) bytes, verified, every test passes"
