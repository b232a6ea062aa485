#!/usr/bin/env bash
# Whole-program test of the minibar on a virtual display with a window
# manager, a tray host and a sound server: opened through the endpoint, it
# sits in the title bar of the focused terminal, follows it when it moves and
# when another one gets the focus, and refuses drags meanwhile; a drag on its
# seek bar seeks. Switched to floating, it snaps to the screen's edge when
# dragged there, its left end resizes it, a click on its volume bar sets the
# volume, its tool strip opens and closes the equalizer, and it reopens at
# start flush with the edge. Runs on a private session bus, where the
# position is read over MPRIS. Screenshots in Danish and Russian go to the
# artifacts folder.
set -uo pipefail
ZEB=$1
ARTIFACTS=$2
HERE=$(dirname "$0")
source "$HERE/lib.sh"
trap session_stop_all EXIT

session_start_display || exit 1
session_start_wm || exit 1
session_start_tray || exit 1
session_start_sound || exit 1

zeb_workspace minibar "$ZEB" || exit 1
mkdir -p "$ARTIFACTS" "$work/music"
endpoint="$XDG_RUNTIME_DIR/zeb/ZEBAppClass"
make_tone_mp3 "$work/music/tune.mp3" 600 Artist "Minibar Tune" || exit 1
printf '[%s]\nDockMinibar=1\nLanguage=0\n' "$section" >"$work/zeb.ini"

ZEB_PID=
start_zeb() { # [args...]
    "$work/zeb" "$@" >>"$work/zeb.log" 2>&1 &
    ZEB_PID=$!
    SESSION_PIDS+=("$ZEB_PID")
}
zeb_ended() { ! kill -0 "$ZEB_PID" 2>/dev/null; }
command() { python3 "$HERE/endpoint_client.py" "$endpoint" command "$1" >/dev/null; }
endpoint_up() { python3 "$HERE/endpoint_client.py" "$endpoint" raw 0 0 0; }

minibar() { xdotool search --onlyvisible --name '^ZEB MiniBar$' 2>/dev/null | head -1; }
minibar_shown() { [ -n "$(minibar)" ]; }
minibar_gone() { ! minibar_shown; }
geometry() { # <window>: "x y width height" of its outer rectangle
    xwininfo -id "$1" 2>/dev/null |
        awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
             /^ *Width/ { w = $NF } /^ *Height/ { h = $NF } END { print x, y, w, h }'
}
# A managed window's frame: its client rectangle grown by _NET_FRAME_EXTENTS.
frame_of() { # <window>: "left top right bottom client-top"
    local x y w h l r t b
    read -r x y w h <<<"$(geometry "$1")"
    read -r l r t b <<<"$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null |
        sed -n 's/.* = \([0-9]*\), \([0-9]*\), \([0-9]*\), \([0-9]*\)/\1 \2 \3 \4/p')"
    [ -n "${b:-}" ] || return 1
    echo $((x - l)) $((y - t)) $((x + w + r)) $((y + h + b)) "$y"
}
# The bar lies in the window's title bar: inside the frame, above the
# client area, at the right end, leaving room for the caption buttons.
in_title_bar() { # <window>
    local bar fl ft fr fb cy bx by bw bh
    bar=$(minibar)
    [ -n "$bar" ] || return 1
    read -r fl ft fr fb cy <<<"$(frame_of "$1")" || return 1
    read -r bx by bw bh <<<"$(geometry "$bar")"
    [ "$by" -ge "$ft" ] && [ "$by" -lt "$cy" ] && [ "$bx" -gt "$fl" ] &&
        [ $((bx + bw)) -lt "$fr" ] && [ $((bx + bw)) -gt $((fr - 200)) ] && [ "$bw" -ge 200 ]
}
start_term() { # <title> <geometry>
    xterm -T "$1" -geometry "$2" -e sleep 100000 >/dev/null 2>&1 &
    SESSION_PIDS+=($!)
}
term_window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1; }
shoot() { import -window "$1" "$ARTIFACTS/$2.png" 2>/dev/null; }

# ---------------------------------------------------------------- open, follow the focus
start_zeb "$work/music"
check "zeb starts" session_wait_for 200 endpoint_up
check "the minibar is closed at first" minibar_gone
command 32803
check "command 32803 opens the minibar" session_wait_for 150 minibar_shown

