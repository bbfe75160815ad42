#!/usr/bin/env bash
# Reads a recording with sox: it must open as a mono 16-bit WAV at the
# expected rate, and the strongest line of its power spectrum must lie
# within one analysis bin of the expected tone.
# Usage: check_wav_with_sox.sh FILE RATE_HZ TONE_HZ
set -euo pipefail
file="$1" rate="$2" tone="$3"

[ -f "$file" ] || { echo "no file $file"; exit 1; }
got_rate="$(sox --i -r "$file")"
got_channels="$(sox --i -c "$file")"
got_bits="$(sox --i -b "$file")"
[ "$got_rate" = "$rate" ] || { echo "rate $got_rate, expected $rate"; exit 1; }
[ "$got_channels" = 1 ] || { echo "channels $got_channels, expected 1"; exit 1; }
[ "$got_bits" = 16 ] || { echo "bits $got_bits, expected 16"; exit 1; }

# `stat -freq` prints "frequency power" lines for every 4,096-sample window;
# sum the windows and take the strongest frequency.
read -r peak bin < <(sox "$file" -n stat -freq 2>&1 | awk '
  NF == 2 && $1 ~ /^[0-9.]+$/ && $2 ~ /^[0-9.]+$/ {
    power[$1] += $2
    if (prev != "" && $1 > prev && step == 0) step = $1 - prev
    prev = $1
  }
  END {
    best = ""; for (f in power) if (best == "" || power[f] > power[best]) best = f
    print best, step
  }')
[ -n "$peak" ] || { echo "sox gave no spectrum"; exit 1; }
echo "rate $got_rate Hz, strongest line $peak Hz (bins of $bin Hz)"
awk -v p="$peak" -v t="$tone" -v b="$bin" 'BEGIN { d = p - t; if (d < 0) d = -d; exit !(d <= b) }' ||
  { echo "strongest line $peak Hz is not the tone $tone Hz"; exit 1; }
echo "sox reads the recording: PASSED"
