# Private desktop services for running and testing zeb on a machine that has
# no display, tray or sound server of its own. Source this file; every
# function records what it started so session_stop_all can end it.
#   session_start_display   Xvfb on a free display number; exports DISPLAY
#   session_start_tray      trayer as the notification-area host
#   session_start_sound     PulseAudio with a null sink "nullsink"; exports
#                           PULSE_SERVER and PULSE_RUNTIME_PATH
#   session_start_user DIR  a home, runtime folder and session bus in DIR;
#                           exports HOME, the XDG folders and the bus address
#   session_stop_all        ends everything started above
#   session_stop_on_exit    runs session_stop_all when the script ends or is
#                           interrupted, first killing CURRENT_PID if set

SESSION_PIDS=()
SESSION_DIRS=()

session_log() { echo "zeb session: $*" >&2; }

# Waits until a command succeeds. Limits are given in tries of 0.1 s on an
# idle machine; ZEB_TEST_PATIENCE (default 4) stretches them so that a loaded
# machine, where every step of a sanitized build is slow, still passes.
session_wait_for() { # <tries of 0.1 s> <command...>
    local tries=$(($1 * ${ZEB_TEST_PATIENCE:-4}))
    shift
    while [ "$tries" -gt 0 ]; do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
        tries=$((tries - 1))
    done
    return 1
}

# A display of our own: the number is chosen here, among those with neither
# lock file nor socket, under a lock shared by every session on the machine,
# and Xvfb's own lock file settles any race with servers started elsewhere.
# -noreset: by default the server resets when its last client leaves (the
# readiness probe below) and refuses the clients that connect meanwhile.
session_start_display() {
    local dir n first tries
    dir=$(mktemp -d "${TMPDIR:-/tmp}/zeb-x.XXXXXX")
    SESSION_DIRS+=("$dir")
    exec {SESSION_XLOCK_FD}>>/tmp/zeb-xvfb-start.lock
    flock -w 60 "$SESSION_XLOCK_FD" || session_log "another display start holds the lock; starting anyway"
    first=$((100 + (RANDOM % 800)))
    for ((tries = 0; tries < 50; tries++)); do
        n=$((first + tries))
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        if session_try_display "$n" "$dir"; then
            exec {SESSION_XLOCK_FD}>&-
            return 0
        fi
    done
    exec {SESSION_XLOCK_FD}>&-
    session_log "Xvfb did not start (see $dir/xvfb.log)"
    return 1
}

session_try_display() { # <number> <folder>
    local pid tries=$((100 * ${ZEB_TEST_PATIENCE:-4}))
    # The server must not inherit the lock, or it would hold it for its life.
    (
        exec {SESSION_XLOCK_FD}>&-
        exec Xvfb ":$1" -screen 0 1280x1024x24 -nolisten tcp -noreset >>"$2/xvfb.log" 2>&1
    ) &
    pid=$!
    while kill -0 "$pid" 2>/dev/null && [ "$tries" -gt 0 ]; do
        if [ "$({ tr -d " " <"/tmp/.X$1-lock"; } 2>/dev/null)" = "$pid" ] &&
            DISPLAY=":$1" xdpyinfo >/dev/null 2>&1; then
            SESSION_PIDS+=("$pid")
            export DISPLAY=":$1"
            return 0
        fi
        sleep 0.1
        tries=$((tries - 1))
    done
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return 1
}

session_start_tray() {
    trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
        --transparent false >/dev/null 2>&1 &
    SESSION_TRAY_PID=$!
    SESSION_PIDS+=("$SESSION_TRAY_PID")
    session_wait_for 100 xdotool search --classname trayer ||
        { session_log "the tray host did not appear"; return 1; }
}

# A window manager, for tests where windows are placed, framed and focused
# as on a desktop. Ready once it has claimed the screen.
session_start_wm() {
    local dir
    dir=$(mktemp -d "${TMPDIR:-/tmp}/zeb-wm.XXXXXX")
    SESSION_DIRS+=("$dir")
    HOME="$dir" XDG_CONFIG_HOME="$dir" openbox --sm-disable >"$dir/openbox.log" 2>&1 &
    SESSION_PIDS+=($!)
    session_wait_for 100 session_wm_running ||
        { session_log "the window manager did not start (see $dir/openbox.log)"; return 1; }
}

session_wm_running() {
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
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

# A user of our own under <folder> (removed at the end): a home, a runtime
# folder and a session bus, where zeb offers its media-player interface.
session_start_user() { # <folder>
    local folder=$1
    SESSION_DIRS+=("$folder")
    mkdir -p "$folder/home" "$folder/run" && chmod 700 "$folder/run" || return 1
    dbus-daemon --session --nofork --print-address=3 3>"$folder/bus.address" 2>"$folder/bus.log" &
    SESSION_PIDS+=($!)
    session_wait_for 100 test -s "$folder/bus.address" ||
        { session_log "the session bus did not start (see $folder/bus.log)"; return 1; }
    export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$folder/bus.address")
    export HOME="$folder/home" XDG_RUNTIME_DIR="$folder/run" XDG_CONFIG_HOME="$folder/home/.config"
    export XDG_CACHE_HOME="$folder/home/.cache" XDG_DATA_HOME="$folder/home/.local/share"
}

# For scripts that run one measured process at a time and keep its id in
# CURRENT_PID: it is killed outright, as it may run under a tool that
# outlives TERM, and then the session ends.
session_stop_on_exit() {
    CURRENT_PID=
    trap '[ -n "$CURRENT_PID" ] && kill -KILL "$CURRENT_PID" 2>/dev/null; session_stop_all' EXIT
    trap 'exit 130' INT TERM
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
