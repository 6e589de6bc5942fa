#!/usr/bin/env bash
# The capture tool on the baked show from the sphere scene to the end: the spheres are on
# screen through both halves of their window, blended over the closing composite in the
# second half, and the sparks drift from 146828 ms to the end. The backdrop pictures and
# the frame overlay are swapped for black and clear ones, and each check compares the show
# with a copy that leaves one thing out, so what differs is only the layer under test.
# Every frame is the moment as the show reaches it at 60 frames a second: a lower rate would
# enter the sparks' window with one long step that throws them off screen.
set -uo pipefail
build=$1
source_dir=$2
source "$source_dir/tests/frame_tools.sh"
needs introback.png SMOKEPUFF.PNG grad2.png susphere.obj.bin hotplane.frag

# A copy of the show's files with a black backdrop and a clear frame overlay; each further
# argument leaves something out: "spheres" (a sphere mesh without vertices), "sparks" (a
# clear smoke puff), "field" (a clear metaball sprite: the composite is black) or "flat"
# (spheres of one half-transparent red).
variant() {
    local dir=$work/$1
    shift
    mkdir "$dir"
    ln -s "$data"/* "$dir"/
    rm "$dir/introback.png" "$dir/introback2.png" "$dir/sax_overlay.png"
    ffmpeg -v error -f lavfi -i color=black:size=1024x512 -frames:v 1 "$dir/introback.png"
    cp "$dir/introback.png" "$dir/introback2.png"
    clear_png "$dir/sax_overlay.png"
    for out in "$@"; do
        case $out in
            spheres) rm "$dir/susphere.obj.bin" && : >"$dir/susphere.obj.bin" ;;
            sparks) rm "$dir/SMOKEPUFF.PNG" && clear_png "$dir/SMOKEPUFF.PNG" ;;
            field) rm "$dir/grad2.png" && clear_png "$dir/grad2.png" ;;
            flat)
                rm "$dir/hotplane.frag"
                printf '#version 120\nvoid main() { gl_FragColor = vec4(1.0, 0.0, 0.0, 0.5); }\n' \
                    >"$dir/hotplane.frag"
                ;;
        esac
    done
}

run() {
    local dir=$1
    shift
    "$source_dir/tests/with-xvfb.sh" "$capture" --data "$work/$dir" --out "$work/$dir-frames" \
        "$@" >"$work/$dir.log" 2>&1 || { cat "$work/$dir.log"; fail "capture $dir $*"; }
    if grep -nE "^(file error:|OH SHIT|compile and link failed)|GL_FRAMEBUFFER|gl error:" \
        "$work/$dir.log"; then
        fail "$dir: the show complained"
    fi
}

# "opaque half": pixels of a frame that are the flat spheres' red drawn over black, as it
# is (255) or blended half and half (about 128).
reds() {
    ffmpeg -v error -i "$1" -f rawvideo -pix_fmt rgb24 - | od -An -v -tu1 -w3 | awk '
        $2 < 12 && $3 < 12 { if ($1 >= 245) full++; else if ($1 >= 112 && $1 <= 144) half++ }
        END { printf "%d %d\n", full, half }'
}

spheres=(146828 150000 156000 162000 165373 165374 170000 176000 181000)
sparks=(146828 150000 165000 175000 190000 200000 206500)
before=(130000 146500)
after=(184500 195000)
at=()
for t in "${spheres[@]}" "${sparks[@]}" "${before[@]}" "${after[@]}"; do at+=(--at "$t"); done

variant show
variant nospheres spheres
variant nosparks sparks
variant flat field sparks flat
run show "${at[@]}"
run nospheres "${at[@]}"
run nosparks "${at[@]}"
run flat --at 160000 --at 165373 --at 165374 --at 172000 --at 180000

frame() { echo "$work/$1-frames/at_$2.png"; }

# The spheres: a tumbling cluster around the middle of the screen through both halves of
# their window, and nothing of them outside it.
for t in "${spheres[@]}"; do
    read -r n x y < <(change "$(frame show "$t")" "$(frame nospheres "$t")")
    echo "spheres at $t ms: $n pixels about ($x, $y)"
    [ "$n" -ge 3000 ] && near "$x" 400 150 && near "$y" 300 150 ||
        fail "$t ms: no spheres around the middle ($n pixels at $x,$y)"
done
for t in "${before[@]}" "${after[@]}"; do
    read -r n x y < <(change "$(frame show "$t")" "$(frame nospheres "$t")")
    [ "$n" -eq 0 ] || fail "$t ms: the sphere scene drew outside its window ($n pixels)"
done

# The sparks: from their first frame to the end, left of the middle where they drift, and
# never before.
for t in "${sparks[@]}"; do
    read -r n x y < <(change "$(frame show "$t")" "$(frame nosparks "$t")")
    echo "sparks at $t ms: $n pixels about ($x, $y)"
    [ "$n" -ge 300 ] && [ "$x" -lt 400 ] || fail "$t ms: no sparks ($n pixels at $x,$y)"
done
for t in "${before[@]}"; do
    read -r n x y < <(change "$(frame show "$t")" "$(frame nosparks "$t")")
    [ "$n" -eq 0 ] || fail "$t ms: sparks before 146828 ms ($n pixels)"
done

# Blending: the spheres are opaque up to 165373 ms and blended over the composite after.
for t in 160000 165373; do
    read -r full half < <(reds "$(frame flat "$t")")
    echo "flat spheres at $t ms: $full opaque, $half blended"
    [ "$full" -ge 3000 ] && [ "$half" -lt $((full / 20)) ] || fail "$t ms: spheres not opaque"
done
for t in 165374 172000 180000; do
    read -r full half < <(reds "$(frame flat "$t")")
    echo "flat spheres at $t ms: $full opaque, $half blended"
    [ "$half" -ge 3000 ] && [ "$full" -lt $((half / 20)) ] || fail "$t ms: spheres not blended"
done
echo "PASS"
