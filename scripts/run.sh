#!/usr/bin/env bash
# Builds Tavrin and runs it under Wine.
#
# On a desktop it uses your display and your sound server. Without a display
# it starts a private Xvfb and saves screenshots of the window to
# out/screenshot.png; without a sound server it starts a private PulseAudio
# whose default input plays a demo tone (220 Hz with four harmonics).
#
# Environment: TAVRIN_SECONDS=N stops the program after N seconds (default:
# run until the window is closed or Ctrl-C); TAVRIN_WORKDIR is where
# param.bin and pcm_data.wav live (default: the current directory);
# TAVRIN_LOCALE=en_US.UTF-8 shows the English user interface.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
workdir="${TAVRIN_WORKDIR:-$PWD}"

bash "$here/scripts/install-deps.sh"
cmake -S "$here" --preset mingw >/dev/null
cmake --build "$here/build/mingw" --target tavrin -j2

source "$here/scripts/lib/env.sh"
trap tavrin_stop_services EXIT

headless=0
if [ -z "${DISPLAY:-}" ] || ! xdotool getdisplaygeometry >/dev/null 2>&1; then
  tavrin_start_xvfb
  headless=1
  echo "No display: running on a private Xvfb ($DISPLAY); screenshots go to $here/out/screenshot.png"
fi
if ! tavrin_pulse_answers; then
  tavrin_start_pulse demo
  echo "No sound server: the default input is a private demo tone (220 Hz and harmonics)"
fi
tavrin_prepare_wine

mkdir -p "$here/out"
cd "$workdir"
wine "$here/build/mingw/tavrin.exe" &
program=$!

stop_program() {
  wine taskkill /im tavrin.exe >/dev/null 2>&1 || true
  sleep 1
  kill "$program" 2>/dev/null || true
}

if [ "$headless" = 1 ]; then
  sleep 5
  import -window root "$here/out/screenshot.png" && echo "Screenshot: $here/out/screenshot.png"
fi
if [ -n "${TAVRIN_SECONDS:-}" ]; then
  sleep "$TAVRIN_SECONDS"
  stop_program
fi
wait "$program" || true
