#!/usr/bin/env bash
# Global hotkeys against a real X server: a grabbed combination is reported
# with and without lit lock keys and only with its exact modifiers, media
# keys work, a released hotkey stays quiet, a combination another client
# holds is refused without an X error, and the Scroll Lock indicator is read.
set -uo pipefail
PROBE=$1
source "$(dirname "$0")/lib.sh"
trap session_stop_all EXIT

session_start_display || exit 1
work=$(mktemp -d "${TMPDIR:-/tmp}/zeb-hotkeys.XXXXXX")
SESSION_DIRS+=("$work")
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"

declare -A PROBE_FD
start_probe() { # <name>: a probe reading commands from <name>.in
    mkfifo "$work/$1.in"
    "$PROBE" <"$work/$1.in" >"$work/$1.log" 2>"$work/$1.err" &
    SESSION_PIDS+=($!)
    local fd
    exec {fd}>"$work/$1.in"
    PROBE_FD[$1]=$fd
    session_wait_for 100 grep -qx ready "$work/$1.log"
}

count() { grep -cx "$2" "$work/$1.log"; } # <probe> <line>

# Sends a command and waits for its answer, a new line starting with the
# command's word; true when that answer is <expected>.
ask() { # <probe> <command> <expected answer>
    local before answer word=${2%% *}
    before=$(wc -l <"$work/$1.log")
    echo "$2" >&"${PROBE_FD[$1]}"
    new_answer() { tail -n +"$((before + 1))" "$work/$1.log" | grep -m1 "^$word "; }
    session_wait_for 100 new_answer "$1" || return 1
    answer=$(new_answer "$1")
    [ "$answer" = "$3" ] || { echo "  $1 answered '$answer' to '$2'"; return 1; }
}

# Presses keys and waits for the probe to report hotkey <id> once more.
press_gives() { # <probe> <keys> <id>
    local before
    before=$(count "$1" "hotkey $3")
    xdotool key "$2"
    session_wait_for 100 test "$(count "$1" "hotkey $3")" -gt "$before"
}

# Presses keys, then the marker hotkey 900 (Ctrl+Alt+M) that the probe holds;
# X delivers key events in order, so once the marker is reported a report
# for the keys would be there too. True when hotkey <id> was not reported.
press_stays_quiet() { # <probe> <keys> <id>
    local before
    before=$(count "$1" "hotkey $3")
    xdotool key "$2"
    press_gives "$1" ctrl+alt+m 900 && [ "$(count "$1" "hotkey $3")" -eq "$before" ]
}

indicator_is() { ask a "indicator $1" "indicator $1 $2"; }

check "the probe starts" start_probe a

# Scroll Lock is read from the keyboard's indicator.
check "Scroll Lock is off at first" ask a scroll "scroll off"
xset led named "Scroll Lock"
check "a lit Scroll Lock indicator reads as on" ask a scroll "scroll on"
xset -led named "Scroll Lock"
check "an unlit Scroll Lock indicator reads as off" ask a scroll "scroll off"

# Ctrl+Alt+P (Control 2 | Alt 1, 'P' 0x50) and the marker Ctrl+Alt+M.
check "Ctrl+Alt+P can be registered" ask a "register 101 3 80" "register 101 ok"
check "the registered hotkey is known" ask a "registered 101" "registered 101 yes"
check "the marker hotkey can be registered" ask a "register 900 3 77" "register 900 ok"
check "pressing Ctrl+Alt+P reports hotkey 101" press_gives a ctrl+alt+p 101
check "Ctrl+P without Alt does not report it" press_stays_quiet a ctrl+p 101
check "Ctrl+Alt+Shift+P does not report it" press_stays_quiet a ctrl+alt+shift+p 101

# Lit lock keys add modifier bits to every press; the hotkey still works.
xdotool key Num_Lock
check "Num Lock is lit" indicator_is "Num Lock" on
check "Ctrl+Alt+P works with Num Lock on" press_gives a ctrl+alt+p 101
xdotool key Caps_Lock
check "Caps Lock is lit" indicator_is "Caps Lock" on
check "Ctrl+Alt+P works with Num Lock and Caps Lock on" press_gives a ctrl+alt+p 101
xdotool key Num_Lock
check "Ctrl+Alt+P works with Caps Lock alone on" press_gives a ctrl+alt+p 101
xdotool key Caps_Lock
check "Caps Lock is unlit again" indicator_is "Caps Lock" off
check "Num Lock is unlit again" indicator_is "Num Lock" off

# Other kinds of keys: Shift with a function key, a media key alone.
check "Shift+F2 can be registered" ask a "register 102 4 113" "register 102 ok"
check "pressing Shift+F2 reports hotkey 102" press_gives a shift+F2 102
check "the next-track media key can be registered" ask a "register 104 0 176" "register 104 ok"
check "pressing the next-track key reports hotkey 104" press_gives a XF86AudioNext 104

# Nothing to grab.
check "key 0 is refused" ask a "register 105 3 0" "register 105 refused"
check "a key code without a key is refused" ask a "register 106 3 7" "register 106 refused"
check "a refused hotkey is not registered" ask a "registered 105" "registered 105 no"

# Unregistering releases the grab.
check "unregistering is answered" ask a "unregister 101" "unregister 101"
check "the hotkey is no longer registered" ask a "registered 101" "registered 101 no"
check "Ctrl+Alt+P no longer reports hotkey 101" press_stays_quiet a ctrl+alt+p 101

# Another client takes Ctrl+Alt+P: ours is refused and theirs gets the press.
check "a second probe starts" start_probe b
check "the second probe gets Ctrl+Alt+P" ask b "register 201 3 80" "register 201 ok"
check "Ctrl+Alt+P held by another client is refused" ask a "register 101 3 80" "register 101 refused"
check "the refused hotkey is not registered" ask a "registered 101" "registered 101 no"
check "the other client gets the press" press_gives b ctrl+alt+p 201
check "the refusing probe stays quiet" press_stays_quiet a ctrl+alt+p 101
check "the other client lets go" ask b "unregister 201" "unregister 201"
check "Ctrl+Alt+P can be registered again" ask a "register 101 3 80" "register 101 ok"
check "and works again" press_gives a ctrl+alt+p 101

check "the refusal printed no X error" bash -c "! grep -qiE 'xcb error|BadAccess' '$work/a.err'"

finish
