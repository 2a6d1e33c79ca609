#!/bin/sh
# Starts the real program off screen and checks that it ignores SIGXFSZ and
# SIGPIPE from its start, so that a save beyond the file size limit or into
# a pipe whose reader has gone fails with a message instead of ending it.
# Usage: program_ignores_write_signals.sh PROGRAM
set -u
QT_QPA_PLATFORM=offscreen "$1" & pid=$!
trap 'kill "$pid" 2>/dev/null' EXIT
# Bit n-1 of SigIgn stands for signal n: SIGPIPE 13, SIGXFSZ 25.
wanted=$(( (1 << 12) | (1 << 24) ))
for attempt in $(seq 1 100); do
    mask=$(awk '/^SigIgn:/ { print $2 }' "/proc/$pid/status" 2>/dev/null) ||
        { echo "program ended at once"; exit 1; }
    if [ $(( 0x$mask & wanted )) -eq "$wanted" ]; then
        echo "SIGXFSZ and SIGPIPE ignored"
        exit 0
    fi
    sleep 0.1
done
echo "signals ignored: $mask"
exit 1
