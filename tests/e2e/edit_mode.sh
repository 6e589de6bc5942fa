#!/usr/bin/env bash
# The makers' loop, on a copy of the data folder: a paused show holds its frame and its music
# is silent; Home and ten steps right land on the frames the capture tool draws for 0 and
# 10 s, and the music resumes from the track's sample at 10 s; a shader saved while the show
# runs changes the frame, a broken one keeps the last good program and prints its log, the
# fixed one comes back; a picture replaced is on screen; F12 names its shots after the show's
# time. Without --edit none of these keys does anything and no folder is watched.
set -uo pipefail
build=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
source "$source_dir/tests/frame_tools.sh"
demo=$build/nimra
music=tromblo-slow_harbour.mp3
needs $music introback.png box.frag

copy=$work/data
mkdir -p "$copy" "$work/shots"
ln -s "$data"/* "$copy"/
for file in box.frag introback.png; do
    rm "$copy/$file"
    cp "$data/$file" "$copy/$file"
done

"$source_dir/tests/with-xvfb.sh" "$capture" --data "$data" --out "$work/captured" --at 0 --at 10000 \
    >"$work/capture.log" 2>&1 || { cat "$work/capture.log"; fail "capture"; }

cat >"$work/drive.sh" <<'SCRIPT'
set -u
out=$work/edit.out
cd "$work/shots"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/edit.raw SDL_DISKAUDIODELAY=20 \
    "$demo" --windowed --edit --data "$copy" >"$out" 2>"$work/edit.err" &
pid=$!
ended() { echo "ABORT: $*" >>"$out"; kill -9 $pid; exit 1; }
# await PATTERN [SECONDS]: waits for a line of the demo's output beyond what was seen.
seen=0
await() {
    for _ in $(seq 1 $((${2:-10} * 20))); do
        if tail -n +$((seen + 1)) "$out" | grep -q -- "$1"; then
            seen=$(grep -n -- "$1" "$out" | tail -1 | cut -d: -f1)
            return 0
        fi
        sleep 0.05
    done
    ended "no '$1'"
}
key() { xdotool keydown "$1"; sleep 0.1; xdotool keyup "$1"; sleep 0.1; }
shot() { key F12; await "edit: wrote"; sed -n "${seen}p" "$out" | sed 's/^edit: wrote //' >"$work/$1.name"; }
size() { stat -c %s "$work/edit.raw"; }

await "initing demo finally finished scene" 30
await "edit: Space pauses" 30
sleep 1
ls -l /proc/$pid/fd | grep -c inotify >"$work/edit.inotify"
key space; await "edit: paused at"
shot held1; sleep 1; shot held2
# Silent while paused: what the output writes from half a second in.
sleep 0.5; quiet=$(size); sleep 1; echo "$quiet $(size)" >"$work/quiet.range"

key Home; await "edit: at 0:00.000"
shot zero
for _ in $(seq 1 10); do key Right; done
await "edit: at 0:10.000"
shot ten
# The readout over the picture, as the window shows it (a shot is the frame alone).
key Tab; sleep 0.5
ffmpeg -v error -y -f x11grab -video_size 800x600 -i $DISPLAY -frames:v 1 "$work/readout.png"
key Tab
size >"$work/resume.byte"
key space; await "edit: playing from 0:10.000"; sleep 1.5
key space; await "edit: paused at"

# A shader saved in place, written again broken, then fixed by an editor's rename.
shot before
cp "$copy/box.frag" "$work/box.frag.good"
sed -E 's/gl_FragColor = vec4\(colour, 1\.0\);/gl_FragColor = vec4(0.0, 1.0, 0.0, 1.0);/' \
    "$work/box.frag.good" >"$work/box.frag.green"
date +%s.%N >"$work/saved.at"
cat "$work/box.frag.green" >"$copy/box.frag"
await "reloaded box.frag" 2; date +%s.%N >"$work/reloaded.at"
shot green
printf '#version 120\nvoid main() { this is not a shader; }\n' >"$copy/box.frag"
await "reload: .*box.frag" 2
shot broken
cp "$work/box.frag.good" "$copy/.box.frag.tmp" && mv "$copy/.box.frag.tmp" "$copy/box.frag"
await "reloaded box.frag" 2
shot fixed

# A picture replaced.
ffmpeg -v error -y -f lavfi -i color=red:size=1024x512 -frames:v 1 "$copy/introback.png"
await "reloaded introback.png" 2
shot red
xdotool keydown Escape; sleep 1; xdotool keyup Escape
wait $pid; echo $? >"$work/edit.status"
SCRIPT
work=$work demo=$demo copy=$copy "$source_dir/tests/with-xvfb.sh" bash "$work/drive.sh"
out=$work/edit.out
grep "ABORT" "$out" && { cat "$out" "$work/edit.err" | grep -v "changing cam"; fail "the editor did not answer"; }
[ "$(cat "$work/edit.status")" = 0 ] || fail "edit mode: status $(cat "$work/edit.status")"
[ "$(cat "$work/edit.inotify")" -eq 1 ] || fail "edit mode watches no folder"
shot() { cat "$work/$1.name"; }
same() { cmp -s "$(shot "$1")" "$(shot "$2")"; }

same held1 held2 || fail "a paused show's frame changes"
[ "$(shot held2)" = "${work}/shots/$(basename "$(shot held1)" .png)_2.png" ] ||
    fail "a second shot of the same moment is not numbered: $(shot held2)"
read -r from to <"$work/quiet.range"
[ "$to" -gt "$from" ] || fail "the output wrote nothing while paused"
cmp -s -n $((to - from)) <(tail -c +$((from + 1)) "$work/edit.raw") /dev/zero ||
    fail "the music is not silent while paused"
echo "pause: the frame holds, the music is silent ($((to - from)) bytes of zeros)"

[ "$(basename "$(shot zero)")" = "nimra_0-00.000.png" ] || fail "Home: shot $(shot zero)"
[ "$(basename "$(shot ten)")" = "nimra_0-10.000.png" ] || fail "Right x 10: shot $(shot ten)"
cmp -s "$(shot zero)" "$work/captured/at_0.png" || fail "Home is not the show's frame at 0"
cmp -s "$(shot ten)" "$work/captured/at_10000.png" ||
    fail "Right x 10 is not the show's frame at 10 s"
"$build/tests/track_match" "$work/edit.raw" "$data/$music" 10000 "$(cat "$work/resume.byte")" ||
    fail "after Right x 10 the music does not resume at 10 s"
echo "Home and Right x 10: the capture tool's frames at 0 and 10 s; the music resumes at 10 s"
measure change "$(shot ten)" "$work/readout.png"
[ "$n" -gt 1000 ] && [ "$x" -lt 300 ] && [ "$y" -lt 200 ] || fail "Tab: no readout at the top left"

measure change "$(shot before)" "$(shot green)"
[ "$n" -gt 2000 ] || fail "the saved shader does not change the frame"
latency=$(echo "$(cat "$work/reloaded.at") - $(cat "$work/saved.at")" | bc)
grep -A3 "reload: .*box.frag" "$out" | grep -qi "error" || fail "no compiler log for the broken shader"
same green broken || fail "the broken shader did not keep the last good program on screen"
same before fixed || fail "the fixed shader does not bring the frame back"
measure change "$(shot fixed)" "$(shot red)"
[ "$n" -gt 20000 ] || fail "the replaced picture is not on screen"
echo "reload: the shader on screen ${latency} s after it was saved; a broken one kept the last good"
echo "program and printed its log; the fixed one came back; the replaced picture showed"

# Without --edit: the keys do nothing, no folder is watched, no shot is taken.
cat >"$work/plain.sh" <<'SCRIPT'
cd "$work/shots-plain"
SDL_AUDIODRIVER=dummy "$demo" --windowed --data "$copy" >"$work/plain.out" 2>&1 &
pid=$!
for _ in $(seq 1 200); do
    grep -q "initing demo finally finished scene" "$work/plain.out" && break; sleep 0.1
done
sleep 1
ls -l /proc/$pid/fd | grep -c inotify >"$work/plain.inotify"
for k in space Right Home F12 Tab l bracketright; do
    xdotool keydown $k; sleep 0.1; xdotool keyup $k; sleep 0.1
done
touch "$copy/box.frag"
sleep 1
xdotool keydown Escape; sleep 1; xdotool keyup Escape
wait $pid
SCRIPT
mkdir -p "$work/shots-plain"
work=$work demo=$demo copy=$copy "$source_dir/tests/with-xvfb.sh" bash "$work/plain.sh"
[ "$(cat "$work/plain.inotify")" -eq 0 ] || fail "without --edit a folder is watched"
grep -qE "^(edit|reload)" "$work/plain.out" && fail "without --edit the edit keys answered"
[ -z "$(ls "$work/shots-plain")" ] || fail "without --edit F12 wrote a shot"
echo "without --edit: no folder watched, no key answered"
echo "PASS"
