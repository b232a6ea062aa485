#!/usr/bin/env bash
# Whole-program test of the ways other than the menu to drive zeb: clicks
# and press-and-hold on the tray icon, global hotkeys with the Scroll Lock
# rule, the "Winamp v1.x" endpoint through zeb-remote, MPRIS through
# playerctl, and the now-playing file. Runs on a private session bus
# (dbus-run-session), a virtual display with a tray host and a sound server.
set -uo pipefail
ZEB=$1
REMOTE=$2
HERE=$(dirname "$0")
source "$HERE/lib.sh"
trap session_stop_all EXIT

session_start_display || exit 1
session_start_tray || exit 1
session_start_sound || exit 1

work=$(mktemp -d "${TMPDIR:-/tmp}/zeb-control.XXXXXX")
SESSION_DIRS+=("$work")
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run"
cp "$ZEB" "$work/zeb"
section="Preferences - $(id -un)"
ffmpeg -loglevel error -f lavfi -i "sine=frequency=440:duration=60" -ac 2 -c:a libmp3lame \
    -b:a 128k "$work/long.mp3" || exit 1
mkdir -p "$work/music"
for name in Artist_-_One Artist_-_Two Artist_-_Three; do
    cp "$work/long.mp3" "$work/music/$name.mp3"
done
# Remote control and the now-playing file on, press-and-hold on volume,
# Play/Pause on Control+Alt+P (VK 0x50, modifiers 2 + 1).
cat >"$work/zeb.ini" <<INI
[$section]
WAEmu=1
W2Fenabled=1
W2Ffile=$work/np.txt
PressAndHold=1
PlayKey=80
PlayMod=3
INI

remote() { "$REMOTE" "$@" 2>/dev/null; }
status_is() { [ "$(remote --query status)" = "$1" ]; }
index_is() { [ "$(remote --query index)" = "$1" ]; }
np_is() { [ "$(cat "$work/np.txt" 2>/dev/null)" = "$1" ]; }

"$work/zeb" "$work/music/Artist_-_One.mp3" >"$work/zeb.log" 2>&1 &
ZEB_PID=$!
SESSION_PIDS+=("$ZEB_PID")
check "zeb docks" session_wait_for 200 zeb_icon_docked
"$work/zeb" -a "$work/music/Artist_-_Two.mp3"
"$work/zeb" -a "$work/music/Artist_-_Three.mp3"

# ---------------------------------------------------------------- remote control
check "the remote endpoint answers: playing" session_wait_for 100 status_is 1
check "the remote endpoint counts the list" test "$(remote --query count)" = 3
check "the remote window carries the title" \
    session_wait_for 50 bash -c "xdotool search --class 'Winamp v1.x' getwindowname | grep -qx 'Artist - One - Winamp'"
check "the now-playing file follows the player" session_wait_for 30 np_is "Now playing: Artist - One"
remote pause
check "remote pause pauses" session_wait_for 50 status_is 3
check "the now-playing file says paused" session_wait_for 30 np_is "Now paused: Artist - One"
remote play
check "remote play plays" session_wait_for 50 status_is 1
remote next
check "remote next goes to the second entry" session_wait_for 50 index_is 1
remote prev
check "remote previous comes back" session_wait_for 50 index_is 0

# ---------------------------------------------------------------- MPRIS
mpris_status() { [ "$(playerctl -p zeb status 2>/dev/null)" = "$1" ]; }
check "MPRIS reports Playing" session_wait_for 50 mpris_status Playing
playerctl -p zeb play-pause
check "MPRIS play-pause pauses" session_wait_for 50 status_is 3
check "MPRIS reports Paused" session_wait_for 50 mpris_status Paused
title=$(playerctl -p zeb metadata xesam:title 2>/dev/null)
check "MPRIS metadata carries the title ($title)" test "$title" = "Artist - One"
playerctl -p zeb play
check "MPRIS play plays" session_wait_for 50 status_is 1

