#!/bin/sh
# Starts the real program on a virtual display, waits for its window titled
# "Tallivor" and closes the program again.
# Usage: window_starts.sh PROGRAM
set -u
program=$1
# The tests around it run offscreen; this one needs the real display.
export QT_QPA_PLATFORM=xcb
exec xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    "$0" & pid=$!
    for attempt in $(seq 1 100); do
        if xwininfo -root -tree | grep -q "\"Tallivor\""; then
            kill "$pid"
            wait "$pid" 2>/dev/null
            echo "window Tallivor shown"
            exit 0
        fi
        kill -0 "$pid" 2>/dev/null || { echo "program ended before showing its window"; exit 1; }
        sleep 0.2
    done
    kill "$pid"
    echo "no window Tallivor within 20 seconds"
    exit 1
' "$program"
