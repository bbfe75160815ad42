#!/usr/bin/env bash
# Frame-rate benchmark of the real program under Wine: builds
# build/mingw/bench/frame_rate_bench.exe and runs it in an empty directory under a
# private Xvfb and a private PulseAudio playing the demo tone (220 Hz with four
# harmonics), at pause 0. It prints frames per second and CPU milliseconds per
# frame for every view, both axes and two window sizes, then the default
# start's share of a core.
#
# Usage: scripts/frame-rate.sh [--rounds N] [--ms MEASURE_MS] [--only TEXT] [OTHER_BENCH.exe ...]
# Extra programs (for instance the benchmark built from an older commit) run
# right after the current one in the same session, alternately, so that
# their figures can be compared as ratios. Absolute figures depend on the
# machine and on what else it is doing.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
args=()
extra=()
while [ $# -gt 0 ]; do
  case "$1" in
    --rounds|--ms|--only) args+=("$1" "$2"); shift 2 ;;
    *) extra+=("$(realpath "$1")"); shift ;;
  esac
done

cmake -S "$here" --preset mingw >/dev/null
cmake --build "$here/build/mingw" --target frame_rate_bench -j2 >/dev/null

source "$here/scripts/lib/env.sh"
work="$(mktemp -d)"
trap 'tavrin_stop_services; rm -rf "$work"' EXIT
tavrin_start_xvfb
tavrin_start_pulse demo
tavrin_prepare_wine

cd "$work"
for exe in "$here/build/mingw/bench/frame_rate_bench.exe" "${extra[@]}"; do
  echo "== $(basename "$(dirname "$exe")")/$(basename "$exe")"
  rm -f param.bin
  wine "$exe" "${args[@]}"
done
