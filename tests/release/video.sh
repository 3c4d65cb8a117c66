#!/bin/sh
# video.sh CMAKE BINARY_DIR: make video-preview of beats 100 to 112 must hold exactly the frames
# that span at 30 per second, 640x360 in H.264 High profile, and an AAC sound track as long as
# the pictures (to within one frame).
set -eu
cmake=$1 bin=$2
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
command -v ffmpeg >/dev/null && command -v ffprobe >/dev/null || {
    echo "SKIPPED: no ffmpeg and ffprobe here"
    exit 0
}
version=$("$bin/vorndle" --version | cut -d' ' -f2)
video=$bin/vorndle-$version-360p30.mp4
rm -f "$video"
VIDEO_FROM=100 VIDEO_TO=112 "$cmake" --build "$bin" --target video-preview >/dev/null
[ -s "$video" ] || fail "make video-preview made no $video"

bpm=$(sed -n 's/.*<song [^>]*bpm="\([0-9.]*\)".*/\1/p' "$bin/data/demo.xml")
[ -n "$bpm" ] || fail "no tempo in $bin/data/demo.xml"
seconds=$(awk -v bpm="$bpm" 'BEGIN { print 12 * 60 / bpm }')
expected=$(awk -v s="$seconds" 'BEGIN { f = s * 30; n = int(f); if (n < f) n++; print n }')

probe() { ffprobe -v error -select_streams "$1" -show_entries "$2" -of default=noprint_wrappers=1:nokey=1 "$video"; }
frames=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames \
    -of default=noprint_wrappers=1:nokey=1 "$video")
[ "$frames" = "$expected" ] || fail "$frames frames, not the $expected of $seconds s at 30 per second"
[ "$(probe v:0 stream=codec_name,profile,width,height,avg_frame_rate | tr '\n' ' ')" = "h264 High 640 360 30/1 " ] ||
    fail "the pictures are $(probe v:0 stream=codec_name,profile,width,height,avg_frame_rate | tr '\n' ' ')"
[ "$(probe a:0 stream=codec_name)" = aac ] || fail "the sound is $(probe a:0 stream=codec_name), not AAC"
sound=$(probe a:0 stream=duration)
awk -v a="$sound" -v v="$seconds" 'BEGIN { d = a - v; if (d < 0) d = -d; exit !(d <= 1 / 30) }' ||
    fail "the sound lasts $sound s, the pictures $seconds s"
echo "$frames frames and $sound s of sound for $seconds s of the film"
