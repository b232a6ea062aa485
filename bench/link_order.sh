#!/usr/bin/env bash
# Writes the link order of the tray program: the functions it runs from
# start until its icon waits in the tray, then those it adds while playing an
# MP3 from its list and when started with an MP3 to play, one mangled name a
# line. The optimised build places them first in the
# program's code (src/app/CMakeLists.txt), so the pages they fill are about
# all the kernel maps of it; left scattered, nearly the whole code is mapped
# from start. Functions are found by running the program under callgrind
# in a private Xvfb, trayer, PulseAudio null sink and session bus.
#   bench/link_order.sh <zeb> <output file>
# Run it on a RelWithDebInfo build (scripts/bench builds one) after changes
# to what the program does at start or while playing. Names that no longer
# exist are skipped by the linker; new functions are merely left unordered.
set -uo pipefail
if [ $# -ne 2 ]; then
    echo "usage: $0 <zeb> <output file>" >&2
    exit 2
fi
ZEB=$1
OUT=$2
BENCH_DIR=$(cd "$(dirname "$0")" && pwd)
source "$BENCH_DIR/../scripts/lib/session.sh"
source "$BENCH_DIR/../tests/e2e/lib.sh"

fail() {
    echo "link order: $*" >&2
    exit 1
}

for tool in valgrind callgrind_control callgrind_annotate Xvfb trayer pulseaudio pactl dbus-daemon sox lame; do
    command -v "$tool" >/dev/null || fail "$tool not found (run scripts/install-deps)"
done

session_stop_on_exit

session_start_display || fail "no display"
session_start_tray || fail "no tray host"
session_start_sound || fail "no sound server"
work=$(mktemp -d "${TMPDIR:-/tmp}/zeb-link-order.XXXXXX")
session_start_user "$work" || fail "no session bus"
unset QT_QPA_PLATFORM
cp "$ZEB" "$work/zeb" || fail "cannot copy $ZEB"
section="Preferences - $(id -un)"
list_section=$(id -un)

MP3="$work/tones.mp3"
sox -R -n -r 44100 -c 2 -b 16 "$work/tones.wav" synth 120 sine 440 sine 554.37 vol 0.5 &&
    lame --quiet -b 128 --cbr "$work/tones.wav" "$MP3" || fail "cannot make the test MP3"

# Runs zeb under callgrind with the given INI, list and arguments until
# <ready> holds for it, then writes the functions of zeb that ran so far to
# <names>. callgrind runs the program some fifty times slower: the limits
# are wide.
record_functions() { # <names> <ini text> <list text> <ready command> [argument...]
    local names=$1 ready=$4 profile="$work/callgrind.out"
    printf '%s\n' "$2" >"$work/zeb.ini"
    printf '%s\n' "$3" >"$work/zeb.m3u"
    shift 4
    rm -f "$profile"*
    valgrind --tool=callgrind --demangle=no --callgrind-out-file="$profile" \
        "$work/zeb" "$@" >>"$work/zeb.log" 2>&1 &
    CURRENT_PID=$!
    session_wait_for 1800 "$ready" || fail "zeb did not get ready under callgrind (see $work/zeb.log)"
    callgrind_control --dump "$CURRENT_PID" >/dev/null 2>&1 || fail "callgrind did not dump"
    session_wait_for 600 test -s "$profile.1" || fail "no callgrind profile"
    kill -KILL "$CURRENT_PID" 2>/dev/null
    wait "$CURRENT_PID" 2>/dev/null
    CURRENT_PID=
    # "<cost> (<share>)  <file>:<function> [<object>]" for every function
    # that ran; only the program's own named functions are kept.
    callgrind_annotate --auto=no --threshold=100 "$profile.1" |
        awk -v self="[$work/zeb]" '$NF == self {
            fn = $(NF - 1); sub(/^.*:/, "", fn)
            if (fn ~ /^[A-Za-z_][A-Za-z0-9_.$]*$/) print fn
        }' >"$names"
    [ -s "$names" ] || fail "no functions of zeb in the profile"
}

idle_settled() { zeb_icon_docked && sleep 5; }
playing_settled() {
    pactl list sink-inputs 2>/dev/null | grep -q "application.process.id = \"$CURRENT_PID\"" && sleep 10
}

idle_ini=$(printf '[%s]\nAutoPlay=0\n' "$section")
record_functions "$work/idle.txt" "$idle_ini" "[$list_section]" idle_settled
record_functions "$work/list.txt" "$(printf '[%s]\nAutoPlay=1\nCurrentInPlaylist=0\n' "$section")" \
    "$(printf '[%s]\n%s\n' "$list_section" "$MP3")" playing_settled
record_functions "$work/argument.txt" "$idle_ini" "[$list_section]" playing_settled "$MP3"

{
    echo "# Link order of the tray program, written by bench/link_order.sh:"
    echo "# the functions run until the icon waits in the tray, then those"
    echo "# added while playing an MP3 from the list and when started with one."
    awk '!seen[$0]++' "$work/idle.txt" "$work/list.txt" "$work/argument.txt"
} >"$OUT" || fail "cannot write $OUT"
echo "link order: $(grep -vc '^#' "$OUT") functions written to $OUT"