start_term term-a 80x20+80+150
start_term term-b 100x30+500+500
check "two terminals open" session_wait_for 150 bash -c \
    "xdotool search --onlyvisible --name '^term-a$' && xdotool search --onlyvisible --name '^term-b$'"
a=$(term_window term-a)
b=$(term_window term-b)
xdotool windowactivate --sync "$a"
check "the bar sits in the focused terminal's title bar" session_wait_for 100 in_title_bar "$a"
shoot "$(minibar)" minibar-danish
import -window root "$ARTIFACTS/minibar-danish-screen.png" 2>/dev/null
xdotool windowmove --sync "$a" 300 400
check "the bar follows the terminal when it moves" session_wait_for 100 in_title_bar "$a"
xdotool windowactivate --sync "$b"
check "the bar moves to the terminal that gets the focus" session_wait_for 100 in_title_bar "$b" ||
    echo "# bar $(geometry "$(minibar)"), frame $(frame_of "$b"), active $(xprop -root _NET_ACTIVE_WINDOW), b $b"

# While it follows, the bar refuses to be dragged away.
read -r bx by bw bh <<<"$(geometry "$(minibar)")"
xdotool mousemove $((bx + bw - 3)) $((by + bh - 3)) mousedown 1
xdotool mousemove $((bx + bw - 103)) $((by + 200)) mouseup 1
quiet_for 0.5
check "a following bar stays in the title bar when dragged" in_title_bar "$b"

# ---------------------------------------------------------------- seek by dragging
position_between() { # <low> <high> seconds
    local at
    at=$(playerctl -p zeb position 2>/dev/null) || return 1
    awk -v a="$at" -v lo="$1" -v hi="$2" 'BEGIN { exit !(a >= lo && a <= hi) }'
}
check "the tune plays, short of its middle" session_wait_for 150 position_between 0 250
read -r bx by bw bh <<<"$(geometry "$(minibar)")"
# The seek bar starts after the 60-pixel button strip and ends before the
# 28-pixel volume bar and the 48-pixel tool strip.
seek_w=$((bw - 60 - 28 - 48))
xdotool mousemove $((bx + 60 + seek_w / 10)) $((by + bh / 2)) mousedown 1
xdotool mousemove $((bx + 60 + seek_w / 3)) $((by + bh / 2))
xdotool mousemove $((bx + 60 + seek_w / 2)) $((by + bh / 2)) mouseup 1
check "a drag on the seek bar to its middle seeks to half the tune" \
    session_wait_for 100 position_between 295 340

# ---------------------------------------------------------------- floating: magnetic edges
# "Follow the active window" off: the drag below would be refused while on.
command 32945
read -r wl wt ww wh <<<"$(xprop -root _NET_WORKAREA | sed -n 's/.* = \([0-9]*\), \([0-9]*\), \([0-9]*\), \([0-9]*\).*/\1 \2 \3 \4/p')"
bar=$(minibar)
read -r bx by bw bh <<<"$(geometry "$bar")"
# The tool strip's last zone drags the bar from its lower two thirds.
grab_x=$((bx + bw - 3))
grab_y=$((by + bh - 3))
xdotool mousemove "$grab_x" "$grab_y" mousedown 1
xdotool mousemove $((grab_x - 100)) $((grab_y + 300))
xdotool mousemove $((grab_x - 150)) $((grab_y + 320)) mouseup 1
bar_at() { [ "$(geometry "$(minibar)" | cut -d' ' -f1-2)" = "$1 $2" ]; }
check "a drag in the open moves the bar with the mouse" \
    session_wait_for 100 bar_at $((bx - 150)) $((by + 320))
read -r bx by bw bh <<<"$(geometry "$bar")"
grab_x=$((bx + bw - 3))
grab_y=$((by + bh - 3))
# 6 pixels short of the work area's right edge.
dx=$((wl + ww - 6 - (bx + bw)))
xdotool mousemove "$grab_x" "$grab_y" mousedown 1
xdotool mousemove $((grab_x + dx)) $((grab_y + 40)) mouseup 1
check "dropped near the right edge, the bar snaps flush to it" \
    session_wait_for 100 bar_at $((wl + ww - bw)) $((by + 40))

