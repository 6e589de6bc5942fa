#!/usr/bin/env bash
# The capture tool on the baked show: chosen frames show what they must. The backdrop
# pictures and the frame overlay are swapped for black and clear ones, so that what moves
# on screen is only the layer under test.
set -uo pipefail
build=$1
source_dir=$2
source "$source_dir/tests/frame_tools.sh"
needs introback.png slide01.png i.png break1.png break2.png aBox.obj.bin

# A copy of the show's files with a black backdrop and a clear overlay, and without the
# tunnel, which fills the screen from the box's last frame on. $1: keep the box.
blanked() {
    local dir=$work/$2
    mkdir "$dir"
    ln -s "$data"/* "$dir"/
    rm "$dir/introback.png" "$dir/introback2.png" "$dir/sax_overlay.png"
    ffmpeg -v error -f lavfi -i color=black:size=1024x512 -frames:v 1 "$dir/introback.png"
    cp "$dir/introback.png" "$dir/introback2.png"
    clear_png "$dir/sax_overlay.png"
    rm "$dir/tunnel.obj.bin"
    [ "$1" = box ] || rm "$dir/aBox.obj.bin"
}

run() {
    local dir=$1
    shift
    "$source_dir/tests/with-xvfb.sh" "$capture" --data "$work/$dir" --out "$work/$dir-frames" \
        "$@" >"$work/$dir.log" 2>&1 && return 0
    cat "$work/$dir.log"
    fail "capture $*"
}

# The word cards and slide card 1, without the box.
blanked nobox cards
run cards --fps 10 --at 2000 --at 2855 --at 2856 --at 3000 --at 14000 --at 17500
f=$work/cards-frames
measure frame "$f/at_2000.png"
[ "$n" -lt 20 ] || fail "2000 ms: $n lit pixels before the first word card"
measure frame "$f/at_2855.png"
[ "$n" -lt 20 ] || fail "2855 ms: $n lit pixels before the first word card"
measure frame "$f/at_2856.png"
[ "$n" -ge 100 ] && near "$x" 400 80 && near "$y" 300 80 || fail "2856 ms: card 1 not centred ($n at $x,$y)"
measure frame "$f/at_3000.png"
[ "$n" -ge 500 ] && near "$x" 400 80 && near "$y" 300 80 || fail "3000 ms: card 2 not centred ($n at $x,$y)"
measure frame "$f/at_14000.png"
[ "$n" -ge 500 ] && near "$x" 400 60 && near "$y" 300 80 || fail "14000 ms: slide card 1 not centred ($n at $x,$y)"
measure frame "$f/at_17500.png"
[ "$n" -eq 0 ] || [ "$x" -ge 650 ] || fail "17500 ms: slide card 1 not off to the right ($n at $x,$y)"

# The box leaves after 30312 ms; the break changes its picture after 125876 ms. At 30312
# the tunnel's render runs first and the box is drawn under the tunnel's camera, which
# sits inside it, so that frame is only checked for the box being there at all.
blanked box show
run show --fps 5 --at 30310 --at 30311 --at 30312 --at 30313 --at 125875 --at 125876 --at 125877
f=$work/show-frames
measure frame "$f/at_30311.png"
[ "$n" -ge 2000 ] && near "$x" 495 110 && near "$y" 300 110 || fail "no box at 30311 ms ($n at $x,$y)"
showing=$n
measure change "$f/at_30310.png" "$f/at_30311.png"
[ "$n" -lt $((showing / 10)) ] || fail "box not steady before 30312 ms ($n changed, $showing shown)"
measure frame "$f/at_30312.png"
[ "$n" -ge 2000 ] || fail "no box at 30312 ms ($n lit pixels)"
measure frame "$f/at_30313.png"
[ "$n" -lt 20 ] || fail "box not gone at 30313 ms ($n lit pixels)"
measure change "$f/at_125876.png" "$f/at_125877.png"
[ "$n" -ge 100000 ] || fail "break picture unchanged at 125877 ms ($n pixels changed)"
switching=$n
measure change "$f/at_125875.png" "$f/at_125876.png"
[ "$n" -lt $((switching / 10)) ] || fail "break picture not steady before 125877 ms ($n changed)"
echo "PASS"
