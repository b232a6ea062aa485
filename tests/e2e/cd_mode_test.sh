#!/usr/bin/env bash
# Whole-program test of CD mode on a virtual display with a tray host. A disc
# image (three audio tracks of different tones and a data track, written here
# with sox) stands as the CD drive; tracks are written as WAV files. Checks:
# "-c" plays the disc track after track and stops at the data track, every
# sample of a track arrives, the now-playing file names the track (from the
# title database when it has the disc), the CD submenu plays the track
# chosen, a second instance leaves CD mode with a file and comes back with
# "-c", CD mode is kept over a restart, a track paused and played on loses
# no samples, and an unknown disc is looked up on a CDDB server at start.
# Screenshots of the CD submenu go to the artifacts folder.
set -uo pipefail
ZEB=$1
ARTIFACTS=$2
HERE=$(dirname "$0")
source "$HERE/lib.sh"
trap session_stop_all EXIT

session_start_display || exit 1
session_start_tray || exit 1

zeb_workspace cd-mode "$ZEB" || exit 1
mkdir -p "$ARTIFACTS" "$work/out" "$work/disc" "$work/config/zeb"
export XDG_CONFIG_HOME="$work/config"
out="$work/out"
titles="$XDG_CONFIG_HOME/zeb/CDPLAYER.INI"

# ---------------------------------------------------------------- the disc
# Audio tracks as a disc holds them (44100 Hz, 16-bit signed little-endian,
# stereo, whole 2352-byte sectors), then a data track. Track 1 is long
# enough that the once-a-second now-playing file shows it while it is
# written out, far faster than real time.
bin="$work/disc/disc.bin"
cue="$work/disc/disc.cue"
sector=2352
make_track() { # <raw file> <seconds> <Hz>
    sox -n -r 44100 -c 2 -b 16 -e signed-integer -L -t raw "$1" synth "$2" sine "$3" vol 0.5 &&
        truncate -s $((($(stat -c %s "$1") + sector - 1) / sector * sector)) "$1"
}
make_track "$work/disc/t1.raw" 20 440 || exit 1
make_track "$work/disc/t2.raw" 3 660 || exit 1
make_track "$work/disc/t3.raw" 3 880 || exit 1
head -c $((150 * sector)) /dev/urandom >"$work/disc/t4.data"
cat "$work/disc/t1.raw" "$work/disc/t2.raw" "$work/disc/t3.raw" "$work/disc/t4.data" >"$bin"
sectors_of() { echo $(($(stat -c %s "$work/disc/$1") / sector)); }
# Where tracks 1 to 3 start and where track 3 ends, in sectors.
t1=0
t2=$(sectors_of t1.raw)
t3=$((t2 + $(sectors_of t2.raw)))
t3_end=$((t3 + $(sectors_of t3.raw)))
{
    echo 'FILE "disc.bin" BINARY'
    start=0
    number=1
    for part in t1.raw t2.raw t3.raw t4.data; do
        kind=AUDIO
        [ "$part" = t4.data ] && kind=MODE1/2352
        printf '  TRACK %02d %s\n    INDEX 01 %02d:%02d:%02d\n' "$number" "$kind" \
            $((start / 75 / 60)) $((start / 75 % 60)) $((start % 75))
        start=$((start + $(stat -c %s "$work/disc/$part") / sector))
        number=$((number + 1))
    done
} >"$cue"

# The disc's section in the title database: the identity the CD device
# reports (the packed minute-second-frame start addresses of the tracks,
# counted from the 2-second pregap, summed) in upper-case hexadecimal.
disc_key=$(awk '/INDEX 01/ { split($3, t, ":"); f = (t[1] * 60 + t[2]) * 75 + t[3] + 150
                             sum += int(f / 75 / 60) * 65536 + int(f / 75) % 60 * 256 + f % 75 }
                END { printf "%X", sum }' "$cue")

