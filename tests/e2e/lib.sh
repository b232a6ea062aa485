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
    fi
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
