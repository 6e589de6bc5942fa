#!/usr/bin/env bash
# The real demo's window changing under it: resized larger and smaller than 800 x 600, the
# picture follows each size it is told of, and closing the window the way a window manager
# does ends the demo with status 0.
#
# In full-screen mode SDL keeps drawing into a screen-sized surface and reports the new
# size; the viewport then covers the new size from the surface's lower-left corner. So
# after a resize to 640 x 480 only the lower-left 640 x 480 of the screen holds the picture,
# and after one to 1024 x 768 the picture runs past the screen's edges and covers all of it.
set -uo pipefail
build=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
demo=$build/nimra
fail() { echo "FAIL: $*"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Resized larger, then smaller, with a screenshot after each; then closed.
cat >"$work/changes.sh" <<SCRIPT
sleep 1
window=\$(xdotool search --pid \$DEMO_PID | head -1)
[ -n "\$window" ] || { echo "no window" >&2; exit 1; }
shot() { sleep 2; ffmpeg -v error -y -f x11grab -video_size 800x600 -i \$DISPLAY -frames:v 1 "$work/\$1.png"; }
xdotool windowsize \$window 1024 768; shot larger
xdotool windowsize \$window 640 480; shot smaller
"$build/tests/x_close" \$window
SCRIPT
status=$("$source_dir/tests/with-xvfb.sh" "$source_dir/tests/run_demo.sh" "$demo" \
    "$source_dir/data" "$work/out" bash "$work/changes.sh") || fail "Xvfb run failed"
[ "$status" = 0 ] || { cat "$work/out.txt" "$work/out.err"; fail "closing the window: status $status, want 0"; }
if grep -qiE "segmentation|core dumped|abort" "$work/out.err"; then fail "crash output"; fi

# "outside inside": how many pixels above 12 lie outside, and inside, the lower-left
# 640 x 480 of the screen.
lit() {
    ffmpeg -v error -i "$1" -f rawvideo -pix_fmt gray - | od -An -v -tu1 -w1 | awk '
        { i = NR - 1; x = i % 800; y = int(i / 800); inside = x < 640 && y >= 120
          if ($1 > 12) { if (inside) n_in++; else n_out++ } }
        END { printf "%d %d\n", n_out, n_in }'
}
read -r out in < <(lit "$work/larger.png")
echo "1024 x 768: $out lit outside the lower-left 640 x 480, $in inside"
[ "$out" -gt 100000 ] || fail "after growing to 1024 x 768 the picture does not cover the screen"
read -r out in < <(lit "$work/smaller.png")
echo "640 x 480: $out lit outside the lower-left 640 x 480, $in inside"
[ "$in" -gt 200000 ] || fail "after shrinking to 640 x 480 the picture is not in the lower-left corner"
[ "$out" -lt 2000 ] || fail "after shrinking to 640 x 480 the picture still reaches outside it"
echo "PASS"
