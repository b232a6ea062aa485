#!/usr/bin/env bash
# Whole-program test of the playlist window on a virtual display with a
# window manager, a tray host and a sound server: opened from the tray menu,
# a search typed into its find box, a row played by a double click, a row
# dragged, a folder dropped from a drag source, the tags of two files edited
# with one field kept, a vanished file skipped, the window reopened at start
# in Russian. Screenshots go to the artifacts folder.
set -uo pipefail
ZEB=$1
DROP=$2
ARTIFACTS=$3
HERE=$(dirname "$0")
source "$HERE/lib.sh"
trap session_stop_all EXIT

session_start_display || exit 1
session_start_wm || exit 1
session_start_tray || exit 1
session_start_sound || exit 1

zeb_workspace playlist-window "$ZEB" || exit 1
mkdir -p "$ARTIFACTS" "$work/music" "$work/extra"
endpoint="$XDG_RUNTIME_DIR/zeb/ZEBAppClass"
user=$(id -un)

# Tracks whose lengths tell them apart in the window's title sums.
make_tone_mp3 "$work/music/a.mp3" 70 "Artist A" Alpha || exit 1
make_tone_mp3 "$work/music/b.mp3" 130 "Artist B" Bravo || exit 1
make_tone_mp3 "$work/music/c.mp3" 250 "Artist C" Charlie || exit 1
make_tone_mp3 "$work/music/d.mp3" 490 "Artist D" Delta || exit 1
make_tone_mp3 "$work/extra/e.mp3" 970 "Artist E" Echo || exit 1

ZEB_PID=
start_zeb() { # [args...]
    "$work/zeb" "$@" >>"$work/zeb.log" 2>&1 &
    ZEB_PID=$!
    SESSION_PIDS+=("$ZEB_PID")
}
zeb_ended() { ! kill -0 "$ZEB_PID" 2>/dev/null; }

wait_window_name() { session_wait_for 150 has_window_name "$1"; }

# The playlist window: a shown zeb window whose name starts with the title
# prefix of the interface language.
PREFIX="Afspilningslister - "
playlist_window() {
    xdotool search --onlyvisible --name "^$PREFIX" 2>/dev/null | head -1
}
playlist_shown() { [ -n "$(playlist_window)" ]; }
playlist_gone() { ! playlist_shown; }
playlist_title_is() { # <regex of the sums>
    local w
    w=$(playlist_window)
    [ -n "$w" ] || return 1
    local name
    name=$(xdotool getwindowname "$w" 2>/dev/null)
    grep -qxE "$PREFIX$1" <<<"$name"
}
wait_title() { session_wait_for 150 playlist_title_is "$1"; }

# Rows as the user sees them: the highlighted band of the list.
highlighted() { python3 "$HERE/highlighted_rows.py" "$(playlist_window)"; }
one_band() {
    local bands
    bands=$(highlighted)
    [ -n "$bands" ] && [ "$(wc -l <<<"$bands")" -eq 1 ]
}
band_top() { highlighted | awk 'NR == 1 { print $1 }'; }
band_height() { highlighted | awk 'NR == 1 { print $2 - $1 }'; }
band_moved_to() { [ "$(band_top)" = "$1" ]; }

shoot() { import -window "$1" "$ARTIFACTS/$2.png" 2>/dev/null; }

focus_playlist() {
    local w
    w=$(playlist_window)
    [ -n "$w" ] && xdotool windowactivate --sync "$w" >/dev/null 2>&1
}

# ---------------------------------------------------------------- open from the tray menu
start_zeb "$work/music"
check "zeb docks its icon" session_wait_for 200 zeb_icon_docked
check "the folder's first track plays" wait_window_name "ZEB: Artist A - Alpha"

menu_shown() { xdotool search --onlyvisible --name '^zeb menu$' >/dev/null 2>&1; }
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
# "Vinduer" is the third item that can be chosen; "Afspilningsliste..." the
# third of its submenu.
windows_menu_shown() { xdotool search --onlyvisible --name '^zeb submenu: Vinduer$' >/dev/null 2>&1; }
xdotool key Down Down Down Right
check "the Vinduer submenu opens" session_wait_for 100 windows_menu_shown
quiet_for 0.3
xdotool key Down Down Return
check "the tray menu opens the playlist window" session_wait_for 150 playlist_shown
# 70 + 130 + 250 + 490 seconds; the current entry's row is selected.
check "the title sums the selected row and the whole list" \
    wait_title '01:1[0-2] / 15:(3[89]|4[0-2])'
shoot "$(playlist_window)" playlist-window-danish

# ---------------------------------------------------------------- find, double click
focus_playlist
xdotool type --delay 50 charlie
check "typing selects the row that matches" wait_title '04:1[0-2] / 15:(3[89]|4[0-2])'
check "the found row is highlighted" session_wait_for 100 one_band
top=$(band_top)
height=$(band_height)
w=$(playlist_window)
xdotool mousemove --window "$w" 150 $((top + height / 2)) click --repeat 2 --delay 80 1
check "a double click plays the row" wait_window_name "ZEB: Artist C - Charlie"

# ---------------------------------------------------------------- drag a row up two rows
xdotool mousemove --window "$w" 150 $((top + height / 2)) mousedown 1
xdotool mousemove --window "$w" 150 $((top + height / 2 - height))
xdotool mousemove --window "$w" 150 $((top + height / 2 - 2 * height)) mouseup 1
check "the dragged row moves up two rows" session_wait_for 100 band_moved_to $((top - 2 * height))
list_top=$((top - 2 * height))

