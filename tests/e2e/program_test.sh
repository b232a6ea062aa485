#!/usr/bin/env bash
# Whole-program test: zeb starts on a virtual display with a tray host, docks
# its icon, and saves its settings beside the program file when it is ended
# by a signal; "-g" uses the shared section, a renamed program its own file.
set -uo pipefail
ZEB=$1
source "$(dirname "$0")/lib.sh"
trap session_stop_all EXIT

session_start_display || exit 1
session_start_tray || exit 1

work=$(mktemp -d "${TMPDIR:-/tmp}/zeb-e2e.XXXXXX")
SESSION_DIRS+=("$work")
cp "$ZEB" "$work/zeb"
user=$(id -un)
# A runtime folder of our own: the instance lock and endpoint of other runs
# stay out of the way.
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run"

run_and_signal() { # <program> <signal> [args...]: start, wait for the icon, send signal
    local program=$1 sig=$2
    shift 2
    "$program" "$@" >"$work/out.log" 2>&1 &
    local pid=$!
    local docked=1 tries=$((200 * ${ZEB_TEST_PATIENCE:-4}))
    while [ $tries -gt 0 ] && kill -0 "$pid" 2>/dev/null; do
        zeb_icon_docked && { docked=0; break; }
        sleep 0.1
        tries=$((tries - 1))
    done
    [ "$docked" -eq 0 ] || cat "$work/out.log"
    kill -"$sig" "$pid"
    wait "$pid"
    local status=$?
    [ "$docked" -eq 0 ] && [ "$status" -eq 0 ]
}

ended() { # <pid>: gone or a zombie
    local state
    state=$(sed -n 's/^State:[[:space:]]*\(.\).*/\1/p' "/proc/$1/status" 2>/dev/null)
    [ -z "$state" ] || [ "$state" = Z ]
}

run_and_signal_promptly() { # like run_and_signal; zeb must end within 10 s of the signal
    local program=$1 sig=$2
    shift 2
    "$program" "$@" >"$work/out.log" 2>&1 &
    local pid=$!
    if ! session_wait_for 200 zeb_icon_docked; then
        cat "$work/out.log"
        kill -KILL "$pid"
        wait "$pid"
        return 1
    fi
    kill -"$sig" "$pid"
    local prompt=0
    session_wait_for 100 ended "$pid" || prompt=1
    wait "$pid"
    local status=$?
    [ "$prompt" -eq 0 ] || echo "zeb took more than 10 s to end" >&2
    [ "$prompt" -eq 0 ] && [ "$status" -eq 0 ]
}

check "icon docks in the tray and SIGTERM ends zeb cleanly" run_and_signal "$work/zeb" TERM
check "settings file lies beside the program" test -f "$work/zeb.ini"
check "settings are written to the user's own section" \
    test "$(ini_value "$work/zeb.ini" "Preferences - $user" Clicks2)" = 4
check "defaults are written for every group of keys" \
    test "$(ini_value "$work/zeb.ini" "Preferences - $user" W2Fplay)" = "Now playing: %T"

# Values edited by hand survive a run; foreign lines stay untouched.
sed -i "s/^ShuffleMode=0/ShuffleMode=1/; s/^TPC=30/TPC=12abc/" "$work/zeb.ini"
sed -i "1i ; kept by hand" "$work/zeb.ini"
echo "FutureKey=stays" >>"$work/zeb.ini"
check "SIGHUP ends zeb cleanly" run_and_signal "$work/zeb" HUP
check "a value set by hand is read and written back" \
    test "$(ini_value "$work/zeb.ini" "Preferences - $user" ShuffleMode)" = 1
check "an integer with trailing text is read as its leading digits" \
    test "$(ini_value "$work/zeb.ini" "Preferences - $user" TPC)" = 12
check "comments and unknown keys stay" \
    bash -c "head -1 '$work/zeb.ini' | grep -qx '; kept by hand' && grep -qx 'FutureKey=stays' '$work/zeb.ini'"

check "-g with SIGINT ends zeb cleanly" run_and_signal "$work/zeb" INT -g
check "-g writes the shared section" test "$(ini_value "$work/zeb.ini" Preferences Clicks2)" = 4
check "-g leaves the user's section alone" \
    test "$(ini_value "$work/zeb.ini" "Preferences - $user" ShuffleMode)" = 1

cp "$work/zeb.ini" "$work/before.ini"
mv "$work/zeb" "$work/tunes"
check "a renamed program runs" run_and_signal "$work/tunes" TERM
check "a renamed program uses a settings file of its own name" test -f "$work/tunes.ini"
check "a renamed program leaves the old settings file alone" cmp -s "$work/zeb.ini" "$work/before.ini"

# A list of addresses on a server that accepts and never answers: they are
# tried off the interface thread, so the icon docks and a signal ends zeb at
# once, with the list saved.
python3 "$(dirname "$0")/../engine/servers/http_server.py" --root "$work" --mode stall-accept \
    >"$work/port" 2>/dev/null &
SESSION_PIDS+=($!)
session_wait_for 100 grep -q PORT "$work/port"
port=$(sed -n 's/^PORT //p' "$work/port")
for i in 1 2 3 4; do echo "http://127.0.0.1:$port/dead$i.mp3"; done >"$work/dead.m3u"
check "dead addresses hold neither the icon nor the exit" \
    run_and_signal_promptly "$work/tunes" TERM "$work/dead.m3u"
check "the list of dead addresses is saved" grep -q "dead4.mp3" "$work/tunes.m3u"

# No temporary files remain after the atomic replacements (the lock files
# that serialise saves between processes stay).
check "no temporary files are left" \
    test "$(find "$work" -name '*.ini.*' ! -name '*.ini.lock' | wc -l)" -eq 0

finish
