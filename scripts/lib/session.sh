# Private desktop services for running and testing zeb on a machine that has
# no display, tray or sound server of its own. Source this file; every
# function records what it started so session_stop_all can end it.
#   session_start_display   Xvfb on a free display number; exports DISPLAY
#   session_start_tray      trayer as the notification-area host
#   session_start_sound     PulseAudio with a null sink "nullsink"; exports
#                           PULSE_SERVER and PULSE_RUNTIME_PATH
#   session_stop_all        ends everything started above

SESSION_PIDS=()
SESSION_DIRS=()

session_log() { echo "zeb session: $*" >&2; }

session_wait_for() { # <tries of 0.1 s> <command...>
    local tries=$1
    shift
    while [ "$tries" -gt 0 ]; do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
        tries=$((tries - 1))
    done
    return 1
}

session_start_display() {
    local fifo dir display
    dir=$(mktemp -d "${TMPDIR:-/tmp}/zeb-x.XXXXXX")
    SESSION_DIRS+=("$dir")
    fifo="$dir/displayfd"
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >"$dir/xvfb.log" 2>&1 &
    SESSION_PIDS+=($!)
    if ! read -r -t 20 display <"$fifo"; then
        session_log "Xvfb did not start (see $dir/xvfb.log)"
        return 1
    fi
    export DISPLAY=":$display"
    session_wait_for 100 xdpyinfo || { session_log "display $DISPLAY does not answer"; return 1; }
}

session_start_tray() {
    trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
        --transparent false >/dev/null 2>&1 &
    SESSION_PIDS+=($!)
    session_wait_for 100 xdotool search --classname trayer ||
        { session_log "the tray host did not appear"; return 1; }
}

session_start_sound() {
    local dir
    dir=$(mktemp -d "${TMPDIR:-/tmp}/zeb-pulse.XXXXXX")
    chmod 700 "$dir"
    SESSION_DIRS+=("$dir")
    cat >"$dir/default.pa" <<PA
load-module module-null-sink sink_name=nullsink sink_properties=device.description=NullSink
load-module module-native-protocol-unix auth-anonymous=1 socket=$dir/native
set-default-sink nullsink
PA
    XDG_RUNTIME_DIR="$dir" HOME="$dir" PULSE_RUNTIME_PATH="$dir" \
        pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit -n -F "$dir/default.pa" \
        --use-pid-file=no --log-target=file:"$dir/pulse.log" >/dev/null 2>&1 &
    SESSION_PIDS+=($!)
    export PULSE_SERVER="unix:$dir/native"
    export PULSE_RUNTIME_PATH="$dir"
    session_wait_for 100 pactl info ||
        { session_log "the sound server did not start (see $dir/pulse.log)"; return 1; }
}

session_stop_all() {
    local pid dir
    for pid in "${SESSION_PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${SESSION_PIDS[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    for dir in "${SESSION_DIRS[@]}"; do
        rm -rf "$dir"
    done
    SESSION_PIDS=()
    SESSION_DIRS=()
}
