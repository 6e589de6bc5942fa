#!/usr/bin/env bash
# The capture tool stopped as a user stops it: Ctrl-C (SIGINT) during an export by two jobs,
# and SIGTERM during one that writes a PNG sequence and a video in one process. Each time
# the tool ends within a second with status 130 or 143, its jobs and encoders end with it,
# and no work folder or half-written file is left. A start-up that fails (no display to open
# a window on) leaves no work folder either.
set -uo pipefail
build=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
source "$source_dir/tests/frame_tools.sh"
needs introback.png tromblo-slow_harbour.mp3

# stop NAME SIGNAL STATUS ARGS...: the tool exporting in $work/NAME, stopped by SIGNAL once it
# has drawn for a while; it must end within a second with STATUS and leave nothing behind.
stop() {
    local name=$1 signal=$2 want=$3
    shift 3
    mkdir -p "$work/$name"
    cat >"$work/$name.sh" <<SCRIPT
cd "$work/$name"
"$capture" --data "$data" $* >"$work/$name.log" 2>&1 &
pid=\$!
for _ in \$(seq 1 100); do grep -q "^start-up" "$work/$name.log" 2>/dev/null && break; sleep 0.1; done
sleep 1
# Everything the tool started: its jobs, and every process under them (the encoders).
family() { local p; for p in \$(pgrep -P "\$1"); do echo "\$p"; family "\$p"; done; }
family \$pid >"$work/$name.family"
start=\$(date +%s%N)
kill -$signal \$pid
for _ in \$(seq 1 30); do kill -0 \$pid 2>/dev/null || break; sleep 0.1; done
kill -0 \$pid 2>/dev/null && { echo "still running" >"$work/$name.status"; kill -9 \$pid; exit 0; }
wait \$pid; echo \$? >"$work/$name.status"
echo \$((( \$(date +%s%N) - start) / 1000000)) >"$work/$name.ms"
sleep 0.3
# Still running: there and not a zombie waiting for a parent that is gone.
for p in \$(cat "$work/$name.family"); do
    state=\$(awk '{ print \$3 }' /proc/\$p/stat 2>/dev/null)
    [ -n "\$state" ] && [ "\$state" != Z ] && echo "\$p \$(cat /proc/\$p/comm)"
done >"$work/$name.alive"
kill -9 \$(cat "$work/$name.family") 2>/dev/null
exit 0
SCRIPT
    "$source_dir/tests/with-xvfb.sh" bash "$work/$name.sh"
    local status
    status=$(cat "$work/$name.status")
    [ "$status" = "$want" ] || { tail -5 "$work/$name.log"; fail "$name: after SIG$signal: $status, want $want"; }
    [ "$(cat "$work/$name.ms")" -le 1000 ] || fail "$name: took $(cat "$work/$name.ms") ms to stop"
    [ -s "$work/$name.family" ] || fail "$name: started no process to end"
    [ ! -s "$work/$name.alive" ] || fail "$name: left running: $(cat "$work/$name.alive")"
    local left
    left=$(find "$work/$name" \( -name '.capture-*' -o -name '*.part' \) | head -3)
    [ -z "$left" ] || fail "$name: left $left"
    echo "$name: SIG$signal ended it in $(cat "$work/$name.ms") ms with status $status;" \
        "$(wc -l <"$work/$name.family") processes under it ended, nothing half written left"
}

stop jobs INT 130 --from 0 --to 60000 --jobs 2 --video show.mp4
stop frames TERM 143 --from 0 --to 60000 --frames --out frames --video show.mp4

# No window can be opened: one line, status 1, and no work folder beside the video.
mkdir -p "$work/nodisplay"
(cd "$work/nodisplay" && DISPLAY=:1234567 "$capture" --data "$data" --from 0 --to 1000 \
    --video show.mp4 >"$work/nodisplay.log" 2>&1)
status=$?
[ $status = 1 ] || { cat "$work/nodisplay.log"; fail "no display: status $status, want 1"; }
[ -z "$(find "$work/nodisplay" -name '.capture-*')" ] || fail "no display: the work folder was left"
echo "no display: status 1, $(grep -c . "$work/nodisplay.log") lines, no work folder left"
echo "PASS"
