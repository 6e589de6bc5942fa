#!/usr/bin/env bash
# Every file the show loads, taken away one at a time, and every picture also as a
# zero-byte and as a truncated file, every shader also as one that does not compile, and
# the music as a file that is not an MP3. In each case the show must start, print the
# loader's line for the damage (or nothing, for a mesh), draw frames in every window of
# the show (the capture tool, which runs the demo's own start-up and frame code, visits
# each) and end with status 0, and nothing but the camera triggers and GL error reports
# may repeat frame after frame. The real demo then starts and ends on Escape with a
# damaged file of each kind.
set -uo pipefail
build=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
capture=$build/capture
demo=$build/nimra
fail() { echo "FAIL: $*"; exit 1; }

data=$source_dir/data
[ -f "$data/introback.png" ] || fail "bake the assets first (bake_assets target)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

music=tromblo-slow_harbour.mp3
# The readout's font is the edit mode's, not the show's: the show never loads it.
mapfile -t images < <(cd "$data" && ls *.png *.PNG 2>/dev/null | grep -v '^readout_font.png$')
mapfile -t meshes < <(cd "$data" && ls *.obj.bin)
mapfile -t shaders < <(cd "$data" && ls *.vert *.frag)

# One frame in every window of the show, and in the stretches where a window changes what
# it draws (the sculpture's post pass, the smoke, the second break picture, the composite
# under the spheres).
visits=(--visit 1000-1000 --visit 31000-31000 --visit 60000-60000 --visit 70000-70000
    --visit 77000-77000 --visit 105000-105000 --visit 124000-124000 --visit 126000-126000
    --visit 130000-130000 --visit 150000-150000 --visit 170000-170000 --visit 190000-190000
    --visit 200000-200000)

# case KIND FILE: runs the show on a copy of data/ with FILE damaged; prints one result line.
run_case() {
    local kind=$1 file=$2
    local dir=$work/$kind-$file
    mkdir -p "$dir"
    ln -s "$data"/* "$dir"/
    rm "$dir/$file"
    case $kind in
        missing) ;;
        zero) : >"$dir/$file" ;;
        truncated) head -c $(($(stat -c %s "$data/$file") / 2)) "$data/$file" >"$dir/$file" ;;
        broken) printf '#version 120\nvoid main() { this is not a shader; }\n' >"$dir/$file" ;;
        notmp3) printf 'ID3 this is not an MP3 at all\n%.0s' $(seq 1 200) >"$dir/$file" ;;
    esac
    local out=$dir.out status=0
    "$capture" --data "$dir" --fps 60 "${visits[@]}" >"$out" 2>&1 || status=$?

    local problem=""
    [ $status -eq 0 ] || problem="status $status"
    grep -q "^start-up: " "$out" || problem="${problem:+$problem; }no frame drawn"
    if grep -qE "Sanitizer|runtime error|Segmentation|Aborted" "$out"; then
        problem="${problem:+$problem; }crash report"
    fi
    local want=""
    case $kind in
        missing | zero | truncated)
            case $file in
                *.png | *.PNG) want="OH SHIT. the devil fails:$file" ;;
                *.vert | *.frag) want="file error:$file" ;;
                $music) want="audio: cannot open $music" ;;
            esac ;;
        broken) want="compile and link failed" ;;
        notmp3) want="audio: cannot open $music" ;;
    esac
    if [ -n "$want" ]; then
        grep -qxF -- "$want" "$out" || grep -qF -- "$want" "$out" ||
            problem="${problem:+$problem; }no '$want'"
    else
        # A missing mesh is not reported at all, and nothing else may complain.
        if grep -qE "^(file error:|OH SHIT|compile and link failed|audio: )" "$out"; then
            problem="${problem:+$problem; }unexpected loader line"
        fi
    fi
    # After the first frame only the camera triggers and GL error reports may repeat.
    local repeated
    repeated=$(sed -n '/^start-up: /,$p' "$out" | grep -vE "^(changing cam:|gl error:|start-up: )" |
        sort | uniq -c | awk '$1 >= 3 { $1 = ""; print; exit }')
    [ -z "$repeated" ] || problem="${problem:+$problem; }repeats:$repeated"
    if [ -n "$problem" ]; then
        {
            echo "FAIL $kind $file: $problem"
            grep -v "^capture:" "$out" | tail -15 | sed 's/^/    /'
        } >"$dir.result"
    else
        echo "ok $kind $file" >"$dir.result"
    fi
    rm -rf "$dir" "$out"
}
export -f run_case
export work data capture music
export visits_flat="${visits[*]}"

cases=()
for f in "${images[@]}"; do cases+=("missing $f" "zero $f" "truncated $f"); done
for f in "${meshes[@]}"; do cases+=("missing $f"); done
for f in "${shaders[@]}"; do cases+=("missing $f" "broken $f"); done
cases+=("missing $music" "notmp3 $music")
# BROKEN_FILES_ONLY=REGEX runs only the matching cases (and no demo runs), while working.
if [ -n "${BROKEN_FILES_ONLY:-}" ]; then
    mapfile -t cases < <(printf '%s\n' "${cases[@]}" | grep -E -- "$BROKEN_FILES_ONLY")
fi

# One private display for every case; two cases at a time (BF_JOBS sets how many).
printf '%s\n' "${cases[@]}" >"$work/cases.txt"
"$source_dir/tests/with-xvfb.sh" bash -c '
    xargs -P ${BF_JOBS:-2} -L 1 bash -c "visits=(\$visits_flat); run_case \"\$0\" \"\$1\"" <"$work/cases.txt"
' || fail "the cases could not be run"

total=${#cases[@]}
passed=0
for c in "${cases[@]}"; do
    read -r kind file <<<"$c"
    result=$work/$kind-$file.result
    if [ ! -f "$result" ]; then
        echo "FAIL $kind $file: no result"
    elif grep -q "^ok " "$result"; then
        passed=$((passed + 1))
    else
        cat "$result"
    fi
done
echo "$passed of $total file cases passed"
[ "$passed" -eq "$total" ] || fail "broken files"

# The real program, once per kind of damage: starts, and Escape ends it with status 0.
demo_case() {
    local kind=$1 file=$2
    local dir=$work/demo-$kind-$file
    mkdir -p "$dir"
    ln -s "$data"/* "$dir"/
    rm "$dir/$file"
    case $kind in
        zero) : >"$dir/$file" ;;
        broken) printf '#version 120\nvoid main() { this is not a shader; }\n' >"$dir/$file" ;;
        notmp3) printf 'not an MP3\n' >"$dir/$file" ;;
    esac
    local status
    status=$("$source_dir/tests/with-xvfb.sh" "$source_dir/tests/run_demo.sh" "$demo" "$dir" \
        "$dir" escape) || fail "Xvfb run failed"
    [ "$status" = 0 ] || { tail -20 "$dir.txt" "$dir.err"; fail "demo with $kind $file: status $status"; }
    grep -q "initing demo finally finished scene" "$dir.txt" || fail "demo with $kind $file: no start-up"
    echo "ok demo $kind $file"
}
[ -z "${BROKEN_FILES_ONLY:-}" ] || { echo "PASS (only the chosen cases)"; exit 0; }
demo_case missing introback.png
demo_case zero slide01.png
demo_case missing tunnel.obj.bin
demo_case missing overlay.frag
demo_case broken box.vert
demo_case missing $music
demo_case notmp3 $music
echo "PASS"
