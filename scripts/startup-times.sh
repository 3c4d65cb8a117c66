#!/bin/bash
# Times the player from launch to its first frame (its --stats line and load phases): a cold run
# with empty shader caches, one warm-up run, then RUNS runs at each size, printing the median and
# the phase table of the median run. Run it under an X server:
#   xvfb-run -a -s "-screen 0 1920x1080x24" scripts/startup-times.sh [BUILD] [SIZES...]
set -u
BUILD=${1:-build}
shift || true
SIZES=${*:-"1280x720 320x180"}
RUNS=${RUNS:-5}
PLAYER=${PLAYER:-vorndle}
log=$(mktemp)
run() { # size: leaves the run's output in $log
    "$BUILD/$PLAYER" --no-dialog --no-sound --from 8 --frames 3 --stats --size "$1" >"$log" 2>&1
}
firstFrame() { sed -n 's/.*first frame after \([0-9]*\) ms.*/\1/p' "$log"; }
for size in $SIZES; do
    cold=$(mktemp -d)
    MESA_SHADER_CACHE_DIR=$cold XDG_CACHE_HOME=$cold run "$size"
    echo "== $size cold: $(firstFrame) ms (load average $(cut -d' ' -f1 /proc/loadavg))"
    grep '^stats:' "$log"
    rm -rf "$cold"
    run "$size" # warm-up
    times=()
    for i in $(seq "$RUNS"); do
        run "$size"
        times+=("$(firstFrame)")
        grep '^stats:' "$log" >"$log.$i"
    done
    sorted=($(printf '%s\n' "${times[@]}" | sort -n))
    median=${sorted[$((RUNS / 2))]}
    echo "== $size warm: ${times[*]} ms, median $median (load average $(cut -d' ' -f1 /proc/loadavg))"
    for i in $(seq "$RUNS"); do
        if [ "${times[$((i - 1))]}" = "$median" ]; then
            cat "$log.$i"
            break
        fi
    done
    rm -f "$log".*
done
rm -f "$log"
