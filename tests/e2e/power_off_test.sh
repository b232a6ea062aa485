#!/usr/bin/env bash
# Switching the computer off after playback, against a mock logind on a
# private system bus: the request (interactive) arrives only once the whole
# list has played, and a refused request is shown to the user before the
# program ends.
set -uo pipefail
ZEB=$1
FIXTURES=$2
ARTIFACTS=$3
HERE=$(dirname "$0")
source "$HERE/lib.sh"
trap session_stop_all EXIT
# The mock comes from the distribution's Python, whatever else is first in PATH.
PYTHON=/usr/bin/python3

session_start_display || exit 1
session_start_tray || exit 1

zeb_workspace power-off "$ZEB" || exit 1
mkdir -p "$ARTIFACTS" "$work/out" "$work/config"
export XDG_CONFIG_HOME="$work/config"
out="$work/out"

# A bus of our own stands in for the system bus, with the mock logind on it.
dbus-daemon --session --nofork --print-address=3 3>"$work/bus.address" 2>"$work/bus.log" &
SESSION_PIDS+=($!)
session_wait_for 100 test -s "$work/bus.address" || exit 1
export DBUS_SYSTEM_BUS_ADDRESS=$(head -n 1 "$work/bus.address")
calls=$work/logind.log
"$PYTHON" -m dbusmock --system --template logind -l "$calls" >"$work/mock.out" 2>&1 &
SESSION_PIDS+=($!)
logind_ready() {
    dbus-send --system --print-reply --dest=org.freedesktop.login1 /org/freedesktop/login1 \
        org.freedesktop.login1.Manager.CanPowerOff
}
check "the mock logind answers" session_wait_for 150 logind_ready || exit 1

# Only a few keys: the rest (CDMode among them) is written by the exit sequence.
cat >"$work/zeb.ini" <<INI
[$section]
OutputModule=0
OutPath=$out/
AutoPlay=1
INI
# Two tracks: the list has not ended after the first.
cp "$FIXTURES/cbr128.mp3" "$work/first.mp3"
cp "$FIXTURES/cbr128-info.mp3" "$work/second.mp3"
printf '%s\n' "$work/first.mp3" "$work/second.mp3" >"$work/list.m3u"

ZEB_PID=
start_zeb() {
    "$work/zeb" >>"$work/zeb.log" 2>&1 &
    ZEB_PID=$!
    SESSION_PIDS+=("$ZEB_PID")
}
zeb_ended() { ! kill -0 "$ZEB_PID" 2>/dev/null; }
endpoint_ready() { [ -S "$XDG_RUNTIME_DIR/zeb/ZEBAppClass" ]; }
command() {
    "$PYTHON" "$HERE/endpoint_client.py" "$XDG_RUNTIME_DIR/zeb/ZEBAppClass" command "$1" >/dev/null
}
second() { timeout 60 "$work/zeb" "$@" >>"$work/second.log" 2>&1; }
# The PowerOff calls (not CanPowerOff) in the mock's log.
power_off_calls() { grep -E '(^|[^n])PowerOff( |$)' "$calls"; }
# The message box: a visible window of zeb's titled just "ZEB".
message_box() { xdotool search --all --onlyvisible --pid "$ZEB_PID" --name '^ZEB$' 2>/dev/null | head -n 1; }
message_shown() { [ -n "$(message_box)" ]; }
seconds_of() { # <WAV>: its length in whole seconds
    "$PYTHON" -c 'import sys, wave
w = wave.open(sys.argv[1], "rb"); print(w.getnframes() // w.getframerate())' "$1"
}

# ---------------------------------------------------------------- switched off at the end
start_zeb
session_wait_for 200 endpoint_ready || { cat "$work/zeb.log"; exit 1; }
command 32943 # Sluk computer
check "a second instance hands over the two-track list" second "$work/list.m3u"
check "the first track is written" session_wait_for 150 test -s "$out/first.wav"
check "no switch-off while the list still plays" test -z "$(power_off_calls)"
check "zeb ends after the list" session_wait_for 300 zeb_ended
check "the second track played to its end first" test "$(seconds_of "$out/second.wav")" = 3
check "logind was asked once to switch off, interactively" \
    test "$(power_off_calls | sed 's/^.*PowerOff //')" = True
check "the exit sequence saved the settings" \
    test "$(ini_value "$work/zeb.ini" "$section" CDMode)" = 0

# ---------------------------------------------------------------- a refusal is shown
dbus-send --system --print-reply --dest=org.freedesktop.login1 /org/freedesktop/login1 \
    org.freedesktop.DBus.Mock.AddMethod string:org.freedesktop.login1.Manager \
    string:PowerOff string:b string: \
    string:"raise dbus.exceptions.DBusException('Interactive authentication required.', name='org.freedesktop.DBus.Error.InteractiveAuthorizationRequired')" \
    >/dev/null || exit 1
rm -f "$out"/*.wav
start_zeb
session_wait_for 200 endpoint_ready || { cat "$work/zeb.log"; exit 1; }
command 32943
check "the list is handed over again" second "$work/list.m3u"
refusal_reported() { grep -q 'could not be switched off: Interactive authentication required' "$work/zeb.log"; }
check "the refusal is reported once the list has ended" session_wait_for 300 refusal_reported
check "the request was made after the whole list" test "$(seconds_of "$out/second.wav")" = 3
check "zeb shows the message and waits for it to be read" session_wait_for 100 message_shown
check "zeb is still running meanwhile" kill -0 "$ZEB_PID"
import -window root "$ARTIFACTS/power-off-refused.png" 2>/dev/null
box=$(message_box)
xdotool windowfocus --sync "$box"
xdotool key --window "$box" Return
check "zeb ends once the message is closed" session_wait_for 200 zeb_ended

finish
