#!/usr/bin/env bash
# The remote-control window on a real X server: other programs find it by
# its class, read the shown name from its title and drive the player with
# zeb-remote; the exit command removes window and endpoint at once.
set -uo pipefail
PROBE=$1
REMOTE=$2
source "$(dirname "$0")/lib.sh"
trap session_stop_all EXIT

session_start_display || exit 1
work=$(mktemp -d "${TMPDIR:-/tmp}/zeb-remote.XXXXXX")
SESSION_DIRS+=("$work")
export XDG_RUNTIME_DIR=$work
log=$work/probe.log
socket="$work/zeb/Winamp v1.x"

has_line() { grep -qxF "$2" "$1"; } # <log> <line>
wait_for_line() { session_wait_for 100 has_line "$1" "$2"; }
by_class() { xdotool search --class '^Winamp v1\.x$'; }
no_window() { ! by_class; }

# Nothing answers before the player runs, and the client starts nothing.
"$REMOTE" play 2>/dev/null
check "without a player zeb-remote fails" test $? -eq 1
check "without a player no endpoint appears" test ! -e "$socket"

"$PROBE" "Artist - Song" >"$log" 2>"$log.err" &
SESSION_PIDS+=($!)
check "the probe creates the remote-control window" wait_for_line "$log" ready
win=$(sed -n 's/^window //p' "$log")
check "the window is a real X11 window" test "${win:-0}" -ne 0
check "xdotool finds the window by its class" bash -c "[ \"\$(xdotool search --class '^Winamp v1\\.x\$')\" = '$win' ]"
check "both parts of WM_CLASS are the endpoint name" \
    bash -c "xprop -id '$win' WM_CLASS | grep -qxF 'WM_CLASS(STRING) = \"Winamp v1.x\", \"Winamp v1.x\"'"
check "the window starts with the player name as title" \
    test "$(xdotool getwindowname "$win")" = "Winamp"
check "the window is never mapped" bash -c "xwininfo -id '$win' | grep -q 'Map State: IsUnMapped'"
check "the endpoint is a socket in the runtime folder" test -S "$socket"

# A command that reaches the main window changes the status, and the status
# display retitles the window.
check "volup is delivered" "$REMOTE" volup
check "the probe got command 40058" has_line "$log" "request 273 40058 0 -> 0"
check "the volume rose by five" has_line "$log" "volume 55"
check "the title follows the shown name" \
    test "$(xdotool getwindowname "$win")" = "Artist - Song - Winamp"
check "voldown by its id" "$REMOTE" 40059
check "the volume fell by five" bash -c "grep -x 'volume [0-9]*' '$log' | tail -1 | grep -qx 'volume 50'"

check "the list is empty: count 0" test "$("$REMOTE" --query count)" = 0
check "nothing plays: status 0" test "$("$REMOTE" --query 104)" = 0
check "dialog commands reach the tray program's actions" "$REMOTE" open openurl minibar
check "the open-file action ran" has_line "$log" "action open file"
check "the address action ran" has_line "$log" "action open address"
check "the minibar action ran" has_line "$log" "action minibar"

# Exit: the tray program runs it after answering; window and endpoint go.
check "exit is delivered" "$REMOTE" exit
check "the probe destroyed the window" wait_for_line "$log" destroyed
check "xdotool no longer finds the window" session_wait_for 50 no_window
check "the socket file is gone" test ! -e "$socket"
"$REMOTE" play 2>/dev/null
check "after the window is gone zeb-remote fails" test $? -eq 1
check "the probe reported no errors" test ! -s "$log.err"

finish
