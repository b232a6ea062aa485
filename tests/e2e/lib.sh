# Helpers for whole-program tests: checks that count, and waiting for zeb.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/session.sh"

E2E_PASSED=0
E2E_FAILED=0

check() { # <description> <command...>
    local what=$1
    shift
    if "$@"; then
        E2E_PASSED=$((E2E_PASSED + 1))
        echo "ok - $what"
    else
        E2E_FAILED=$((E2E_FAILED + 1))
        echo "not ok - $what"
        return 1
    fi
}

# Sleeps through a stretch in which something must not happen (a hotkey that
# must be ignored, a click series that must do nothing), stretched by
# ZEB_TEST_PATIENCE like every limit so that a slow program is given the
# time to do it anyway if it were going to.
quiet_for() { # <seconds on an idle machine>
    sleep "$(awk -v s="$1" -v p="${ZEB_TEST_PATIENCE:-4}" 'BEGIN { printf "%.2f", s * p / 2 }')"
}

# A private folder for one run of the program, removed at exit: $work holds
# the runtime folder (exported as XDG_RUNTIME_DIR) and a copy of the program
# as $work/zeb; $section is the INI section the program reads for this user.
zeb_workspace() { # <name> <program>
    work=$(mktemp -d "${TMPDIR:-/tmp}/zeb-$1.XXXXXX") || return 1
    SESSION_DIRS+=("$work")
    mkdir -m 700 "$work/run" || return 1
    export XDG_RUNTIME_DIR="$work/run"
    cp "$2" "$work/zeb" || return 1
    section="Preferences - $(id -un)"
}

# A 440 Hz stereo tone encoded at 128 kbit/s, with an ID3v1 tag when an
# artist and a title are given.
make_tone_mp3() { # <file> <seconds> [<artist> <title>]
    local tags=()
    [ $# -ge 4 ] && tags=(-write_id3v1 1 -metadata artist="$3" -metadata title="$4")
    ffmpeg -loglevel error -f lavfi -i "sine=frequency=440:duration=$2" -ac 2 \
        -c:a libmp3lame -b:a 128k "${tags[@]}" "$1"
}

finish() {
    session_stop_all
    echo "$E2E_PASSED passed, $E2E_FAILED failed"
    [ "$E2E_FAILED" -eq 0 ]
}

# True once a program's window (one with a class) sits inside the tray
# host's panel.
zeb_icon_docked() {
    xwininfo -root -tree 2>/dev/null | awk '
        /\("panel" "trayer"\)/ { inpanel = 1; depth = match($0, /[^ ]/); next }
        inpanel && match($0, /[^ ]/) <= depth { inpanel = 0 }
        inpanel && /: \("[^"]+" "[^"]+"\)/ { found = 1 }
        END { exit !found }'
}

ini_value() { # <file> <section> <key>: the first value of key in section
    awk -v sec="[$2]" -v key="$3" '
        BEGIN { IGNORECASE = 1 }
        /^\[/ { insec = (tolower($0) == tolower(sec)) ; next }
        insec { split($0, kv, "="); if (tolower(kv[1]) == tolower(key)) { sub(/^[^=]*=/, ""); print; exit } }' "$1"
}

# The window of zeb's icon: a zeb window whose parent is no longer the root.
zeb_icon_window() {
    local w
    for w in $(xdotool search --class '^zeb$' 2>/dev/null); do
        if xwininfo -id "$w" -tree 2>/dev/null | grep -q '^ *Parent window id:' &&
            ! xwininfo -id "$w" -tree | grep -q 'Parent window id: .*(the root window)'; then
            echo "$w"
            return 0
        fi
    done
    return 1
}

# True when the host gave the icon's slot (its parent) room to show it.
zeb_icon_has_room() { # <icon window>
    local parent width
    parent=$(xwininfo -id "$1" -tree 2>/dev/null | sed -n 's/^ *Parent window id: \(0x[0-9a-f]*\).*/\1/p')
    [ -n "$parent" ] || return 1
    width=$(xwininfo -id "$parent" 2>/dev/null | awk '/^ *Width:/ { print $2 }')
    [ -n "$width" ] && [ "$width" -ge 8 ]
}

window_placement() { # <window>: "x y width height "
    xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left|Width|Height/ { printf "%s ", $NF }'
}

# The tray host lays its panel out again as icons come and go: true once the
# icon is shown and keeps its place for a moment.
zeb_icon_settled() {
    local w first
    w=$(zeb_icon_window) || return 1
    xwininfo -id "$w" 2>/dev/null | grep -q 'Map State: IsViewable' || return 1
    zeb_icon_has_room "$w" || return 1
    first=$(window_placement "$w")
    sleep 0.2
    [ -n "$first" ] && [ "$(window_placement "$w")" = "$first" ]
}

# trayer, when busy while the icon docks, may leave the icon's slot without
# room to show it; a fresh tray host lays it out again (zeb docks with the
# new host by itself).
ensure_zeb_icon_shown() {
    session_wait_for 50 zeb_icon_settled && return 0
    echo "# the tray host left the icon no room; starting it again"
    kill "$SESSION_TRAY_PID"
    session_start_tray || return 1
    session_wait_for 150 zeb_icon_settled
}

# Moves the pointer onto the settled icon.
point_at_zeb_icon() {
    session_wait_for 150 zeb_icon_settled
    local w
    w=$(zeb_icon_window) || return 1
    xdotool mousemove --window "$w" 8 8
}

# True when a window of zeb's has a name matching the extended regex.
has_window_name() { # <regex>
    local w names=
    for w in $(xdotool search --class '^zeb$' 2>/dev/null); do
        names+="$(xdotool getwindowname "$w" 2>/dev/null)"$'\n'
    done
    grep -qxE "$1" <<<"$names"
}
