#!/usr/bin/env bash
# What the show leaves out because a later layer covers it or it would change nothing (the
# backdrop under the break and under the closing composite, the backdrop behind the box's
# and the scenes' opaque surfaces, the top overlay's clear middle and margins, the slide
# cards' clear margins, the sculpture's post pass away from the metaball field and its
# screen copy where no pass reads it, the metaball layer's drawing where nothing reads it,
# its blur outside the sphere scene and beyond the light of the blobs' box, its clears
# beyond that box and where the layers after it paint over every pixel) must change
# nothing on screen: frames across the show come out the same, pixel for pixel, when the
# capture tool has it all drawn anyway (--draw-hidden).
set -uo pipefail
build=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
fail() { echo "FAIL: $*"; exit 1; }
[ -f "$source_dir/data/introback.png" ] || fail "bake the assets first (bake_assets target)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Among them every boundary where a reader of the metaball layer or its blur starts or
# stops (the sculpture's post pass at 67589 ms, its window's end at 86210 ms, the sphere
# scene from 146828 to 184081 ms), on both sides.
moments=(3600 12500 20000 30312 32500 40000 48939 60000 67588 67589 72000 76905 80000 86210
    86211 92500 100000 110000 123505 124000 126500 128172 128175 135000 146827 146828 150000
    165374 175000 184081 184500 193384 200000 206500)
args=(--fps 30)
for t in "${moments[@]}"; do
    # The sculpture's post pass is drawn only over the metaball field, which a jump in the
    # clock blows off the screen for a few seconds: those moments are reached the long way.
    lead=100
    [ "$t" -gt 67588 ] && [ "$t" -lt 86217 ] && lead=4500
    args+=(--visit "$((t - lead))-$t" --at "$t")
done
for run in skipped drawn; do
    extra=()
    [ $run = drawn ] && extra=(--draw-hidden)
    "$source_dir/tests/with-xvfb.sh" "$build/capture" --data "$source_dir/data" --out "$work/$run" \
        "${args[@]}" "${extra[@]}" >"$work/$run.log" 2>&1 || { cat "$work/$run.log"; fail "capture ($run)"; }
done
for t in "${moments[@]}"; do
    n=$(ffmpeg -v error -i "$work/skipped/at_$t.png" -i "$work/drawn/at_$t.png" \
        -filter_complex "[0][1]blend=all_mode=difference,format=gray" -f rawvideo -pix_fmt gray - |
        od -An -v -tu1 -w1 | awk '$1 > 0 { n++ } END { print n + 0 }')
    [ "$n" -eq 0 ] || fail "$t ms: $n pixels differ when the hidden work is drawn"
done

# The backdrop goes behind the opaque scenes, and is left out under the break and the
# composite, whatever alpha their shaders write: with every one of them writing half alpha
# the frames are still the same with and without the hidden work.
half=$work/half-alpha
mkdir -p "$half"
ln -s "$source_dir/data"/* "$half"/
for shader in box.frag tunnel.frag fitti.frag speaker.frag webdings.frag overlay.frag overlayNight.frag \
    lolvarlay.frag lolvarlayHarbour.frag; do
    rm "$half/$shader"
    sed -E 's/^(.*gl_FragColor = vec4\(.*), 1\.0\);/\1, 0.5);/' "$source_dir/data/$shader" >"$half/$shader"
    grep -q ', 0.5);' "$half/$shader" || fail "$shader: no opaque alpha to halve"
done
opaque=(20000 40000 60000 95000 110000 125500 135000 190000)
args=(--fps 30)
for t in "${opaque[@]}"; do args+=(--visit "$((t - 100))-$t" --at "$t"); done
for run in half-skipped half-drawn; do
    extra=()
    [ $run = half-drawn ] && extra=(--draw-hidden)
    "$source_dir/tests/with-xvfb.sh" "$build/capture" --data "$half" --out "$work/$run" \
        "${args[@]}" "${extra[@]}" >"$work/$run.log" 2>&1 || { cat "$work/$run.log"; fail "capture ($run)"; }
done
for t in "${opaque[@]}"; do
    cmp -s "$work/half-skipped/at_$t.png" "$work/half-drawn/at_$t.png" ||
        fail "$t ms: with half-alpha shaders the frame changes when the hidden work is drawn"
done

# A visit is the same show whether or not its start was visited: the capture tool always
# draws the show's first frame at 0, so the clock reaches each visit at the visit's time.
# (The tunnel at 35 s, not the box of the show's first seconds.)
for run in alone withstart; do
    extra=()
    [ $run = withstart ] && extra=(--visit 0-0)
    "$source_dir/tests/with-xvfb.sh" "$build/capture" --data "$source_dir/data" --out "$work/$run" \
        "${extra[@]}" --visit 35000-35000 --at 35000 >"$work/$run.log" 2>&1 ||
        { cat "$work/$run.log"; fail "capture ($run)"; }
done
cmp -s "$work/alone/at_35000.png" "$work/withstart/at_35000.png" ||
    fail "a visit to 35000 ms draws another moment unless the show's start is visited too"
echo "PASS: ${#moments[@]} frames the same with and without the hidden work, ${#opaque[@]} with half-alpha shaders; visits keep their time"
