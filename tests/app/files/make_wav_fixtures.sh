#!/usr/bin/env bash
# Writes, with sox, the WAV files the file-input and band-level tests play, into the
# current directory: a 1,000 Hz tone on the first of two 24-bit channels at
# 11,025 Hz (3,000 Hz on the second), and a 10-second linear sweep from 300
# to 3,300 Hz at 44,100 Hz, and the overview's files (below). Without sox it writes nothing and the test skips.
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
# The overview test's files: five minutes at 8,000 Hz whose tone changes every
# minute (500, 1,000, 1,500, 2,000 and 2,500 Hz), and ten minutes at 44,100 Hz
# of a quiet 1,000 Hz tone with one 5 ms click at a random time (from 0:30 to
# 9:30, clear of where playing stands meanwhile), whose first
# sample goes to overview_click.txt.
for i in 1 2 3 4 5; do
  sox -D -n -r 8000 -c 1 -b 16 "overview_minute_$i.wav" synth 60 sine $((i * 500)) vol 0.5
done
sox -D overview_minute_{1,2,3,4,5}.wav overview_minutes.wav
rm -f overview_minute_?.wav
click=$(( (RANDOM * 32768 + RANDOM) % (26460000 - 2646000) + 1323000 ))
sox -D -n -r 44100 -c 1 -b 16 overview_tone.wav synth 600 sine 1000 gain -20
sox -D -n -r 44100 -c 1 -b 16 overview_burst.wav synth 0.005 square 3000 gain -1
sox -D overview_burst.wav overview_shifted.wav pad "${click}s" 0
sox -D -m overview_tone.wav overview_shifted.wav overview_click.wav trim 0 26460000s
rm -f overview_tone.wav overview_burst.wav overview_shifted.wav
echo "$click" > overview_click.txt
echo "fixtures written"
