#!/usr/bin/env bash
# Whole-program test of the equalizer window on a virtual display with a
# window manager, a tray host and a sound server: opened by the menu command,
# edited with the keyboard, a preset saved through the name dialog, closed by
# its hotkey, opened by the remote control, reopened at start in Russian
# where it was, and closed when CD mode starts. Screenshots go to the
# artifacts folder.
set -uo pipefail
ZEB=$1
REMOTE=$2
ARTIFACTS=$3
HERE=$(dirname "$0")
source "$HERE/lib.sh"
trap session_stop_all EXIT

session_start_display || exit 1
session_start_wm || exit 1
session_start_tray || exit 1
session_start_sound || exit 1

work=$(mktemp -d "${TMPDIR:-/tmp}/zeb-equalizer.XXXXXX")
SESSION_DIRS+=("$work")
mkdir -p "$ARTIFACTS" "$work/run"
chmod 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run"
endpoint="$XDG_RUNTIME_DIR/zeb/ZEBAppClass"
cp "$ZEB" "$work/zeb"
section="Preferences - $(id -un)"
ffmpeg -loglevel error -f lavfi -i "sine=frequency=440:duration=120" -ac 2 -c:a libmp3lame \
    -b:a 128k "$work/tone.mp3" || exit 1
# A disc of one silent audio track, standing in for a CD drive.
head -c $((2352 * 750)) /dev/zero >"$work/disc.bin"
printf 'FILE "disc.bin" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n' >"$work/disc.cue"
# The remote control on; the equalizer on Control+Alt+E (VK 0x45, modifiers 2 + 1).
cat >"$work/zeb.ini" <<INI
[$section]
WAEmu=1
EqualizerKey=69
EqualizerMod=3
CDLetter=$work/disc.cue
INI

ZEB_PID=
start_zeb() { # [args...]
    "$work/zeb" "$@" >>"$work/zeb.log" 2>&1 &
    ZEB_PID=$!
    SESSION_PIDS+=("$ZEB_PID")
}
zeb_ended() { ! kill -0 "$ZEB_PID" 2>/dev/null; }
zeb_command() { python3 "$HERE/endpoint_client.py" "$endpoint" command "$1" >/dev/null; }
remote() { "$REMOTE" "$@" 2>/dev/null; }

TITLE=Equalizer
equalizer_window() { xdotool search --onlyvisible --name "^$TITLE\$" 2>/dev/null | head -1; }
equalizer_shown() { [ -n "$(equalizer_window)" ]; }
equalizer_gone() { ! equalizer_shown; }
name_dialog_shown() { xdotool search --onlyvisible --name '^Indtast navn$' >/dev/null 2>&1; }
name_dialog_gone() { ! name_dialog_shown; }
# The window's top-left corner (the Russian texts make it wider).
corner() { window_placement "$(equalizer_window)" | awk '{ print $1, $2 }'; }
placed_at() { [ "$(corner)" = "$1" ]; }
shoot() { import -window "$(equalizer_window)" "$ARTIFACTS/$1.png" 2>/dev/null; }

# ---------------------------------------------------------------- the menu command
start_zeb "$work/tone.mp3"
check "zeb docks its icon" session_wait_for 200 zeb_icon_docked
check "the remote endpoint answers" session_wait_for 100 bash -c "[ \"\$('$REMOTE' --query status 2>/dev/null)\" = 1 ]"
zeb_command 32791
check "the menu command opens the equalizer" session_wait_for 150 equalizer_shown
shoot equalizer-danish

# ---------------------------------------------------------------- keyboard and a preset
# The focus starts on "Brug EQ"; two tabs on is the preamplifier's bar, twelve
# further the save button.
xdotool windowactivate --sync "$(equalizer_window)" >/dev/null 2>&1
xdotool key space Tab Tab Up Up Up
xdotool key Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab space
check "the save button asks for a name" session_wait_for 150 name_dialog_shown
xdotool type --delay 30 "Mine"
xdotool key Return
check "the name dialog closes" session_wait_for 150 name_dialog_gone

# ---------------------------------------------------------------- hotkey and remote control
xdotool key ctrl+alt+e
check "the hotkey closes the equalizer" session_wait_for 150 equalizer_gone
remote equalizer
check "the remote control opens it again" session_wait_for 150 equalizer_shown
xdotool windowmove --sync "$(equalizer_window)" 230 170 >/dev/null 2>&1
quiet_for 0.3
before=$(corner)

zeb_command 32780
check "zeb ends" session_wait_for 200 zeb_ended
check "the exit remembers the open equalizer" \
    test "$(ini_value "$work/zeb.ini" "$section" EQAtStartup)" = 1
check "the box turned the equalizer on" test "$(ini_value "$work/zeb.ini" "$section" EnableEQ)" = 1
check "three steps up on the preamplifier" \
    test "$(ini_value "$work/zeb.ini" "$section" Preamp)" = 3
check "the saved preset joins the four built-in ones" \
    test "$(ini_value "$work/zeb.ini" "$section" Presets)/$(ini_value "$work/zeb.ini" "$section" PresetName4)/$(ini_value "$work/zeb.ini" "$section" PresetEQ4)" = 5/Mine/nkkkkkkkkkk
check "the saved preset stays selected" \
    test "$(ini_value "$work/zeb.ini" "$section" EQPreset)" = 2

# ---------------------------------------------------------------- start in Russian, CD mode
sed -i "s/^Language=.*/Language=1/" "$work/zeb.ini"
TITLE=Эквалайзер
start_zeb
check "the equalizer opens at start when it was open at exit" session_wait_for 200 equalizer_shown
check "it opens where it was ($before)" session_wait_for 50 placed_at "$before"
shoot equalizer-russian
zeb_command 32922
check "CD mode closes the equalizer" session_wait_for 150 equalizer_gone
zeb_command 32791
xdotool key ctrl+alt+e
quiet_for 1
check "in CD mode neither the command nor the hotkey opens it" equalizer_gone

zeb_command 32780
check "zeb ends again" session_wait_for 200 zeb_ended
check "the exit remembers the closed equalizer" \
    test "$(ini_value "$work/zeb.ini" "$section" EQAtStartup)" = 0

check "zeb wrote no sanitizer reports" bash -c "! grep -qE 'ERROR: (Address|Undefined)|runtime error' '$work/zeb.log'"
[ "$E2E_FAILED" -eq 0 ] || { echo "--- zeb.log"; grep -v '^ALSA lib' "$work/zeb.log" | tail -60; }
finish
