#!/usr/bin/env bash
# A stretch drawn by two processes comes out as one process draws it: the same PNG frames
# and the same frames, with the same times, in the lossless video joined from the pieces.
# The lossless video's frames are the PNG frames, pixel for pixel.
# The stretch crosses the tunnel's start at 30312 ms, and the second process's piece begins
# after it, so that process plays the opening's end and the tunnel's first frames undrawn.
set -uo pipefail
build=$1
source_dir=$2
source "$source_dir/tests/frame_tools.sh"
needs introback.png tunnel.obj.bin tromblo-slow_harbour.mp3

for jobs in 1 2; do
    "$source_dir/tests/with-xvfb.sh" "$capture" --data "$data" --from 29800 --to 31300 --jobs $jobs \
        --frames --out "$work/frames$jobs" --video "$work/jobs$jobs.mp4" --lossless \
        >"$work/jobs$jobs.log" 2>&1 || { cat "$work/jobs$jobs.log"; fail "capture --jobs $jobs"; }
    grep -q "^exported 91 frames in .* $jobs job" "$work/jobs$jobs.log" ||
        fail "--jobs $jobs: no line for 91 frames exported: $(tail -3 "$work/jobs$jobs.log")"
    [ -z "$(find "$work" -maxdepth 1 -name '.capture-*')" ] || fail "--jobs $jobs left its work folder"
    # The frames decoded: their times (in the stream's time base) and pixels.
    ffmpeg -v error -i "$work/jobs$jobs.mp4" -map 0:v -f framemd5 - | grep -v '^#' |
        awk -F', *' '{ print $3, $6 }' >"$work/video$jobs.txt"
    (cd "$work/frames$jobs" && md5sum frame_*.png) >"$work/png$jobs.txt"
done

[ "$(wc -l <"$work/png1.txt")" = 91 ] || fail "$(wc -l <"$work/png1.txt") PNG files, want 91"
cmp -s "$work/png1.txt" "$work/png2.txt" ||
    fail "PNG frames differ with two jobs: $(diff "$work/png1.txt" "$work/png2.txt" | grep -c '^>') of 91"
[ "$(wc -l <"$work/video1.txt")" = 91 ] || fail "$(wc -l <"$work/video1.txt") video frames, want 91"
cmp -s "$work/video1.txt" "$work/video2.txt" ||
    fail "video frames differ with two jobs: $(diff "$work/video1.txt" "$work/video2.txt" | head -4)"
# Every frame 1/60 s after the one before, across the join.
awk 'NR == 2 { step = $1 - last }
     NR > 2 && $1 - last != step { print "frame " NR - 1 " at " $1 ", after " last; bad = 1 }
     { last = $1 } END { exit bad + 0 }' "$work/video2.txt" ||
    fail "the joined video's frames are not evenly spaced"
ffprobe -v error -select_streams v -show_entries stream=r_frame_rate -of csv=p=0 "$work/jobs2.mp4" |
    grep -qx 60/1 || fail "the joined video is not 60 fps"
# Lossless is the drawn pixels themselves: every decoded frame is its PNG, byte for byte.
rgb_md5() { ffmpeg -v error -i "$1" -map 0:v -pix_fmt rgb24 -f framemd5 - | grep -v '^#' | awk -F', *' '{ print $6 }'; }
cmp -s <(rgb_md5 "$work/jobs2.mp4") <(rgb_md5 "$work/frames2/frame_%06d.png") ||
    fail "the lossless video's frames are not the drawn pixels"
echo "PASS"
