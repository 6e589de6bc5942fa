#!/usr/bin/env bash
# The demo's command line as a viewer uses it: bad arguments refused before any window
# opens; a 16:9 window and the desktop's own full screen with the picture kept 4:3 in the
# middle; a start moment with the music from the same sample; rounds; no sound device when
# muted; one line and no library noise without a sound card; and an install that finds its
# files from anywhere.
set -uo pipefail
build=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
source "$source_dir/tests/frame_tools.sh"
demo=$build/nimra
music=tromblo-slow_harbour.mp3
needs $music introback.png

# Bad arguments: status 2, one line on stderr, nothing else, and no display needed.
for bad in "--size 12x" "--size 100000x600" "--size" "--start -5" "--start 207000" \
    "--fullscreen big" "--frobnicate" "--windowed --fullscreen desktop" "--data /nonexistent" \
    "--data $work"; do
    # shellcheck disable=SC2086
    env -u DISPLAY "$demo" $bad >"$work/bad.out" 2>"$work/bad.err"
    status=$?
    [ $status -eq 2 ] || fail "'$bad': status $status, want 2"
    [ "$(wc -l <"$work/bad.err")" -eq 1 ] || { cat "$work/bad.err"; fail "'$bad': not one line"; }
    [ ! -s "$work/bad.out" ] || fail "'$bad': printed on stdout"
done
env -u DISPLAY "$demo" --help >"$work/help.out" || fail "--help: status $?"
for option in --windowed --fullscreen --size --start --loop --mute --data --edit; do
    grep -q -- "$option" "$work/help.out" || fail "--help does not mention $option"
done
echo "bad arguments refused with one line and status 2; --help lists every option"

# play SCREEN NAME ARGS...: the demo from $work/NAME on a private SCREEN display with SDL's
# dummy audio (or the driver AUDIO names; "none" leaves SDL to find one), a screenshot $work/NAME.png two seconds after its last
# start-up line, then Escape; its output in $work/NAME.out and .err, its status in .status.
play() {
    local screen=$1 name=$2
    shift 2
    mkdir -p "$work/$name"
    cat >"$work/$name.sh" <<SCRIPT
cd "$work/$name"
if [ "\${AUDIO:-dummy}" = none ]; then unset SDL_AUDIODRIVER; else export SDL_AUDIODRIVER=\${AUDIO:-dummy}; fi
"$demo" $* >"$work/$name.out" 2>"$work/$name.err" &
pid=\$!
for _ in \$(seq 1 200); do
    grep -q "initing demo finally finished scene" "$work/$name.out" 2>/dev/null && break
    sleep 0.1
done
sleep \${WAIT:-2}
ffmpeg -v error -y -f x11grab -video_size $screen -i \$DISPLAY -frames:v 1 "$work/$name.png"
\${DURING:-true}
xdotool keydown Escape
for _ in \$(seq 1 100); do kill -0 \$pid 2>/dev/null || break; sleep 0.1; done
xdotool keyup Escape
kill -9 \$pid 2>/dev/null && echo killed >"$work/$name.status" && exit 0
wait \$pid; echo \$? >"$work/$name.status"
SCRIPT
    NIMRA_SCREEN=$screen "$source_dir/tests/with-xvfb.sh" bash "$work/$name.sh"
    [ "$(cat "$work/$name.status")" = 0 ] ||
        { cat "$work/$name.out" "$work/$name.err"; fail "$name: status $(cat "$work/$name.status")"; }
}

# "dark lit": how many pixels of a WxH frame within columns [A, B) are at most 2 and above 20.
columns() {
    ffmpeg -v error -i "$1" -f rawvideo -pix_fmt gray - | od -An -v -tu1 -w1 |
        awk -v W="$2" -v A="$3" -v B="$4" '
            { x = (NR - 1) % W; if (x >= A && x < B) { if ($1 <= 2) d++; if ($1 > 20) l++ } }
            END { printf "%d %d\n", d, l }'
}

