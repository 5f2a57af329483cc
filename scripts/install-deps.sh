#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the tools need, only those missing.
# This is the one list of them. Groups: core (build, tests, content, player), test (what only
# `make test` wants: chromium opens the checker's timeline page in a test, ffmpeg lets the
# capture tests make and read back videos, and glslang-tools validates the shaders; without them
# those tests are skipped), video (capture), extra (fuzzing, memory checks, benchmarks), windows
# (the cross build and its tests under Wine).
# Default: core. "all" installs every group.
set -euo pipefail

core=(
  build-essential cmake pkg-config
  libsdl2-dev libgl-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri
  libjpeg62-turbo-dev libvorbis-dev libogg-dev libsndfile1-dev
  libfreetype-dev fonts-dejavu-core fonts-dejavu-extra zlib1g-dev libpng-dev
  libtinygltf-dev libtinyobjloader-dev libstb-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool
)
test=(chromium ffmpeg glslang-tools)
video=(ffmpeg)
extra=(clang libclang-rt-14-dev valgrind libassimp-dev python3)
windows=(
  cmake ninja-build nasm dpkg-dev g++-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev
  wine wine64 xvfb xauth zip python3
)

want=()
for group in "${@:-core}"; do
  case "$group" in
    core) want+=("${core[@]}") ;;
    test) want+=("${test[@]}") ;;
    video) want+=("${video[@]}") ;;
    extra) want+=("${extra[@]}") ;;
    windows) want+=("${windows[@]}") ;;
    all) want+=("${core[@]}" "${test[@]}" "${video[@]}" "${extra[@]}" "${windows[@]}") ;;
    *) echo "install-deps: unknown group '$group' (core, test, video, extra, windows, all)" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${want[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "install-deps: need root or sudo to install ${missing[*]}" >&2; exit 1; }
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
