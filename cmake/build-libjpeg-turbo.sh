#!/usr/bin/env bash
# Fetches libjpeg-turbo's Debian source package and builds it as a static
# MinGW-w64 library with its SIMD code, for the Windows configuration:
#   cmake/build-libjpeg-turbo.sh [CACHE_DIR]     (default: build/third_party/libjpeg-turbo)
# Result: CACHE_DIR/mingw64/{lib/libjpeg.a,include/*.h}. A second run finds the
# result and does nothing; it builds again (without fetching) only when this
# script or the toolchain file changed.
#
# The source comes through apt with a private sources list made from the
# machine's own entries (deb-src in place of deb), private index and cache
# folders, and nothing else changed: the system's apt state stays as it was.
# apt checks the index against the archive's signed Release file and the
# downloaded files against the index; dpkg-source checks them against the .dsc.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cache=${1:-$root/build/third_party/libjpeg-turbo}
toolchain=$root/cmake/toolchain-mingw64.cmake
out=$cache/mingw64
key=$(cat "$0" "$toolchain" | sha256sum | cut -d' ' -f1)

log() { printf '[skyframe] %s\n' "$*" >&2; }

mkdir -p "$cache"
exec 9>"$cache/.lock"
flock 9
if [ -f "$out/.built" ] && [ "$(cat "$out/.built")" = "$key" ]; then
  exit 0
fi

# Runs a step with its output in a log that is shown only when the step fails.
quiet() {
  local name=$1; shift
  if ! "$@" >"$cache/$name.log" 2>&1; then
    cat "$cache/$name.log" >&2
    log "libjpeg-turbo: $name failed (log: $cache/$name.log)"
    return 1
  fi
}

# The machine's own sources, as source entries: one-line lists and deb822 files.
write_sources() {
  local dir=$1 list parts f
  eval "$(apt-config shell list Dir::Etc::sourcelist/f parts Dir::Etc::sourceparts/d)"
  mkdir -p "$dir/sources.list.d"
  : >"$dir/sources.list"
  for f in "$list" "$parts"*.list; do
    [ -f "$f" ] || continue
    sed -n 's/^\([[:space:]]*\)deb\([[:space:]]\)/\1deb-src\2/p' "$f" >>"$dir/sources.list"
  done
  for f in "$parts"*.sources; do
    [ -f "$f" ] || continue
    # A stanza of binary packages gets "Types: deb-src"; every other field stays.
    awk 'tolower($1) == "types:" { for (i = 2; i <= NF; i++) if ($i == "deb") { print "Types: deb-src"; next } }
         { print }' "$f" >"$dir/sources.list.d/$(basename "$f")"
  done
}

fetch_source() {
  local apt=$cache/apt
  rm -rf "$apt" "$cache/src"
  mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$cache/src"
  write_sources "$apt"
  local opts=(-o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$apt/sources.list.d"
              -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache"
              -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache= -o Acquire::Languages=none
              -o APT::Sandbox::User=root)
  # A source without a deb-src side (a third-party archive) fails only its own
  # index; whether the package was found is up to the next step.
  quiet apt-update apt-get "${opts[@]}" update || true
  (cd "$cache/src" && quiet apt-source apt-get "${opts[@]}" source --download-only libjpeg-turbo)
  local dsc
  dsc=$(ls "$cache/src"/libjpeg-turbo_*.dsc)
  (cd "$cache/src" && quiet dpkg-source dpkg-source -x "$dsc" tree)
}

[ -f "$cache/src/tree/CMakeLists.txt" ] || { log "fetching libjpeg-turbo's source package"; fetch_source; }

log "building libjpeg-turbo for MinGW-w64"
work=$cache/build-mingw64
rm -rf "$work" "$out"
quiet configure cmake -S "$cache/src/tree" -B "$work" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$work/unused" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
  -DWITH_SIMD=ON -DREQUIRE_SIMD=ON -DCMAKE_ASM_NASM_COMPILER=nasm
quiet build cmake --build "$work" --target jpeg-static -j 2
mkdir -p "$out/lib" "$out/include"
cp "$work/libjpeg.a" "$out/lib/"
cp "$cache/src/tree/jpeglib.h" "$cache/src/tree/jerror.h" "$cache/src/tree/jmorecfg.h" "$work/jconfig.h" "$out/include/"
echo "$key" >"$out/.built"
