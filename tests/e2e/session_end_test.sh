#!/usr/bin/env bash
# Whole-program test under a real X session manager: a logout asks zeb to
# save; when the logout is cancelled zeb keeps running and still takes files
# from second instances; when the session really ends zeb saves and ends.
set -uo pipefail
ZEB=$1
PROBE=$2
FIXTURES=$3
HERE=$(dirname "$0")
source "$HERE/lib.sh"
trap session_stop_all EXIT

session_start_display || exit 1

work=$(mktemp -d "${TMPDIR:-/tmp}/zeb-session-end.XXXXXX")
SESSION_DIRS+=("$work")
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run"
endpoint="$XDG_RUNTIME_DIR/zeb/ZEBAppClass"
remote="$XDG_RUNTIME_DIR/zeb/Winamp v1.x"
cp "$ZEB" "$work/zeb"
cp "$FIXTURES/cbr128.mp3" "$work/first.mp3"
cp "$FIXTURES/cbr128.mp3" "$work/later.mp3"
section="Preferences - $(id -un)"
# No sound device is needed: tracks are written as WAV files.
mkdir "$work/out"
printf '[%s]\nOutputModule=0\nOutPath=%s/out/\nAutoPlay=0\nWAEmu=1\n' "$section" "$work" \
    >"$work/zeb.ini"

coproc SM { "$PROBE" 2>"$work/sm.log"; }
SESSION_PIDS+=("$SM_PID")
sm() { # <command>: true when the session manager reports it done
    local answer
    echo "$1" >&"${SM[1]}" && read -r -t 90 answer <&"${SM[0]}" && [ "$answer" = "ok $1" ]
}
read -r -t 20 word address <&"${SM[0]}"
[ "${word:-}" = address ] || { echo "the session manager did not start"; cat "$work/sm.log"; exit 1; }

SESSION_MANAGER="$address" "$work/zeb" "$work/first.mp3" >"$work/zeb.log" 2>&1 &
ZEB_PID=$!
SESSION_PIDS+=("$ZEB_PID")
zeb_ended() { ! kill -0 "$ZEB_PID" 2>/dev/null; }
endpoint_up() { python3 "$HERE/endpoint_client.py" "$endpoint" raw 0 0 0 >/dev/null 2>&1; }
list_holds() { grep -qxF "$1" "$work/zeb.m3u"; }
has_entries() { [ "$(python3 "$HERE/endpoint_client.py" "$remote" raw 1024 0 124)" = "$1" ]; }

check "zeb registers with the session manager" sm registered
check "zeb answers its endpoint" session_wait_for 200 endpoint_up

check "zeb saves when a logout asks it to" sm save
check "the save wrote the list" list_holds "$work/first.mp3"
check "the logout is cancelled" sm cancel
check "zeb still answers its endpoint after the cancelled logout" endpoint_up
check "zeb is still running" test "$(zeb_ended && echo ended)" = ""
timeout 20 "$work/zeb" -a "$work/later.mp3" >>"$work/second.log" 2>&1
check "a second instance still hands its file over" session_wait_for 100 has_entries 2

check "a second logout saves again" sm save
check "the session ends" sm die
check "zeb ends with the session" session_wait_for 200 zeb_ended
wait "$ZEB_PID"
check "zeb ended cleanly" test $? -eq 0
check "the end saved the list with the handed-over file" list_holds "$work/later.mp3"
[ "$E2E_FAILED" -eq 0 ] || { echo "# zeb log:"; sed 's/^/#   /' "$work/zeb.log"; }

finish
