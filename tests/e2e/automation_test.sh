#!/usr/bin/env bash
# Whole-program test of automation: a run at start over the restored list
# (a vanished file goes, a new file of a watched folder arrives), the setup command opening one dialog at most, and the run-now
# command saving the list it made. A screenshot of the dialog goes to the
# artifacts folder.
set -uo pipefail
ZEB=$1
MP3=$2
ARTIFACTS=$3
HERE=$(dirname "$0")
source "$HERE/lib.sh"
trap session_stop_all EXIT

session_start_display || exit 1
session_start_wm || exit 1
session_start_tray || exit 1

zeb_workspace automation "$ZEB" || exit 1
mkdir -p "$ARTIFACTS"
endpoint="$XDG_RUNTIME_DIR/zeb/ZEBAppClass"
ini="$work/zeb.ini"
list="$work/zeb.m3u"
watched="$work/watched"
mkdir -p "$watched/sub"
cp "$MP3" "$watched/kept.mp3"
cp "$MP3" "$watched/sub/new.mp3"
# The watched folder is written without its separator, as a hand edit would.
printf '[%s]\nWAEmu=1\nAutoPlay=1\nAutOnStart=1\nAutRemove=1\nAutRescan=1\nAutSaveset=1\nAutDirsCnt=1\nAutDir1=%s\n' \
    "$section" "$watched" >"$ini"
printf '[%s]\n%s\n%s\n%s\n' "$(id -un)" "$watched/kept.mp3" "$watched/gone.mp3" "$work/gone.mp3" >"$list"

ZEB_PID=
start_zeb() {
    "$work/zeb" >>"$work/zeb.log" 2>&1 &
    ZEB_PID=$!
    SESSION_PIDS+=("$ZEB_PID")
}
zeb_ended() { ! kill -0 "$ZEB_PID" 2>/dev/null; }
send_command() { python3 "$HERE/endpoint_client.py" "$endpoint" command "$1" >/dev/null; }
remote="$XDG_RUNTIME_DIR/zeb/Winamp v1.x"
# The remote-control query 124: the number of entries in the list.
entry_count_is() { [ "$(python3 "$HERE/endpoint_client.py" "$remote" raw 0x400 0 124 2>/dev/null)" = "$1" ]; }
endpoint_up() { python3 "$HERE/endpoint_client.py" "$endpoint" raw 0 0 0 >/dev/null 2>&1; }
listed() { grep -qxF "$1" "$list"; }
saved_list_is() { # <paths...>: the saved list's entries, in order
    [ "$(grep '^/' "$list" | tr '\n' ' ')" = "$(printf '%s ' "$@")" ]
}
dialog_windows() { xdotool search --onlyvisible --name '^Automatisering$' 2>/dev/null; }
dialog_shown() { [ -n "$(dialog_windows)" ]; }
one_dialog() { [ "$(dialog_windows | wc -l)" -eq 1 ]; }

start_zeb
check "zeb starts" session_wait_for 300 endpoint_up
# The run at start removes two entries and adds one; it saves nothing, the
# exit writes the list it made.
check "the run at start changes the list" session_wait_for 200 entry_count_is 2
quiet_for 0.5
check "the run at start saves nothing by itself" saved_list_is "$watched/kept.mp3" "$watched/gone.mp3" "$work/gone.mp3"
kill -TERM "$ZEB_PID"
check "zeb exits" session_wait_for 100 zeb_ended
check "the run at start removed the vanished file and added the new one" \
    saved_list_is "$watched/kept.mp3" "$watched/sub/new.mp3"

start_zeb
check "zeb starts again" session_wait_for 300 endpoint_up
send_command 32949
check "the setup command opens the dialog" session_wait_for 100 dialog_shown
send_command 32949
quiet_for 0.5
check "a second setup command opens no second dialog" one_dialog
import -window "$(dialog_windows | head -1)" "$ARTIFACTS/automation-dialog.png" 2>/dev/null
cp "$MP3" "$watched/later.mp3"
rm "$watched/kept.mp3"
send_command 32950
check "run now saves the list it made" session_wait_for 200 \
    saved_list_is "$watched/sub/new.mp3" "$watched/later.mp3"
kill -TERM "$ZEB_PID"
check "zeb exits after the dialog" session_wait_for 100 zeb_ended
finish
