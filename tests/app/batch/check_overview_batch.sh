#!/usr/bin/env bash
# The batch overview as a user runs it, under Wine:
#  - a file it cannot read exits non-zero, names the file on standard error
#    and writes nothing;
#  - a ten-minute take of a steady tone with one 5 ms click at a random time
#    gives a picture of the requested size in which the click's column is
#    bright across the upper frequencies while a column far from it is dark,
#    and an averaged spectrum with a row per bin;
#  - a wildcard over a folder of 20 takes gives 20 pictures named after them.
#
# Usage: check_overview_batch.sh RUNNER TAVRIN_EXE (RUNNER runs a Windows program)
set -euo pipefail
runner=$1
exe=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

printf 'RIFF\x10\x00\x00\x00WAVEfmt \xff\xff\xff\x7f' > hostile.wav
if "$runner" "$exe" --png hostile.png --csv hostile.csv hostile.wav 2> hostile.err; then
    echo "FAIL: a file that is no WAV exited 0"; exit 1
fi
grep -q "hostile.wav" hostile.err || { echo "FAIL: no message naming the file:"; cat hostile.err; exit 1; }
[ ! -e hostile.png ] && [ ! -e hostile.csv ] || { echo "FAIL: output written for a file it could not read"; exit 1; }

rate=44100
length=$((600 * rate))
click=$(( (RANDOM * 32768 + RANDOM) % (length - 2 * rate) + rate ))
sox -D -n -r $rate -c 1 -b 16 tone.wav synth 600 sine 1000 gain -20
sox -D -n -r $rate -c 1 -b 16 burst.wav synth 0.005 square 3000 gain -1
sox -D burst.wav shifted.wav pad "${click}s" 0
sox -D -m tone.wav shifted.wav take.wav trim 0 "${length}s"
"$runner" "$exe" --png take.png --csv take.csv --size 1000x400 take.wav 2> take.err ||
    { echo "FAIL: the take exited non-zero"; cat take.err; exit 1; }
[ "$(identify -format '%wx%h' take.png)" = 1000x400 ] || { echo "FAIL: picture size $(identify -format '%wx%h' take.png)"; exit 1; }
# The plot: from x 44, 1000 - 124 columns wide; from y 8, 400 - 30 rows high.
columns=876
x=$((44 + click * columns / length))
far=$((44 + (click * columns / length + columns / 2) % columns))
brightness() { convert take.png -crop "1x120+$1+10" -colorspace gray -format '%[fx:mean]' info:; }
bright=$(brightness $x)
dark=$(brightness $far)
awk -v b="$bright" -v d="$dark" 'BEGIN { exit !(b > 0.2 && d < 0.1) }' ||
    { echo "FAIL: click at sample $click: column $x brightness $bright, column $far $dark"; exit 1; }
rows=$(grep -vc '^#' take.csv)
[ "$rows" -eq 513 ] || { echo "FAIL: $rows rows in the averaged spectrum (header + 512 bins expected)"; exit 1; }

mkdir takes pictures
for i in $(seq -w 1 20); do
    sox -n -r 8000 -c 1 -b 16 "takes/take $i.wav" synth 0.5 sine $((10#$i * 100))
done
"$runner" "$exe" --png 'pictures/*.png' --size 320x160 'takes/*.wav' 2> folder.err ||
    { echo "FAIL: the folder exited non-zero"; cat folder.err; exit 1; }
made=$(ls pictures/*.png | wc -l)
[ "$made" -eq 20 ] && [ -e "pictures/take 07.png" ] || { echo "FAIL: $made pictures from 20 takes"; ls pictures; exit 1; }
echo "click at sample $click: column brightness $bright against $dark; 20 pictures from 20 takes"
