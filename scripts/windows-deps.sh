#!/usr/bin/env bash
# Builds the libraries the Windows programs need (SDL2, libogg, libvorbis, libsndfile with FLAC,
# Opus, mpg123 and LAME, libjpeg-turbo, libpng, FreeType, GoogleTest; tinygltf with nlohmann-json,
# tinyobjloader and stb as static libraries) for 64-bit Windows with mingw-w64, from Debian's own
# source packages, into a cache outside the source tree. The cache is keyed by the source versions
# and this script, so a second run, or a second clone, reuses it. Prints the prefix on its last line.
# The machine's apt set-up is left as it is: the source lists live in the cache's own apt folder.
# Usage: windows-deps.sh   (ZB_WINDOWS_CACHE=DIR, default ~/.cache/zorbanel/windows)
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
CACHE=${ZB_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zorbanel/windows}
H=x86_64-w64-mingw32
PACKAGES=(libsdl2 libogg libvorbis opus flac mpg123 lame libsndfile libjpeg-turbo libpng1.6 freetype
          googletest nlohmann-json3 libstb tinygltf tinyobjloader)
JOBS=${JOBS:-$(nproc)}
say() { echo "windows-deps: $*" >&2; }
# Minutes and seconds since the script started, for the progress lines of the long build.
elapsed() { printf '%d:%02d' $((SECONDS / 60)) $((SECONDS % 60)); }
step=0
# A line as each piece starts, so a cold build (many minutes) never sits silent for long.
starting() { step=$((step + 1)); say "[$(elapsed)] $1: building ($step of ${#PACKAGES[@]})"; }
finished() { say "[$(elapsed)] $1: built in $((SECONDS - $2)) s"; }

# Private apt lists for the archive the machine already uses.
APT=$CACHE/apt
mkdir -p "$APT/lists/partial"
uri=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
[ -n "$uri" ] || uri=$(awk '/^deb / {print $2; exit}' /etc/apt/sources.list 2>/dev/null || true)
[ -n "$uri" ] || uri=http://deb.debian.org/debian
cat > "$APT/src.sources" <<SOURCES
Types: deb-src
URIs: $uri
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
A=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$APT" -o "Dir::State::Lists=$APT/lists"
   -o Dir::Etc::Preferences=/dev/null -o Dir::Etc::PreferencesParts=/dev/null -o APT::Sandbox::User=root)
if ! apt-get "${A[@]}" -qq update 2>"$APT/update.log"; then
  # Offline: a cache built before still serves.
  [ -L "$CACHE/current" ] && [ -f "$CACHE/current/.complete" ] || { cat "$APT/update.log" >&2; exit 1; }
  say "no archive reachable; using the cache built before"
  readlink -f "$CACHE/current"; exit 0
fi

# The key: every source version, and this script.
versions=""
for p in "${PACKAGES[@]}"; do
  v=$(apt-cache "${A[@]}" showsrc "$p" | awk '/^Version:/ {print $2}' | sort -V | tail -1)
  [ -n "$v" ] || { say "no source package $p in $uri"; exit 1; }
  versions+="$p=$v "
done
key=$( (echo "$versions"; cat "$0" "$HERE/../cmake/mingw-w64.cmake") | sha256sum | cut -c1-16)
OUT=$CACHE/$key
P=$OUT/prefix
# One build at a time: a second run waits for the first and then uses what it built.
exec 9>"$CACHE/$key.lock"
flock 9
if [ -f "$OUT/.complete" ]; then ln -sfn "$OUT" "$CACHE/current"; echo "$P"; exit 0; fi

say "building ${versions% } for Windows into $OUT (once; about 20 minutes on 2 busy cores)"
rm -rf "$OUT"; mkdir -p "$OUT/src" "$P"
S=$OUT/src
say "[$(elapsed)] fetching and unpacking the source packages"
# The sources are unpacked without checking signatures, so an upstream signature (.asc) that a
# source package names but the archive lacks (mpg123's on some mirrors) is passed over; any
# other failure stops the build.
fetched() {
  apt-get "${A[@]}" -qq source --download-only "${PACKAGES[@]}" >/dev/null 2>"$OUT/fetch.log" ||
    [ -z "$(grep '^E:' "$OUT/fetch.log" | grep -v -e '\.asc  *404' -e 'Failed to fetch some archives')" ]
}
(cd "$S" && fetched && for d in *.dsc; do dpkg-source --no-check -x "$d" >/dev/null; done) \
  || { cat "$OUT/fetch.log" >&2; exit 1; }
say "[$(elapsed)] sources ready"
src() { find "$S" -maxdepth 1 -mindepth 1 -type d -name "$1-*" | head -1; }

export ZB_WINDOWS_PREFIX=$P
TC=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$HERE/../cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX="$P" -DCMAKE_PREFIX_PATH="$P")
cmake_build() { local name=$1 dir; dir=$(src "$1"); shift
  local t0=$SECONDS log="$OUT/$name.log"
  starting "$name"
  { cmake -S "$dir" -B "$dir/build-win" "${TC[@]}" "$@" && cmake --build "$dir/build-win" -j "$JOBS" \
      && cmake --install "$dir/build-win"; } > "$log" 2>&1 || { tail -30 "$log" >&2; say "$name failed (log: $log)"; exit 1; }
  finished "$name" "$t0"; }
