#!/usr/bin/env bash
# The capture tool on the sculpture scene and the closing composite: the sculpture is on
# screen whichever camera films it, its post pass changes the picture from 67589 ms on and
# not before, and from 184081 ms the composite covers everything under it. The backdrop
# pictures, the frame overlay and the credit cards are swapped for black and clear ones,
# so that what shows is only what is under test. A low frame rate reaches late moments
# quickly; the checks hold at any rate.
set -uo pipefail
build=$1
source_dir=$2
source "$source_dir/tests/frame_tools.sh"
needs introback.png introback2.png sax_overlay.png slide01.png abstra.obj.bin prog.frag

# A picture of one colour: $1 colour, $2 size, $3 file.
solid() { ffmpeg -v error -f lavfi -i "color=$1:size=$2,format=rgba" -frames:v 1 "$3"; }

# A copy of the show's files with a black backdrop, a clear overlay and clear cards.
# $1 name; $2 the night picture's colour; $3 "copy" for a post pass that only gives the
# frame back.
blanked() {
    local dir=$work/$1
    mkdir "$dir"
    ln -s "$data"/* "$dir"/
    rm "$dir"/introback.png "$dir"/introback2.png "$dir"/sax_overlay.png "$dir"/slide*.png
    solid black 1024x512 "$dir/introback.png"
    solid "$2" 1024x512 "$dir/introback2.png"
    solid black@0.0 64x64 "$dir/sax_overlay.png"
    for card in "$data"/slide*.png; do cp "$dir/sax_overlay.png" "$dir/$(basename "$card")"; done
    if [ "$3" = copy ]; then
        rm "$dir/prog.frag"
        cat >"$dir/prog.frag" <<'GLSL'
#version 120
uniform sampler2D tex;
uniform sampler2D tex2;
varying vec2 uv;
void main() { gl_FragColor = vec4(texture2D(tex2, uv).rgb, 1.0); }
GLSL
    fi
}


run() {
    local dir=$1
    shift
    "$source_dir/tests/with-xvfb.sh" "$capture" --data "$work/$dir" --out "$work/$dir-frames" \
        --fps 2 "$@" >"$work/$dir.log" 2>&1 && return 0
    grep -v "^changing cam:" "$work/$dir.log"
    fail "capture $*"
}

# Three copies that differ in one thing each: the post pass (real, or one that gives the
# frame back untouched) and the night picture under the backdrop (black or white). Every
# extra frame asked for is one more step of the show, so the runs compared take the same
# moments (the post pass's run stops once its part is over).
blanked plain black copy
blanked post black real
blanked white white copy
early=()
for t in 51000 55000 60000 65000 67588 67589 70000 72000 75000 80000 85000 86000; do
    early+=(--at "$t")
done
late=(--at 165000 --at 184081 --at 190000 --at 206000)
run plain "${early[@]}" "${late[@]}"
run post "${early[@]}"
run white "${early[@]}" "${late[@]}"

# The sculpture on a black screen, two moments in each camera's window: 0 up to 58276 ms,
# 2 up to 67588, 3 up to 76913 and 1 to the end.
for t in 51000 55000 60000 65000 70000 75000 80000 85000; do
    measure frame "$work/plain-frames/at_$t.png"
    [ "$n" -ge 1500 ] || fail "$t ms: the sculpture is not on screen ($n lit pixels)"
done

# The post pass: nothing of it before 67589 ms, the field folded in from then on.
p=$work/plain-frames
q=$work/post-frames
measure change "$p/at_67588.png" "$q/at_67588.png"
[ "$n" -eq 0 ] || fail "67588 ms: the post pass already changes $n pixels"
for t in 67589 72000 80000 86000; do
    measure change "$p/at_$t.png" "$q/at_$t.png"
    [ "$n" -ge 2000 ] || fail "$t ms: the post pass changes only $n pixels"
done

# The composite: before it (and before the sphere scene draws it under its spheres from
# 165374 ms) the backdrop's night picture shows, and from 184081 nothing of it is left.
w=$work/white-frames
measure change "$p/at_165000.png" "$w/at_165000.png"
[ "$n" -ge 100000 ] || fail "165000 ms: the backdrop under test does not show ($n pixels differ)"
for t in 184081 190000 206000; do
    measure change "$p/at_$t.png" "$w/at_$t.png" 2
    [ "$n" -eq 0 ] || fail "$t ms: $n pixels of the backdrop show through the composite"
done
echo "PASS"
