#!/usr/bin/env bash
# Packs a release: the player, the tools, the bundled production, the licences and the release
# README, into dist/.
#   scripts/dist.sh linux BUILD_DIR PRODUCTION_DIR     -> dist/zorbanel-VERSION-linux-x86_64.tar.gz
#   scripts/dist.sh windows BUILD_DIR PRODUCTION_DIR   -> dist/zorbanel-VERSION-windows-x64.zip
# The production's files lie beside the player, which plays the production of its working folder:
# started in its folder, or by a double click on Windows, it plays the bundled one. The Windows
# programs carry the DLLs they import from the library prefix (scripts/windows-deps.sh), an import
# that is neither one of those nor Windows' own failing the packaging, and the content tool's
# fonts. A package takes its name only once whole.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -eq 3 ] || { echo "usage: dist.sh linux|windows BUILD_DIR PRODUCTION_DIR" >&2; exit 2; }
platform=$1 build=$(cd "$2" && pwd) production=$(cd "$3" && pwd)
say() { echo "dist: $*" >&2; }
fail() { say "$*"; exit 1; }

version=$(sed -n 's/^project(zorbanel VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || fail "no project version in CMakeLists.txt"
[ -f "$production/production.txt" ] || fail "no production in $production (make production)"

# The programs as CMake makes them: the player, and one tool for each folder of tools/.
programs=(zorbanel)
for dir in "$root"/tools/*/; do
  compgen -G "$dir*.cpp" >/dev/null && programs+=("zorbanel-$(basename "$dir")")
done

case "$platform" in
  linux) name=zorbanel-$version-linux-x86_64 suffix=.tar.gz exe="" strip=strip ;;
  windows) name=zorbanel-$version-windows-x64 suffix=.zip exe=.exe strip=x86_64-w64-mingw32-strip ;;
  *) echo "dist: unknown platform '$platform' (linux, windows)" >&2; exit 2 ;;
esac
mkdir -p "$root/dist"
work=$(mktemp -d "$root/dist/.$name.XXXXXX")
trap 'rm -rf "$work"' EXIT
stage=$work/$name
mkdir -p "$stage/docs"

for program in "${programs[@]}"; do
  [ -f "$build/$program$exe" ] || fail "no $build/$program$exe (build it first)"
  "$strip" -o "$stage/$program$exe" "$build/$program$exe"
done
# The production as the content tool made it, but the logs of runs there.
tar -C "$production" --exclude='LOGFILE*.TXT' -cf - . | tar -C "$stage" -xf -
cp "$root/docs/making-a-production.md" "$stage/docs/"

# The DLLs a Windows program needs beyond Windows' own, followed through the DLLs themselves.
windows_dlls() {
  local prefix=$1 queue=("$stage"/*.exe) file dll key
  local system=(advapi32 bcrypt cfgmgr32 comdlg32 crypt32 dbghelp dwmapi gdi32 glu32 hid imm32
    kernel32 msvcrt ntdll ole32 oleaut32 opengl32 psapi rpcrt4 setupapi shell32 shlwapi user32
    uxtheme version winmm ws2_32)
  while [ ${#queue[@]} -gt 0 ]; do
    file=${queue[0]} queue=("${queue[@]:1}")
    for dll in $(x86_64-w64-mingw32-objdump -p "$file" | awk '/DLL Name:/ {print $3}'); do
      key=$(echo "${dll%.[dD][lL][lL]}" | tr '[:upper:]' '[:lower:]')
      [[ " ${system[*]} " == *" $key "* || $key == api-ms-win-* ]] && continue
      [ -f "$stage/$dll" ] && continue
      [ -f "$prefix/bin/$dll" ] || fail "$(basename "$file") imports $dll, which is neither Windows' own nor in $prefix/bin"
      say "$dll, imported by $(basename "$file")"
      "$strip" --strip-unneeded -o "$stage/$dll" "$prefix/bin/$dll"
      queue+=("$stage/$dll")
    done
  done
}

readme=$root/docs/release/README-$platform.txt
if [ "$platform" = windows ]; then
  prefix=$(bash "$root/scripts/windows-deps.sh" | tail -1)
  windows_dlls "$prefix"
  # The DejaVu faces the content tool draws its text with (the names its sources give), which
  # Windows does not have: it looks for them in the fonts folder beside it.
  mkdir "$stage/fonts"
  for face in $(grep -oh 'DejaVu[A-Za-z-]*\.ttf' "$root"/tools/content/*.cpp | sort -u); do
    cp "/usr/share/fonts/truetype/dejavu/$face" "$stage/fonts/" ||
      fail "no $face (scripts/install-deps.sh installs the DejaVu fonts)"
  done
  # The licences of the libraries built into the prefix, of the GCC and mingw-w64 runtimes that
  # are linked into every program, of zlib inside libpng, and of the fonts. The Linux programs
  # carry no library and no font: they use the system's (see its README).
  mkdir "$stage/licenses"
  cp "$prefix"/licenses/*.txt "$stage/licenses/"
  cp /usr/share/doc/fonts-dejavu-core/copyright "$stage/licenses/dejavu-fonts.txt"
  sed "s/@VERSION@/$version/g; s/\r*$/\r/" "$readme" >"$stage/README.txt"
  (cd "$work" && zip -q -r -X "$work/package$suffix" "$name")
else
  sed "s/@VERSION@/$version/g" "$readme" >"$stage/README.txt"
  tar -C "$work" --owner=0 --group=0 --numeric-owner -czf "$work/package$suffix" "$name"
fi
mv -f "$work/package$suffix" "$root/dist/$name$suffix"
say "dist/$name$suffix ($(du -h "$root/dist/$name$suffix" | cut -f1))"
