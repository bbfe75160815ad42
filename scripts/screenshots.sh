#!/usr/bin/env bash
# Takes the README's screenshots: the program under a private Xvfb, fed by the
# demo tone (220 Hz with four harmonics), switched between its views through
# the menu with the keyboard, the View menu held open, a pitch track, then the
# readouts with the pointer over the views, and the octave-band view. Writes
# docs/*.png; with the argument "readouts" only the readouts' pictures, with
# "bands" only the band view's.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cmake -S "$here" --preset mingw >/dev/null
cmake --build "$here/build/mingw" --target tavrin -j2 >/dev/null

source "$here/scripts/lib/env.sh"
trap tavrin_stop_services EXIT
tavrin_start_xvfb
tavrin_start_pulse demo
tavrin_prepare_wine

work="$(mktemp -d)"
cd "$work"
wine "$here/build/mingw/tavrin.exe" &
# Wait for the window (longer on a busy machine).
window=""
for _ in $(seq 1 40); do
  sleep 0.5
  window="$(xdotool search --onlyvisible --class tavrin.exe | head -1 || true)"
  [ -n "$window" ] && break
done
sleep 2
eval "$(xdotool getwindowgeometry --shell "$window")"

shot() {
  sleep "${2:-3}"
  import -window root -crop "$((WIDTH + 4))x$((HEIGHT + 30))+$((X - 2))+$((Y - 28))" "$here/docs/$1.png"
  echo "docs/$1.png"
}

# View menu (Alt+V), then the n-th item.
view_item() {
  xdotool key --window "$window" alt+v
  sleep 0.3
  local i
  for i in $(seq 1 "$1"); do xdotool key Down; done
  xdotool key Return
}

only="${1:-all}"

# The pointer at a fraction (percent) of the window's width and height.
point_at() { xdotool mousemove "$((X + WIDTH * $1 / 100))" "$((Y + HEIGHT * $2 / 100))"; }

if [ "$only" = all ]; then
shot view-fft
view_item 0; shot view-wave 2     # WAVE
view_item 1; shot view-wave-fft 2 # WAVE + FFT
view_item 3; shot view-cepstrum   # cepstrum
view_item 4; shot view-pitch      # pitch
view_item 2                       # back to FFT

# The View menu held open over the live FFT view.
sleep 3
xdotool key --window "$window" alt+v
shot main-window 1
xdotool key Escape Escape
fi

# Readouts: the pointer over the spectrum near the 660 Hz harmonic (the peak
# readout names the strongest one, 220 Hz), then in the pitch view over the
# spectrogram (the pitch readout in the corner).
if [ "$only" != bands ]; then
point_at 58 30; shot readout-spectrum 3
view_item 4; point_at 50 70; shot readout-pitch 4
view_item 2
xdotool mousemove 0 0
fi

if [ "$only" = all ]; then
# A pitch track: the linear axis (Settings, fifth item, first entry), the
# pitch view, and the band dragged over the lags 2 to 15 ms with its bottom
# edge under the tone's peak at 4.5 ms. The window is 600 x 500 at first
# start, so the upper view spans x = 24 ... 598 and y = 92 ... 250 of the
# screenshot, and the linear lag axis 0 ... 46.4 ms at 4,096 points.
xdotool key --window "$window" alt+s
sleep 0.3
xdotool key Down Down Down Down Right Return
view_item 4
sleep 1
at() { xdotool mousemove "$((X - 2 + $1))" "$((Y - 28 + $2))"; sleep 0.2; }
at 49 95
xdotool mousedown 1
at 130 150
at 210 200
xdotool mouseup 1
at 300 400
shot pitch-track 14
fi

if [ "$only" = all ] || [ "$only" = bands ]; then
# The octave-band view of the demo tone: 1/6 octave, 32,768 points
# (Settings, fourth item, sixth entry) on the logarithmic axis, the pointer
# over a band between two harmonics; the lowest bands are too narrow for the
# data length and drawn hatched.
xdotool key --window "$window" alt+s
sleep 0.3
xdotool key Down Down Down Right Down Down Down Down Down Return
sleep 0.5
xdotool key --window "$window" alt+s
sleep 0.3
xdotool key Down Down Down Down Right Down Return   # the logarithmic axis
view_item 7                       # Octave bands
xdotool key --window "$window" alt+v
sleep 0.3
xdotool key Up Up Right Down Down Return   # Band width, 1/6 octave
sleep 8
point_at 62 30; shot view-bands 3
fi

wine taskkill /im tavrin.exe >/dev/null 2>&1 || true
sleep 1
rm -rf "$work"