# ---------------------------------------------------------------- drop a folder
"$DROP" "$w" $(($(xdotool getwindowgeometry "$w" | awk -F'[ ,]+' '/Position/ { print $3 }') + 100)) \
    $(($(xdotool getwindowgeometry "$w" | awk -F'[ ,:]+' '/Position/ { print $4 }') + list_top + 10)) \
    "$work/extra" >>"$work/drop.log" 2>&1
check "the dropped folder's file joins the list" wait_title '04:1[0-2] / 31:(4[89]|5[0-3])'

# ---------------------------------------------------------------- tags of two rows, one field kept
tag_field() { # <file> <offset> <size>: a field of the file's ID3v1 tag, padding cut
    python3 -c 'import sys
data = open(sys.argv[1], "rb").read()[-128:]
assert data[:3] == b"TAG"
o, n = int(sys.argv[2]), int(sys.argv[3])
print(data[o:o + n].split(b"\0")[0].decode("latin-1").rstrip())' "$@"
}
editor_shown() { xdotool search --onlyvisible --name '^ID3 Tag Editor$' >/dev/null 2>&1; }
editor_gone() { ! editor_shown; }
editor_for() { # <file>: the editor shows this file
    local e
    e=$(xdotool search --onlyvisible --name '^ID3 Tag Editor$' 2>/dev/null | head -1)
    [ -n "$e" ] && xdotool windowactivate --sync "$e" >/dev/null 2>&1
}
xdotool mousemove --window "$w" 150 $((list_top + height + height / 2)) click 1
xdotool keydown shift mousemove --window "$w" 150 $((list_top + 2 * height + height / 2)) \
    click 1 keyup shift
check "a click and a shift-click select two rows" wait_title '03:(1[89]|2[0-2]) / 31:(4[89]|5[0-3])'
xdotool key ctrl+t
check "Ctrl+T opens the tag editor" session_wait_for 150 editor_shown
editor_for
# The focus starts on the file name: three fields down is the album, six
# further its keep button.
xdotool key Tab Tab Tab Tab Tab Tab Tab Tab Tab space
xdotool key shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab ctrl+a
xdotool type --delay 30 "Shared Album"
xdotool key Return
check "the editor comes again for the second row" session_wait_for 150 editor_shown
editor_for
xdotool key Return
check "the editor closes after the second row" session_wait_for 150 editor_gone
check "the first file has the typed album" test "$(tag_field "$work/music/a.mp3" 63 30)" = "Shared Album"
check "the kept album goes into the second file" \
    test "$(tag_field "$work/music/b.mp3" 63 30)" = "Shared Album"
check "the titles stay as they were" \
    test "$(tag_field "$work/music/a.mp3" 3 30)/$(tag_field "$work/music/b.mp3" 3 30)" = Alpha/Bravo

# ---------------------------------------------------------------- vanished file
rm "$work/music/b.mp3"
# A letter typed in the list goes on to the find box; there Ctrl+A selects
# the text typed before, which the search then replaces.
focus_playlist
xdotool type --delay 50 b
xdotool key ctrl+a
xdotool type --delay 50 bravo
check "the vanished file's row is found" wait_title '02:1[0-2] / 31:(4[89]|5[0-3])'
xdotool key Return
check "playing a vanished file goes on to the next row" wait_window_name "ZEB: Artist D - Delta"

# ---------------------------------------------------------------- exit and reopen in Russian
python3 "$HERE/endpoint_client.py" "$endpoint" command 32780 >/dev/null
check "zeb ends" session_wait_for 200 zeb_ended
check "the exit remembers the open playlist window" \
    test "$(ini_value "$work/zeb.ini" "$section" PlaylistAtStartup)" = 1
check "the exit saves the playing row as the current entry" \
    test "$(ini_value "$work/zeb.ini" "$section" CurrentInPlaylist)" = 3
check "the exit stores the window's place" \
    test "$(ini_value "$work/zeb.ini" "$section" PlaylistW)" -gt 0
saved=$(awk -v sec="[$user]" '/^\[/ { insec = (tolower($0) == tolower(sec)); next }
    insec && !/^#/ { n = split($0, p, "/"); print p[n] }' "$work/zeb.m3u" | tr '\n' ' ')
check "the saved list has the dragged row first and the dropped file last" \
    test "$saved" = "c.mp3 a.mp3 b.mp3 d.mp3 e.mp3 "

sed -i "s/^Language=.*/Language=1/" "$work/zeb.ini"
PREFIX="Списки воспроизведения - "
start_zeb
check "the playlist window opens at start when it was open at exit" \
    session_wait_for 200 playlist_shown
check "the reopened window selects the current entry" \
    session_wait_for 100 playlist_title_is '08:(0[89]|1[0-2]) / 31:(4[89]|5[0-3])'
shoot "$(playlist_window)" playlist-window-russian
python3 "$HERE/endpoint_client.py" "$endpoint" command 32780 >/dev/null
session_wait_for 200 zeb_ended

check "zeb wrote no sanitizer reports" bash -c "! grep -qE 'ERROR: (Address|Undefined)|runtime error' '$work/zeb.log'"
[ "$E2E_FAILED" -eq 0 ] || { echo "--- zeb.log"; grep -v '^ALSA lib' "$work/zeb.log" | tail -60; }
finish
