#!/usr/bin/env bash
# The XEmbed tray icon against a real tray host: it reports that no host is
# there, docks when one appears later or is already running, and turns
# pointer moves, clicks, held buttons and wheel turns into events with the
# right buttons and global coordinates. The icon leaves its mapping to the
# host, so a host that has not taken it yet never lays out a mapped window.
set -uo pipefail
PROBE=$1
SILENT_HOST=$2
source "$(dirname "$0")/lib.sh"
trap session_stop_all EXIT

session_start_display || exit 1
work=$(mktemp -d "${TMPDIR:-/tmp}/zeb-tray.XXXXXX")
SESSION_DIRS+=("$work")

has_line() { grep -qxE "$2" "$1"; } # <log> <regex>

wait_for_line() { # <log> <regex>: waits at most 10 s for a whole matching line
    session_wait_for 100 has_line "$1" "$2"
}

window_of() { sed -n 's/^window //p' "$1" | head -1; }

# True when the window's parent is no longer the root window.
reparented() {
    xwininfo -id "$1" -tree 2>/dev/null | grep -q '^ *Parent window id:' &&
        ! xwininfo -id "$1" -tree | grep -q '^ *Parent window id: .*(the root window)'
}

start_probe() { # <log> [args...]
    local log=$1
    shift
    "$PROBE" "$@" >"$log" 2>"$log.err" &
    SESSION_PIDS+=($!)
}

# No tray host: the probe says so and ends with status 1.
timeout 30 "$PROBE" >"$work/alone.log" 2>"$work/alone.err"
status=$?
check "without a tray host the icon reports it is not docked" \
    bash -c "[ $status -eq 1 ] && grep -qx 'not docked' '$work/alone.log' && ! grep -qx docked '$work/alone.log'"

# A host that holds the tray selection but has not taken the icon yet: the
# icon's window stays unmapped until the host reparents and maps it.
"$SILENT_HOST" >"$work/silent.log" 2>&1 &
silent=$!
SESSION_PIDS+=("$silent")
session_wait_for 100 has_line "$work/silent.log" owner
start_probe "$work/waiting.log" --stay
waiting_probe=${SESSION_PIDS[-1]}
wait_for_line "$work/waiting.log" "window [0-9]+"
waiting=$(window_of "$work/waiting.log")
window_known() { xwininfo -id "$waiting" >/dev/null 2>&1; }
session_wait_for 100 window_known
quiet_for 0.5
check "an icon the host has not taken yet is not mapped" \
    bash -c "xwininfo -id '$waiting' | grep -q 'Map State: IsUnMapped'"
kill "$waiting_probe" "$silent"
wait "$waiting_probe" "$silent" 2>/dev/null

# An icon shown before the host starts docks once the host announces itself.
start_probe "$work/early.log" --stay
check "an icon waiting for a tray host starts undocked" wait_for_line "$work/early.log" "not docked"
session_start_tray || exit 1
check "the waiting icon docks when the tray host appears" wait_for_line "$work/early.log" docked
early=$(window_of "$work/early.log")
check "the waiting icon's window sits inside the tray" session_wait_for 100 reparented "$early"

# An icon shown while the host runs docks at once.
start_probe "$work/icon.log"
check "the icon docks in a running tray host" wait_for_line "$work/icon.log" docked
check "the icon's window sits inside the tray panel" session_wait_for 100 zeb_icon_docked
win=$(window_of "$work/icon.log")
check "the icon reports its window" test -n "$win"
check "the icon's window is reparented into the tray" session_wait_for 100 reparented "$win"

# The host lays its panel out again as icons arrive; wait until the icon
# has its requested width and stays put before pointing at it.
placement() { xwininfo -id "$1" | awk '/Absolute upper-left|Width|Height/ { printf "%s ", $NF }'; }
settled() {
    local first
    first=$(placement "$1")
    sleep 0.2
    [ "$(placement "$1")" = "$first" ] && [ "$(echo "$first" | cut -d' ' -f3)" -ge 16 ]
}
icon_settles() {
    session_wait_for 50 settled "$win" && return 0
    echo "icon placement: $(placement "$win")"
    xwininfo -root -tree | grep -A8 '("panel" "trayer")'
    return 1
}
check "the icon gets a usable size in the tray" icon_settles