auto_build() { local name=$1 dir; dir=$(src "$1"); shift
  local t0=$SECONDS log="$OUT/$name.log"
  starting "$name"
  (cd "$dir" && CC=$H-gcc-posix PKG_CONFIG_LIBDIR=$P/lib/pkgconfig ./configure --host=$H --prefix="$P" \
     --disable-static "$@" && make -j "$JOBS" && make install) > "$log" 2>&1 \
     || { tail -30 "$log" >&2; say "$name failed (log: $log)"; exit 1; }
  finished "$name" "$t0"; }
ZLIB=(-DZLIB_LIBRARY=/usr/$H/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/$H/include)

cmake_build libsdl2 -DSDL_SHARED=ON -DSDL_STATIC=OFF -DSDL_TEST=OFF
auto_build libogg
auto_build libvorbis --with-ogg="$P"
# Music in the other formats (Ogg Opus, FLAC, MP3, WAV) comes through libsndfile, which wants an
# MP3 encoder beside the decoder before it takes either. Opus and FLAC would add the GNU C
# library's buffer checks (_FORTIFY_SOURCE), which mingw-w64 lacks; FLAC's Debian source is
# repacked without what its autotools files need, so it is built with CMake.
auto_build opus --disable-doc --disable-extra-programs CFLAGS="-O2 -D_FORTIFY_SOURCE=0"
cmake_build flac -DBUILD_SHARED_LIBS=ON -DBUILD_CXXLIBS=OFF -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF \
  -DBUILD_TESTING=OFF -DBUILD_DOCS=OFF -DINSTALL_MANPAGES=OFF -DWITH_FORTIFY_SOURCE=OFF \
  -DWITH_STACK_PROTECTOR=OFF
auto_build mpg123 --with-audio=dummy --enable-modules=no --enable-network=no
# LAME's export list names a function its sources dropped, which Windows' linker refuses.
sed -i '/lame_init_old/d' "$(src lame)/include/libmp3lame.sym"
auto_build lame --disable-frontend
cmake_build libsndfile -DBUILD_SHARED_LIBS=ON -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF \
  -DBUILD_TESTING=OFF -DENABLE_CPACK=OFF -DINSTALL_MANPAGES=OFF
cmake_build libjpeg-turbo -DENABLE_STATIC=OFF -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF -DWITH_SIMD=ON
# zlib goes into libpng and FreeType statically: one DLL fewer to carry.
cmake_build libpng1.6 -DPNG_SHARED=ON -DPNG_STATIC=OFF -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF "${ZLIB[@]}"
cmake_build freetype -DBUILD_SHARED_LIBS=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON \
  -DFT_DISABLE_BZIP2=ON -DFT_REQUIRE_PNG=ON -DFT_REQUIRE_ZLIB=ON "${ZLIB[@]}"
cmake_build googletest -DBUILD_GMOCK=ON -Dgtest_force_shared_crt=ON
# The scene importers' libraries go into the programs statically, with the same pkg-config names
# as on Debian. nlohmann-json is headers only; stb has its own Makefile.
cmake_build nlohmann-json3 -DJSON_BuildTests=OFF -DJSON_Install=ON
t0=$SECONDS
starting libstb
make -C "$(src libstb)" CC=$H-gcc-posix AR=$H-ar CFLAGS=-O2 PREFIX="$P" LIBDIR=lib -j "$JOBS" \
  libstb.a stb.pc install-static install-header > "$OUT/libstb.log" 2>&1 \
  || { tail -30 "$OUT/libstb.log" >&2; say "libstb failed (log: $OUT/libstb.log)"; exit 1; }
finished libstb "$t0"
cmake_build tinygltf -DTINYGLTF_BUILD_LOADER_EXAMPLE=OFF -DBUILD_TESTING=OFF
cmake_build tinyobjloader
# The licences of what the Windows package carries.
mkdir -p "$P/licenses"
for p in libsdl2 libogg libvorbis opus flac mpg123 lame libsndfile libjpeg-turbo libpng1.6 freetype \
         nlohmann-json3 libstb tinygltf tinyobjloader; do
  cp "$(src "$p")/debian/copyright" "$P/licenses/$p.txt"
done
cp /usr/share/doc/libz-mingw-w64-dev/copyright "$P/licenses/zlib.txt" 2>/dev/null || true
cp /usr/share/doc/mingw-w64-common/copyright "$P/licenses/mingw-w64-runtime.txt" 2>/dev/null || true
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$P/licenses/gcc-runtime.txt" 2>/dev/null || true
rm -rf "$S"/*/build-win
touch "$OUT/.complete"
say "[$(elapsed)] all libraries built"
ln -sfn "$OUT" "$CACHE/current"
echo "$P"
