#!/usr/bin/env bash
# The batch pitch track as a user runs it: `tavrin.exe --pitch out.csv in.wav`
# exits 0 and writes one row per 10 ms; a file it cannot read exits non-zero
# with the reason on standard error and writes nothing. When praat is
# installed, the track is compared with its autocorrelation tracker on speech
# in four pitch settings and a sung vowel with vibrato: on the frames both
# call voiced, within 2 % on at least 95 % of them, and the same voicing on at
# least 90 % of all frames.
#
# Usage: check_pitch_batch.sh RUNNER TAVRIN_EXE (RUNNER runs a Windows program)
set -euo pipefail
runner=$1
exe=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# A file it cannot read.
printf 'not a wave file' > broken.wav
if "$runner" "$exe" --pitch broken.csv broken.wav 2> broken.err; then
    echo "FAIL: a file that is no WAV exited 0"; exit 1
fi
grep -q "broken.wav" broken.err || { echo "FAIL: no message naming the file:"; cat broken.err; exit 1; }
[ ! -e broken.csv ] || { echo "FAIL: a track was written for a file it could not read"; exit 1; }

# The sung vowel: a harmonic complex at 220 Hz with a 5.5 Hz vibrato of
# +-3 %, through three vowel formants.
awk 'BEGIN { rate = 22050; pi = atan2(0, -1); print "; Sample Rate " rate; print "; Channels 1";
  for (i = 0; i < 2.5 * rate; i++) { t = i / rate;
    cycles = 220 * (t - 0.03 * cos(2 * pi * 5.5 * t) / (2 * pi * 5.5)); v = 0;
    for (k = 1; k <= 20; k++) v += sin(2 * pi * k * cycles) / k;
    printf "%.6f %.6f\n", t, 0.25 * v * (t < 0.1 ? t / 0.1 : 1) } }' > vowel.dat
sox vowel.dat -b 16 vowel.wav gain -12 equalizer 700 150h +15 equalizer 1150 200h +12 equalizer 2600 300h +8 norm -3

takes=vowel
if command -v espeak-ng > /dev/null; then
    espeak-ng -v en -p 45 -w low.wav "The quick brown fox jumps over the lazy dog, and nobody saw it happen."
    espeak-ng -v en -p 50 -w mid.wav "Where were you going when the rain began to fall on the old town?"
    espeak-ng -v en-us -p 80 -w high.wav "Seven silver spoons lay beside the window in the morning light."
    espeak-ng -v de -p 65 -w german.wav "Der Wind weht heute sehr kalt über die Felder am Fluss."
    takes="low mid high german vowel"
fi

for take in $takes; do
    "$runner" "$exe" --pitch "$take.csv" "$take.wav" 2> "$take.err" || { echo "FAIL: $take exited non-zero"; cat "$take.err"; exit 1; }
    seconds=$(soxi -D "$take.wav")
    rows=$(($(wc -l < "$take.csv") - 1))
    expected=$(awk -v s="$seconds" 'BEGIN { n = 0; while (n * 0.01 < s) n++; print n }')
    [ "$rows" -ge $((expected - 1)) ] && [ "$rows" -le $((expected + 1)) ] ||
        { echo "FAIL: $take: $rows rows for $seconds s"; exit 1; }
done

if ! command -v praat > /dev/null || ! command -v espeak-ng > /dev/null; then
    echo "praat or espeak-ng is not installed: the comparison with praat is skipped"
    exit 0
fi
status=0
for take in $takes; do
    rows=$(($(wc -l < "$take.csv") - 1))
    praat --run "$here/pitch_against_praat.praat" "$work/$take.wav" "$work/$take.praat.csv" "$rows"
    tail -n +2 "$take.csv" | paste -d, - "$take.praat.csv" | awk -F, -v take="$take" '
      { ours = $2; ref = $4; n++
        if ((ours != "") == (ref != "")) agree++
        if (ours != "" && ref != "") { both++; d = ours / ref - 1; if (d < 0) d = -d; if (d <= 0.02) near++ } }
      END { a = 100 * agree / n; c = both ? 100 * near / both : 0
            printf "%s: %d frames, voicing agrees on %.1f %%, %d voiced by both, within 2 %% on %.1f %%\n", take, n, a, both, c
            exit !(a >= 90 && c >= 95) }' || status=1
done
[ "$status" -eq 0 ] || echo "FAIL: the track departs from the reference tracker's"
exit "$status"
