#!/usr/bin/env bash
# libmpg123 and KissFFT for the browser, compiled with Emscripten from Debian's own source
# packages (the same code the native program links) into build-web/libs/: include/ and
# lib/*.a. Each library is built only when its archive is missing.
#
# apt-get source cannot unpack mpg123 itself (its upstream signature file is not on the
# mirror, so dpkg-source refuses), so every source package is unpacked by hand: each
# tarball's SHA-256 is checked against the package's .dsc, then Debian's patches are applied
# in the order of debian/patches/series.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
libs=$root/build-web/libs
sources=$root/build-web/sources
# Debian's emcc wants Debian's Python modules and Node's acorn; its configure-free use here
# never runs compiled code under Node.
export PATH=/usr/bin:$PATH NODE_PATH=/usr/share/nodejs
mkdir -p "$libs/include" "$libs/lib" "$sources"

# fetch PACKAGE: unpacks Debian's source package into $sources/PACKAGE and prints that path.
fetch() {
    local package=$1
    local work=$sources/$package
    rm -rf "$work" "$work.download"
    mkdir -p "$work.download"
    (cd "$work.download" && apt-get source --download-only -q "$package" >&2) ||
        echo "web libs: apt-get source $package reported a failure; checking what it fetched" >&2
    local dsc
    dsc=$(ls "$work.download"/*.dsc 2>/dev/null | head -n 1)
    [ -n "$dsc" ] || { echo "web libs: no source package for $package (is there a deb-src entry?)" >&2; exit 1; }
    # Every tarball the .dsc names must be there with its SHA-256; the signature is not needed.
    local tarballs=()
    while read -r sum size file; do
        case "$file" in *.asc) continue ;; esac
        [ -f "$work.download/$file" ] || { echo "web libs: $file was not fetched" >&2; exit 1; }
        echo "$sum  $work.download/$file" | sha256sum -c --quiet - >&2 ||
            { echo "web libs: $file does not match its SHA-256 in $(basename "$dsc")" >&2; exit 1; }
        tarballs+=("$work.download/$file")
    done < <(sed -n '/^Checksums-Sha256:/,/^[^ ]/{/^ /p}' "$dsc")
    local orig="" debian=""
    for t in "${tarballs[@]}"; do
        case "$t" in *.orig.tar.*) orig=$t ;; *.debian.tar.*) debian=$t ;; esac
    done
    [ -n "$orig" ] && [ -n "$debian" ] || { echo "web libs: $package is not a 3.0 (quilt) package" >&2; exit 1; }
    mkdir -p "$work"
    tar -xf "$orig" -C "$work" --strip-components=1
    tar -xf "$debian" -C "$work"
    if [ -f "$work/debian/patches/series" ]; then
        local patchfile level
        while read -r patchfile level; do
            case "$patchfile" in '' | '#'*) continue ;; esac
            patch -d "$work" -s -N ${level:--p1} < "$work/debian/patches/$patchfile" >&2
        done < "$work/debian/patches/series"
    fi
    basename "$dsc" .dsc > "$work/.version"
    rm -rf "$work.download"
    echo "$work"
}

build_kissfft() {
    [ -f "$libs/lib/libkissfft-float.a" ] && return 0
    echo "web libs: building KissFFT"
    local src obj
    src=$(fetch kissfft)
    obj=$root/build-web/obj/kissfft
    rm -rf "$obj" && mkdir -p "$obj"
    # As Debian builds it (kissfft-float.pc: float samples), at Debian's -O3.
    for f in kiss_fft kiss_fftr; do
        emcc -O3 -Dkiss_fft_scalar=float -c "$src/$f.c" -o "$obj/$f.o"
    done
    emar rcs "$obj/libkissfft-float.a" "$obj"/*.o
    cp "$src"/kiss_fft.h "$src"/kiss_fftr.h "$src"/kiss_fft_log.h "$libs/include/"
    cp "$src/.version" "$libs/kissfft.version"
    mv "$obj/libkissfft-float.a" "$libs/lib/"
}

build_mpg123() {
    [ -f "$libs/lib/libmpg123.a" ] && return 0
    echo "web libs: building libmpg123"
    local src obj
    src=$(fetch mpg123)
    obj=$root/build-web/obj/mpg123
    rm -rf "$obj" && mkdir -p "$obj/include"
    # Only the library, with its portable C decoder and no configure run (its checks would
    # each start the compiler and take minutes): config.h is ours, written for Emscripten's
    # C library; mpg123.h is made from its template the way configure makes it.
    cp "$root/web/mpg123-config.h" "$obj/include/config.h"
    local api version
    api=$(sed -n 's/^API_VERSION=//p' "$src/configure.ac" | head -n1)
    version=$(sed -n 's/^AC_INIT(\[mpg123\], \[\([^]]*\)\].*/\1/p' "$src/configure.ac" | head -n1)
    sed -e 's/@API_VERSION@/'"$api"'/' -e 's/@PACKAGE_VERSION@/'"$version"'/' \
        -e 's/@INCLUDE_STDLIB_H@/#include <stdlib.h>/' \
        -e 's/@INCLUDE_SYS_TYPE_H@/#include <sys\/types.h>/' \
        -e 's/@BUILD_NO_LARGENAME@/0/' \
        "$src/src/libmpg123/mpg123.h.in" > "$obj/include/mpg123.h"
    if grep -q '@[A-Z_0-9]*@' "$obj/include/mpg123.h"; then
        echo "web libs: mpg123.h.in has placeholders this script does not fill:" >&2
        grep -o '@[A-Z_0-9]*@' "$obj/include/mpg123.h" | sort -u >&2
        exit 1
    fi
    # The library's sources as configure picks them for the generic decoder.
    local files=(parse frame format dct64 id3 optimize readers tabinit libmpg123 index
                 layer1 layer2 layer3 equalizer synth_8bit synth synth_s32 synth_real
                 lfs_alias icy icy2utf8 feature ntom stringbuf)
    local pids=() f
    for f in "${files[@]}" compat compat_str; do
        local c=$src/src/libmpg123/$f.c
        case "$f" in compat*) c=$src/src/compat/$f.c ;; esac
        emcc -O2 -DHAVE_CONFIG_H -DOPT_GENERIC -DREAL_IS_FLOAT -I"$obj/include" \
            -I"$src/src" -I"$src/src/compat" -I"$src/src/libmpg123" -w \
            -c "$c" -o "$obj/$f.o" &
        pids+=($!)
        if [ ${#pids[@]} -ge 2 ]; then wait "${pids[0]}"; pids=("${pids[@]:1}"); fi
    done
    for p in "${pids[@]}"; do wait "$p"; done
    emar rcs "$obj/libmpg123.a" "$obj"/*.o
    cp "$obj/include/mpg123.h" "$src/src/libmpg123/fmt123.h" "$libs/include/"
    cp "$src/.version" "$libs/mpg123.version"
    mv "$obj/libmpg123.a" "$libs/lib/"
}

build_kissfft
build_mpg123
# stb_image is header-only: Debian's copy, where the browser build's includes find it (its
# compiler sees none of the system's headers).
mkdir -p "$libs/include/stb"
cp -u /usr/include/stb/stb_image.h "$libs/include/stb/"
echo "web libs: $(cat "$libs/mpg123.version") and $(cat "$libs/kissfft.version") in build-web/libs"
