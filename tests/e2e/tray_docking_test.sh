#!/usr/bin/env bash
# Many starts of the tray program under a real tray host: every time, the icon
# docks in a slot with room for it (never a slot one pixel wide, which shows
# nothing and takes no clicks), is drawn there, and keeps the window it
# docked with (no second dock request was needed to be shown). The idle
# program has loaded neither the network library, nor any image-format
# plugin, nor ALSA and the sound server's client library (the mixer waits
# until the volume is needed).
#   tray_docking_test.sh <zeb> [starts]
set -uo pipefail
ZEB=$1
STARTS=${2:-12}
source "$(dirname "$0")/lib.sh"
trap session_stop_all EXIT

session_start_display || exit 1
session_start_tray || exit 1
zeb_workspace docking "$ZEB" || exit 1

slot_width() { # <icon window>: the width of the slot the host gave it
    local parent
    parent=$(xwininfo -id "$1" -tree 2>/dev/null | sed -n 's/^ *Parent window id: \(0x[0-9a-f]*\).*/\1/p')
    xwininfo -id "$parent" 2>/dev/null | awk '/^ *Width:/ { print $2 }'
}

# The icon's picture, not just a background: many colours in its window.
icon_drawn() { # <icon window>
    local colours
    colours=$(import -window "$1" png:- 2>/dev/null | convert png:- -format %k info: 2>/dev/null)
    [ "${colours:-0}" -gt 4 ]
}

shown_and_drawn() { # <icon window>
    xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable' &&
        zeb_icon_has_room "$1" && icon_drawn "$1"
}

failed_starts=()
for start in $(seq 1 "$STARTS"); do
    "$work/zeb" >"$work/out.$start" 2>&1 &
    pid=$!
    if ! session_wait_for 100 zeb_icon_window; then
        failed_starts+=("start $start: the icon did not dock")
    else
        first=$(zeb_icon_window)
        if ! session_wait_for 50 shown_and_drawn "$first"; then
            failed_starts+=("start $start: slot $(slot_width "$first") pixels wide, drawn: $(icon_drawn "$first" && echo yes || echo no)")
        elif [ "$(zeb_icon_window)" != "$first" ]; then
            failed_starts+=("start $start: the icon had to dock again")
        fi
    fi
    if [ "$start" -eq "$STARTS" ]; then
        cp "/proc/$pid/maps" "$work/idle.maps"
    fi
    kill -TERM "$pid"
    wait "$pid"
done

[ "${#failed_starts[@]}" -eq 0 ] || printf '# %s\n' "${failed_starts[@]}"
check "the icon docked with room and was drawn in each of $STARTS starts" \
    test "${#failed_starts[@]}" -eq 0
check "the idle program has not loaded the network library" \
    bash -c "! grep -q libcurl '$work/idle.maps'"
check "the idle program has loaded no image-format plugin" \
    bash -c "! grep -q /imageformats/ '$work/idle.maps'"
check "the idle program has loaded neither ALSA nor the sound server's client" \
    bash -c "! grep -q -e libasound -e libpulse '$work/idle.maps'"
check "the idle program has loaded none of the decoder, output and CD libraries" \
    bash -c "! grep -q -e libmpg123 -e libout123 -e libcdio '$work/idle.maps'"
finish
