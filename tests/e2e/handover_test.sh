#!/usr/bin/env bash
# Whole-program test of second instances handing their paths to the running
# one, without a display: a path longer than the classic record, an endpoint
# crowded with idle connections, the root folder scanned while the endpoint
# serves, and a second instance that cannot reach the first, which must say
# so and fail.
set -uo pipefail
ZEB=$1
FIXTURES=$2
HERE=$(dirname "$0")
source "$HERE/lib.sh"
trap session_stop_all EXIT

work=$(mktemp -d "${TMPDIR:-/tmp}/zeb-handover.XXXXXX")
SESSION_DIRS+=("$work")
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run"
export QT_QPA_PLATFORM=offscreen
endpoint="$XDG_RUNTIME_DIR/zeb/ZEBAppClass"
lock="$XDG_RUNTIME_DIR/zeb/ZEBAppClass.lock"
cp "$ZEB" "$work/zeb"
user=$(id -un)

# A path of more than 264 bytes: three long folder names.
deep="$work/music/$(printf 'd%.0s' {1..120})/$(printf 'e%.0s' {1..120})"
mkdir -p "$deep"
long="$deep/$(printf 'f%.0s' {1..60}).mp3"
short="$work/music/short.mp3"
cp "$FIXTURES/cbr128.mp3" "$long"
cp "$FIXTURES/cbr128.mp3" "$short"

ZEB_PID=
zeb_running() { kill -0 "$ZEB_PID" 2>/dev/null; }
zeb_ended() { ! zeb_running; }
endpoint_up() { python3 "$HERE/endpoint_client.py" "$endpoint" raw 0 0 0; }
user_list_entries() { # the entries of our section in the saved user list
    awk -v sec="[$user]" '
        /^\[/ { insec = (tolower($0) == tolower(sec)); next }
        insec && !/^#/ { print }' "$work/zeb.m3u"
}
second() { timeout 60 "$work/zeb" "$@" >>"$work/second.log" 2>&1; }
# A second instance that fails (not by the timeout) and says why.
second_fails_saying() { # <text> <args...>
    local text=$1 status
    shift
    timeout 60 "$work/zeb" "$@" >"$work/failed.log" 2>&1
    status=$?
    [ "$status" -ne 0 ] && [ "$status" -ne 124 ] && grep -qF -- "$text" "$work/failed.log"
}

"$work/zeb" >>"$work/zeb.log" 2>&1 &
ZEB_PID=$!
SESSION_PIDS+=("$ZEB_PID")
check "zeb answers its endpoint" session_wait_for 300 endpoint_up

check "a path longer than the classic record is handed over" second -a "$long"
too_long="/$(printf 'x%.0s' {1..5000}).mp3"
check "a path longer than the system allows fails with a message" \
    second_fails_saying "path too long" -a "$too_long"

# More idle connections than the endpoint keeps at once, held open.
python3 - "$endpoint" "$work/crowd-ready" >>"$work/crowd.log" 2>&1 <<'PY' &
import socket, sys, time
crowd = []
for _ in range(40):
    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    s.connect(sys.argv[1])
    crowd.append(s)
open(sys.argv[2], "w").close()
time.sleep(600)
PY
crowd_pid=$!
SESSION_PIDS+=("$crowd_pid")
check "forty idle connections are open" session_wait_for 300 test -e "$work/crowd-ready"
check "a second instance gets through the idle connections" second -a "$short"
kill "$crowd_pid"

check "-x ends the running instance" second -x
check "the first instance ends" session_wait_for 300 zeb_ended
check "both handed-over paths are in the saved list" \
    diff <(user_list_entries) <(printf '%s\n' "$long" "$short")

# "/" is walked away from the interface thread: the hand-over is answered at
# once, the endpoint keeps answering, and an exit asked for right after it
# cancels the walk and ends zeb.
"$work/zeb" >>"$work/zeb.log" 2>&1 &
ZEB_PID=$!
SESSION_PIDS+=("$ZEB_PID")
check "zeb answers its endpoint again" session_wait_for 300 endpoint_up
check "a second instance hands over /" second /
check "the endpoint answers after / was handed over" session_wait_for 300 endpoint_up
check "-x right after / is taken" second -x
check "zeb ends, with or without the walk done" session_wait_for 300 zeb_ended

# The lock is held but nobody answers: the second instance gives up in time
# and reports it.
python3 -c 'import fcntl, sys, time
lock = open(sys.argv[1], "a")
fcntl.flock(lock, fcntl.LOCK_EX)
time.sleep(600)' "$lock" >>"$work/holder.log" 2>&1 &
holder_pid=$!
SESSION_PIDS+=("$holder_pid")
lock_held() { ! flock -n "$lock" true; }
check "another process holds the instance lock" session_wait_for 300 lock_held
check "a second instance that reaches nobody fails with a message" \
    second_fails_saying "did not confirm $short" -a "$short"
check "-x that reaches nobody fails too" second_fails_saying "exit command" -x
kill "$holder_pid"

check "zeb wrote no sanitizer reports" \
    bash -c "! grep -qE 'ERROR: (Address|Undefined)|runtime error' '$work/zeb.log' '$work/second.log'"
[ "$E2E_FAILED" -eq 0 ] || { echo "--- zeb.log"; tail -40 "$work/zeb.log"; echo "--- second.log"; tail -20 "$work/second.log"; cat "$work/failed.log"; }
finish
