#!/usr/bin/env bash
# Every way into a moment lands on the same frame: the first picture `nimra --start MS` shows
# is the capture tool's frame at MS, inside scenes whose state builds up over time; jumps of
# the edit mode while the show plays, and steps while it is paused, show the capture tool's
# frames too, as does `--edit --start MS`; and the music starts with the picture: the first
# sound is the track's at the start moment, with and without --edit.
set -uo pipefail
build=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
source "$source_dir/tests/frame_tools.sh"
demo=$build/nimra
spy=$build/tests/libframe_spy.so
music=tromblo-slow_harbour.mp3
needs $music introback.png
[ -f "$spy" ] || fail "no $spy"

moments=(30312 48939 70000 110000 150000 190000)
args=()
for t in "${moments[@]}"; do args+=(--at "$t"); done
"$source_dir/tests/with-xvfb.sh" "$capture" --data "$data" --out "$work/captured" "${args[@]}" \
    >"$work/capture.log" 2>&1 || { cat "$work/capture.log"; fail "capture"; }
for t in "${moments[@]}"; do
    ffmpeg -v error -i "$work/captured/at_$t.png" -f rawvideo -pix_fmt rgb24 "$work/at_$t.rgb" ||
        fail "cannot read at_$t.png"
done

# run NAME KEYS ARGS...: the demo in an 800 x 600 window on a private display, SDL's disk
# audio recording to $work/NAME.raw, the first picture shown in $work/NAME.rgb and the
# pictures equal to a captured frame named in $work/NAME.log; KEYS (a file of "press K TEXT"
# lines: key K held down until the demo prints TEXT, so that no press falls between two
# slow frames; "sleep S" lines; or none) is played once start-up is done, then Escape.
run() {
    local name=$1 keys=$2
    shift 2
    cat >"$work/$name.sh" <<SCRIPT
cd "$data"
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/$name.raw" SDL_DISKAUDIODELAY=20
export FRAME_SPY_FIRST="$work/$name.rgb" FRAME_SPY_LOG="$work/$name.log" FRAME_SPY_AUDIO_AT="$work/$name.audio"
export FRAME_SPY_MATCH="$(for t in "${moments[@]}"; do printf '%s=%s ' "$t" "$work/at_$t.rgb"; done)"
LD_PRELOAD="$spy" "$demo" --windowed $* >"$work/$name.out" 2>"$work/$name.err" &
pid=\$!
out="$work/$name.out"
seen=0
await() {
    for _ in \$(seq 1 400); do
        if tail -n +\$((seen + 1)) "\$out" | grep -q -- "\$1"; then
            seen=\$(grep -n -- "\$1" "\$out" | tail -1 | cut -d: -f1)
            return 0
        fi
        sleep 0.05
    done
    echo "ABORT: no '\$1'" >>"\$out"
}
await "initing demo finally finished scene"
# Once the first picture has shown, a second and a half of sound, however busy the machine.
for _ in \$(seq 1 600); do [ -s "$work/$name.audio" ] && break; sleep 0.05; done
shown=\$(cat "$work/$name.audio" 2>/dev/null || echo 0)
for _ in \$(seq 1 600); do
    [ "\$(stat -c %s "$work/$name.raw" 2>/dev/null || echo 0)" -ge \$((shown + 264600)) ] && break
    sleep 0.05
done
if [ -f "$keys" ]; then
    while read -r what arg text; do
        case \$what in
            press) xdotool keydown "\$arg"; await "\$text"; xdotool keyup "\$arg"; sleep 0.1 ;;
            sleep) sleep "\$arg" ;;
        esac
    done <"$keys"
fi
xdotool keydown Escape
for _ in \$(seq 1 100); do kill -0 \$pid 2>/dev/null || break; sleep 0.1; done
xdotool keyup Escape
kill -9 \$pid 2>/dev/null && echo killed >"$work/$name.status" && exit 0
wait \$pid; echo \$? >"$work/$name.status"
SCRIPT
    touch "$work/$name.log"
    "$source_dir/tests/with-xvfb.sh" bash "$work/$name.sh"
    grep "ABORT" "$work/$name.out" && fail "$name: the demo did not answer"
    [ "$(cat "$work/$name.status")" = 0 ] ||
        { grep -v "changing cam" "$work/$name.out" "$work/$name.err"; fail "$name: status $(cat "$work/$name.status")"; }
}

# first_frame NAME MS: the first picture NAME showed is the capture tool's at MS.
first_frame() {
    cmp -s "$work/$1.rgb" "$work/at_$2.rgb" && return 0
    ffmpeg -v error -y -f rawvideo -pix_fmt rgb24 -s 800x600 -i "$work/$1.rgb" "$work/$1.png"
    measure change "$work/$1.png" "$work/captured/at_$2.png"
    fail "$1: its first picture is not the capture tool's frame at $2 ms"
}
# first_sound NAME MS: the first sound NAME played is the track's at MS, sample for sample,
# and it starts as the first picture shows: not in what the disk driver had written by then,
# and within a few of its 4 KiB blocks after (its file is written through an 8 KiB buffer,
# and the swap itself takes a while on a busy machine).
first_sound() {
    local line start shown
    line=$("$build/tests/track_match" "$work/$1.raw" "$data/$music" "$2") ||
        { echo "$line"; fail "$1: the music does not start at $2 ms"; }
    start=$(echo "$line" | sed -n 's/.*starts at byte \(-\?[0-9]*\)$/\1/p')
    shown=$(cat "$work/$1.audio")
    echo "$1: the track's $2 ms at byte $start of the sound; $shown bytes written as the first picture showed"
    [ "$start" -ge "$shown" ] || fail "$1: the music started before the first picture showed"
    [ "$start" -le $((shown + 65536)) ] || fail "$1: the music started well after the first picture"
}

for t in 70000 110000 190000; do
    run "start$t" none --start $t
    first_frame "start$t" $t
done
echo "--start 70000, 110000 and 190000: the first picture is the capture tool's frame"

run start150000 none --start 150000
first_frame start150000 150000
first_sound start150000 150000
run edit150000 none --edit --start 150000
first_frame edit150000 150000
first_sound edit150000 150000
echo "--start 150000, with and without --edit: the capture tool's frame, the music from 150 s"

# From 0 in the edit mode: the next scene while the show plays (twice), then paused, back to 0
# (also by Page Up and Left within the first second) and fifteen steps of 10 s.
{
    echo "press bracketright edit: at 0:30.312"; echo "sleep 0.5"
    echo "press bracketright edit: at 0:48.939"; echo "sleep 0.5"
    echo "press space edit: paused"
    echo "press Home edit: at 0:00.000"
    # Back by more than the show has played: its start.
    echo "press Right edit: at 0:01.000"
    echo "press Prior edit: at 0:00.000"
    echo "press Left edit: at 0:00.000"
    for t in 0:10 0:20 0:30 0:40 0:50 1:00 1:10 1:20 1:30 1:40 1:50 2:00 2:10 2:20 2:30; do
        echo "press Next edit: at $t.000"
    done
    echo "sleep 0.5"
} >"$work/edit.keys"
run edit "$work/edit.keys" --edit
first_sound edit 0
for t in 30312 48939 150000; do
    grep -qx "$t" "$work/edit.log" || fail "edit: no picture shown equals the capture tool's frame at $t ms"
done
grep "edit: at" "$work/edit.out" | sed 's/^/    /'
echo "--edit: jumps while playing and steps while paused show the capture tool's frames,"
echo "the same as --edit --start 150000 shows first; the music from its first sample"

run plain none
first_sound plain 0
echo "from 0: the music from its first sample"
echo "PASS"
