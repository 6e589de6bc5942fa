#!/usr/bin/env bash
# The real demo under Xvfb with SDL's dummy audio: greeting and initialiser lines in
# order, and holding Escape for a few frames ends it with status 0. Without a display it
# must fail with a clear line and a non-zero status, not crash.
set -uo pipefail
build=$(cd "$1" && pwd)
source_dir=$2
demo=$build/nimra
fail() { echo "FAIL: $*"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=$("$source_dir/tests/with-xvfb.sh" "$source_dir/tests/run_demo.sh" "$demo" \
    "$source_dir/data" "$work/out" escape) || fail "Xvfb run failed"
[ "$status" = 0 ] || { cat "$work/out.txt" "$work/out.err"; fail "Escape: status $status, want 0"; }
head -3 "$work/out.txt" >"$work/head.txt"
printf 'hello world!\nhahah HAI\nait:10\n' | diff - "$work/head.txt" || fail "greeting lines"
# Every initialiser announces itself, in start-up order, right after the greeting.
sed -n '4,14p' "$work/out.txt" >"$work/inits.txt"
printf '%s\n' "initing scene1" "initing scene 2" "initing scene 3" "initing scene 4" \
    "initing scene 4" "initing scene 7" "checking the completeness" "initing scene break over" \
    "initing demo finally finished scene" "initing intro" "initing scene break over" |
    diff - "$work/inits.txt" || fail "initialiser lines"
# With the baked data in place no loader has anything to complain about.
if grep -nE "^(file error:|OH SHIT|compile and link failed)|power of two|GL_FRAMEBUFFER|framebuffer (error|unsupported)" \
    "$work/out.txt"; then
    fail "loader messages"
fi
if grep -qiE "segmentation|core dumped|abort" "$work/out.err"; then fail "crash output"; fi

# No display: a clear line, a non-zero status, no signal.
(cd "$work" && env -u DISPLAY SDL_AUDIODRIVER=dummy "$demo" >"$work/nodisplay.txt" 2>&1)
status=$?
[ $status -ne 0 ] || fail "no display: status 0"
[ $status -lt 128 ] || fail "no display: killed by signal $((status - 128))"
grep -q "^nimra: cannot start SDL video" "$work/nodisplay.txt" || { cat "$work/nodisplay.txt"; fail "no display: no clear line"; }
echo "PASS"
