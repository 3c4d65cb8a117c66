#!/bin/sh
# render-video.sh PLAYER OUTPUT.mp4 WxH FPS: renders the film (or beats VIDEO_FROM to VIDEO_TO
# when they are set) through the player's offline render, encoded for video sites.
set -e
player=$1 out=$2 size=$3 fps=$4
set -- --no-dialog --size "$size" --fps "$fps" --share --render "$out"
[ -z "$VIDEO_FROM" ] || set -- "$@" --from "$VIDEO_FROM"
[ -z "$VIDEO_TO" ] || set -- "$@" --to "$VIDEO_TO"
exec "$player" "$@"
