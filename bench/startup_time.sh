#!/bin/bash
# Start-up time of tavio against a bare Qt window, on a private Xvfb display.
#
#   bench/startup_time.sh <build folder> [runs]
#
# Each run starts the program with TAVIO_STARTUP_STAMP set; the program appends the real-time
# clock (ns) of its first window expose to that file. The time from just before the start to that
# moment is one sample. The two programs take turns so that a change in the machine's load
# touches both. tavio runs with its own empty TAVIO_HOME and runtime folder, so it meets no other
# player and no settings. Prints the median of each and their ratio.
set -u
build=${1:?build folder}
runs=${2:-15}
bare=$build/bench/bare_window
tavio=$build/app/tavio
for p in "$bare" "$tavio"; do
    [ -x "$p" ] || { echo "missing $p (build the targets bare_window and tavio)" >&2; exit 2; }
done

work=$(mktemp -d /tmp/tavio-startup.XXXXXX)
xvfb_pid=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# A free display number: no lock file and no socket.
display=
for n in $(seq 77 140); do
    if [ ! -e /tmp/.X$n-lock ] && [ ! -e /tmp/.X11-unix/X$n ]; then display=$n; break; fi
done
[ -n "$display" ] || { echo "no free display number" >&2; exit 2; }
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -e /tmp/.X11-unix/X$display ] && break; sleep 0.05; done
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

# One sample in ms: start the program, wait for its stamp, end it (and what it started).
sample() {
    local kind=$1 stamp=$work/stamp home=$work/home-$RANDOM runtime
    rm -f "$stamp"
    mkdir -p "$home"
    runtime=$(mktemp -d "$work/run.XXXXXX")
    chmod 700 "$runtime"
    local start pid
    start=$(date +%s%N)
    if [ "$kind" = bare ]; then
        TAVIO_STARTUP_STAMP=$stamp "$bare" >/dev/null 2>&1 &
    else
        TAVIO_STARTUP_STAMP=$stamp TAVIO_HOME=$home XDG_RUNTIME_DIR=$runtime "$tavio" >/dev/null 2>&1 &
    fi
    pid=$!
    for _ in $(seq 400); do [ -s "$stamp" ] && break; sleep 0.01; done
    local shown
    shown=$(head -n1 "$stamp" 2>/dev/null)
    kill -TERM "$pid" 2>/dev/null
    for _ in $(seq 200); do kill -0 "$pid" 2>/dev/null || break; sleep 0.01; done
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    # The sub-player ends once the player's panel is gone.
    sleep 0.3
    if [ -z "$shown" ]; then echo "nan"; return; fi
    echo $(( (shown - start) / 1000 ))  # microseconds
}

median() { sort -n | awk '{a[NR]=$1} END {if (NR==0) {print "nan"} else if (NR%2) {print a[(NR+1)/2]} else {print (a[NR/2]+a[NR/2+1])/2}}'; }

# One warm-up of each (page cache, font cache), not counted.
sample bare >/dev/null
sample tavio >/dev/null
: >"$work/bare.txt"
: >"$work/tavio.txt"
for _ in $(seq "$runs"); do
    sample bare >>"$work/bare.txt"
    sample tavio >>"$work/tavio.txt"
done
b=$(grep -v nan "$work/bare.txt" | median)
t=$(grep -v nan "$work/tavio.txt" | median)
awk -v b="$b" -v t="$t" -v n="$runs" 'BEGIN {
    printf "bare Qt window: median %.1f ms of %d runs\n", b / 1000, n
    printf "tavio:          median %.1f ms of %d runs\n", t / 1000, n
    if (b > 0) printf "ratio:          %.2f\n", t / b
}'
