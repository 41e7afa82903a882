#!/usr/bin/env bash
# Runs the CI command on a fresh machine: a minimal Debian system made with
# debootstrap from the archive this machine's own apt sources name, given the
# same apt sources, a clean clone of the committed project, and nothing else.
# Then .ci/run installs all it needs, builds and tests, as CI does.
#
#   sudo bash tools/fresh-machine.sh [FOLDER]   (default /tmp/mbc-fresh; emptied first)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
target=${1:-/tmp/mbc-fresh}
source "$root/tools/apt-archive.sh"
archive=$(mbc_main_archive)
if [ -z "$archive" ]; then
  echo "fresh-machine: no configured apt source serves this release" >&2
  exit 1
fi
command -v debootstrap >/dev/null ||
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends debootstrap

mounts=(proc sys dev dev/pts)
unmount() {
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount "$target/${mounts[i]}" 2>/dev/null || true; done
}
trap unmount EXIT
unmount
rm -rf "$target"
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
debootstrap --variant=minbase --include=git,ca-certificates "$codename" "$target" "${archive%%|*}"
rm -f "$target/etc/apt/sources.list"
cp -r /etc/apt/sources.list.d "$target/etc/apt/"
[ -f /etc/apt/sources.list ] && cp /etc/apt/sources.list "$target/etc/apt/"
for m in "${mounts[@]}"; do mount --bind "/$m" "$target/$m"; done
git clone -q --no-local "$root" "$target/root/project"
start=$(date +%s)
chroot "$target" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin \
  bash -c 'cd /root/project && .ci/run'
echo "fresh-machine: .ci/run passed in $(($(date +%s) - start)) s"
