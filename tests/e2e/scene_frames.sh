#!/usr/bin/env bash
# The capture tool on the tunnel, loudspeaker and creature scenes: each scene's subject is
# on screen through its window, the smoke rises only after 104878 ms, and the blob
# fountain still shows over the creatures. The backdrop, the frame overlay and the credit
# cards are blanked, and each subject is found as the difference from a run without it.
set -uo pipefail
build=$1
source_dir=$2
source "$source_dir/tests/frame_tools.sh"
needs introback.png tunnel.obj.bin speakers2.obj.bin dingo.obj.bin SMOKEPUFF.PNG grad.png

# A copy of the show's files with a black backdrop and nothing over the scenes; the files
# named after the directory are left out (a mesh, which then draws nothing) or cleared (a
# picture).
blanked() {
    local dir=$work/$1
    shift
    mkdir "$dir"
    ln -s "$data"/* "$dir"/
    rm "$dir/introback.png" "$dir/introback2.png" "$dir"/slide*.png "$dir/sax_overlay.png"
    ffmpeg -v error -f lavfi -i color=black:size=1024x512 -frames:v 1 "$dir/introback.png"
    cp "$dir/introback.png" "$dir/introback2.png"
    clear_png "$dir/sax_overlay.png"
    for file in "$data"/slide*.png; do cp "$dir/sax_overlay.png" "$dir/$(basename "$file")"; done
    local file
    for file in "$@"; do
        rm "$dir/$file"
        case $file in *.png | *.PNG) clear_png "$dir/$file" ;; esac
    done
}


tunnel="31000 39500 48000"
speakers="88000 97000 104878 115000 122000"
smoke="106500 115000 122000"
creatures="129000 137000 145000"
moments=""
for t in $tunnel $speakers $smoke $creatures; do moments="$moments --at $t"; done

run() {
    local dir=$1
    # Five frames a second reach the late moments quickly; every frame still plays the
    # show from the start.
    "$source_dir/tests/with-xvfb.sh" "$capture" --data "$work/$dir" --out "$work/$dir-frames" \
        --fps 5 $moments >"$work/$dir.log" 2>&1 && return 0
    cat "$work/$dir.log"
    fail "capture of $dir"
}

# Three runs: the whole show; without smoke and fountain; and without the speakers and the
# creatures as well. Nothing else changes between them, so the rand() draws and cameras
# are the same in all three.
blanked show
blanked plain SMOKEPUFF.PNG grad.png
blanked bare SMOKEPUFF.PNG grad.png speakers2.obj.bin dingo.obj.bin
run show
run plain
run bare
show=$work/show-frames plain=$work/plain-frames bare=$work/bare-frames

# The tunnel fills the screen and keeps moving.
previous=""
for t in $tunnel; do
    measure frame "$show/at_$t.png"
    [ "$n" -ge 400000 ] || fail "$t ms: the tunnel fills only $n pixels"
    if [ -n "$previous" ]; then
        measure change "$show/at_$previous.png" "$show/at_$t.png"
        [ "$n" -ge 100000 ] || fail "$t ms: the tunnel has hardly moved since $previous ms ($n pixels)"
    fi
    previous=$t
done

# The loudspeakers stand round the middle of the picture, whichever camera films them.
for t in $speakers; do
    measure change "$plain/at_$t.png" "$bare/at_$t.png"
    [ "$n" -ge 1500 ] && near "$x" 400 250 && near "$y" 300 200 ||
        fail "$t ms: loudspeakers not in view ($n at $x,$y)"
done

# No smoke up to 104878 ms, and smoke rising after.
measure change "$show/at_104878.png" "$plain/at_104878.png" 8
[ "$n" -lt 20 ] || fail "104878 ms: smoke before its time ($n pixels)"
for t in $smoke; do
    measure change "$show/at_$t.png" "$plain/at_$t.png" 8
    [ "$n" -ge 500 ] || fail "$t ms: no smoke ($n pixels)"
done

# The creatures swim across the middle band, and the fountain glows over them: on the
# black backdrop its blending only lights what is already there.
for t in $creatures; do
    measure change "$plain/at_$t.png" "$bare/at_$t.png"
    [ "$n" -ge 1000 ] && near "$y" 300 150 || fail "$t ms: creatures not in view ($n at $x,$y)"
    measure change "$show/at_$t.png" "$plain/at_$t.png" 8
    [ "$n" -ge 200 ] || fail "$t ms: no fountain over the creatures ($n pixels)"
done
echo "PASS"
