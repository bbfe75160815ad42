#!/usr/bin/env bash
# The whole-file overview against sox's spectrogram, in one run on one file:
# a ten-minute 44.1 kHz mono 16-bit take (a tone, noise and a click every
# 37 s), drawn 1,200 columns wide with 1,024-point frames (sox: -x 1200
# -y 513, which it computes from 1,024-point transforms too).
#
# Prints, each the best of ROUNDS runs, seconds of wall-clock time and of
# processor time (user + system, all threads; on a busy machine the wall
# clock waits for other work, the processor time does not):
#   sox         sox FILE -n spectrogram -x 1200 -y 513
#   native      bench/overview_bench (all processors), computing and painting
#   wine batch  tavrin.exe --png under Wine, start-up included
#   wine start  tavrin.exe --png on a 0.1 s file: Wine's and the program's start-up
# Figures depend on what else the machine does; only ratios within one run mean much.
#
# Usage: scripts/overview-bench.sh [ROUNDS]   (default 3; builds what it needs)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
rounds=${1:-3}

cmake -S "$here" --preset native >/dev/null
cmake --build "$here/build/native" --target overview_bench -j2 >/dev/null
cmake -S "$here" --preset mingw >/dev/null
cmake --build "$here/build/mingw" --target tavrin -j2 >/dev/null

source "$here/scripts/lib/env.sh"
work="$(mktemp -d)"
trap 'tavrin_stop_services; rm -rf "$work"' EXIT
tavrin_start_xvfb
tavrin_prepare_wine
cd "$work"

sox -n -r 44100 -c 1 -b 16 tone.wav synth 600 sine 1000 gain -12
sox -n -r 44100 -c 1 -b 16 noise.wav synth 600 whitenoise gain -40
sox -n -r 44100 -c 1 -b 16 clicks.wav synth 0.005 square 3000 gain -3 pad 0 36.995 repeat 16 trim 0 600
sox -m tone.wav noise.wav clicks.wav ten.wav
sox -n -r 44100 -c 1 -b 16 short.wav synth 0.1 sine 1000
exe="$here/build/mingw/tavrin.exe"
# Plot 1,200 x 513 pixels inside the picture's margins.
size=1314x543

best() {  # "wall cpu": the best of `rounds` runs of the command, seconds
  for _ in $(seq "$rounds"); do
    /usr/bin/time -f '%e %U %S' -o time.txt "$@" >/dev/null 2>&1 || true
    cat time.txt
  done | awk '{ c = $2 + $3; if (w == "" || $1 < w) w = $1; if (b == "" || c < b) b = c } END { printf "%.3f %.3f", w, b }'
}

wine "$exe" --png warm.png short.wav >/dev/null 2>&1 || true
sox_s=$(best sox ten.wav -n spectrogram -x 1200 -y 513 -o sox.png)
# Google Benchmark's processor time is its main thread's: the one-worker
# run gives the processor time, the all-processor run the wall clock.
native_s=$("$here/build/native/bench/overview_bench" --benchmark_repetitions="$rounds" --benchmark_format=csv 2>/dev/null |
    awk -F, '!/_mean|_median|_stddev|_cv/ && /threads:0/ { t = $3 / 1000; if (w == "" || t < w) w = t }
             !/_mean|_median|_stddev|_cv/ && /threads:1/ { t = $4 / 1000; if (c == "" || t < c) c = t }
             END { printf "%.3f %.3f", w, c }')
wine_s=$(best wine "$exe" --png ten.png --size "$size" ten.wav)
start_s=$(best wine "$exe" --png short.png --size "$size" short.wav)
identify -format 'wine batch picture: %wx%h\n' ten.png
printf '%-12s %8s %8s %12s\n' "" wall_s cpu_s "x real time"
for row in "sox $sox_s" "native $native_s" "wine_batch $wine_s" "wine_start $start_s"; do
  set -- $row
  printf '%-12s %8s %8s %12.0f\n' "${1/_/ }" "$2" "$3" "$(echo "600 / $2" | bc -l)"
done
