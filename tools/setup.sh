#!/usr/bin/env bash
# Installs everything the build and the tests need, from Debian's packages, as root.
# Idempotent: when every tool is already there it returns at once.
#
# The 32-bit Wine packages need the i386 architecture. On this archive the i386
# security index is sometimes out of sync; a plain install then fails on
# amd64/i386 version skew of the Multi-Arch: same libraries. The fallback reads
# a private copy of the package lists (only the release's main and updates
# suites, from the archive the system's own sources name) and pins every skewed library in wine32's closure to one version for
# both architectures in the same install. The system's apt sources are never
# touched.
set -euo pipefail

# valgrind counts the benchmarks' instructions; python3 checks their figures.
NATIVE_PKGS=(cmake g++ make googletest libgtest-dev libbenchmark-dev clang libclang-rt-14-dev libstb-dev libutfcpp-dev clang-format valgrind python3)
# Renders the release's documents as HTML pages.
DOC_PKGS=(python3-markdown)
# The suite's report opened in a real browser, driven headless, and its JUnit
# file read back by a JUnit reader.
SUITE_PKGS=(chromium chromium-driver python3-selenium python3-junitparser)
# The release: the resources made read-only in the DLL's header, the ZIP made
# the same bytes from build to build, the opt-in Authenticode signing and the
# throwaway certificate that tests it.
RELEASE_PKGS=(python3-pefile strip-nondeterminism osslsigncode openssl git)
CROSS_PKGS=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686)
WINE_PKGS=(wine wine32:i386 xvfb xauth)

# --native: only what the first tier of tools/test.sh needs (the format check,
# the native build and its tests), so that it can start before the rest.
if [ "${1:-}" = --native ]; then
  DOC_PKGS=() RELEASE_PKGS=() CROSS_PKGS=() WINE_PKGS=()
fi

installed() { dpkg-query -W -f='${Status}\n' "$1" 2>/dev/null | grep -q '^install ok installed$'; }

missing=()
for p in "${NATIVE_PKGS[@]}" "${DOC_PKGS[@]}" "${SUITE_PKGS[@]}" "${RELEASE_PKGS[@]}" "${CROSS_PKGS[@]}" "${WINE_PKGS[@]}"; do
  installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "setup: installing ${missing[*]}"

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: must run as root to install packages" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
APT_OPTS=(-y -q --no-install-recommends)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi

apt-get update -q >/dev/null 2>&1 || true
if apt-get install "${APT_OPTS[@]}" "${missing[@]}" >/tmp/setup-apt.log 2>&1; then
  echo "setup: done"
  exit 0
fi

echo "setup: plain install failed (see /tmp/setup-apt.log); retrying with the main suites only"
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
source "$(dirname "$0")/apt-archive.sh"
archive=$(mbc_main_archive)
if [ -z "$archive" ]; then
  echo "setup: no configured apt source serves the suite $codename; add one to /etc/apt/sources.list.d/" >&2
  exit 1
fi
uri=${archive%%|*}
key=${archive#*|}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/sources" "$work/lists/partial"
{
  echo "Types: deb"
  echo "URIs: $uri"
  echo "Suites: $codename $codename-updates"
  echo "Components: main"
  if [ -n "$key" ]; then echo "Signed-By: $key"; fi
} >"$work/sources/main.sources"
PRIVATE=(-o Dir::Etc::sourcelist=/dev/null -o "Dir::Etc::sourceparts=$work/sources" -o "Dir::State::Lists=$work/lists")
apt-get "${PRIVATE[@]}" update -q >/dev/null

# Every i386 library in wine32's closure whose amd64 twin is installed at another
# version is installed at the i386 candidate's version for both architectures.
pins=()
closure=$(apt-cache "${PRIVATE[@]}" depends --recurse --no-recommends --no-suggests \
  --no-conflicts --no-breaks --no-replaces --no-enhances wine32:i386 |
  grep -E '^[a-z0-9][^ <>]*:i386$' | sort -u)
for pkg in $closure; do
  name=${pkg%:i386}
  amd=$(dpkg-query -W -f='${Version}' "$name:amd64" 2>/dev/null || true)
  [ -n "$amd" ] || continue
  cand=$(apt-cache "${PRIVATE[@]}" policy "$name:i386" | awk '/Candidate:/ {print $2}')
  [ -n "$cand" ] && [ "$cand" != "(none)" ] || continue
  # Only co-installable libraries must match; the rest are one architecture's.
  apt-cache "${PRIVATE[@]}" show "$name:i386=$cand" 2>/dev/null | grep -qx 'Multi-Arch: same' || continue
  if [ "$amd" != "$cand" ]; then
    pins+=("$name:amd64=$cand" "$name:i386=$cand")
  fi
done
echo "setup: pinning ${#pins[@]} package versions: ${pins[*]:-none}"
apt-get "${PRIVATE[@]}" install "${APT_OPTS[@]}" --allow-downgrades "${missing[@]}" "${pins[@]}"
echo "setup: done"
