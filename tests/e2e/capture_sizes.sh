#!/usr/bin/env bash
# Single frames at any size, each reached by frames that are played but not drawn: the
# demo's own 800 x 600 stays the window's picture byte for byte; any other size draws the
# same picture offscreen, 4:3 in the middle between black bars (the odd row to the top);
# 1080p is the same picture at its own resolution; --ssaa draws it larger and filters it
# down.
set -uo pipefail
build=$1
source_dir=$2
source "$source_dir/tests/frame_tools.sh"
needs introback.png tunnel.obj.bin

moments=(31000 100000)
shots() {
    local name=$1
    shift
    local args=() t
    for t in "${moments[@]}"; do args+=(--at "$t"); done
    "$source_dir/tests/with-xvfb.sh" "$capture" --data "$data" --out "$work/$name" "$@" "${args[@]}" \
        >"$work/$name.log" 2>&1 || { cat "$work/$name.log"; fail "capture $*"; }
}
size_of() { ffprobe -v error -show_entries stream=width,height -of csv=p=0:s=x "$1"; }
pixels() { ffmpeg -v error -i "$1" ${2:+-vf "$2"} -f rawvideo -pix_fmt rgb24 - | md5sum; }
# differing A B FILTER LEVEL: pixels of A (through FILTER) that differ from B by more than LEVEL.
differing() {
    ffmpeg -v error -i "$1" -i "$2" \
        -filter_complex "[0]$3[a];[a][1]blend=all_mode=difference,format=gray" -f rawvideo - |
        od -An -v -tu1 -w1 | awk -v T="$4" '$1 > T { n++ } END { print n + 0 }'
}

shots window
shots asked --size 800x600
shots wide --size 1000x600
shots tall --size 800x603
shots hd --size 1080p
shots smooth --size 1000x600 --ssaa 2
shots double --size 2000x1200

for t in "${moments[@]}"; do
    w=$work/window/at_$t.png
    cmp -s "$w" "$work/asked/at_$t.png" || fail "$t ms: --size 800x600 is not the demo's own frame"

    # Offscreen at the window's size: bars of exactly nothing, and the window's picture in
    # between. On llvmpipe the offscreen target comes out a few hundred pixels apart from
    # the window (colours a level or two off, and some coplanar faces of the distant
    # loudspeakers the other way round); a picture a pixel out of place would differ at
    # every edge.
    f=$work/wide/at_$t.png
    [ "$(size_of "$f")" = 1000x600 ] || fail "$t ms: 1000x600 frame is $(size_of "$f")"
    for x in 0 900; do
        [ "$(region_max "$f" 100 600 $x 0)" = 0 ] || fail "$t ms: 1000x600 bar at x $x not black"
    done
    n=$(differing "$f" "$w" crop=800:600:100:0 0)
    echo "$t ms: 1000x600 picture: $n pixels off the window's"
    [ "$n" -lt 2400 ] || fail "$t ms: $n pixels of the 1000x600 picture differ from the window's"
    f=$work/tall/at_$t.png
    [ "$(size_of "$f")" = 800x603 ] || fail "$t ms: 800x603 frame is $(size_of "$f")"
    [ "$(region_max "$f" 800 2 0 0)" = 0 ] && [ "$(region_max "$f" 800 1 0 602)" = 0 ] ||
        fail "$t ms: 800x603 bars not two black rows above and one below"
    [ "$(pixels "$f" crop=800:600:0:2)" = "$(pixels "$work/wide/at_$t.png" crop=800:600:100:0)" ] ||
        fail "$t ms: the 800x603 and 1000x600 pictures differ"

    # 1080p: 1440 x 1080 between 240-column bars, the window's picture at a finer grain.
    f=$work/hd/at_$t.png
    [ "$(size_of "$f")" = 1920x1080 ] || fail "$t ms: 1080p frame is $(size_of "$f")"
    for x in 0 1680; do
        [ "$(region_max "$f" 240 1080 $x 0)" = 0 ] || fail "$t ms: 1080p bar at x $x not black"
    done
    p=$(psnr "$f" "$w" crop=1440:1080:240:0,scale=800:600:flags=area)
    echo "$t ms: 1080p picture against the window's: $p dB"
    awk -v p="$p" 'BEGIN { exit !(p >= 30) }' || fail "$t ms: the 1080p picture is not the window's ($p dB)"

    # Supersampled: not the plain picture, and far closer to the picture drawn at twice the
    # size and filtered down than the plain one is.
    f=$work/smooth/at_$t.png
    [ "$(size_of "$f")" = 1000x600 ] || fail "$t ms: supersampled frame is $(size_of "$f")"
    for x in 0 900; do
        [ "$(region_max "$f" 100 600 $x 0)" = 0 ] || fail "$t ms: supersampled bar at x $x not black"
    done
    big=$work/double/at_$t.png
    down=$work/down_$t.png
    ffmpeg -v error -i "$big" -vf crop=1600:1200:200:0,scale=800:600:flags=area "$down"
    smooth=$(psnr "$f" "$down" crop=800:600:100:0)
    plain=$(psnr "$work/wide/at_$t.png" "$down" crop=800:600:100:0)
    echo "$t ms: against twice the size filtered down: --ssaa 2 $smooth dB, plain $plain dB"
    awk -v s="$smooth" -v p="$plain" 'BEGIN { exit !(s >= p + 3) }' ||
        fail "$t ms: --ssaa 2 ($smooth dB) is not much nearer the larger picture than plain ($plain dB)"
done
echo "PASS"
