#!/usr/bin/env bash
# Prints every content figure of the production, measured on the built tree:
#   - the frame rate of each part on the software driver (Mesa's llvmpipe under Xvfb) at 320x180,
#     live play from a representative beat of the part (build/vorndle --stats);
#   - the time from start to the first frame, and the loading within it;
#   - the size of the built data tree (du -sb);
#   - the resident size at beat 10 and at beat 260 of one run (bench_memory);
#   - the engine's CPU per frame of each part with GL stubbed, with allocations and GL calls per
#     frame (bench_frame's production cases);
#   - a memcheck run over frames of the first part at 160x90 (valgrind, installed with apt-get when
#     missing), its errors and definite leaks, with scripts/valgrind.supp holding back the noise of
#     Mesa, LLVM, X11 and SDL.
# It takes several minutes and is no part of `make test`.
#
# usage: scripts/measure-content.sh [BUILD_DIR]       (default: build)
#   FRAMES=N          frames of each part's live run (default 60)
#   SKIP_MEMCHECK=1   leave out the valgrind run (the slowest step)
#   SKIP_MEMORY=1     leave out the resident-size run
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD=${1:-build}
FRAMES=${FRAMES:-60}
# The parts and their representative beats (the same beats as bench_frame's production cases).
PARTS=(intro:60 windmill:150 outro:240)

# Everything runs on one Xvfb server, so every figure comes from the same software driver; the
# script starts itself again under xvfb-run. -noreset: the server would otherwise reset whenever its
# last client leaves, and the next run could find no display.
if [ -z "${VORNDLE_MEASURE_XVFB:-}" ]; then
    export VORNDLE_MEASURE_XVFB=1 SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=x11
    exec xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" "$0" "$@"
fi

if [ ! -f "$BUILD/build.ninja" ] && [ ! -f "$BUILD/Makefile" ]; then
    echo "measure-content: $BUILD is not a configured build folder (run make build first)" >&2
    exit 1
fi
echo "== building the production, its data and the benchmarks in $BUILD"
cmake --build "$BUILD" --target vorndle vorndle_states vorndle_pictures vorndle_song bench_frame bench_memory \
    >/dev/null