# The bar's left end resizes it, down to 200 pixels.
read -r bx by bw bh <<<"$(geometry "$bar")"
xdotool mousemove "$bx" $((by + bh / 2)) mousedown 1
xdotool mousemove $((bx + 100)) $((by + bh / 2))
xdotool mousemove $((bx + 250)) $((by + bh / 2)) mouseup 1
bar_is() { [ "$(geometry "$(minibar)")" = "$1 $2 $3 $bh" ]; }
check "dragging the left end narrows the bar to 200 pixels, its right end kept" \
    session_wait_for 100 bar_is $((bx + bw - 200)) "$by" 200

# ---------------------------------------------------------------- volume, exit, reopen
pactl set-sink-volume nullsink 30%
read -r bx by bw bh <<<"$(geometry "$bar")"
# The volume bar ends where the 48-pixel tool strip begins.
xdotool mousemove $((bx + bw - 48 - 1)) $((by + bh / 2)) click 1
volume_is() { [ "$(pactl get-sink-volume nullsink | grep -o '[0-9]*%' | head -1)" = "$1" ]; }
check "a click at the volume bar's right end sets the volume to 100" \
    session_wait_for 100 volume_is 100%

# The tool strip's second zone opens and closes the equalizer.
equalizer_shown() { xdotool search --onlyvisible --name '^Equalizer$' >/dev/null 2>&1; }
equalizer_gone() { ! equalizer_shown; }
xdotool mousemove $((bx + bw - 48 + 12)) $((by + bh / 2)) click 1
check "the tool strip opens the equalizer" session_wait_for 150 equalizer_shown
read -r bx by bw bh <<<"$(geometry "$bar")"
xdotool mousemove $((bx + bw - 48 + 12)) $((by + bh / 2)) click 1
check "and a quick second click closes it again" session_wait_for 150 equalizer_gone

command 32780
check "zeb ends" session_wait_for 200 zeb_ended
check "the exit remembers the open minibar" \
    test "$(ini_value "$work/zeb.ini" "$section" BarAtStartup)" = 1
check "the exit remembers the bar at the right edge" \
    test "$(ini_value "$work/zeb.ini" "$section" SBDockR)" = 1
check "the exit stores the bar's width" \
    test "$(ini_value "$work/zeb.ini" "$section" SeekBarW)" = "$bw"

sed -i "s/^Language=.*/Language=1/" "$work/zeb.ini"
# The remote-control endpoint, to close the bar from there.
grep -q '^WAEmu=' "$work/zeb.ini" && sed -i 's/^WAEmu=.*/WAEmu=1/' "$work/zeb.ini" ||
    echo "WAEmu=1" >>"$work/zeb.ini"
start_zeb "$work/music"
check "the minibar opens at start when it was open at exit" session_wait_for 200 minibar_shown
flush_right() {
    local x y w h
    read -r x y w h <<<"$(geometry "$(minibar)")"
    [ $((x + w)) -eq $((wl + ww)) ]
}
check "it reopens flush with the right edge" session_wait_for 100 flush_right
menu_shown() { xdotool search --onlyvisible --name '^zeb menu$' >/dev/null 2>&1; }
read -r bx by bw bh <<<"$(geometry "$(minibar)")"
xdotool mousemove $((bx + 100)) $((by + bh / 2)) click 3
check "a right click on the bar opens the main menu" session_wait_for 100 menu_shown
shoot "$(minibar)" minibar-russian
import -window root "$ARTIFACTS/minibar-russian-screen.png" 2>/dev/null
xdotool key Escape
python3 "$HERE/endpoint_client.py" "$XDG_RUNTIME_DIR/zeb/Winamp v1.x" command 40258 >/dev/null
check "the remote control's minibar command closes it" session_wait_for 150 minibar_gone
command 32780
check "zeb ends again" session_wait_for 200 zeb_ended
check "the exit remembers the closed minibar" \
    test "$(ini_value "$work/zeb.ini" "$section" BarAtStartup)" = 0

check "zeb wrote no sanitizer reports" bash -c "! grep -qE 'ERROR: (Address|Undefined)|runtime error' '$work/zeb.log'"
[ "$E2E_FAILED" -eq 0 ] || { echo "--- zeb.log"; grep -v '^ALSA lib' "$work/zeb.log" | tail -60; }
finish
