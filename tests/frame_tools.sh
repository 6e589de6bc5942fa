# Shared by the end-to-end tests that judge captured frames; sourced with build and
# source_dir set. Gives fail, the baked data folder, a scratch folder removed on exit, and
# the measures of a frame.
capture=$build/capture
fail() { echo "FAIL: $*"; exit 1; }

data=$(cd "$source_dir/data" && pwd)
# needs FILE...: the baked files the test relies on.
needs() {
    local file
    for file in "$@"; do
        [ -f "$data/$file" ] || fail "$data/$file missing: bake the assets first (bake_assets target)"
    done
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A fully transparent picture at $1, to put in place of one the show loads.
clear_png() {
    ffmpeg -v error -y -f lavfi -i color=black@0.0:size=64x64,format=rgba -frames:v 1 "$1"
}

# "count x y": how many pixels of a gray image on stdin are above $1, and their centroid.
lit() {
    od -An -v -tu1 -w1 | awk -v T="$1" -v W=800 '
        $1 > T { n++; x += (NR - 1) % W; y += int((NR - 1) / W) }
        END { if (n) printf "%d %d %d\n", n, x / n, y / n; else print "0 -1 -1" }'
}
# The lit pixels of one frame; and the pixels that differ between two (threshold 20).
frame() { ffmpeg -v error -i "$1" -f rawvideo -pix_fmt gray - | lit "${2:-20}"; }
change() {
    ffmpeg -v error -i "$1" -i "$2" -filter_complex "[0][1]blend=all_mode=difference,format=gray" \
        -f rawvideo -pix_fmt gray - | lit "${3:-20}"
}
# Runs a measure into n, x and y and shows it, for the log.
frame_name() { echo "$(basename "$(dirname "$1")" -frames)/$(basename "$1" .png)"; }
measure() {
    read -r n x y < <("$@")
    echo "$(frame_name "$2") ${3:+vs $(frame_name "$3") }: $n pixels about ($x, $y)"
}
near() { [ "$1" -ge $(($2 - $3)) ] && [ "$1" -le $(($2 + $3)) ]; }
