#!/usr/bin/env bash
# Videos as the show is published: 2 s at 1080p and half a second at 4K, each checked for
# its size, rate, frame count, encoding and colour tags, black bars beside a lit picture,
# an AAC track, the progress line; and the music in the 1080p video lined up with the
# show's own track (as its audio layer decodes it) to within a millisecond.
set -uo pipefail
build=$1
source_dir=$2
source "$source_dir/tests/frame_tools.sh"
needs tromblo-slow_harbour.mp3 introback.png

capture_run() {
    local log=$1
    shift
    "$source_dir/tests/with-xvfb.sh" "$capture" --data "$data" "$@" >"$log" 2>&1 && return 0
    cat "$log"
    fail "capture $*"
}
# probe FILE STREAM ENTRIES: key=value lines of one stream.
probe() {
    ffprobe -v error -select_streams "$2" -show_entries "stream=$3" -of default=noprint_wrappers=1 "$1"
}
# expect_probe FILE STREAM key=value...: each entry as given.
expect_probe() {
    local file=$1 stream=$2
    shift 2
    local entries got want
    entries=$(printf '%s,' "${@%%=*}")
    got=$(probe "$file" "$stream" "${entries%,}")
    for want in "$@"; do
        grep -qxF -- "$want" <<<"$got" || fail "$(basename "$file") stream $stream: want $want, got: $(tr '\n' ' ' <<<"$got")"
    done
}
decoded_frames() {
    ffprobe -v error -count_frames -select_streams v -show_entries stream=nb_read_frames -of csv=p=0 "$1"
}

# 29000 to 30983 ms is 120 frames at 60 fps, across the tunnel's start at 30312 ms.
from=29000
video=$work/hd.mp4
capture_run "$work/hd.log" --size 1080p --from $from --to 30999 --video "$video"
expect_probe "$video" v codec_name=h264 profile=High pix_fmt=yuv420p width=1920 height=1080 \
    r_frame_rate=60/1 color_range=tv color_space=bt709 color_transfer=bt709 color_primaries=bt709
[ "$(decoded_frames "$video")" = 120 ] || fail "1080p: $(decoded_frames "$video") frames, want 120"
expect_probe "$video" a codec_name=aac sample_rate=44100 channels=2
rate=$(probe "$video" a bit_rate | cut -d= -f2)
[ "$rate" -ge 300000 ] && [ "$rate" -le 340000 ] || fail "AAC at $rate bit/s, want about 320 kbit/s"
grep -qE "^capture: [0-9]+ of 120 frames, [0-9.]+ fps, about [0-9]+:[0-9]{2} left" "$work/hd.log" ||
    fail "no progress line with frames, rate and time left: $(grep '^capture:' "$work/hd.log")"

# The 4:3 picture is 1440 wide in the middle: 240 columns of black on either side (a few
# columns next to it may carry the encoder's ringing), the picture's own edges lit.
for frame in 0 60 119; do
    png=$work/hd_$frame.png
    ffmpeg -v error -i "$video" -vf "select=eq(n\,$frame)" -frames:v 1 "$png"
    for x in 0 1684; do
        m=$(region_max "$png" 236 1080 "$x" 0)
        [ "$m" -le 2 ] || fail "1080p frame $frame: bar at x $x not black (level $m)"
    done
    for x in 240 1672; do
        n=$(region_lit "$png" 8 1080 "$x" 0 16)
        [ "$n" -ge 500 ] || fail "1080p frame $frame: the picture's edge at x $x is dark ($n lit)"
    done
done

# The music: the show's whole track as its audio layer decodes it, and the video's sound
# decoded again (the MP4's edit list leaving out the AAC encoder's priming), compared at
# the video's start and a second and a half in. The show plays sample t * 44.1 at t ms.
capture_run "$work/track.log" --wav "$work/track.wav"
start=$((from * 441 / 10))
range=1100
for offset in 0 66150; do
    ffmpeg -v error -i "$work/track.wav" \
        -af "atrim=start_sample=$((start + offset - range)):end_sample=$((start + offset + 4096 + range))" \
        -ac 1 -f s16le "$work/track_$offset.raw"
    ffmpeg -v error -i "$video" -vn -af "atrim=start_sample=$offset:end_sample=$((offset + 4096))" \
        -ac 1 -f s16le "$work/video_$offset.raw"
    read -r late correlation < <(lag "$work/track_$offset.raw" "$work/video_$offset.raw" $range)
    echo "music $offset samples in: $late samples late, correlation $correlation"
    [ "${late#-}" -le 44 ] || fail "the video's music is $late samples off the show's at $offset samples in"
    awk -v c="$correlation" 'BEGIN { exit !(c >= 0.9) }' ||
        fail "the video's music does not match the show's $offset samples in (correlation $correlation)"
done
# The stretch's own WAV is the same stretch of the same track, found by seeking.
capture_run "$work/stretch.log" --from $from --to 30999 --wav "$work/stretch.wav"
cmp -s <(tail -c +45 "$work/stretch.wav") \
    <(tail -c +$((44 + 4 * start + 1)) "$work/track.wav" | head -c $((120 * 735 * 4))) ||
    fail "the stretch's WAV is not the track from $from ms"

# Half a second at 4K: the picture 2880 x 2160 between 480-column bars.
video=$work/uhd.mp4
capture_run "$work/uhd.log" --size 4k --from 150000 --to 150500 --video "$video"
expect_probe "$video" v profile=High pix_fmt=yuv420p width=3840 height=2160 r_frame_rate=60/1
expect_probe "$video" a codec_name=aac
[ "$(decoded_frames "$video")" = 31 ] || fail "4K: $(decoded_frames "$video") frames, want 31"
png=$work/uhd_last.png
ffmpeg -v error -i "$video" -vf "select=eq(n\,30)" -frames:v 1 "$png"
for x in 0 3364; do
    m=$(region_max "$png" 476 2160 "$x" 0)
    [ "$m" -le 2 ] || fail "4K: bar at x $x not black (level $m)"
done
n=$(region_lit "$png" 2880 2160 480 0 16)
[ "$n" -ge 1000000 ] || fail "4K: only $n pixels of the picture lit"
echo "PASS"
