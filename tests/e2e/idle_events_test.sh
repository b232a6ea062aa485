#!/usr/bin/env bash
# A stopped zeb, which has no timer running, still follows the desktop as
# it changes: Scroll Lock switched on releases its hotkey grabs and switched
# off takes them back, a volume set on the sound server reaches the
# media-player interface, the now-playing file holds the stopped line, and
# a sound server that goes away leaves it at rest. Runs on a private session
# bus (dbus-run-session), a virtual display with a tray host and a sound
# server.
set -uo pipefail
ZEB=$1
PROBE=$2
HERE=$(dirname "$0")
source "$HERE/lib.sh"
trap session_stop_all EXIT

session_start_display || exit 1
session_start_tray || exit 1
session_start_sound || exit 1
SOUND_SERVER_PID=${SESSION_PIDS[-1]}

zeb_workspace idle "$ZEB" || exit 1
make_tone_mp3 "$work/Artist_-_One.mp3" 20 || exit 1
# Stopped after start, Play/Pause on Control+Alt+P (VK 0x50, modifiers 2 + 1).
cat >"$work/zeb.ini" <<INI
[$section]
AutoPlay=0
W2Fenabled=1
W2Ffile=$work/np.txt
PlayKey=80
PlayMod=3
INI

# The saved list: started without a path, zeb stays stopped.
printf '[%s]\n%s\n' "$(id -un)" "$work/Artist_-_One.mp3" >"$work/zeb.m3u"

pactl set-sink-volume nullsink 50%
"$work/zeb" >"$work/zeb.log" 2>&1 &
ZEB_PID=$!
SESSION_PIDS+=("$ZEB_PID")
check "zeb docks" session_wait_for 200 zeb_icon_docked
np_is() { [ "$(cat "$work/np.txt" 2>/dev/null)" = "$1" ]; }
check "the now-playing file holds the stopped line" \
    session_wait_for 50 np_is "Now stopped: Artist - One"

# A probe of our own asks the X server for Control+Alt+P: refused while zeb
# holds the grab, granted (and given back at once) when zeb has let go.
mkfifo "$work/probe.in"
"$PROBE" <"$work/probe.in" >"$work/probe.log" 2>"$work/probe.err" &
SESSION_PIDS+=($!)
exec {probe}>"$work/probe.in"
check "the probe starts" session_wait_for 100 grep -qx ready "$work/probe.log"
ask_probe() { # <command>: prints the probe's answer to it
    local before word=${1%% *}
    before=$(wc -l <"$work/probe.log")
    echo "$1" >&"$probe"
    answer() { tail -n +"$((before + 1))" "$work/probe.log" | grep -m1 "^$word "; }
    session_wait_for 100 answer && answer
}
probe_can_grab() {
    [ "$(ask_probe "register 1 3 80")" = "register 1 ok" ] || return 1
    ask_probe "unregister 1" >/dev/null
}
zeb_holds_grab() { [ "$(ask_probe "register 1 3 80")" = "register 1 refused" ]; }

# Sets the Scroll Lock indicator through the X server and waits until the
# probe sees it so.
scroll_lock_is() { [ "$(ask_probe "indicator Scroll Lock")" = "indicator Scroll Lock $1" ]; }
set_scroll_lock() { # on|off
    if [ "$1" = on ]; then xset led named "Scroll Lock"; else xset -led named "Scroll Lock"; fi
    session_wait_for 50 scroll_lock_is "$1"
}

check "zeb holds Control+Alt+P" session_wait_for 100 zeb_holds_grab
check "Scroll Lock goes on" set_scroll_lock on
check "with Scroll Lock on zeb lets the hotkey go" session_wait_for 100 probe_can_grab
check "Scroll Lock goes off" set_scroll_lock off
check "with Scroll Lock off zeb takes the hotkey again" session_wait_for 100 zeb_holds_grab

# The sound server's volume, as MPRIS reports it, within a percent.
mpris_volume_near() { # <percent>
    local volume
    volume=$(timeout 30 playerctl -p zeb volume 2>/dev/null) || return 1
    awk -v v="$volume" -v p="$1" 'BEGIN { d = v * 100 - p; exit !(d < 1.5 && d > -1.5) }'
}
check "MPRIS reports the sound server's volume" session_wait_for 100 mpris_volume_near 50
pactl set-sink-volume nullsink 30%
check "a volume set on the sound server reaches MPRIS" session_wait_for 100 mpris_volume_near 30
pactl set-sink-volume nullsink 70%
check "and so does the next one" session_wait_for 100 mpris_volume_near 70

status_is() { [ "$(timeout 30 playerctl -p zeb status 2>/dev/null)" = "$1" ]; }
check "zeb is still stopped" status_is Stopped
xdotool key ctrl+alt+p
check "the hotkey taken back plays" session_wait_for 100 status_is Playing
check "the now-playing file follows" session_wait_for 50 np_is "Now playing: Artist - One"

# The sound server goes away under a stopped player: its mixer's notification
# stays readable for good, and zeb must not keep taking it up.
timeout 30 playerctl -p zeb stop
check "zeb stops" session_wait_for 100 status_is Stopped
kill "$SOUND_SERVER_PID"
wait "$SOUND_SERVER_PID" 2>/dev/null
cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$ZEB_PID/stat"; }
before=$(cpu_ticks)
started=$(date +%s%N)
quiet_for 2
used=$(($(cpu_ticks) - before))
elapsed_ms=$((($(date +%s%N) - started) / 1000000))
# A loop on the descriptor takes a whole core, or a good share of one on a
# busy machine; a player at rest takes next to nothing.
share=$((used * 1000 * 100 / $(getconf CLK_TCK) / elapsed_ms))
check "zeb rests once the sound server is gone (${share}% of a core)" test "$share" -lt 10
check "and still answers" session_wait_for 100 status_is Stopped

kill -TERM "$ZEB_PID"
check "zeb ends" session_wait_for 200 bash -c "! kill -0 $ZEB_PID 2>/dev/null"
check "zeb wrote no sanitizer reports" \
    bash -c "! grep -qE 'ERROR: (Address|Undefined|LeakSanitizer)|runtime error' '$work/zeb.log'"
[ "$E2E_FAILED" -eq 0 ] || { echo "--- zeb.log"; grep -v '^ALSA lib' "$work/zeb.log" | tail -40; }
finish
