#!/usr/bin/env bash
# The capture tool's command line: every bad argument gets one clear line and status 2
# before anything starts; a missing data directory, show files or display get status 1.
set -uo pipefail
build=$1
source_dir=$2
capture=$build/capture
fail() { echo "FAIL: $*"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# expect STATUS TEXT ARGS...: the run ends with STATUS and its output contains TEXT.
expect() {
    local want=$1 text=$2
    shift 2
    local status=0
    env -u DISPLAY "$capture" "$@" >"$work/out.txt" 2>&1 || status=$?
    [ "$status" = "$want" ] || { cat "$work/out.txt"; fail "capture $*: status $status, want $want"; }
    grep -qF -- "$text" "$work/out.txt" || { cat "$work/out.txt"; fail "capture $*: no '$text'"; }
    if [ "$want" = 2 ]; then
        [ "$(grep -c '^capture: ' "$work/out.txt")" = 1 ] || { cat "$work/out.txt"; fail "capture $*: not one line"; }
    fi
}

expect 0 "usage: capture" --help
expect 2 "nothing to do" 
expect 2 "nothing to do" --fps 30
expect 2 "unknown argument '--bogus'" --at 100 --bogus
expect 2 "--at needs a value" --at
expect 2 "--at wants a demo time in whole milliseconds from 0 to 207000, not '12x'" --at 12x
expect 2 "not '-5'" --at -5
expect 2 "not '207001'" --at 207001
expect 2 "--fps wants a whole number of frames per second from 1 to 1000, not '0'" --fps 0 --at 1
expect 2 "not '2.5'" --fps 2.5 --at 1
expect 2 "--from and --to go together" --from 1000
expect 2 "--to (4000) is before --from (5000)" --from 5000 --to 4000
expect 1 "no DISPLAY" --data "$source_dir/data" --video "$work/show.mp4"
expect 2 "--frames needs --from and --to" --frames --at 10
expect 2 "(capture --help lists the options)" --out
expect 2 "--layers goes with --bench" --layers --at 10
expect 2 "--cpu goes with --bench" --cpu --at 10
expect 2 "--visit wants FIRST-LAST in whole milliseconds from 0 to 207000, FIRST not after LAST, not '5000-4000'" --visit 5000-4000
expect 2 "not '12'" --visit 12
expect 2 "--visit goes without --from and --to" --visit 1-2 --from 1 --to 2

# Sizes, supersampling, encoding and jobs.
sizes="each from 16 to 8192, or 1080p, 1440p or 4k"
expect 2 "--size wants WIDTHxHEIGHT, $sizes, not '1080x'" --size 1080x --at 0
expect 2 "not '720p'" --size 720p --at 0
expect 2 "not '15x600'" --size 15x600 --at 0
expect 2 "not '800x8193'" --size 800x8193 --at 0
expect 2 "not '-800x600'" --size -800x600 --at 0
expect 2 "not '800x600x2'" --size 800x600x2 --at 0
expect 2 "--size needs a value" --at 0 --size
expect 2 "--ssaa wants a whole number from 1 to 4, not '0'" --ssaa 0 --at 0
expect 2 "not '5'" --ssaa 5 --at 0
expect 2 "not '1.5'" --ssaa 1.5 --at 0
expect 2 "a 8192x6144 frame with --ssaa 3 would draw a 24576x18432 picture, more than 16384 on a side" \
    --size 8192x6144 --ssaa 3 --at 0
expect 2 "--video needs an even width and height (yuv420p halves the colour on both axes), not 801x600" \
    --size 801x600 --video "$work/show.mp4"
expect 2 "not 1920x1081" --size 1920x1081 --from 0 --to 10 --video "$work/show.mp4"
expect 2 "--crf wants a whole number from 1 to 51 (for 0, --lossless), not '52'" --crf 52 --video "$work/show.mp4"
expect 2 "not '0'" --crf 0 --video "$work/show.mp4"
expect 2 "not '-1'" --crf -1 --video "$work/show.mp4"
expect 2 "--crf goes with --video" --crf 20 --from 0 --to 10
expect 2 "--lossless goes with --video" --lossless --at 0
expect 2 "--crf goes without --lossless" --crf 20 --lossless --video "$work/show.mp4"
expect 2 "--jobs wants a whole number of processes from 1 to 16, not '0'" --jobs 0 --video "$work/show.mp4"
expect 2 "not '17'" --jobs 17 --video "$work/show.mp4"
expect 2 "--jobs goes with a stretch: --from and --to, or --video" --jobs 2 --at 100
expect 2 "--jobs goes without --bench" --jobs 2 --bench --from 0 --to 100
expect 2 "--jobs goes without --at" --jobs 2 --at 5 --from 0 --to 100
expect 2 "--visit goes without --video" --visit 1-2 --video "$work/show.mp4"
expect 2 "--wav needs a file name" --wav ""
expect 2 "--frames needs --from and --to (or --video)" --frames --size 1080p
# Accepted, as far as the display they need (presets in either case; 1 job is one process).
expect 1 "no DISPLAY" --data "$source_dir/data" --size 4K --ssaa 4 --at 0
expect 1 "no DISPLAY" --data "$source_dir/data" --size 1440p --jobs 1 --crf 1 --video "$work/show.mp4"
expect 1 "no DISPLAY" --data "$source_dir/data" --size 16x16 --jobs 16 --from 0 --to 10
# The music alone needs no display.
[ -f "$source_dir/data/tromblo-slow_harbour.mp3" ] || fail "no baked music: bake the assets first"
expect 0 "music: tromblo-slow_harbour.mp3 from 0 ms" --data "$source_dir/data" --wav "$work/track.wav"
[ "$(head -c 4 "$work/track.wav")" = RIFF ] || fail "--wav wrote no WAV file"

expect 1 "no data directory $work/missing" --data "$work/missing" --at 0
mkdir "$work/empty"
expect 1 "no show files in $work/empty; run from the data directory or pass --data DIR" \
    --data "$work/empty" --at 0
expect 1 "no DISPLAY; run it under tests/with-xvfb.sh" --data "$source_dir/data" --at 0
echo "PASS"
