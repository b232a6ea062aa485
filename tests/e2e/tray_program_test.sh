#!/usr/bin/env bash
# Whole-program test of the tray player on a virtual display with a real tray
# host and sound server: docking, status texts, second instances handing
# over files (with "-a", "-x", during start-up, with bad records), the menu
# and its exit item, SIGTERM, and a run without any display. Screenshots of
# the menu go to the artifacts folder.
set -uo pipefail
ZEB=$1
FIXTURES=$2
ARTIFACTS=$3
HERE=$(dirname "$0")
source "$HERE/lib.sh"
trap session_stop_all EXIT

session_start_display || exit 1
session_start_tray || exit 1
session_start_sound || exit 1

work=$(mktemp -d "${TMPDIR:-/tmp}/zeb-tray-program.XXXXXX")
SESSION_DIRS+=("$work")
mkdir -p "$ARTIFACTS" "$work/music/Disc & More" "$work/run"
chmod 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run"
endpoint="$XDG_RUNTIME_DIR/zeb/ZEBAppClass"
cp "$ZEB" "$work/zeb"
user=$(id -un)
section="Preferences - $user"
# Tracks long enough that none ends while the test looks at it.
ffmpeg -loglevel error -f lavfi -i "sine=frequency=440:duration=40" -ac 2 -c:a libmp3lame \
    -b:a 128k "$work/long.mp3" || exit 1
for name in One_Song Two_Song Three_Song; do
    cp "$work/long.mp3" "$work/music/$name.mp3"
done
cp "$work/long.mp3" "$work/music/Disc & More/Rock & Roll.mp3"
one="$work/music/One_Song.mp3"
two="$work/music/Two_Song.mp3"
three="$work/music/Three_Song.mp3"

ZEB_PID=
start_zeb() { # [args...]: starts the first instance in the background
    "$work/zeb" "$@" >>"$work/zeb.log" 2>&1 &
    ZEB_PID=$!
    SESSION_PIDS+=("$ZEB_PID")
}
zeb_running() { kill -0 "$ZEB_PID" 2>/dev/null; }
zeb_ended() { ! zeb_running; }
wait_docked() { session_wait_for 200 zeb_icon_docked; }
wait_ended() { session_wait_for 200 zeb_ended; }

# The windows of zeb carry its texts: the hidden main window its title, the
# tray icon its tooltip.
zeb_window_names() {
    local w
    for w in $(xdotool search --class '^zeb$' 2>/dev/null); do
        xdotool getwindowname "$w" 2>/dev/null
    done
}
has_window_name() {
    local names
    names=$(zeb_window_names)
    grep -qxE "$1" <<<"$names"
}
wait_window_name() { session_wait_for 150 has_window_name "$1"; }


