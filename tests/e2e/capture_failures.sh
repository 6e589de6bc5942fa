#!/usr/bin/env bash
# What goes wrong in the capture tool is said, never passed off as success: a video without
# the music, a supersampling filter GL cannot link, ffmpeg or its encoder missing, a file
# name ffmpeg has no container for (each before a frame is drawn, with one line and status
# 1), and a join that fails (its pieces kept, and where). And what it does is what was
# asked: an --at frame off the 60 fps step leaves the stretch's frames as they are; a video's
# picture sits on even columns and rows; the music of a stretch alone needs no display.
set -uo pipefail
build=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
source "$source_dir/tests/frame_tools.sh"
music=tromblo-slow_harbour.mp3
needs introback.png $music
xvfb=$source_dir/tests/with-xvfb.sh

# refused NAME TEXT ARGS...: the tool (from $work/NAME, with $ENVIRONMENT) ends with status
# 1 and one line holding TEXT, draws nothing and leaves no video or work folder.
refused() {
    local name=$1 text=$2
    shift 2
    mkdir -p "$work/$name"
    (cd "$work/$name" && "$xvfb" env ${ENVIRONMENT:-} "$capture" "$@" >"$work/$name.log" 2>&1)
    local status=$?
    [ $status = 1 ] || { cat "$work/$name.log"; fail "$name: status $status, want 1"; }
    [ "$(grep -c '^capture: ' "$work/$name.log")" = 1 ] || { cat "$work/$name.log"; fail "$name: not one line"; }
    grep -qF -- "$text" "$work/$name.log" || { cat "$work/$name.log"; fail "$name: no '$text'"; }
    grep -q "^start-up:" "$work/$name.log" && fail "$name: drew frames before refusing"
    [ -z "$(find "$work/$name" \( -name '.capture-*' -o -name '*.mp4' -o -name '*.xyz' \))" ] ||
        fail "$name: left $(find "$work/$name" -mindepth 1 | head -3)"
    echo "$name: $(grep '^capture: ' "$work/$name.log")"
}

# The music missing, and a music file that is not an MP3.
nomusic=$work/nomusic-data
mkdir -p "$nomusic" && ln -s "$data"/* "$nomusic"/ && rm "$nomusic/$music"
refused nomusic "--video needs the show's music" --data "$nomusic" --from 0 --to 500 --video v.mp4
notmp3=$work/notmp3-data
mkdir -p "$notmp3" && ln -s "$data"/* "$notmp3"/ && rm "$notmp3/$music"
printf 'ID3 not an MP3 %.0s' $(seq 1 100) >"$notmp3/$music"
refused notmp3 "--video needs the show's music" --data "$notmp3" --from 0 --to 500 --video v.mp4

# GLSL 1.10 only: the filter's program (GLSL 1.20) cannot link.
ENVIRONMENT="MESA_GL_VERSION_OVERRIDE=2.0 MESA_GLSL_VERSION_OVERRIDE=110" \
    refused filter "does not link" --data "$data" --size 400x300 --ssaa 2 --at 1000

# No ffmpeg at all; an ffmpeg without x264; a name no container goes with.
fake=$work/fake
mkdir -p "$fake/none" "$fake/nox264" "$fake/nojoin"
real_ffmpeg=$(command -v ffmpeg)
cat >"$fake/nox264/ffmpeg" <<SCRIPT
#!/bin/sh
case " \$* " in *" -encoders "*) "$real_ffmpeg" "\$@" | grep -v libx264; exit 0 ;; esac
exec "$real_ffmpeg" "\$@"
SCRIPT
cat >"$fake/nojoin/ffmpeg" <<SCRIPT
#!/bin/sh
case " \$* " in *" concat "*) echo "no joining today" >&2; exit 1 ;; esac
exec "$real_ffmpeg" "\$@"
SCRIPT
chmod +x "$fake/nox264/ffmpeg" "$fake/nojoin/ffmpeg"
ENVIRONMENT="PATH=$fake/none" \
    refused noffmpeg "needs the ffmpeg program" --data "$data" --from 0 --to 500 --video v.mp4
ENVIRONMENT="PATH=$fake/nox264:$PATH" \
    refused nox264 "libx264 encoder" --data "$data" --from 0 --to 500 --video v.mp4
refused container "into a .xyz file" --data "$data" --from 0 --to 500 --video v.xyz

# A join that fails: status 1, the pieces kept where the line says.
mkdir -p "$work/join"
(cd "$work/join" && PATH="$fake/nojoin:$PATH" "$xvfb" "$capture" --data "$data" --from 0 --to 300 \
    --video v.mp4 >"$work/join.log" 2>&1)
status=$?
[ $status = 1 ] || { cat "$work/join.log"; fail "failed join: status $status"; }
kept=$(sed -n 's/.* they are kept in \([^ ]*\) .*/\1/p' "$work/join.log")
[ -n "$kept" ] && [ -s "$kept/piece_00000.mp4" ] && [ -s "$kept/pieces.txt" ] ||
    { cat "$work/join.log"; fail "failed join: the pieces are not kept where it says"; }
[ ! -e "$work/join/v.mp4" ] || fail "failed join: a video was left"
echo "failed join: $(grep '^capture: ' "$work/join.log")"

# An --at frame off the step, inside a stretch: the stretch's frames as without it.
for run in plain withat; do
    extra=()
    [ $run = withat ] && extra=(--at 1005 --at 1030)
    "$xvfb" "$capture" --data "$data" --out "$work/$run" --from 1000 --to 1100 --frames \
        "${extra[@]}" >"$work/$run.log" 2>&1 || { cat "$work/$run.log"; fail "capture $run"; }
    (cd "$work/$run" && md5sum frame_*.png) >"$work/$run.md5"
done
cmp -s "$work/plain.md5" "$work/withat.md5" ||
    fail "--at 1005 changes $(diff "$work/plain.md5" "$work/withat.md5" | grep -c '^>') frames after it"
[ -s "$work/withat/at_1005.png" ] || fail "no at_1005.png"
echo "--at off the step: the stretch's $(wc -l <"$work/plain.md5") frames unchanged"

# 1366 x 768: the 1024 x 768 picture starts on column 170, not 171, in a video's frames.
"$xvfb" "$capture" --data "$data" --out "$work/even" --size 1366x768 --from 1000 --to 1000 \
    --frames --video "$work/even.mp4" >"$work/even.log" 2>&1 || { cat "$work/even.log"; fail "capture 1366x768"; }
left=$(region_max "$work/even/frame_000000.png" 170 768 0 0)
edge=$(region_lit "$work/even/frame_000000.png" 1 768 170 0 2)
[ "$left" -le 2 ] && [ "$edge" -gt 100 ] ||
    fail "1366 x 768 video: the picture does not start at column 170 (bar $left, column 170 has $edge lit)"
echo "1366 x 768 video: the picture from column 170"

# The music of a stretch alone: no display needed, nothing drawn.
env -u DISPLAY "$capture" --data "$data" --from 1000 --to 3000 --wav "$work/alone.wav" \
    >"$work/wav.log" 2>&1 || { cat "$work/wav.log"; fail "--wav with a stretch needs a display"; }
grep -q "^start-up:" "$work/wav.log" && fail "--wav with a stretch drew frames"
[ -s "$work/alone.wav" ] || fail "--wav wrote nothing"
echo "--wav with a stretch: no display, nothing drawn"
echo "PASS"
