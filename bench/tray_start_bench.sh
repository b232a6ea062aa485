#!/usr/bin/env bash
# Whole-process figures of the tray program: the time from start to its icon
# being docked in a tray host, and the resident memory of the idle program
# holding a 5000-entry list.
#   bench/tray_start_bench.sh <zeb> <an mp3 file> [runs]
set -uo pipefail
ZEB=$1
MP3=$2
RUNS=${3:-5}
source "$(dirname "$0")/../scripts/lib/session.sh"
source "$(dirname "$0")/../tests/e2e/lib.sh"
trap session_stop_all EXIT

session_start_display || exit 1
session_start_tray || exit 1
zeb_workspace bench "$ZEB" || exit 1

now_ms() { echo $((${EPOCHREALTIME/./} / 1000)); }

# Polls for the docked icon every <interval> seconds, for at most 30 s.
wait_docked() { # <interval>
    local deadline=$(($(now_ms) + 30000))
    until zeb_icon_docked; do
        if [ "$(now_ms)" -ge "$deadline" ]; then
            echo "the icon did not dock within 30 s" >&2
            kill -KILL "$pid"
            exit 1
        fi
        sleep "$1"
    done
}

# Start to docked, with an empty list; the first run warms the file cache.
times=()
for run in $(seq 0 "$RUNS"); do
    rm -f "$work/zeb.m3u"
    start=$(now_ms)
    "$work/zeb" >/dev/null 2>&1 &
    pid=$!
    wait_docked 0.005
    end=$(now_ms)
    kill -TERM "$pid"
    wait "$pid"
    [ "$run" -gt 0 ] && times+=($((end - start)))
done
sorted=$(printf '%s\n' "${times[@]}" | sort -n)
echo "start to docked (ms), $RUNS runs: $(echo $sorted) ; median $(echo "$sorted" | sed -n "$(((RUNS + 1) / 2))p")"

# A 5000-entry list of real files (hard links to one file), not playing.
mkdir -p "$work/music"
{
    echo "[$(id -un)]" # the user list's section is the user's name
    for i in $(seq -w 1 5000); do
        ln "$MP3" "$work/music/track$i.mp3"
        echo "$work/music/track$i.mp3"
    done
} >"$work/zeb.m3u"
printf '[%s]\nAutoPlay=0\nCurrentInPlaylist=0\n' "$section" >"$work/zeb.ini"
"$work/zeb" >/dev/null 2>&1 &
pid=$!
wait_docked 0.05
sleep 8 # the info scanner reads every entry once, then the program idles
rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status")
echo "idle resident memory with 5000 entries: $((rss / 1024)) MiB ($rss kB)"
kill -TERM "$pid"
wait "$pid"
saved=$(grep -c '^/' "$work/zeb.m3u")
echo "entries saved at exit: $saved"
