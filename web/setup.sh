#!/usr/bin/env bash
# What the browser build needs beyond tools/setup.sh: Debian's Emscripten, Chromium for the
# browser tests, stb_image, the shader validator, and libmpg123 and KissFFT built with
# Emscripten from Debian's own source packages into build-web/libs/ (only when missing, or
# when Debian's version of a package has changed). Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    emscripten node-acorn   # the compiler, and the parser its final step runs under Node
    chromium                # the browser tests' browser
    libstb-dev              # stb_image, where DevIL cannot go
    glslang-tools           # every converted shader is checked as GLSL ES
    bzip2 xz-utils patch    # unpacking and patching the source packages
)

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "web setup: need root or sudo to install packages" >&2; exit 1; }
    as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

# apt-get source needs a deb-src entry; made from the machine's own deb entries.
updated=false
if ! grep -rqsE '^[[:space:]]*(Types:.*deb-src|deb-src[[:space:]])' \
        /etc/apt/sources.list /etc/apt/sources.list.d/; then
    echo "web setup: adding deb-src entries for Debian's source packages"
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed -E 's/^Types:[[:space:]]*deb[[:space:]]*$/Types: deb-src/' \
            /etc/apt/sources.list.d/debian.sources |
            "${as_root[@]}" tee /etc/apt/sources.list.d/nimra-deb-src.sources >/dev/null
    else
        grep -hE '^[[:space:]]*deb[[:space:]]' /etc/apt/sources.list |
            sed -E 's/^([[:space:]]*)deb[[:space:]]/\1deb-src /' |
            "${as_root[@]}" tee /etc/apt/sources.list.d/nimra-deb-src.list >/dev/null
    fi
    "${as_root[@]}" apt-get update -q
    updated=true
elif ! ls /var/lib/apt/lists/ 2>/dev/null | grep -q '_Sources'; then
    "${as_root[@]}" apt-get update -q
    updated=true
fi

if [ ${#missing[@]} -gt 0 ]; then
    echo "web setup: installing ${missing[*]}"
    $updated || "${as_root[@]}" apt-get update -q
    "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

web/build-libs.sh

# The browser tests' own packages (puppeteer-core, driving Debian's Chromium), as their lock
# file pins them: installed when missing or installed from another lock file.
if [ -x tests/web/setup.sh ]; then
    tests/web/setup.sh
fi
