#!/usr/bin/env bash
# CPU share of the idle tray program over a stretch of time, with the
# minibar closed and with it open and following the active window (a
# terminal under a window manager). The difference is what the minibar adds.
#   bench/minibar_idle_bench.sh <zeb> [seconds]
set -uo pipefail
ZEB=$1
SECONDS_PER_RUN=${2:-60}
source "$(dirname "$0")/../scripts/lib/session.sh"
source "$(dirname "$0")/../tests/e2e/lib.sh"
trap session_stop_all EXIT

session_start_display || exit 1
session_start_wm || exit 1
session_start_tray || exit 1
zeb_workspace bench "$ZEB" || exit 1

xterm -T bench-term -geometry 100x30+200+200 -e sleep 100000 >/dev/null 2>&1 &
SESSION_PIDS+=($!)
session_wait_for 150 xdotool search --onlyvisible --name '^bench-term$' || exit 1
xdotool windowactivate --sync "$(xdotool search --onlyvisible --name '^bench-term$' | head -1)"

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

cpu_percent() { # <BarAtStartup>: the idle program's CPU share in percent
    printf '[%s]\nDockMinibar=1\nBarAtStartup=%s\n' "$section" "$1" >"$work/zeb.ini"
    "$work/zeb" >/dev/null 2>&1 &
    local pid=$!
    until zeb_icon_docked; do sleep 0.05; done
    sleep 3 # start-up settles
    local t0 t1
    t0=$(ticks "$pid")
    sleep "$SECONDS_PER_RUN"
    t1=$(ticks "$pid")
    kill -TERM "$pid"
    wait "$pid"
    awk -v d=$((t1 - t0)) -v hz="$(getconf CLK_TCK)" -v s="$SECONDS_PER_RUN" \
        'BEGIN { printf "%.3f", 100 * d / hz / s }'
}

closed=$(cpu_percent 0)
open=$(cpu_percent 1)
echo "idle CPU over ${SECONDS_PER_RUN} s: minibar closed ${closed} %, open and following ${open} %;" \
    "the minibar adds $(awk -v a="$open" -v b="$closed" 'BEGIN { printf "%.3f", a - b }')" \
    "percentage points (goal: under 0.1)"
