# A private audio server for the audio tests, shared by build.sh and tests/loaded-run.sh (source
# it; it defines functions only): a null output, and as the default input a source that records
# that output's monitor. Nothing reaches a sound card. start_audio_server exports
# XDG_RUNTIME_DIR and PULSE_RUNTIME_PATH so that the tests started after it find the server; the
# caller stops it with stop_audio_server (a trap on EXIT).
AUDIO_DIR=""
start_audio_server() {
  AUDIO_DIR=$(mktemp -d "${TMPDIR:-/tmp}/korvalen-audio.XXXXXX")
  chmod 700 "$AUDIO_DIR"
  export XDG_RUNTIME_DIR="$AUDIO_DIR"
  export PULSE_RUNTIME_PATH="$AUDIO_DIR/pulse"
  # -n: none of the system's default modules, so no hardware is touched.
  HOME="$AUDIO_DIR" pulseaudio -n --daemonize=yes --use-pid-file=yes --exit-idle-time=-1 \
    --log-target=file:"$AUDIO_DIR/server.log" \
    -L "module-native-protocol-unix auth-anonymous=1" \
    -L "module-null-sink sink_name=korvalen_null" \
    -L "module-remap-source source_name=korvalen_in master=korvalen_null.monitor"
  local tries=0
  until pactl info > /dev/null 2>&1; do
    tries=$((tries + 1))
    if [ $tries -ge 50 ]; then
      echo "The audio server did not start; see $AUDIO_DIR/server.log" >&2
      return 1
    fi
    sleep 0.1
  done
  pactl set-default-sink korvalen_null
  pactl set-default-source korvalen_in
}

stop_audio_server() {
  [ -n "$AUDIO_DIR" ] || return 0
  local pid_file="$AUDIO_DIR/pulse/pid"
  if [ -f "$pid_file" ]; then
    local pid
    pid=$(cat "$pid_file")
    kill "$pid" 2> /dev/null || true
    for _ in $(seq 50); do kill -0 "$pid" 2> /dev/null || break; sleep 0.1; done
  fi
  rm -rf "$AUDIO_DIR"
  AUDIO_DIR=""
}
