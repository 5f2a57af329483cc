#!/usr/bin/env bash
# Proves the Linux release on a fresh Debian 12: a minimal root made once with debootstrap (kept
# outside the tree, ZB_DEBIAN_ROOT moves it) gets exactly the packages of the apt-get line in the
# package's README; the package is unpacked there; a new production is made and checked with the
# tools; then the bundled production plays to its end as a plain start plays it, full screen, on an
# Xvfb of the player's 800 x 600, with silent audio; the player must exit 0. Needs root (debootstrap, chroot, mounts) and xvfb-run.
#   scripts/check-dist-debian.sh dist/zorbanel-VERSION-linux-x86_64.tar.gz
set -euo pipefail
package=$(realpath "$1")
root=${ZB_DEBIAN_ROOT:-${XDG_CACHE_HOME:-$HOME/.cache}/zorbanel/debian12-root}
name=$(basename "$package" .tar.gz)
say() { echo "check-dist: $*" >&2; }

if [ ! -f "$root/.complete" ]; then
  command -v debootstrap >/dev/null || apt-get install -y -qq debootstrap
  mirror=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
  say "making a minimal Debian 12 in $root"
  debootstrap --variant=minbase bookworm "$root" "${mirror:-http://deb.debian.org/debian}" >/dev/null
  touch "$root/.complete"
fi

# Mounts made here are undone on every way out, before anything could remove the root.
mounted=()
cleanup() { local m; for m in "${mounted[@]}"; do umount "$m" || true; done; }
trap cleanup EXIT
mountpoint -q "$root/proc" || { mount -t proc proc "$root/proc"; mounted+=("$root/proc"); }
mkdir -p "$root/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"; mounted=("$root/tmp/.X11-unix" "${mounted[@]}")

packages=$(tar -xzOf "$package" "$name/README.txt" | sed -n 's/^ *sudo apt-get install //p' | head -1)
[ -n "$packages" ] || { say "no apt-get install line in $name/README.txt"; exit 1; }
say "installing $packages"
chroot "$root" apt-get update -qq
# shellcheck disable=SC2086 # the README's line, word for word
DEBIAN_FRONTEND=noninteractive chroot "$root" apt-get install -y -qq --no-install-recommends \
  $packages >/dev/null

rm -rf "$root/opt/check" && mkdir -p "$root/opt/check"
tar -C "$root/opt/check" -xzf "$package"
dir=/opt/check/$name
say "tools: a new production, then its check"
chroot "$root" sh -c "cd $dir && ./zorbanel-content --new /opt/check/new >/dev/null &&
  ./zorbanel-check /opt/check/new"

say "the bundled production, played to its end under Xvfb (about two minutes)"
status=0
xvfb-run -a -s "-screen 0 800x600x24 -ac" chroot "$root" sh -c \
  "cd $dir && SDL_AUDIODRIVER=dummy timeout 600 ./zorbanel" || status=$?
tail -n 3 "$root$dir/LOGFILE.TXT" | sed 's/^/  LOGFILE: /'
[ $status -eq 0 ] || { say "FAILED: the player ended with status $status"; exit 1; }
say "passed: $name plays on Debian 12 with only the README's packages"
