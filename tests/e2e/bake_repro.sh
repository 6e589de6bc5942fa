#!/usr/bin/env bash
# The baker as the build runs it: the same bytes on a second bake, nothing redone when
# nothing changed, and a failing step that names its file, exits non-zero and leaves no
# temporary file behind. A few small outputs keep it quick; the full from-scratch
# comparison is a by-hand check.
set -uo pipefail
build=$1
bake=$build/tools/bake/bake
fail() { echo "FAIL: $*"; exit 1; }
[ -x "$bake" ] || fail "no baker at $bake"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
outputs=(i.png slide05.png aBox.obj.bin susphere.obj.bin SMOKEPUFF.PNG)

"$bake" --out "$work/one" "${outputs[@]}" >"$work/one.log" || { cat "$work/one.log"; fail "first bake"; }
"$bake" --out "$work/two" "${outputs[@]}" >"$work/two.log" || { cat "$work/two.log"; fail "second bake"; }
for f in "${outputs[@]}"; do
    cmp -s "$work/one/$f" "$work/two/$f" || fail "$f differs between two bakes"
done
grep -q "^bake: \[1/5\]" "$work/one.log" || { cat "$work/one.log"; fail "no progress lines"; }

"$bake" --out "$work/one" "${outputs[@]}" >"$work/again.log" || fail "third bake"
grep -q "^bake: 0 baked, 5 up to date" "$work/again.log" || { cat "$work/again.log"; fail "an unchanged bake redid work"; }

# An output that cannot be put in place: the error names it, the status is non-zero.
mkdir -p "$work/three/i.png/blocked"
"$bake" --out "$work/three" i.png >"$work/three.log" 2>&1
status=$?
[ $status -ne 0 ] || fail "failed step reported success"
[ $status -lt 128 ] || fail "failed step killed by signal $((status - 128))"
grep -q "error: .*i\.png" "$work/three.log" || { cat "$work/three.log"; fail "error does not name the file"; }
if ls -a "$work/three" | grep -q '\.tmp-'; then fail "temporary file left behind"; fi

"$bake" --out "$work/four" no-such-file.png >"$work/four.log" 2>&1 && fail "unknown output accepted"
grep -q "no-such-file.png: no such output" "$work/four.log" || { cat "$work/four.log"; fail "unknown output message"; }
[ "$("$bake" --list | wc -l)" -eq 63 ] || fail "bake --list does not list 63 files"
echo PASS
