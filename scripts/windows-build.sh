#!/usr/bin/env bash
# The player and the tools for 64-bit Windows, cross-built with mingw-w64 from the same sources.
# Usage: windows-build.sh BUILD_DIR JOBS [TARGET...]   (default target: the programs)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1 jobs=$2; shift 2
echo "windows-build: the libraries for Windows (the first run builds them: about 20 minutes)" >&2
prefix=$(bash scripts/windows-deps.sh | tail -1)
echo "windows-build: libraries ready after $SECONDS s; now the programs" >&2
export ZB_WINDOWS_PREFIX=$prefix
# A folder set up against another build of the libraries is set up again against this one.
if [ -f "$build/CMakeCache.txt" ] && ! grep -qxF "ZB_WINDOWS_PREFIX:PATH=$prefix" "$build/CMakeCache.txt"; then
  rm -f "$build/CMakeCache.txt"
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
    -DZB_WINDOWS_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" -j "$jobs" ${1:+--target "$@"}