# The picture sits in the middle of the window over the window's background:
# its opaque half in its own colour, its half-transparent half midway
# between that colour and the background.
pixel_at() { # <window> <x> <y>: "r g b"
    import -window "$1" png:- 2>/dev/null |
        convert png:- -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]" info: 2>/dev/null
}
near() { # <"r g b"> <"r g b">: each channel within 3
    awk -v a="$1" -v b="$2" 'BEGIN { split(a, x); split(b, y)
        for (i = 1; i <= 3; i++) { d = x[i] - y[i]; if (d > 3 || d < -3) exit 1 } }'
}
read -r width height < <(xwininfo -id "$win" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w, h }')
left=$(((width - 16) / 2))
top=$(((height - 16) / 2))
background=$(pixel_at "$win" 0 0)
opaque=$(pixel_at "$win" $((left + 3)) $((top + 8)))
half=$(pixel_at "$win" $((left + 12)) $((top + 8)))
expected_half=$(awk -v b="$background" 'BEGIN { split(b, c); printf "%d %d %d", 200 * 128 / 255 + c[1] * 127 / 255, 40 * 128 / 255 + c[2] * 127 / 255, 10 * 128 / 255 + c[3] * 127 / 255 }')
check "the icon's opaque half shows its colour (got $opaque)" near "$opaque" "200 40 10"
check "its half-transparent half is blended with the background $background (got $half)" \
    near "$half" "$expected_half"
not_near() { ! near "$@"; }
check "the background shows around the picture" not_near "$background" "200 40 10"

# Pointer onto the icon: a move event at the pointer's global position.
xdotool mousemove --window "$win" 6 7
eval "$(xdotool getmouselocation --shell)"
at="$X $Y"
check "moving onto the icon gives a move event at the pointer" \
    wait_for_line "$work/icon.log" "move $at"

# Resting there shows the tooltip: a mapped tooltip window of the probe.
tooltip_shown() {
    local w
    for w in $(xdotool search --classname tray_icon_probe 2>/dev/null); do
        xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q '= _NET_WM_WINDOW_TYPE_TOOLTIP' &&
            xwininfo -id "$w" 2>/dev/null | grep -q 'Map State: IsViewable' && return 0
    done
    return 1
}
check "resting the pointer on the icon shows its tooltip" session_wait_for 100 tooltip_shown

click_gives() { # <xdotool button> <reported button>
    local before
    before=$(wc -l <"$work/icon.log")
    xdotool click "$1"
    session_wait_for 100 has_line "$work/icon.log" "release $2 $at" &&
        tail -n +"$((before + 1))" "$work/icon.log" | grep -vE '^move ' |
        diff -q - <(printf 'press %s %s\nrelease %s %s\n' "$2" "$at" "$2" "$at") >/dev/null
}
check "a left click gives press 1 then release 1 at the pointer" click_gives 1 1
check "a right click gives press 3 then release 3 at the pointer" click_gives 3 3
check "a middle click gives press 2 then release 2 at the pointer" click_gives 2 2

# Press, hold, release: the release comes only with the button going up.
count_of() { grep -c "^$1\$" "$work/icon.log"; } # <line>
earlier_presses=$(count_of "press 1 $at")
xdotool mousedown 1
pressed_again() { [ "$(count_of "press 1 $at")" -gt "$earlier_presses" ]; }
check "holding the left button gives a press" session_wait_for 100 pressed_again
presses=$(grep -c "^press 1 $at\$" "$work/icon.log")
releases=$(grep -c "^release 1 $at\$" "$work/icon.log")
check "no release while the button is held" test "$presses" -gt "$releases"
xdotool mouseup 1
released() { test "$presses" -gt 0 && test "$(grep -c "^release 1 $at\$" "$work/icon.log")" -eq "$presses"; }
check "letting go gives the release" session_wait_for 100 released

xdotool click 4
check "turning the wheel away gives a positive delta" wait_for_line "$work/icon.log" "wheel 120"
xdotool click 5
check "turning the wheel back gives a negative delta" wait_for_line "$work/icon.log" "wheel -120"

check "the icon wrote no warnings" bash -c "! grep -qiE 'error|warning' '$work/icon.log.err'"

finish