# ---------------------------------------------------------------- hotkeys
xdotool key ctrl+alt+p
check "the Play/Pause hotkey pauses" session_wait_for 50 status_is 3
xdotool key ctrl+alt+p
check "the Play/Pause hotkey plays again" session_wait_for 50 status_is 1
# Scroll Lock on: no hotkey acts. The indicator is switched directly, as
# Xvfb's keymap gives the Scroll Lock key no modifier.
xset led named "Scroll Lock"
quiet_for 1.5 # well past the quarter-second watch
xdotool key ctrl+alt+p
quiet_for 0.6
check "with Scroll Lock on the hotkey does nothing" status_is 1
xset -led named "Scroll Lock"
quiet_for 0.6
xdotool key ctrl+alt+p
check "with Scroll Lock off again the hotkey acts" session_wait_for 50 status_is 3
xdotool key ctrl+alt+p
session_wait_for 50 status_is 1

check "the icon is shown in the tray" ensure_zeb_icon_shown

clicks() { # <button> <count>: a quick series on the icon
    if ! point_at_zeb_icon; then
        echo "# the icon cannot be pointed at:"
        xwininfo -root -tree | grep -E '"zeb"|trayer|panel' | sed 's/^/#   /'
        return 1
    fi
    xdotool click --repeat "$2" --delay 60 "$1"
}

clicks 1 1
check "one left click pauses" session_wait_for 50 status_is 3 ||
    { eval "$(xdotool getmouselocation --shell)"; echo "# pointer at $X,$Y over $WINDOW"
      xwininfo -root -tree | grep -E '"zeb"|trayer|panel' | sed 's/^/#   /'; }
clicks 1 1
check "another left click plays again" session_wait_for 50 status_is 1
clicks 1 2
check "two left clicks play the next entry" session_wait_for 50 index_is 1
clicks 1 3
check "three left clicks play the previous entry" session_wait_for 50 index_is 0
clicks 1 4
check "four left clicks stop" session_wait_for 50 status_is 0
check "the now-playing file says stopped" session_wait_for 30 np_is "Now stopped: Artist - One"
clicks 1 4
check "four more left clicks play" session_wait_for 50 status_is 1
clicks 1 5
quiet_for 1.5
unchanged() { status_is 1 && index_is 0; }
check "five left clicks do nothing" unchanged

menu_shown() { xdotool search --onlyvisible --name '^zeb menu$' >/dev/null 2>&1; }
clicks 3 1
check "one right click opens the menu" session_wait_for 50 menu_shown
xdotool key Escape

# Press-and-hold on the right button raises the volume in steps.
volume_of_sink() { pactl get-sink-volume nullsink | grep -o '[0-9]*%' | head -1 | tr -d %; }
pactl set-sink-volume nullsink 40%
before=$(volume_of_sink)
point_at_zeb_icon
xdotool mousedown 3
sleep 1.5
xdotool mouseup 3
volume_raised() { [ "$(volume_of_sink)" -gt "$before" ]; }
session_wait_for 50 volume_raised
after=$(volume_of_sink)
check "holding the right button raises the volume ($before% to $after%)" test "$after" -gt "$before"
check "the hold opened no menu" bash -c "! xdotool search --onlyvisible --name '^zeb menu\$' >/dev/null 2>&1"

# ---------------------------------------------------------------- exit
remote exit
check "remote exit ends zeb" session_wait_for 200 bash -c "! kill -0 $ZEB_PID 2>/dev/null"
check "the now-playing file holds the exit line" np_is "ZEB is closed"
check "the remote window is gone" bash -c "! xdotool search --class 'Winamp v1.x' >/dev/null 2>&1"
check "zeb wrote no sanitizer reports" bash -c "! grep -qE 'ERROR: (Address|Undefined)|runtime error' '$work/zeb.log'"
[ "$E2E_FAILED" -eq 0 ] || { echo "--- zeb.log"; grep -v '^ALSA lib' "$work/zeb.log" | tail -40; }
finish
