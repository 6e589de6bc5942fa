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
expect 2 "--video needs --from and --to" --video "$work/show.mp4"
expect 2 "--frames needs --from and --to" --frames --at 10
expect 2 "(capture --help lists the options)" --out
expect 2 "--layers goes with --bench" --layers --at 10
expect 2 "--cpu goes with --bench" --cpu --at 10
expect 2 "--visit wants FIRST-LAST in whole milliseconds from 0 to 207000, FIRST not after LAST, not '5000-4000'" --visit 5000-4000
expect 2 "not '12'" --visit 12
expect 2 "--visit goes without --from and --to" --visit 1-2 --from 1 --to 2

expect 1 "no data directory $work/missing" --data "$work/missing" --at 0
mkdir "$work/empty"
expect 1 "no show files in $work/empty; run from the data directory or pass --data DIR" \
    --data "$work/empty" --at 0
expect 1 "no DISPLAY; run it under tests/with-xvfb.sh" --data "$source_dir/data" --at 0
echo "PASS"
