#!/usr/bin/env bash
# Where part of a full-screen program would change nothing, the show draws a cheaper one
# instead: the backdrop without its dusk picture over the rows night has covered
# (overlayNight.frag), the closing composite without the metaball field in the columns the
# field cannot reach (lolvarlayHarbour.frag). Each must come out as the full program would,
# up to rounding: against frames drawn with the full program in its place, no channel of
# any pixel moves by more than 2 levels, and the mean moves by less than 0.1 of a level.
set -uo pipefail
build=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
source "$source_dir/tests/frame_tools.sh"
needs introback.png overlay.frag overlayNight.frag lolvarlay.frag lolvarlayHarbour.frag

reference=$work/reference-data
mkdir -p "$reference"
ln -s "$data"/* "$reference"/
for pair in overlayNight.frag:overlay.frag lolvarlayHarbour.frag:lolvarlay.frag; do
    rm "$reference/${pair%%:*}"
    cp "$data/${pair#*:}" "$reference/${pair%%:*}"
done

# Night over the opening's harbour and behind the tunnel, the sculpture (with and without
# its post pass), the loudspeakers and the creatures; the sphere scene in both halves; the
# composite through to the harbour going dark. The show is played to each moment, so the
# metaball field is where it would be.
moments=(22000 40000 60000 75000 100000 135000 150000 170000 180000 188000 200000 203500)
args=()
for t in "${moments[@]}"; do args+=(--at "$t"); done
for run in cheap reference; do
    folder=$data
    [ $run = reference ] && folder=$reference
    "$source_dir/tests/with-xvfb.sh" "$capture" --data "$folder" --out "$work/$run" "${args[@]}" \
        >"$work/$run.log" 2>&1 || { cat "$work/$run.log"; fail "capture ($run)"; }
done

for t in "${moments[@]}"; do
    read -r r g b mr mg mb < <(ffmpeg -v error -i "$work/cheap/at_$t.png" -i "$work/reference/at_$t.png" \
        -filter_complex "[0]format=gbrp[a];[1]format=gbrp[b];[a][b]blend=all_mode=difference,format=rgb24" \
        -f rawvideo - | od -An -v -tu1 -w3 |
        awk '{ for (c = 1; c <= 3; c++) { s[c] += $c; if ($c > m[c]) m[c] = $c } n++ }
             END { printf "%.4f %.4f %.4f %d %d %d\n", s[1] / n, s[2] / n, s[3] / n, m[1], m[2], m[3] }')
    echo "$t ms: mean $r $g $b, most $mr $mg $mb"
    for most in "$mr" "$mg" "$mb"; do
        [ "$most" -le 2 ] || fail "$t ms: a channel moves by $most levels"
    done
    for mean in "$r" "$g" "$b"; do
        awk -v m="$mean" 'BEGIN { exit !(m < 0.1) }' || fail "$t ms: a channel moves by $mean levels on average"
    done
done
echo "PASS: ${#moments[@]} frames within rounding of the full programs"