cat >"$work/zeb.ini" <<INI
[$section]
CDLetter=$cue
OutputModule=0
OutPath=$out/
W2Fenabled=1
W2Ffile=$work/np.txt
AutoPlay=1
INI

# An MP3 for leaving CD mode, long enough to be seen playing.
ffmpeg -loglevel error -f lavfi -i "sine=frequency=330:duration=60" -ac 2 -c:a libmp3lame \
    -b:a 128k "$work/Other_-_Song.mp3" || exit 1

ZEB_PID=
start_zeb() { # [args...]
    "$work/zeb" "$@" >>"$work/zeb.log" 2>&1 &
    ZEB_PID=$!
    SESSION_PIDS+=("$ZEB_PID")
}
zeb_ended() { ! kill -0 "$ZEB_PID" 2>/dev/null; }
stop_zeb() { kill -TERM "$ZEB_PID" && session_wait_for 200 zeb_ended; }
second() { timeout 60 "$work/zeb" "$@" >>"$work/second.log" 2>&1; }

np_is() { [ "$(cat "$work/np.txt" 2>/dev/null)" = "$1" ]; }
np_starts() { [[ "$(cat "$work/np.txt" 2>/dev/null)" == "$1"* ]]; }
written() { [ -s "$out/$1" ]; } # <WAV name>
# The windows of zeb carry its texts: the tray icon its tooltip.
# The WAV files of the output folder, one name a line.
wav_files() { (cd "$out" && ls -1 -- *.wav 2>/dev/null); }
wavs_are() { [ "$(wav_files | tr '\n' '|')" = "$1" ]; } # <names, each followed by |>
clear_output() { rm -f "$out"/*.wav; }

# Whether the WAV files of a track ("Track 01.wav", then its numbered forms
# "Track 01 (2).wav", ... when a play went on in a new file) hold exactly the
# samples of sectors [first, end) of the image.
same_samples() { # <track file name without .wav> <first sector> <end sector>
    python3 - "$out" "$1" "$bin" "$2" "$3" <<'PY'
import os, re, sys, wave
folder, name, image = sys.argv[1], sys.argv[2], sys.argv[3]
first, end = int(sys.argv[4]), int(sys.argv[5])
numbered = re.compile(re.escape(name) + r" \((\d+)\)\.wav")
parts = sorted((int(m.group(1)), f) for f in os.listdir(folder) if (m := numbered.fullmatch(f)))
samples = b""
for path in [name + ".wav"] + [f for _, f in parts]:
    with wave.open(os.path.join(folder, path), "rb") as w:
        form = (w.getnchannels(), w.getsampwidth(), w.getframerate())
        if form != (2, 2, 44100):
            sys.exit(f"{path}: format {form}")
        samples += w.readframes(w.getnframes())
with open(image, "rb") as f:
    f.seek(first * 2352)
    expected = f.read((end - first) * 2352)
if samples != expected:
    differ = next((i for i, (a, b) in enumerate(zip(samples, expected)) if a != b), None)
    sys.exit(f"{len(samples)} bytes against {len(expected)}, first difference at {differ}")
PY
}

# ---------------------------------------------------------------- "-c": the disc plays through
start_zeb -c
check "zeb docks its icon" session_wait_for 200 zeb_icon_docked
check "-c plays track 1 into Track 01.wav" session_wait_for 150 written "Track 01.wav"
check "the now-playing file names track 1 of an unknown disc" \
    session_wait_for 100 np_is "Now playing: Unknown - Track 1"
check "Track 01.wav holds every sample of track 1" \
    session_wait_for 200 same_samples "Track 01" $t1 $t2
check "the tracks play one after another, to the end of track 3" \
    session_wait_for 200 same_samples "Track 03" $t3 $t3_end
check "playback stops after the last audio track" \
    session_wait_for 100 np_starts "Now stopped:"
check "the data track is not played" wavs_are "Track 01.wav|Track 02.wav|Track 03.wav|"

# ---------------------------------------------------------------- the CD submenu
menu_shown() { xdotool search --onlyvisible --name '^zeb menu$' >/dev/null 2>&1; }
menu_gone() { ! menu_shown; }
cd_menu_shown() { xdotool search --onlyvisible --name '^zeb submenu: CD$' >/dev/null 2>&1; }
open_menu() {
    ensure_zeb_icon_shown || true
    local try
    for try in 1 2; do
        point_at_zeb_icon && xdotool click 3 && session_wait_for 50 menu_shown &&
            quiet_for 0.5 && return 0
    done
    return 1
}
# "CD" is the sixth item of the CD mode menu that can be chosen.
open_cd_menu() {
    open_menu || return 1
    xdotool key Down Down Down Down Down Down Right
    session_wait_for 100 cd_menu_shown && quiet_for 0.3
}
clear_output
check "the tray menu's CD submenu opens" open_cd_menu
import -window root "$ARTIFACTS/cd-menu.png" 2>/dev/null
# The last two items are tracks 2 and 3: no item for the data track. Track 2
# plays on into track 3, and nothing else.
xdotool key End Up Return
check "the menu closes" session_wait_for 100 menu_gone
check "the next to last item plays track 2, then track 3 to its end" \
    session_wait_for 200 same_samples "Track 03" $t3 $t3_end
check "track 2 was played whole" same_samples "Track 02" $t2 $t3
check "only tracks 2 and 3 were played" wavs_are "Track 02.wav|Track 03.wav|"
# From the first item (CDDB) down past the four commands and the disc line:
# the next item that can be chosen is track 1, only a separator in between.
clear_output
check "the CD submenu opens again" open_cd_menu
xdotool key Down Down Down Down Down Return
check "the item after the disc line plays track 1" session_wait_for 100 written "Track 01.wav"
session_wait_for 100 menu_gone || xdotool key Escape Escape

# ---------------------------------------------------------------- names, files and back
# The title database names the disc; it is read afresh for every display.
cat >"$titles" <<INI
[$disc_key]
Artist=The Testers
Title=Three Tones
0=Low Tone
1=Middle Tone
2=High Tone
INI
check "a second instance with an MP3 ends" second "$work/Other_-_Song.mp3"
check "the MP3 plays: CD mode is left" session_wait_for 150 np_is "Now playing: Other - Song"
clear_output
check "a second instance with -c ends" second -c
check "-c from a second instance plays track 1 again" \
    session_wait_for 150 written "Track 01.wav"
check "the now-playing file names the track from the title database" \
    session_wait_for 100 np_is "Now playing: The Testers - Low Tone"
check "the disc plays through to its end again" \
    session_wait_for 200 same_samples "Track 03" $t3 $t3_end

# ---------------------------------------------------------------- CD mode kept over a restart
check "SIGTERM ends zeb" stop_zeb
check "the exit saved CD mode" test "$(ini_value "$work/zeb.ini" "$section" CDMode)" = 1
clear_output
start_zeb
check "started without arguments zeb plays the disc again" \
    session_wait_for 200 written "Track 01.wav"
check "with the names from the title database" \
    session_wait_for 100 np_is "Now playing: The Testers - Low Tone"
# The names in the CD submenu, for the artifacts.
open_cd_menu && import -window root "$ARTIFACTS/cd-menu-names.png" 2>/dev/null
xdotool key Escape Escape

# ---------------------------------------------------------------- pause and play on
# Commands through the program's endpoint. A track paused and played on
# still arrives whole in its WAV output (one file or numbered parts).
command() { python3 "$HERE/endpoint_client.py" "$XDG_RUNTIME_DIR/zeb/ZEBAppClass" command "$1" >/dev/null; }
command 969 # Stop
check "Stop stops the disc" session_wait_for 100 np_starts "Now stopped:"
check "the tooltip of a stopped disc" session_wait_for 100 has_window_name "ZEB CD"
clear_output
command 949 # Play
check "Play plays the disc from track 1" session_wait_for 150 written "Track 01.wav"
command 959 # Pause
check "Pause pauses the disc" session_wait_for 100 np_starts "Now paused: The Testers - "
paused=$(cat "$work/np.txt")
case "$paused" in
*"Low Tone") paused_track=(1 "Low Tone" 00:20 "Track 01" $t1 $t2) ;;
*"Middle Tone") paused_track=(2 "Middle Tone" 00:03 "Track 02" $t2 $t3) ;;
*) paused_track=(3 "High Tone" 00:03 "Track 03" $t3 $t3_end) ;;
esac
check "the tooltip shows the paused track's number, name, place and length" \
    session_wait_for 100 has_window_name \
    "${paused_track[0]}\. ${paused_track[1]} - 00:[0-9]{2}/${paused_track[2]}"
command 949
check "Play plays on" session_wait_for 100 np_starts "Now playing: The Testers - "
check "the disc plays on to its end" session_wait_for 200 np_starts "Now stopped:"
check "the WAV output of the track paused (${paused_track[3]}) holds all of it" \
    same_samples "${paused_track[@]:3}"
check "SIGTERM ends zeb again" stop_zeb
check "the now-playing file holds the exit line" np_is "ZEB is closed"

# ---------------------------------------------------------------- CDDB at start-up
# A disc the title database does not know is looked up at start when
# AutoCDDB asks for it, here on a cddb.cgi server on loopback that answers
# any query with one match and logs the requests.
cat >"$work/cddb.py" <<'PY'
import sys
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

class Handler(BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def do_GET(self):
        with open(sys.argv[1], "a") as log:
            log.write(self.path + "\n")
        cmd = self.path.partition("cmd=")[2].partition("&")[0].split("+")
        if cmd[:2] == ["cddb", "query"]:
            body = f"200 rock {cmd[2]} Looked Up / Found Disc\r\n"
        elif cmd[:2] == ["cddb", "read"]:
            body = (f"210 rock {cmd[3]} CD database entry follows\r\n"
                    "DTITLE=Looked Up / Found Disc\r\nTTITLE0=Alpha\r\nTTITLE1=Beta\r\n"
                    "TTITLE2=Gamma\r\n.\r\n")
        else:
            body = "500 Command syntax error\r\n"
        data = body.encode()
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()
PY
python3 "$work/cddb.py" "$work/cddb.log" >"$work/cddb.port" &
SESSION_PIDS+=($!)
export no_proxy=127.0.0.1 NO_PROXY=127.0.0.1
check "the CDDB server starts" session_wait_for 100 test -s "$work/cddb.port"
rm -f "$titles"
sed -i "s/^AutoCDDB=.*/AutoCDDB=1/; s/^CDDBServer=.*/CDDBServer=127.0.0.1:$(cat "$work/cddb.port")/;
        s/^EMailAddress=.*/EMailAddress=tester@example.org/" "$work/zeb.ini"
clear_output
start_zeb
check "a restart in CD mode plays the disc" session_wait_for 200 written "Track 01.wav"
check "the names looked up show while the disc plays" \
    session_wait_for 100 np_is "Now playing: Looked Up - Alpha"
check "the lookup stored the disc's title in the title database" \
    test "$(ini_value "$titles" "$disc_key" Title)" = "Found Disc"
query_sent() {
    grep -qE '^/~cddb/cddb\.cgi\?cmd=cddb\+query\+[0-9a-f]{6}04\+4(\+[0-9]+){5}&hello=tester\+example\.org\+ZEB\+FINAL&proto=1$' \
        "$work/cddb.log"
}
check "the query named the disc's four tracks and the user" query_sent
check "SIGTERM ends zeb once more" stop_zeb

check "zeb wrote no sanitizer reports" \
    bash -c "! grep -qE 'ERROR: (Address|Undefined|Leak)|runtime error' '$work/zeb.log'"
[ "$E2E_FAILED" -eq 0 ] || { echo "--- zeb.log"; grep -v '^ALSA lib' "$work/zeb.log" | tail -60; }
finish
