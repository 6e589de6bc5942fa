#!/usr/bin/env bash
# The mouse pointer is never drawn over the show in full screen (the default 800 x 600 mode
# and the desktop's own), and shows in a window. In the edit mode it shows in full screen
# once the mouse moves, and goes again when it has been still for a while.
set -uo pipefail
build=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
source "$source_dir/tests/frame_tools.sh"
demo=$build/nimra
needs introback.png

# pointer NAME STEPS ARGS...: the demo on a private 800 x 600 display; once it has started,
# STEPS (a shell line, with `look` saying where the pointer is) run, then Escape.
pointer() {
    local name=$1 steps=$2
    shift 2
    cat >"$work/$name.sh" <<SCRIPT
cd "$data"
SDL_AUDIODRIVER=dummy "$demo" $* >"$work/$name.out" 2>&1 &
pid=\$!
for _ in \$(seq 1 200); do grep -q "initing demo finally finished scene" "$work/$name.out" && break; sleep 0.1; done
sleep 1
look() { "$build/tests/x_pointer" >>"$work/$name.pointer"; }
$steps
xdotool keydown Escape; sleep 1; xdotool keyup Escape
kill -9 \$pid 2>/dev/null
wait \$pid
SCRIPT
    "$source_dir/tests/with-xvfb.sh" bash "$work/$name.sh"
    echo "$name: $(tr '\n' ';' <"$work/$name.pointer")"
}
seen() { [ "$(sed -n "${2}p" "$work/$1.pointer" | cut -d' ' -f1)" = "$3" ]; }

pointer fullscreen "look; xdotool mousemove 100 100; sleep 0.5; look"
seen fullscreen 1 hidden || fail "full screen: the pointer is drawn over the show"
seen fullscreen 2 hidden || fail "full screen: the pointer shows once the mouse moves"
pointer desktop "look" --fullscreen desktop
seen desktop 1 hidden || fail "the desktop's full screen: the pointer is drawn over the show"
pointer window "xdotool mousemove 400 300; sleep 0.5; look" --windowed
seen window 1 shown || fail "in a window the pointer is hidden"
pointer edit "look; xdotool mousemove 100 100; sleep 0.5; look; sleep 3; look" --edit
seen edit 1 hidden || fail "edit mode, full screen: the pointer is drawn before the mouse moves"
seen edit 2 shown || fail "edit mode, full screen: the pointer does not show when the mouse moves"
seen edit 3 hidden || fail "edit mode, full screen: the pointer stays after the mouse is still"
echo "PASS"
