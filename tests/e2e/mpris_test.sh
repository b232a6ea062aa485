#!/usr/bin/env bash
# The media-player bus interface on a private session bus (run under
# dbus-run-session): playerctl finds the player as "zeb", reads its status
# and metadata, drives it, and property changes are signalled once each.
set -uo pipefail
PROBE=$1
source "$(dirname "$0")/lib.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/zeb-mpris.XXXXXX")
SESSION_DIRS+=("$work")
trap session_stop_all EXIT
log=$work/probe.log
signals=$work/signals.log

has_line() { grep -qxF "$2" "$1"; }
wait_for_line() { session_wait_for 100 has_line "$1" "$2"; }
pc() { timeout 30 playerctl -p zeb "$@"; }
set_position() { # <track id> <µs>: returns once the call is answered
    timeout 30 dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.zeb \
        /org/mpris/MediaPlayer2 org.mpris.MediaPlayer2.Player.SetPosition \
        objpath:"$1" int64:"$2" >/dev/null
}
changes() { grep -c 'string "org.mpris.MediaPlayer2.Player"' "$signals"; }

dbus-monitor --session \
    "type='signal',path='/org/mpris/MediaPlayer2',interface='org.freedesktop.DBus.Properties'" \
    "type='signal',path='/org/mpris/MediaPlayer2',member='Seeked'" >"$signals" 2>&1 &
SESSION_PIDS+=($!)
session_wait_for 50 grep -q 'member=NameAcquired' "$signals"

mkfifo "$work/input"
"$PROBE" <"$work/input" >"$log" 2>"$log.err" &
SESSION_PIDS+=($!)
exec 5>"$work/input"
check "the probe registers on the bus" wait_for_line "$log" registered
check "playerctl lists the player as zeb" bash -c "timeout 30 playerctl -l | grep -qx zeb"

check "the status starts Stopped" test "$(pc status)" = Stopped
check "the title comes from the metadata" test "$(pc metadata title)" = "Fixture Title"
check "the artist comes from the metadata" test "$(pc metadata artist)" = "Fixture Artist"
check "the track id names the entry" test "$(pc metadata mpris:trackid)" = "'/org/zeb/track/0'"
check "the length is in microseconds" test "$(pc metadata mpris:length)" = 180000000
check "the address is the file's URL" test "$(pc metadata xesam:url)" = "file:///music/a%20b.mp3"
check "the volume is reported from 0 to 1" test "$(pc volume)" = 0.800000

identity=$(timeout 30 dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.zeb \
    /org/mpris/MediaPlayer2 org.freedesktop.DBus.Properties.Get \
    string:org.mpris.MediaPlayer2 string:Identity)
check "the identity is zeb" bash -c "grep -q 'variant *string \"zeb\"' <<<'$identity'"

check "play-pause is delivered" pc play-pause
check "play-pause reached the player" has_line "$log" "call PlayPause"
check "the status is Playing" test "$(pc status)" = Playing
check "the change to Playing was signalled" \
    session_wait_for 50 grep -q 'string "Playing"' "$signals"

check "volume 0.5 is delivered" pc volume 0.5
check "the player got volume 50" has_line "$log" "volume 50"
check "the volume reads 0.5" test "$(pc volume)" = 0.500000

check "position 10 is delivered" pc position 10
check "the player seeks to 10 s" has_line "$log" "seek 10000000"
# playerctl moves the position on by the clock while playing: read it paused.
check "pause is delivered" pc pause
check "the position reads 10 s" test "$(pc position)" = 10.000000
check "a paused track refuses SetPosition" set_position /org/zeb/track/0 20000000
pc play
check "another track's id is refused" set_position /org/zeb/track/7 30000000
check "a position past the end is refused" set_position /org/zeb/track/0 190000000
check "no refused seek reached the player" bash -c "! grep -qxE 'seek (20|30|190)000000' '$log'"
check "position 4- seeks relative" pc position 4-
check "the player seeks to 6 s" has_line "$log" "seek 6000000"
check "both seeks were signalled" session_wait_for 50 bash -c "[ \$(grep -c 'member=Seeked' '$signals') -eq 2 ]"

check "next is delivered" pc next
check "next reached the player" has_line "$log" "call Next"
check "the metadata names the next entry" test "$(pc metadata mpris:trackid)" = "'/org/zeb/track/1'"
check "pause is delivered again" pc pause
check "the status is Paused" test "$(pc status)" = Paused

# A status update that changes nothing sends nothing; a change sends one
# signal holding only what changed.
paused_twice() { [ "$(grep -c 'string "Paused"' "$signals")" -eq 2 ]; }
check "both pauses were signalled" session_wait_for 50 paused_twice
before=$(changes)
echo notify >&5
check "an unchanged state is acknowledged" wait_for_line "$log" "done notify"
echo "title Another Song" >&5
check "a changed title is acknowledged" wait_for_line "$log" "done title Another Song"
check "the new title was signalled" session_wait_for 50 grep -q 'string "Another Song"' "$signals"
check "only the change sent a signal" test "$(changes)" -eq $((before + 1))
last=$(awk '/member=PropertiesChanged/ { block = "" } { block = block $0 "\n" } END { printf "%s", block }' "$signals")
check "the signal carries the metadata" grep -q 'string "Metadata"' <<<"$last"
check "the signal leaves the unchanged status out" bash -c "! grep -q 'PlaybackStatus' <<<'$last'"
check "playerctl reads the new title" test "$(pc metadata title)" = "Another Song"

check "stop is delivered" pc stop
check "the status is Stopped" test "$(pc status)" = Stopped
check "quit is delivered" timeout 30 dbus-send --session --print-reply \
    --dest=org.mpris.MediaPlayer2.zeb /org/mpris/MediaPlayer2 org.mpris.MediaPlayer2.Quit
check "quit reached the player" has_line "$log" "call Quit"
exec 5>&-
check "the probe reported no errors" test ! -s "$log.err"

finish
