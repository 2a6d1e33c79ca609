#!/bin/sh
# Drives the real program on a virtual display inside a pids cgroup whose
# limit is set, once the window is up, to the tasks the program already has,
# so that no new thread can be had. "Calculate Frequencies" and "Save
# Frequencies" must still count and write the whole report, and the program
# must go on running until it is told to end.
# Needs root and a pids controller it may write to (cgroup v1 or v2); skips
# (77) otherwise.
# Usage: no_thread_left.sh PROGRAM
set -u
if [ "${1:-}" != --inside ]; then
    for tool in xvfb-run xdotool; do
        command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
    done
    [ "$(id -u)" = 0 ] || { echo "SKIP: a pids cgroup needs root"; exit 77; }
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --inside "$(realpath "$1")"
fi
program=$2
export QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 ASAN_OPTIONS=detect_leaks=0

if [ -f /sys/fs/cgroup/pids/cgroup.procs ]; then
    pids=/sys/fs/cgroup/pids
elif grep -qw pids /sys/fs/cgroup/cgroup.controllers 2>/dev/null; then
    pids=/sys/fs/cgroup
    grep -qw pids "$pids/cgroup.subtree_control" || echo +pids >"$pids/cgroup.subtree_control" 2>/dev/null
else
    echo "SKIP: no pids cgroup controller"
    exit 77
fi
group="$pids/tallivor-no-thread-$$"
mkdir "$group" 2>/dev/null && [ -f "$group/pids.max" ] || {
    rmdir "$group" 2>/dev/null
    echo "SKIP: cannot make a pids cgroup under $pids"
    exit 77
}

work=$(mktemp -d)
export XDG_RUNTIME_DIR="$work"
printf 'AAAB' >"$work/source"
app=""
finish() {
    echo max >"$group/pids.max" 2>/dev/null
    [ -z "$app" ] || { kill -9 "$app" 2>/dev/null; wait "$app" 2>/dev/null; }
    rmdir "$group" 2>/dev/null
    rm -rf "$work"
}
trap finish EXIT
fail() {
    echo "FAIL: $*"
    cat "$work/program.log"
    exit 1
}
refused() {
    sed -n 's/^max //p' "$group/pids.events"
}
running() {
    state=$(cut -d' ' -f3 "/proc/$app/stat" 2>/dev/null)
    [ -n "$state" ] && [ "$state" != Z ]
}
# Replaces the text of a box at (x, y) of the client area, then clicks the
# button at (bx, by); the controls' designed places, at 15 twips a pixel.
type_and_click() {
    xdotool mousemove --window "$window" "$1" "$2" click 1
    xdotool key ctrl+a
    xdotool type --delay 5 "$3"
    xdotool mousemove --window "$window" "$4" "$5" click 1
}

sh -c 'echo $$ >"$0/cgroup.procs" && exec "$1"' "$group" "$program" >"$work/program.log" 2>&1 &
app=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tallivor$' | head -n 1)
[ -n "$window" ] || fail "no window"
xdotool windowfocus --sync "$window"
sleep 1
before=$(refused)
cat "$group/pids.current" >"$group/pids.max"
echo "limit: $(cat "$group/pids.max") tasks, all taken"

type_and_click 300 633 "$work/source" 792 288
sleep 1
type_and_click 300 657 "$work/report.txt" 792 516
for _ in $(seq 1 100); do
    [ "$(wc -l 2>/dev/null <"$work/report.txt")" = 266 ] || ! running && break
    sleep 0.1
done
running || fail "the program ended under the limit"
[ "$(refused)" -gt "$before" ] || fail "the limit refused no thread: nothing was tried"
lines=$(wc -l 2>/dev/null <"$work/report.txt")
[ "$lines" = 266 ] || fail "the report has ${lines:-no} lines"
total=$(sed -n 4p "$work/report.txt" | tr -d '\r')
[ "$total" = "Total Chars:    4" ] || fail "the report says \"$total\""
echo "$(($(refused) - before)) threads refused; counted and saved on the window's thread"

kill -s TERM "$app"
wait "$app"
status=$?
app=""
[ "$status" = 143 ] || fail "SIGTERM afterwards: status $status"
echo "ended by SIGTERM as usual"