user_list_entries() { # the entries of our section in the saved user list
    awk -v sec="[$user]" '
        /^\[/ { insec = (tolower($0) == tolower(sec)); next }
        insec && !/^#/ { print }' "$work/zeb.m3u"
}

second() { timeout 60 "$work/zeb" "$@" >>"$work/second.log" 2>&1; }

# ---------------------------------------------------------------- start-up
start_zeb
check "zeb docks its icon in the tray" wait_docked
check "the tooltip starts as ZEB" wait_window_name "ZEB"
check "the main window names the player while the list is empty" wait_window_name "ZEB MP3 Player"

# ---------------------------------------------------------------- hand-over
check "a second instance with no arguments ends at once" second
check "a second instance without arguments changes nothing" has_window_name "ZEB MP3 Player"
check "a second instance with a file ends" second "$one"
check "the handed-over file plays: its name shows" wait_window_name "ZEB: One Song"
check "the tooltip shows number, title and times" \
    wait_window_name '1\. One Song - 00:0[0-9]/00:40'
# The tip's time is refreshed as the playing position passes each second.
tip_second() {
    local w
    for w in $(xdotool search --class '^zeb$' 2>/dev/null); do
        xdotool getwindowname "$w" 2>/dev/null
    done | sed -n 's|^1\. One Song - 00:\([0-9][0-9]\)/00:40$|\1|p' | head -n 1
}
first_second=$(tip_second)
tip_moved_on() {
    local now
    now=$(tip_second)
    [ -n "$now" ] && [ -n "$first_second" ] && [ "$((10#$now))" -gt "$((10#$first_second))" ]
}
check "the tooltip's time moves on while the track plays" session_wait_for 50 tip_moved_on
# Nothing has asked for the volume, so the mixer (ALSA and its own sound
# server connection) is not opened for playing alone.
check "playing opens no mixer" bash -c "! grep -q 'libasound\.so' /proc/$ZEB_PID/maps"
quiet_for 2.2 # past the hand-over window
check "a second instance with -a ends" second -a "$two"
quiet_for 0.5
check "-a keeps the playing entry current" has_window_name "ZEB: One Song"

# A record of another size is answered 0, a right one 1.
answer=$(python3 "$HERE/endpoint_client.py" "$endpoint" copydata 1 "$three" --size 200)
check "a hand-over record of the wrong size is answered 0" test "$answer" = 0
answer=$(python3 "$HERE/endpoint_client.py" "$endpoint" copydata 1 "$three")
check "a hand-over record of 268 bytes is answered 1" test "$answer" = 1

check "-x asks the running instance to exit" second -x "$one"
check "the first instance ends after -x" wait_ended
check "the exit saved the settings" test "$(ini_value "$work/zeb.ini" "$section" Clicks2)" = 4
check "the exit saved the list in order" \
    diff <(user_list_entries) <(printf '%s\n' "$one" "$two" "$three")
check "the exit saved the current entry" \
    test "$(ini_value "$work/zeb.ini" "$section" CurrentInPlaylist)" = 0

# ---------------------------------------------------------------- restore and files together
start_zeb
check "a restart docks again" wait_docked
check "the saved list comes back with its current entry" wait_window_name "ZEB: One Song"
second "$three" && second "$two" && second "$one"
check "files opened together form one list led by the first" \
    wait_window_name '1\. Three Song - .*'
kill -TERM "$ZEB_PID"
check "SIGTERM ends zeb" wait_ended
check "SIGTERM saved the list of the three files" \
    diff <(user_list_entries) <(printf '%s\n' "$three" "$two" "$one")

# A second instance started while the first is still starting is answered
# once the first is ready: its file is not lost.
rm -f "$work/zeb.m3u"
start_zeb
# The endpoint exists from the start of start-up on, before the icon.
endpoint_exists() { [ -S "$endpoint" ]; }
check "the first instance opens its endpoint" session_wait_for 100 endpoint_exists
zeb_running && second "$two"
check "a hand-over during start-up still arrives" wait_window_name "ZEB: Two Song"
check "the icon docked as well" wait_docked

# ---------------------------------------------------------------- the menu
click_icon() { # <button>
    point_at_zeb_icon && xdotool click "$1"
}
menu_shown() { xdotool search --onlyvisible --name '^zeb menu$' >/dev/null 2>&1; }
open_menu() { # a right click, once more if the first met the panel mid-layout
    # The pause lets the menu take the keyboard before keys are sent.
    ensure_zeb_icon_shown || true
    click_icon 3 && session_wait_for 50 menu_shown && quiet_for 0.5 && return 0
    click_icon 3 && session_wait_for 100 menu_shown && quiet_for 0.5 && return 0
    echo "# no menu; zeb windows:"
    xwininfo -root -tree | grep -E '"zeb"|trayer' | sed 's/^/#   /'
    local icon
    icon=$(zeb_icon_window) && echo "# icon $icon at $(window_placement "$icon")"
    shoot "no-menu-$(date +%s%N)"
    return 1
}
menu_gone() { ! menu_shown; }
shoot() { import -window root "$ARTIFACTS/$1.png" 2>/dev/null; }

check "a right click on the icon opens the menu" open_menu
shoot tray-menu-danish-buttons
xdotool key Escape
check "Escape closes the menu" session_wait_for 100 menu_gone
check "a left click on the icon is taken" click_icon 1
sleep 0.3

kill -TERM "$ZEB_PID"
wait_ended
# The Russian menu with the side bar and picture buttons.
sed -i "s/^Language=.*/Language=1/; s/^ShowGradientBar=.*/ShowGradientBar=1/" "$work/zeb.ini"
start_zeb
wait_docked
check "the Russian menu with the side bar appears" open_menu
shoot tray-menu-russian-sidebar-buttons
xdotool key Escape
session_wait_for 100 menu_gone
kill -TERM "$ZEB_PID"
wait_ended

# Four files spread over two folders, two tracks per column.
sed -i "s/^Language=.*/Language=0/; s/^TPC=.*/TPC=2/" "$work/zeb.ini"
start_zeb
wait_docked
rock="$work/music/Disc & More/Rock & Roll.mp3"
second "$one" && second "$two" && second "$three" && second "$rock"
check "four files opened together form one list" \
    wait_window_name '1\. One Song - .*'
open_menu
shoot tray-menu-danish-sidebar-buttons
# Down to "Numre" (the sixth item that can be chosen) and open it.
xdotool key Down Down Down Down Down Down Right
tracks_shown() { xdotool search --onlyvisible --name '^zeb submenu: Numre$' >/dev/null 2>&1; }
check "the keyboard opens the tracks menu" session_wait_for 100 tracks_shown
sleep 0.3
shoot tray-menu-danish-tracks
xdotool key Escape Escape
session_wait_for 100 menu_gone
open_menu
# "Afslut" is the first item that can be chosen.
xdotool key Down Return
check "choosing Afslut ends zeb" wait_ended
check "Afslut saved the settings" \
    test "$(ini_value "$work/zeb.ini" "$section" ShowGradientBar)" = 1
check "Afslut saved the list" \
    diff <(user_list_entries) <(printf '%s\n' "$one" "$two" "$three" "$rock")

# ---------------------------------------------------------------- no display at all
QT_QPA_PLATFORM=offscreen "$work/zeb" >>"$work/zeb.log" 2>&1 &
ZEB_PID=$!
SESSION_PIDS+=("$ZEB_PID")
endpoint_up() { python3 "$HERE/endpoint_client.py" "$endpoint" raw 0 0 0; }
check "without a display zeb still answers its endpoint" session_wait_for 200 endpoint_up
answer=$(python3 "$HERE/endpoint_client.py" "$endpoint" copydata 0 "$rock")
check "without a display a hand-over is taken" test "$answer" = 1
python3 "$HERE/endpoint_client.py" "$endpoint" command 32780 >/dev/null
check "without a display the exit command ends zeb" wait_ended
check "without a display the list is saved" \
    diff <(user_list_entries) <(printf '%s\n' "$rock")

# ---------------------------------------------------------------- the display goes away
# A desktop session that ends without asking takes the X server with it;
# zeb is ended by that and still saves.
session_start_display || exit 1
display_pid=${SESSION_PIDS[-1]}
start_zeb "$one"
check "zeb runs on a display without a tray" session_wait_for 200 endpoint_up
kill -TERM "$display_pid"
check "zeb ends when its display goes" wait_ended
check "the list is saved when the display went" \
    diff <(user_list_entries) <(printf '%s\n' "$one")

check "zeb wrote no sanitizer reports" bash -c "! grep -qE 'ERROR: (Address|Undefined)|runtime error' '$work/zeb.log'"
[ "$E2E_FAILED" -eq 0 ] || { echo "--- zeb.log"; grep -v '^ALSA lib' "$work/zeb.log" | tail -60; }
finish
