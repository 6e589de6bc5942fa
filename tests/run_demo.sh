#!/usr/bin/env bash
# The real demo on the current display, for the end-to-end tests: started in DATA with
# SDL's dummy audio, its output in OUT.txt and OUT.err; once its first frames are up it is
# ended by ACTION, and its exit status is printed ("timeout" if it has not gone 30 s later,
# when it is killed).
#   run_demo.sh DEMO DATA OUT escape       hold Escape until the demo has gone
#   run_demo.sh DEMO DATA OUT COMMAND...   run COMMAND with DEMO_PID set to the demo's pid
set -u
demo=$(realpath "$1") data=$2 out=$3
shift 3

(cd "$data" && SDL_AUDIODRIVER=dummy exec "$demo") >"$out.txt" 2>"$out.err" &
pid=$!
# The initialiser lines come before the main loop; a second more gives it its first frames.
for _ in $(seq 1 150); do
    grep -q "initing demo finally finished scene" "$out.txt" 2>/dev/null && break
    sleep 0.1
done
sleep 1

gone() { for _ in $(seq 1 300); do kill -0 $pid 2>/dev/null || return 0; sleep 0.1; done; }
if [ "$1" = escape ]; then
    # Held until the demo has gone: on a busy machine one frame may outlast a short press,
    # and a press that falls between two key samples is missed by design.
    xdotool keydown Escape
    gone
    xdotool keyup Escape
else
    DEMO_PID=$pid "$@"
    gone
fi
if kill -0 $pid 2>/dev/null; then
    kill -9 $pid
    echo timeout
    exit 0
fi
wait $pid
echo $?
