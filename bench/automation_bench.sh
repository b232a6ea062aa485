#!/usr/bin/env bash
# Whole-process figures of automation: a run over 10 000 files in watched
# folders, 100 of which changed (50 gone, 50 new), asked for through the
# message endpoint. Reports the run's time to the saved list, the program's
# CPU time for it, and the longest time the interface took to answer the
# endpoint while the run went on (against the same figure while idle).
#   bench/automation_bench.sh <zeb> <an mp3 file>
set -uo pipefail
ZEB=$1
MP3=$2
FILES=${ZEB_BENCH_FILES:-10000}
CHANGES=100
source "$(dirname "$0")/../scripts/lib/session.sh"
source "$(dirname "$0")/../tests/e2e/lib.sh"
trap session_stop_all EXIT

session_start_display || exit 1
session_start_tray || exit 1
zeb_workspace bench "$ZEB" || exit 1
socket="$work/run/zeb/ZEBAppClass"

# 100 folders of 100 files (hard links to one file), all listed.
{
    echo "[$(id -un)]" # the user list's section is the user's name
    for d in $(seq 1 $((FILES / 100))); do
        d=$(printf %03d "$d")
        mkdir -p "$work/music/album$d"
        for t in $(seq -w 1 100); do
            ln "$MP3" "$work/music/album$d/track$t.mp3"
            echo "$work/music/album$d/track$t.mp3"
        done
    done
} >"$work/zeb.m3u"
printf '[%s]\nAutoPlay=0\nCurrentInPlaylist=0\nAutRemove=1\nAutRemovedup=1\nAutRescan=1\nAutSort=1\nAutSaveset=1\nAutDirsCnt=1\nAutDir1=%s/music/\n' \
    "$section" "$work" >"$work/zeb.ini"

"$work/zeb" >/dev/null 2>&1 &
pid=$!
until zeb_icon_docked && [ -S "$socket" ]; do sleep 0.05; done

# Answers the endpoint's cheapest request in a loop; prints the longest reply
# time in milliseconds once the file `stop` exists.
cat >"$work/probe.py" <<'PY'
import os, socket, struct, sys, time
path, stop = sys.argv[1], sys.argv[2]
longest = 0.0
with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
    s.connect(path)
    while not os.path.exists(stop):
        t = time.monotonic()
        s.sendall(struct.pack("<III", 0x0400, 0, 0))
        answer = b""
        while len(answer) < 4:
            answer += s.recv(4 - len(answer))
        longest = max(longest, time.monotonic() - t)
        time.sleep(0.002)
print(f"{longest * 1000:.1f}")
PY
probe() { # <command...>: runs it; PROBED is the longest reply time meanwhile
    rm -f "$work/stop"
    python3 "$work/probe.py" "$socket" "$work/stop" >"$work/probe.out" &
    local prober=$!
    "${@}"
    touch "$work/stop"
    wait "$prober"
    PROBED=$(cat "$work/probe.out")
}
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
now_ms() { date +%s%3N; }

probe sleep 3
idle=$PROBED

# 50 files go, 50 appear in a new folder.
for t in $(seq 1 $((CHANGES / 2))); do rm "$work/music/album001/track$(printf %03d "$t").mp3"; done
mkdir "$work/music/new"
for t in $(seq -w 1 $((CHANGES / 2))); do ln "$MP3" "$work/music/new/fresh$t.mp3"; done
run_once() {
    ticks0=$(cpu_ticks)
    start=$(now_ms)
    python3 "$(dirname "$0")/../tests/e2e/endpoint_client.py" "$socket" command 32950 >/dev/null
    until grep -q "fresh$((CHANGES / 2))" "$work/zeb.m3u" 2>/dev/null &&
        ! grep -q "album001/track001.mp3" "$work/zeb.m3u"; do sleep 0.01; done
    end=$(now_ms)
    ticks1=$(cpu_ticks)
}
probe run_once
busy=$PROBED
hz=$(getconf CLK_TCK)
entries=$(grep -c '^/' "$work/zeb.m3u")
echo "automation over $FILES watched files with $CHANGES changes: $((end - start)) ms to the saved list ($entries entries), CPU $(((ticks1 - ticks0) * 1000 / hz)) ms"
echo "longest endpoint reply: $busy ms during the run, $idle ms idle"
kill -TERM "$pid"
wait "$pid"
