#!/usr/bin/env bash
# The release from a clean clone in a temporary folder is BUILD_FOLDER's
# release, byte for byte, though built elsewhere and later: the ZIP (the
# plug-in, the runner and the stand-in host libraries, the rendered
# documents, every entry's time, order and mode) and SHA256SUMS.
# check_package.sh has shown that BUILD_FOLDER's ZIP holds the files its build
# made and its tests loaded; its plug-in carries no signature.
#
# Then the clone signs its plug-in with a throwaway self-signed certificate,
# its key behind a password, and the same finishing step signs a copy of
# BUILD_FOLDER's: the two signed files are the same bytes, the signature
# verifies against that certificate, and every 32-bit test of the clone
# passes with the signed file as its plug-in.
#
# The clone is of HEAD with the working tree's changes and new files laid
# over it, so that the check sees what is about to be committed.
#
# Usage: check_reproducible.sh BUILD_FOLDER (its package made, tests run, Wine started)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
fail() { echo "reproducible: $*" >&2; exit 1; }
dll=src/plugin/DoduzIridizeruRediro.dll
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
git clone -q "$root" clone
git -C "$root" diff --binary HEAD | git -C clone apply --allow-empty
git -C "$root" ls-files -z --others --exclude-standard | tar -C "$root" --null -T - -c | tar -C clone -x
(cd clone && cmake --preset win32 >/dev/null && cmake --build --preset win32 --target package >/dev/null)
for file in "$build"/DoduzIridizeruRediro-*-win32.zip "$build/SHA256SUMS"; do
  cmp "$file" "clone/build/win32/${file##*/}" || fail "${file##*/} differs in a clean clone"
done
# An unsigned file's certificate table entry is empty.
[[ $(i686-w64-mingw32-objdump -p "$build/$dll") == *'Entry 4 00000000 00000000'* ]] || fail "signed"

echo "throwaway password" >password
openssl req -x509 -newkey rsa:2048 -days 2 -subj "/CN=Throwaway test publisher" -passout \
  file:password -addext extendedKeyUsage=codeSigning -keyout key.pem -out cert.pem 2>/dev/null
cmake clone/build/win32 -D MBC_SIGN_CERTIFICATE="$work/cert.pem" -D MBC_SIGN_KEY="$work/key.pem" \
  -D MBC_SIGN_PASSWORD_FILE="$work/password" >/dev/null
cmake --build clone/build/win32 -j2 >/dev/null
cp "$build/$dll" second.dll
cmake -D DLL=second.dll -D PYTHON=/usr/bin/python3 -D SOURCE_DIR="$root" -D OSSLSIGNCODE=osslsigncode \
  -D CERTIFICATE=cert.pem -D KEY=key.pem -D PASSWORD_FILE=password -P "$root/cmake/finish_dll.cmake" \
  >/dev/null
cmp "clone/build/win32/$dll" second.dll || fail "two signed builds differ"
osslsigncode verify -CAfile cert.pem -in second.dll >log 2>&1 || { cat log; fail "no valid signature"; }
ctest --test-dir clone/build/win32 --output-on-failure >log || { cat log; fail "tests fail when signed"; }
echo "reproducible: the ZIP ($(stat -c %s "$build"/*-win32.zip) bytes) and SHA256SUMS the same from" \
  "a clean clone; signed, the same $(stat -c %s second.dll) bytes twice, verified, every test passes"
