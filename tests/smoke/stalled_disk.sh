#!/bin/sh
# Drives the real program on a virtual display, with a window manager,
# against a FUSE folder whose fsync takes seconds and whose file "stalled"
# never answers a read:
#  - SIGTERM, SIGINT and SIGHUP during a save end the program only once the
#    report is complete, with the signal's status and no temporary file left;
#  - SIGTERM during a count that waits on the stalled file ends it at once;
#  - closing the window during that count ends the program at once.
# Prints how long each end took. Skips (77) where FUSE cannot be mounted.
# Usage: stalled_disk.sh PROGRAM SLOW_FUSE
set -u
if [ "${1:-}" != --inside ]; then
    for tool in xvfb-run xdotool xprop openbox fusermount3; do
        command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
    done
    [ -r /dev/fuse ] && [ -w /dev/fuse ] || { echo "SKIP: /dev/fuse is not usable"; exit 77; }
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --inside "$(realpath "$1")" "$(realpath "$2")"
fi
program=$2
slow_fuse=$3
export QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8
# Nothing here needs a session bus: without this every start would launch a
# bus daemon of its own, which outlives the program until the display closes.
export DBUS_SESSION_BUS_ADDRESS=disabled:
# The leak check at the end stops every thread, and one that waits on the
# stalled file cannot be stopped.
export ASAN_OPTIONS=detect_leaks=0
fsync_seconds=3

work=$(mktemp -d)
export XDG_RUNTIME_DIR="$work"
mkdir "$work/folder" "$work/mount"
echo "never read" >"$work/folder/stalled"
printf 'AAAB' >"$work/source"
fuse="" wm="" app=""
finish() {
    [ -z "$app" ] || kill -9 "$app" 2>/dev/null
    [ -z "$wm" ] || kill "$wm" 2>/dev/null
    fusermount3 -u -z "$work/mount" 2>/dev/null
    # Ending the file system ends whatever still waits on it.
    [ -z "$fuse" ] || kill -9 "$fuse" 2>/dev/null
    rm -rf "$work"
}
trap finish EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}

"$slow_fuse" "$work/folder" "$work/mount" "$fsync_seconds" >"$work/fuse.log" 2>&1 &
fuse=$!
for _ in $(seq 1 50); do
    grep -q " $work/mount " /proc/mounts && break
    sleep 0.1
done
grep -q " $work/mount " /proc/mounts || { echo "SKIP: FUSE did not mount: $(cat "$work/fuse.log")"; exit 77; }
openbox >/dev/null 2>&1 &
wm=$!
# A window mapped while the window manager is still starting can stay
# unmapped for good: the program starts once openbox has taken the screen.
wm_ready() {
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}
for _ in $(seq 1 200); do
    wm_ready && break
    sleep 0.05
done
wm_ready || fail "openbox did not start"

now() {
    date +%s.%N
}
elapsed() {
    awk -v start="$1" -v end="$(now)" 'BEGIN { printf "%.2f", end - start }'
}

# What a start that showed no window left behind: whether the program runs
# and where each of its threads waits, whether the window manager runs, and
# the windows of that name that the display has, shown or not.
why_no_window() {
    if running; then
        echo "the program runs; its threads wait in:"
        for task in /proc/"$app"/task/*; do
            echo "  $(cat "$task/comm") $(cut -d' ' -f3 "$task/stat") $(cat "$task/wchan")"
        done
        command -v gdb >/dev/null &&
            gdb -p "$app" -batch -ex "thread apply all bt 15" 2>/dev/null | grep -E '^(Thread|#)'
    else
        wait "$app"
        echo "the program ended with status $?"
        app=""
    fi
    kill -0 "$wm" 2>/dev/null && echo "openbox runs" || echo "openbox has ended"
    for id in $(xdotool search --name Tallivor 2>/dev/null); do
        xwininfo -id "$id" | grep -E 'xwininfo|Map State'
    done
}
# Starts the program and prints its window.
start() {
    "$program" >"$work/program.log" 2>&1 &
    app=$!
    window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Tallivor$' | head -n 1)
    if [ -z "$window" ]; then
        echo "FAIL: no window: $(cat "$work/program.log")"
        why_no_window
        exit 1
    fi
    xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
    sleep 0.3
}
# Replaces the text of a box at (x, y) of the client area.
type_into() {
    xdotool mousemove --window "$window" "$1" "$2" click 1
    xdotool key ctrl+a
    xdotool type --delay 5 "$3"
}
# The controls' designed places, at 15 twips a pixel.
calculate() {
    type_into 300 633 "$1"
    xdotool mousemove --window "$window" 792 288 click 1
}
save() {
    type_into 300 657 "$1"
    xdotool mousemove --window "$window" 792 516 click 1
}
# Whether the program runs: once ended it stays a zombie until waited for.
running() {
    state=$(cut -d' ' -f3 "/proc/$app/stat" 2>/dev/null)
    [ -n "$state" ] && [ "$state" != Z ]
}
# Waits up to $1 seconds for the program to end; sets status to its exit
# status, or to "running".
wait_for_end() {
    status=running
    for _ in $(seq 1 "$(($1 * 20))"); do
        if ! running; then
            wait "$app"
            status=$?
            app=""
            return
        fi
        sleep 0.05
    done
}

for signal_and_number in TERM:15 INT:2 HUP:1; do
    signal=${signal_and_number%:*}
    rm -f "$work/folder/report.txt"
    start
    calculate "$work/source"
    # Keys and clicks that arrive during the count are dropped: on a busy
    # machine the count of four bytes still takes a while to start and end.
    sleep 1.5
    save "$work/mount/report.txt"
    for _ in $(seq 1 200); do
        ls -A "$work/folder" | grep -q '^\.tallivor-' && break
        sleep 0.05
    done
    ls -A "$work/folder" | grep -q '^\.tallivor-' || fail "SIG$signal: the save did not start"
    sent=$(now)
    kill -s "$signal" "$app"
    sleep 1
    running || fail "SIG$signal ended the program in the middle of the save"
    wait_for_end $((fsync_seconds + 10))
    took=$(elapsed "$sent")
    [ "$status" = "$((128 + ${signal_and_number#*:}))" ] || fail "SIG$signal during a save: status $status"
    leftovers=$(ls -A "$work/folder" | grep '^\.tallivor-')
    [ -z "$leftovers" ] || fail "SIG$signal left $leftovers behind"
    lines=$(wc -l <"$work/folder/report.txt")
    [ "$lines" = 266 ] || fail "SIG$signal: the report has $lines lines"
    echo "SIG$signal during a save: ended ${took}s after the signal, once the report was complete"
done

start
calculate "$work/mount/stalled"
sleep 1
running || fail "the count of the stalled file ended the program"
sent=$(now)
kill -s TERM "$app"
wait_for_end 10
[ "$status" = 143 ] || fail "SIGTERM during a stalled count: status $status"
echo "SIGTERM during a stalled count: ended after $(elapsed "$sent")s"

start
calculate "$work/mount/stalled"
sleep 1
sent=$(now)
xdotool key alt+F4
wait_for_end 10
[ "$status" = 0 ] || fail "closing during a stalled count: status $status"
echo "close during a stalled count: ended after $(elapsed "$sent")s"
