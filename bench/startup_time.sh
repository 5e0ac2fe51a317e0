#!/bin/bash
# Start-up time of tavio against a bare Qt window, on a private Xvfb display.
#
#   bench/startup_time.sh <build folder> [runs]
#
# Each run starts a program with TAVIO_STARTUP_STAMP and TAVIO_STARTUP_EXIT set: the program
# appends the real-time clock (ns) of its first window expose to that file and ends there. The
# time from just before the start to that moment is one sample. Three programs take turns, so
# that a change in the machine's load touches all of them:
#   bare       the bare window (bench/bare_window);
#   bare+menu  the same with a menu bar of one Japanese title (the least any window showing text
#              costs: the font configuration, the font list, a Japanese face);
#   tavio      the player, with its own empty TAVIO_HOME and runtime folder, so it meets no other
#              player and no settings.
# Prints the median of each and the ratios. A desktop session has a message bus, which the
# toolkit talks to at start (without one it tries to launch one); without one the script runs
# itself inside a private bus.
set -u
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] && command -v dbus-run-session >/dev/null; then
    exec dbus-run-session -- "$0" "$@" 2> >(grep -v "Failed to set fd limit" >&2)
fi
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

# One sample in microseconds: start the program and wait until it ends at its first expose.
sample() {
    local kind=$1 stamp=$work/stamp home=$work/home-$RANDOM runtime start
    rm -f "$stamp"
    mkdir -p "$home"
    runtime=$(mktemp -d "$work/run.XXXXXX")
    chmod 700 "$runtime"
    start=$(date +%s%N)
    case "$kind" in
    bare) TAVIO_STARTUP_EXIT=1 TAVIO_STARTUP_STAMP=$stamp timeout 10 "$bare" >/dev/null 2>&1 ;;
    menu) TAVIO_STARTUP_EXIT=1 TAVIO_STARTUP_STAMP=$stamp timeout 10 "$bare" --menu >/dev/null 2>&1 ;;
    *) TAVIO_STARTUP_EXIT=1 TAVIO_STARTUP_STAMP=$stamp TAVIO_HOME=$home XDG_RUNTIME_DIR=$runtime \
        timeout 10 "$tavio" >/dev/null 2>&1 ;;
    esac
    local shown
    shown=$(head -n1 "$stamp" 2>/dev/null)
    if [ -z "$shown" ]; then echo "nan"; return; fi
    echo $(( (shown - start) / 1000 ))
}

median() { sort -n | awk '{a[NR]=$1} END {if (NR==0) {print "nan"} else if (NR%2) {print a[(NR+1)/2]} else {print (a[NR/2]+a[NR/2+1])/2}}'; }

# One warm-up of each (page cache, font cache), not counted.
for kind in bare menu tavio; do sample $kind >/dev/null; : >"$work/$kind.txt"; done
for _ in $(seq "$runs"); do
    for kind in bare menu tavio; do sample $kind >>"$work/$kind.txt"; done
done
b=$(grep -v nan "$work/bare.txt" | median)
m=$(grep -v nan "$work/menu.txt" | median)
t=$(grep -v nan "$work/tavio.txt" | median)
awk -v b="$b" -v m="$m" -v t="$t" -v n="$runs" 'BEGIN {
    printf "bare Qt window:           median %.1f ms of %d runs\n", b / 1000, n
    printf "bare window with a menu:  median %.1f ms of %d runs\n", m / 1000, n
    printf "tavio:                    median %.1f ms of %d runs\n", t / 1000, n
    if (b > 0) printf "ratio tavio / bare:       %.2f\nratio menu / bare:        %.2f\n", t / b, m / b
    if (m > 0) printf "ratio tavio / menu:       %.2f\n", t / m
}'
