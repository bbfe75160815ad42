# Shared shell functions for running Tavrin and its tests under Wine, with a
# private X display and a private sound server when the machine has none.
# Source it; every service started here is remembered by PID and stopped by
# tavrin_stop_services.

TAVRIN_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
TAVRIN_PIDS=()
TAVRIN_RUNDIR=""

# One Wine prefix per checkout, outside the source tree.
tavrin_wine_env() {
  local tag
  tag="$(printf '%s' "$TAVRIN_ROOT" | md5sum | cut -c1-10)"
  export WINEPREFIX="${TAVRIN_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/tavrin/wine-$tag}"
  export WINEARCH=win64
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEDLLOVERRIDES="mscoree,mshtml="
  # The Japanese code page and user interface; TAVRIN_LOCALE=en_US.UTF-8 gives
  # the English one.
  export LC_ALL="${TAVRIN_LOCALE:-ja_JP.UTF-8}"
}

tavrin_rundir() {
  if [ -z "$TAVRIN_RUNDIR" ]; then
    TAVRIN_RUNDIR="$(mktemp -d /tmp/tavrin-run.XXXXXX)"
  fi
}

# Starts Xvfb on the first free display number and exports DISPLAY.
tavrin_start_xvfb() {
  tavrin_rundir
  local n=91
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$TAVRIN_RUNDIR/xvfb.log" 2>&1 &
  TAVRIN_PIDS+=("$!")
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && return 0
    sleep 0.05
  done
  echo "Xvfb did not start on :$n" >&2
  return 1
}

# Starts a private PulseAudio server whose default source carries a known
# signal and exports PULSE_SERVER. Kinds: "sine" (one 440 Hz tone, for the
# tests; beside it a stereo sink "StereoOut" whose monitor carries 440 Hz on
# the left and 880 Hz on the right, both at amplitude 0.5) or "demo" (a 220 Hz
# tone with four harmonics, for looking at the cepstrum and pitch views).
tavrin_start_pulse() {
  local kind="${1:-sine}"
  tavrin_rundir
  local run="$TAVRIN_RUNDIR"
  mkdir -p "$run/pulse"
  local sock="$run/pulse/native"
  {
    echo "load-module module-native-protocol-unix auth-anonymous=1 socket=$sock"
    echo "load-module module-null-sink sink_name=sine_out rate=44100 channels=1 sink_properties=device.description=SineOut"
    echo "load-module module-null-sink sink_name=discard rate=44100 sink_properties=device.description=Discard"
    echo "set-default-sink discard"
    echo "set-default-source sine_out.monitor"
    if [ "$kind" = demo ]; then
      local f
      for f in 220 440 660 880 1100; do echo "load-module module-sine sink=sine_out frequency=$f"; done
    else
      echo "load-module module-sine sink=sine_out frequency=440"
      # One mono sink on each side of the stereo one, a tone into each.
      echo "load-module module-null-sink sink_name=stereo_out rate=44100 channels=2 channel_map=front-left,front-right sink_properties=device.description=StereoOut"
      local side
      for side in left right; do
        echo "load-module module-remap-sink sink_name=stereo_$side master=stereo_out channels=1 channel_map=mono master_channel_map=front-$side remix=no sink_properties=device.description=Stereo_$side"
      done
      echo "load-module module-sine sink=stereo_left frequency=440"
      echo "load-module module-sine sink=stereo_right frequency=880"
    fi
    echo "load-module module-loopback source=sine_out.monitor sink=discard latency_msec=20"
  } >"$run/pulse.pa"
  export PULSE_SERVER="unix:$sock"
  tavrin_run_pulse || return 1
  [ "$kind" = demo ] && tavrin_soften_demo_tones
  return 0
}

# Runs the private server on the configuration in $TAVRIN_RUNDIR/pulse.pa and
# waits until it answers; its PID is TAVRIN_PULSE_PID (and in TAVRIN_PIDS).
tavrin_run_pulse() {
  local run="$TAVRIN_RUNDIR"
  HOME="$run" XDG_RUNTIME_DIR="$run/pulse" PULSE_RUNTIME_PATH="$run/pulse" PULSE_STATE_PATH="$run/pulse" \
    pulseaudio --daemonize=no --use-pid-file=no --system=false -n -F "$run/pulse.pa" \
      --exit-idle-time=-1 --disallow-exit --disable-shm=yes --log-target="file:$run/pulse.log" \
      >/dev/null 2>&1 &
  TAVRIN_PULSE_PID="$!"
  TAVRIN_PIDS+=("$TAVRIN_PULSE_PID")
  local i
  for i in $(seq 1 100); do
    pactl info >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "PulseAudio did not start (see $run/pulse.log)" >&2
  return 1
}

# Stops only this shell's private server (a sound server that goes away
# under a running program).
tavrin_stop_pulse() {
  [ -n "${TAVRIN_PULSE_PID:-}" ] || return 0
  kill "$TAVRIN_PULSE_PID" 2>/dev/null || true
  wait "$TAVRIN_PULSE_PID" 2>/dev/null || true
  TAVRIN_PULSE_PID=""
}

# Starts the private server again, its tone changed to `frequency` Hz when given.
tavrin_restart_pulse() {
  local frequency="${1:-}"
  tavrin_stop_pulse
  if [ -n "$frequency" ]; then
    sed -i "s/module-sine sink=sine_out frequency=[0-9]*/module-sine sink=sine_out frequency=$frequency/" \
      "$TAVRIN_RUNDIR/pulse.pa"
  fi
  tavrin_run_pulse
}

# Five tones at full scale would clip when mixed: bring each down so that the
# harmonics fall off like a soft sawtooth.
tavrin_soften_demo_tones() {
  local level=40 input
  for input in $(pactl list short sink-inputs | awk '$0 ~ /module-sine|sine/ {print $1}'); do
    pactl set-sink-input-volume "$input" "${level}%" >/dev/null 2>&1 || true
    level=$((level * 3 / 4))
  done
}

tavrin_pulse_answers() {
  command -v pactl >/dev/null 2>&1 && pactl info >/dev/null 2>&1
}

# Creates the Wine prefix once (fonts linked in, no window manager needed),
# then keeps a wineserver running so that every test process starts fast.
tavrin_prepare_wine() {
  tavrin_wine_env
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wine wineboot --init >/dev/null 2>&1 || true
    wineserver -w || true
  fi
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  local f
  for f in /usr/share/wine/fonts/*.ttf; do
    [ -e "$f" ] && ln -sf "$f" "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  done
  wineserver -p >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || true
  wine wineboot >/dev/null 2>&1 || true
}

tavrin_stop_services() {
  if [ -n "${WINEPREFIX:-}" ] && command -v wineserver >/dev/null 2>&1; then
    wineserver -k >/dev/null 2>&1 || true
  fi
  local pid
  for pid in "${TAVRIN_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${TAVRIN_PIDS[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  TAVRIN_PIDS=()
  if [ -n "$TAVRIN_RUNDIR" ]; then
    rm -rf "$TAVRIN_RUNDIR"
    TAVRIN_RUNDIR=""
  fi
}
