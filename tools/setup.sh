#!/usr/bin/env bash
# Installs every Debian package nimra needs to build, bake its assets, run and test.
# Safe to run again: packages already present are skipped, and nothing is fetched
# when everything is there. Needs root (or sudo) only when something is missing.
set -euo pipefail

packages=(
    # toolchain
    build-essential cmake pkg-config clang libclang-rt-14-dev
    # engine: window, GL, images, audio
    libsdl1.2-dev libgl-dev libglu1-mesa-dev libglew-dev libdevil-dev libstb-dev
    libmpg123-dev libkissfft-dev libasound2-dev
    # asset baker: synth + soundfont, MP3 encoder, type, PNG
    libfluidsynth-dev musescore-general-soundfont-small libmp3lame-dev
    libfreetype-dev fonts-league-spartan fonts-inter fonts-dejavu-core libpng-dev
    # tests, capture and video export
    libgtest-dev xvfb xauth xdotool libx11-dev libxfixes-dev libgl1-mesa-dri ffmpeg sox
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "setup: all ${#packages[@]} packages present"
    exit 0
fi

echo "setup: installing ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "setup: need root or sudo to install packages" >&2; exit 1; }
    as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
