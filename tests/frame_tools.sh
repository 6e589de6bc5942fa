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

# The largest gray level in a rectangle of a picture: region FILE W H X Y.
region_max() {
    ffmpeg -v error -i "$1" -vf "crop=$2:$3:$4:$5,format=gray" -frames:v 1 -f rawvideo - |
        od -An -v -tu1 -w1 | awk '$1 > m { m = $1 } END { print m + 0 }'
}
# How many pixels of a rectangle are above a gray level: region_lit FILE W H X Y LEVEL.
region_lit() {
    ffmpeg -v error -i "$1" -vf "crop=$2:$3:$4:$5,format=gray" -frames:v 1 -f rawvideo - |
        od -An -v -tu1 -w1 | awk -v T="$6" '$1 > T { n++ } END { print n + 0 }'
}
# The mean PSNR in dB of picture $1 (first through the ffmpeg filter $3, if given) against
# picture $2 of the size it then has.
psnr() {
    ffmpeg -v error -nostats -i "$1" -i "$2" \
        -filter_complex "[0]${3:-null}[a];[a][1]psnr=stats_file=$work/psnr.log" -f null - &&
        awk '{ for (i = 1; i <= NF; i++) if ($i ~ /^psnr_avg:/) { sub(/psnr_avg:/, "", $i); print $i } }' \
            "$work/psnr.log" | head -1
}
# "lag correlation": where mono 16-bit raw samples in file $2 best match those in $1, which
# holds $3 more samples on either side: the lag in samples (positive when $2's sound comes
# later than $1's middle) and the normalised correlation there.
lag() {
    { od -An -v -td2 -w2 "$1" | sed 's/^/r /'; od -An -v -td2 -w2 "$2" | sed 's/^/t /'; } |
        awk -v L="$3" '
            $1 == "r" { r[nr++] = $2; next }
            { t[nt++] = $2; tt += $2 * $2 }
            END {
                best = -2
                for (d = 0; d <= 2 * L; d++) {
                    s = 0; rr = 0
                    for (i = 0; i < nt; i++) { x = r[i + d]; s += t[i] * x; rr += x * x }
                    c = rr > 0 && tt > 0 ? s / sqrt(rr * tt) : 0
                    if (c > best) { best = c; at = L - d }
                }
                printf "%d %.4f\n", at, best
            }'
}