WORK=$(mktemp -d "${TMPDIR:-/tmp}/vorndle-measure-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
PLAYER="$BUILD/vorndle --no-dialog --no-sound --no-message-box --no-vsync"

# The "stats:" line of a run, e.g.
# stats: first frame after 1281 ms (loading 1110 ms), 60 frames in 14.05 s, 4.3 fps
stats_of() {
    grep '^stats:' "$1" | tail -1
}
field() { # field LINE REGEX: the first group of REGEX in LINE
    sed -E -n "s/.*$2.*/\\1/p" <<<"$1"
}

SUMMARY=()

echo "== frame rate on Xvfb's software driver at 320x180, $FRAMES frames of live play per part"
for entry in "${PARTS[@]}"; do
    part=${entry%%:*} beat=${entry#*:}
    $PLAYER --stats --from "$beat" --frames "$FRAMES" --size 320x180 2>"$WORK/$part.log" || true
    line=$(stats_of "$WORK/$part.log")
    if [ -z "$line" ]; then
        echo "  $part: no stats line; the run said:" && sed 's/^/    /' "$WORK/$part.log"
        SUMMARY+=("frame rate $part (beat $beat): failed")
        continue
    fi
    echo "  $part (from beat $beat): $line"
    SUMMARY+=("frame rate $part (beat $beat): $(field "$line" ', ([0-9.]+) fps') fps ($(field "$line" ', ([0-9]+ frames in [0-9.]+ s)'))")
done

echo "== start to first frame (320x180, beat 0)"
$PLAYER --stats --frames 1 --size 320x180 2>"$WORK/start.log" || true
line=$(stats_of "$WORK/start.log")
echo "  ${line:-no stats line}"
SUMMARY+=("start to first frame: $(field "$line" 'first frame after ([0-9]+ ms)') (loading $(field "$line" 'loading ([0-9]+ ms)'))")

echo "== data tree"
bytes=$(du -sb "$BUILD/data" | cut -f1)
echo "  $BUILD/data: $bytes bytes"
SUMMARY+=("data tree $BUILD/data: $bytes bytes ($(awk -v b="$bytes" 'BEGIN { printf "%.2f", b / 1048576 }') MiB)")

counter() { # counter LINE NAME: a benchmark counter's value
    sed -E -n "s/.*[[:space:]]$2=([^[:space:]]+).*/\\1/p" <<<"$1"
}

if [ -z "${SKIP_MEMORY:-}" ]; then
    echo "== resident size over one run (bench_memory)"
    "$BUILD/bench/bench_memory" 2>&1 | tee "$WORK/memory.log" | grep '^BM_' | sed 's/^/  /'
    for kind in OnDriver StubbedGl; do
        line=$(grep "^BM_ResidentSize$kind" "$WORK/memory.log" || true)
        [ -n "$line" ] || { SUMMARY+=("resident size ($kind): failed"); continue; }
        SUMMARY+=("resident size ($kind): beat 10 $(counter "$line" rss_beat10_MiB) MiB, beat 260 $(counter "$line" rss_beat260_MiB) MiB, growth $(counter "$line" growth_percent) %")
    done
fi

echo "== CPU per frame with GL stubbed (bench_frame, production cases)"
"$BUILD/bench/bench_frame" --benchmark_filter=Production 2>&1 | tee "$WORK/frame.log" | grep '^BM_' | sed 's/^/  /'
while read -r name time unit _cpu _cpuunit _iterations rest; do
    SUMMARY+=("CPU per frame ${name#BM_ProductionStubbedGl/}: $time $unit, $(counter " $rest" allocations_per_frame) allocations, $(counter " $rest" gl_calls_per_frame) GL calls")
done < <(grep '^BM_ProductionStubbedGl/' "$WORK/frame.log")

if [ -z "${SKIP_MEMCHECK:-}" ]; then
    echo "== memcheck over the first part's frames (160x90, beats 0 to 20 at 2 fps)"
    if ! command -v valgrind >/dev/null; then
        echo "  installing valgrind"
        sudo_=$([ "$(id -u)" = 0 ] || echo sudo)
        $sudo_ apt-get update -qq && $sudo_ apt-get install -y -qq valgrind >/dev/null
    fi
    # The render is frame-exact: however slow memcheck makes each frame, all 20 fall in the first
    # part. One llvmpipe thread and no shader disk cache keep the driver's own reports out.
    mkdir -p "$BUILD/measure"
    log="$BUILD/measure/memcheck.log"
    LP_NUM_THREADS=0 MESA_SHADER_CACHE_DISABLE=true valgrind --tool=memcheck \
        --suppressions="$ROOT/scripts/valgrind.supp" --num-callers=30 --leak-check=full \
        --show-leak-kinds=definite --errors-for-leak-kinds=definite --log-file="$log" \
        "$BUILD/vorndle" --no-dialog --no-message-box --size 160x90 --render "$WORK/frames/" --from 0 --to 20 \
        --fps 2 2>"$WORK/memcheck.out" || true
    # A process the program forks writes its own summary first; the program's is the last.
    summary=$(grep 'ERROR SUMMARY' "$log" | tail -1 | sed 's/^==[0-9]*== //')
    lost=$(grep 'definitely lost:' "$log" | tail -1 | sed 's/^==[0-9]*== *//')
    frames=$(find "$WORK/frames" -name '*.png' 2>/dev/null | wc -l)
    echo "  $frames frames; ${summary:-no summary}; ${lost:-definitely lost: 0 bytes}; the log: $log"
    SUMMARY+=("memcheck ($frames frames): ${summary:-failed}; ${lost:-definitely lost: 0 bytes}")
fi

echo
echo "== content figures ($(nproc) processors, load average $(cut -d' ' -f1-3 /proc/loadavg))"
printf '  %s\n' "${SUMMARY[@]}"
