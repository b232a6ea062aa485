#!/usr/bin/env bash
# Whole-program test of the advanced settings dialog on a virtual display
# with a window manager and a tray host: opened from the tray menu, a
# setting changed with the keyboard takes effect at OK (the remote-control
# endpoint appears) and is saved at exit; the command opens one dialog at
# most; Cancel stores nothing; in Russian OK takes the endpoint away again.
# Screenshots of the dialog in both languages go to the artifacts folder.
set -uo pipefail
ZEB=$1
ARTIFACTS=$2
HERE=$(dirname "$0")
source "$HERE/lib.sh"
trap session_stop_all EXIT

session_start_display || exit 1
session_start_wm || exit 1
session_start_tray || exit 1

work=$(mktemp -d "${TMPDIR:-/tmp}/zeb-advanced.XXXXXX")
SESSION_DIRS+=("$work")
mkdir -p "$ARTIFACTS"
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run"
endpoint="$XDG_RUNTIME_DIR/zeb/ZEBAppClass"
remote_socket="$XDG_RUNTIME_DIR/zeb/Winamp v1.x"
cp "$ZEB" "$work/zeb"
ini="$work/zeb.ini"
section="Preferences - $(id -un)"
printf '[%s]\nWAEmu=0\nLanguage=0\n' "$section" >"$ini"

ZEB_PID=
start_zeb() {
    "$work/zeb" >>"$work/zeb.log" 2>&1 &
    ZEB_PID=$!
    SESSION_PIDS+=("$ZEB_PID")
}
zeb_ended() { ! kill -0 "$ZEB_PID" 2>/dev/null; }
send_command() { python3 "$HERE/endpoint_client.py" "$endpoint" command "$1" >/dev/null; }
endpoint_up() { python3 "$HERE/endpoint_client.py" "$endpoint" raw 0 0 0 >/dev/null 2>&1; }

dialog_windows() { # <title>
    xdotool search --onlyvisible --name "^$1\$" 2>/dev/null
}
dialog_shown() { [ -n "$(dialog_windows "$1")" ]; }
dialog_gone() { ! dialog_shown "$1"; }
one_dialog() { [ "$(dialog_windows "$1" | wc -l)" -eq 1 ]; }
dialog_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$(dialog_windows "$1" | head -1)" ]; }
shoot() { import -window "$(dialog_windows "$1" | head -1)" "$ARTIFACTS/$2.png" 2>/dev/null; }
remote_up() { [ -S "$remote_socket" ] && xdotool search --class '^Winamp v1\.x$' >/dev/null 2>&1; }
remote_down() { [ ! -e "$remote_socket" ] && ! xdotool search --class '^Winamp v1\.x$' >/dev/null 2>&1; }

# "Emuler Winamp" is the seventh option of the check-list, which has the
# keyboard when the dialog opens; Return is OK.
toggle_remote_and_ok() {
    xdotool key Down Down Down Down Down Down space
    quiet_for 0.3
    xdotool key Return
}

DA="Avancerede Indstillinger"
RU="Дополнительные настройки"

# ---------------------------------------------------------------- from the tray menu
start_zeb
check "zeb docks its icon" session_wait_for 200 zeb_icon_docked
check "the endpoint answers" session_wait_for 100 endpoint_up

menu_shown() { xdotool search --onlyvisible --name '^zeb menu$' >/dev/null 2>&1; }
settings_menu_shown() {
    xdotool search --onlyvisible --name '^zeb submenu: Indstillinger$' >/dev/null 2>&1
}
open_menu() {
    ensure_zeb_icon_shown || true
    local try
    for try in 1 2; do
        point_at_zeb_icon && xdotool click 3 && session_wait_for 50 menu_shown &&
            quiet_for 0.5 && return 0
    done
    return 1
}
check "a right click on the icon opens the menu" open_menu
# "Indstillinger" is the fourth item that can be chosen; "Avanceret..." is
# the last of its submenu.
xdotool key Down Down Down Down Right
check "the Indstillinger submenu opens" session_wait_for 100 settings_menu_shown
quiet_for 0.3
xdotool key End Return
check "the menu opens the advanced settings dialog" session_wait_for 150 dialog_shown "$DA"
check "the dialog has the focus" session_wait_for 100 dialog_active "$DA"
quiet_for 0.5
shoot "$DA" advanced-settings-danish
check "no remote-control endpoint yet" remote_down

toggle_remote_and_ok
check "OK closes the dialog" session_wait_for 100 dialog_gone "$DA"
check "ticking Emuler Winamp creates the remote-control endpoint at OK" \
    session_wait_for 100 remote_up

# ---------------------------------------------------------------- one at most; Cancel
send_command 32875
check "the command opens the dialog" session_wait_for 150 dialog_shown "$DA"
send_command 32875
check "a second command leaves one dialog" one_dialog "$DA"
check "and gives it the focus" session_wait_for 100 dialog_active "$DA"
xdotool key Down Down Down Down Down Down space Escape
check "Escape cancels the dialog" session_wait_for 100 dialog_gone "$DA"
quiet_for 0.5
check "Cancel keeps the remote-control endpoint" remote_up

send_command 32780
check "zeb exits" session_wait_for 150 zeb_ended
check "the setting was saved at exit" test "$(ini_value "$ini" "$section" WAEmu)" = 1

# ---------------------------------------------------------------- Russian
sed -i 's/^Language=.*/Language=1/' "$ini"
start_zeb
check "zeb starts again with the endpoint it was left with" session_wait_for 150 remote_up
check "the endpoint answers" session_wait_for 100 endpoint_up
send_command 32875
check "the Russian dialog opens" session_wait_for 150 dialog_shown "$RU"
check "the Russian dialog has the focus" session_wait_for 100 dialog_active "$RU"
quiet_for 0.5
shoot "$RU" advanced-settings-russian
toggle_remote_and_ok
check "OK closes the Russian dialog" session_wait_for 100 dialog_gone "$RU"
check "unticking the option removes the endpoint" session_wait_for 100 remote_down
send_command 32780
check "zeb exits again" session_wait_for 150 zeb_ended
check "the cleared setting was saved" test "$(ini_value "$ini" "$section" WAEmu)" = 0

finish
