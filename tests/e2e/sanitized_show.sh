#!/usr/bin/env bash
# 20 seconds of show time under AddressSanitizer and UndefinedBehaviorSanitizer: the capture
# tool built with -DNIMRA_SANITIZE=ON (./run.sh test builds it in build-sanitize/) visits
# stretches that between them draw every layer and scene, every boundary where two
# windows overlap, and the frames after a jump (a long frame, as after a stall). Any
# report fails the test.
set -uo pipefail
build=$1
source_dir=$(cd "$2" && pwd)
capture=${NIMRA_SANITIZED_CAPTURE:-$source_dir/build-sanitize/capture}
fail() { echo "FAIL: $*"; exit 1; }

[ -x "$capture" ] || fail "no sanitized capture tool at $capture; build it with
  cmake -S $source_dir -B $source_dir/build-sanitize -DNIMRA_SANITIZE=ON && cmake --build $source_dir/build-sanitize --target capture"
[ -f "$source_dir/data/introback.png" ] || fail "bake the assets first (bake_assets target)"

visits=(
    2000-5000       # word cards, the box, backdrop and the metaball layer under it all
    12000-13000     # the first credit card, the last word sliding away
    30000-32000     # the box leaves, the tunnel and cards 3 and 4 arrive
    48500-49500     # tunnel into sculpture
    67000-68500     # the sculpture's post pass begins
    76800-77000     # the post pass drawn twice
    86000-87500     # sculpture into loudspeakers
    104500-106000   # the smoke begins
    123300-124000   # the break
    125800-126000   # its second picture
    128000-129500   # creatures and the blob fountain, the break still overlapping
    146500-147500   # the spheres and the sparks
    165200-166000   # the composite under the spheres
    183800-184500   # the closing composite and the last cards
    193200-193600   # the composite drawn twice
    205500-207000   # the end
)
args=()
for v in "${visits[@]}"; do args+=(--visit "$v"); done

log=$(mktemp)
trap 'rm -f "$log"' EXIT
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:detect_leaks=1:${ASAN_OPTIONS:-}"
export LSAN_OPTIONS="suppressions=$source_dir/tests/sanitize/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
status=0
"$source_dir/tests/with-xvfb.sh" "$capture" --data "$source_dir/data" --fps 60 "${args[@]}" \
    >"$log" 2>&1 || status=$?
reports=$(grep -cE "ERROR: (Address|Leak)Sanitizer|runtime error:" "$log")
if [ "$status" -ne 0 ] || [ "$reports" -ne 0 ]; then
    grep -v "^capture:" "$log" | tail -60
    fail "status $status, $reports sanitizer reports"
fi
echo "PASS: 20 s of show time, no sanitizer report"
