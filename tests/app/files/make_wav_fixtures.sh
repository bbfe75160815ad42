#!/usr/bin/env bash
# Writes, with sox, the WAV files the file-input and band-level tests play, into the
# current directory: a 1,000 Hz tone on the first of two 24-bit channels at
# 11,025 Hz (3,000 Hz on the second), and a 10-second linear sweep from 300
# to 3,300 Hz at 44,100 Hz. Without sox it writes nothing and the test skips.
set -euo pipefail
if ! command -v sox >/dev/null; then
  echo "sox is not installed: no fixtures"
  exit 0
fi
sox -D -n -r 11025 -c 2 -b 24 file_tone.wav synth 4 sine 1000 sine 3000 vol 0.5
sox -D -n -r 44100 -c 1 -b 16 file_sweep.wav synth 10 sine 300:3300 vol 0.5
# The band-level test's noises (30 s) and a 1 kHz tone with a copy 20 dB
# quieter, at 48,000 Hz.
sox -D -n -r 48000 -c 1 -b 16 bands_pink.wav synth 30 pinknoise vol 0.5
sox -D -n -r 48000 -c 1 -b 16 bands_white.wav synth 30 whitenoise vol 0.5
sox -D -n -r 48000 -c 1 -b 16 bands_tone.wav synth 10 sine 1000 vol 0.5
sox -D bands_tone.wav bands_tone_20db_down.wav vol -20dB
echo "fixtures written"