# pillars WHAT PNG W H BAR LIT: black columns BAR wide at both sides of a W x H frame, and
# more than LIT lit pixels of picture between them.
pillars() {
    local what=$1 png=$2 w=$3 h=$4 bar=$5 least=$6 dark lit
    read -r dark lit < <(columns "$png" "$w" 0 "$bar")
    [ "$dark" -eq $((bar * h)) ] || fail "$what: left bar not black ($dark dark)"
    read -r dark lit < <(columns "$png" "$w" $((w - bar)) "$w")
    [ "$dark" -eq $((bar * h)) ] || fail "$what: right bar not black ($dark dark)"
    read -r dark lit < <(columns "$png" "$w" "$bar" $((w - bar)))
    [ "$lit" -gt "$least" ] || fail "$what: no picture in the middle ($lit lit)"
    echo "$what: black bars of $bar columns, the picture between ($lit lit)"
}

# A 1280 x 720 window at the corner of a larger screen: 160 black columns either side of a
# 960 x 720 picture.
play 1920x1080 window --windowed --size 1280x720 --start 60000 --data "$data"
ffmpeg -v error -y -i "$work/window.png" -vf crop=1280:720:0:0 "$work/window-only.png"
pillars "1280 x 720 window" "$work/window-only.png" 1280 720 160 200000

# The desktop's own full screen at 1920 x 1080: a 1440 x 1080 picture in the middle.
play 1920x1080 desktop --fullscreen desktop --start 150000 --data "$data"
pillars "full screen at the desktop's 1920 x 1080" "$work/desktop.png" 1920 1080 240 400000

# From 100 s: the first sound played is the track's from 100 s, sample for sample, and the
# picture two seconds in is the loudspeakers', not the opening's.
AUDIO=disk SDL_DISKAUDIOFILE=$work/start.raw SDL_DISKAUDIODELAY=20 \
    play 800x600 start --start 100000 --data "$data"
"$build/tests/track_match" "$work/start.raw" "$data/$music" 100000 ||
    fail "--start 100000: the music does not start at 100 s"
"$source_dir/tests/with-xvfb.sh" "$capture" --data "$data" --out "$work/start-frames" \
    --at 102000 --at 2000 >/dev/null 2>&1 ||
    fail "capture for --start"
measure change "$work/start.png" "$work/start-frames/at_102000.png"
near=$n
measure change "$work/start.png" "$work/start-frames/at_2000.png"
[ "$near" -lt "$n" ] || fail "--start 100000 does not look like 102 s ($near) rather than 2 s ($n)"
echo "--start 100000: the music from the track's sample at 100 s, the picture of 102 s"

# Rounds: from 205.5 s the show runs past its end into a second round, until Escape.
WAIT=4 play 800x600 loop --loop --start 205500 --data "$data"
grep -q "^nimra: round 2$" "$work/loop.out" || fail "--loop: no second round"
echo "--loop: a second round after 207 s, ended by Escape"

# Muted: no sound device opened (the disk driver writes no file), nothing said about sound.
AUDIO=disk SDL_DISKAUDIOFILE=$work/mute.raw play 800x600 mute --mute --data "$data"
[ ! -e "$work/mute.raw" ] || fail "--mute opened the sound device"
grep -q "^audio:" "$work/mute.out" && fail "--mute: printed about audio"
echo "--mute: no sound device opened"

# No sound card on this machine: one line of ours, nothing from the libraries underneath.
AUDIO=none play 800x600 nocard --windowed --data "$data"
[ "$(grep -c "^audio:" "$work/nocard.out")" -le 1 ] || fail "more than one audio line"
grep -q "ALSA lib" "$work/nocard.err" && fail "ALSA's own errors reached stderr"
echo "without a sound card: $(grep "^audio:" "$work/nocard.out" || echo "no audio line")"

# Installed into a prefix and run from elsewhere, it finds its files with no --data.
cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" 2>&1 ||
    { cat "$work/install.log"; fail "cmake --install"; }
[ -x "$work/prefix/bin/nimra" ] || fail "no $work/prefix/bin/nimra"
[ -f "$work/prefix/share/nimra/tunnel.frag" ] || fail "no shaders in share/nimra"
[ -f "$work/prefix/share/nimra/$music" ] || fail "no music in share/nimra"
demo=$work/prefix/bin/nimra play 800x600 installed --windowed --start 40000
grep -qE "file error|devil fails|cannot open" "$work/installed.out" &&
    { cat "$work/installed.out"; fail "the installed program misses its files"; }
read -r n x y < <(frame "$work/installed.png")
[ "$n" -gt 100000 ] || fail "the installed program draws a dark screen ($n lit)"
echo "installed into a prefix, run from another folder: files found, the tunnel on screen"
echo "PASS"
