#!/usr/bin/env bash
# Whole-program test of the playlist window's file commands on a virtual
# display with a window manager, a tray host and a sound server: two tagged
# files renamed through the rename dialog while one of them plays, then four
# files copied into a folder that holds one of their names, the progress
# window shown while the overwrite question waits, and two files deleted,
# one to the trash and one for good. Screenshots go to the artifacts folder.
set -uo pipefail
ZEB=$1
ARTIFACTS=$2
HERE=$(dirname "$0")
source "$HERE/lib.sh"
trap session_stop_all EXIT

session_start_display || exit 1
session_start_wm || exit 1
session_start_tray || exit 1
session_start_sound || exit 1

zeb_workspace file-operations "$ZEB" || exit 1
mkdir -p "$ARTIFACTS" "$work/music" "$work/target"
export XDG_DATA_HOME="$work/data"
endpoint="$XDG_RUNTIME_DIR/zeb/ZEBAppClass"
user=$(id -un)

make_tone_mp3 "$work/music/a.mp3" 70 "AC/DC" Alpha || exit 1
make_tone_mp3 "$work/music/b.mp3" 130 "Band" "What?" || exit 1
# Two large files, so that the copy has data to move.
for name in c-big d-big; do
    cp "$work/music/a.mp3" "$work/music/$name.mp3"
    head -c 64M /dev/urandom >>"$work/music/$name.mp3"
done
echo "older" >"$work/target/d-big.mp3"

ZEB_PID=
start_zeb() { # [args...]
    "$work/zeb" "$@" >>"$work/zeb.log" 2>&1 &
    ZEB_PID=$!
    SESSION_PIDS+=("$ZEB_PID")
}
zeb_ended() { ! kill -0 "$ZEB_PID" 2>/dev/null; }

shown_named() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
wait_shown() { session_wait_for 150 shown_named "$1"; }
window_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1; }
activate() { # <name regex>
    local w
    w=$(window_named "$1")
    [ -n "$w" ] && xdotool windowactivate --sync "$w" >/dev/null 2>&1
}

PREFIX="Afspilningslister - "
playlist_window() { window_named "^$PREFIX"; }

start_zeb "$work/music"
check "zeb docks its icon" session_wait_for 200 zeb_icon_docked
check "the folder's first track plays" session_wait_for 150 has_window_name "ZEB: AC/DC - Alpha"
# The playlist window from the tray program's command.
python3 "$HERE/endpoint_client.py" "$endpoint" command 32802 >/dev/null
check "the playlist window opens" wait_shown "^$PREFIX"

# ---------------------------------------------------------------- rename two rows
activate "^$PREFIX"
xdotool key Home shift+Down
check "two rows are selected" session_wait_for 100 shown_named "^${PREFIX}03:(19|2[01]) / "
xdotool key alt+m
quiet_for 0.3
xdotool key o
check "the rename dialog opens" wait_shown '^Omdøb filer efter tags$'
activate '^Omdøb filer efter tags$'
xdotool key ctrl+a
xdotool type --delay 30 '%1 %2 - %3'
shoot_root() { import -window root "$ARTIFACTS/$1.png" 2>/dev/null; }
shoot_root file-operations-rename-dialog
xdotool key Return
renamed() { [ -f "$work/music/01 AC_DC - Alpha.mp3" ] && [ -f "$work/music/02 Band - What_.mp3" ]; }
check "both files get names from their tags" session_wait_for 150 renamed
check "the old names are gone" test ! -e "$work/music/a.mp3" -a ! -e "$work/music/b.mp3"
check "the renamed playing file plays on" session_wait_for 100 has_window_name "ZEB: AC/DC - Alpha"

# ---------------------------------------------------------------- copy four rows
activate "^$PREFIX"
xdotool key ctrl+a ctrl+F5
check "the folder browser opens" wait_shown '^Vælg mål mappe\.\.\.$'
activate '^Vælg mål mappe\.\.\.$'
xdotool key ctrl+a
xdotool type --delay 20 "$work/target"
xdotool key Return
check "the copy asks before replacing the existing file" wait_shown '^ZEB$'
check "the progress window shows the file in hand" shown_named '^d-big\.mp3$'
# The question goes below the progress window, which shows the first file
# copied on its bar.
xdotool windowmove "$(window_named '^ZEB$')" 100 700 >/dev/null 2>&1
quiet_for 0.5
shoot_root file-operations-progress
activate '^ZEB$'
xdotool key alt+y
same_size() { [ "$(stat -c %s "$1")" = "$(stat -c %s "$2")" ]; }
copied() {
    same_size "$work/music/c-big.mp3" "$work/target/c-big.mp3" &&
        same_size "$work/music/d-big.mp3" "$work/target/d-big.mp3" &&
        [ -f "$work/target/01 AC_DC - Alpha.mp3" ] && ! shown_named '^d-big\.mp3$'
}
check "the four files are copied, the existing one replaced" session_wait_for 300 copied
check "a copy leaves no temporary file" \
    test "$(find "$work/target" -type f | wc -l)" -eq 4

# ---------------------------------------------------------------- delete to the trash, and for good
activate "^$PREFIX"
xdotool key End ctrl+F8
check "deleting asks first" wait_shown '^ZEB$'
activate '^ZEB$'
xdotool key alt+y
trashed() {
    [ -f "$work/data/Trash/files/d-big.mp3" ] && [ ! -e "$work/music/d-big.mp3" ] &&
        grep -qx "Path=$work/music/d-big.mp3" "$work/data/Trash/info/d-big.mp3.trashinfo"
}
check "the deleted file goes to the trash with its original path" session_wait_for 150 trashed
check "the question has gone" session_wait_for 100 bash -c "! xdotool search --onlyvisible --name '^ZEB\$' >/dev/null 2>&1"
activate "^$PREFIX"
xdotool key End shift+Delete
check "Shift+Delete asks too" wait_shown '^ZEB$'
activate '^ZEB$'
xdotool key alt+y
erased() { [ ! -e "$work/music/c-big.mp3" ]; }
check "Shift+Delete deletes the file" session_wait_for 150 erased
check "a file deleted for good is not in the trash" test ! -e "$work/data/Trash/files/c-big.mp3"

# ---------------------------------------------------------------- the list follows
python3 "$HERE/endpoint_client.py" "$endpoint" command 32780 >/dev/null
check "zeb ends" session_wait_for 200 zeb_ended
saved=$(awk -v sec="[$user]" '/^\[/ { insec = (tolower($0) == tolower(sec)); next }
    insec && !/^#/ { n = split($0, p, "/"); print p[n] }' "$work/zeb.m3u" | tr '\n' '|')
check "the saved list holds the new names and not the deleted files" \
    test "$saved" = "01 AC_DC - Alpha.mp3|02 Band - What_.mp3|"

check "zeb wrote no sanitizer reports" bash -c "! grep -qE 'ERROR: (Address|Undefined)|runtime error' '$work/zeb.log'"
[ "$E2E_FAILED" -eq 0 ] || { echo "--- zeb.log"; grep -v '^ALSA lib' "$work/zeb.log" | tail -60; }
finish
