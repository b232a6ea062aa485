#!/usr/bin/env bash
# Runs a test program under a private PulseAudio server with a null sink
# "nullsink" (PULSE_SERVER is exported); the server is ended afterwards.
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib/session.sh"
trap session_stop_all EXIT
session_start_sound || exit 1
"$@"
