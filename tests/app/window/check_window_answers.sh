#!/usr/bin/env bash
# The program as a separate process, driven from outside by answer_probe:
#  - taskkill (WM_CLOSE) while the About box and while the save dialog run
#    their own message loops during REC: the program exits with 0 and no
#    crash, the take reads whole with sox, param.bin is written;
#  - with its sound server stopped under a running take (the device lost, the
#    capture retrying), STOP, RUN, opening a file and closing the window each
#    answer within 100 ms, timed around the message itself (closing: the
#    window off the screen, and the program ended within 1.5 s); the program
#    exits with 0 and the take up to the loss is whole;
#  - an audio endpoint chosen in tavrin.ini comes back by itself once its
#    sound server is stopped and started again (with another tone).
# It runs a sound server of its own, so stopping it touches no other test.
#
# Usage: check_window_answers.sh RUNNER TAVRIN_EXE PROBE_EXE (RUNNER runs a Windows program)
set -uo pipefail
runner=$1
exe=$2
probe=$3
source "$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)/scripts/lib/env.sh"
TAVRIN_RUNDIR=""
work=$(mktemp -d)
trap 'tavrin_stop_services; rm -rf "$work"' EXIT
cd "$work"

readonly kLimitMs=100
readonly kAbout=104 kRun=32790 kStop=32791 kRec=32792 kSavePng=32902

fail() { echo "FAIL: $*"; exit 1; }

start_program() {
    rm -f pcm_data.wav param.bin
    "$runner" "$exe" 2> program.err &
    program=$!
    "$runner" "$probe" wait > /dev/null || fail "the window did not come up"
}

# Runs the probe with "$@"; the time it prints must be under the limit.
timed() {
    local limit=$kLimitMs
    if [ "$1" = --limit ]; then
        limit=$2
        shift 2
    fi
    local name=$1 ms
    shift
    ms=$("$runner" "$probe" "$@" | tr -d '\r') || fail "$name: the window did not answer ($ms ms)"
    echo "$name: $ms ms"
    awk -v t="$ms" -v l="$limit" 'BEGIN { exit !(t < l) }' || fail "$name took $ms ms (limit $limit)"
}

# The program ends by itself once its window has gone: exit code 0, no
# crash, the settings written and the take whole.
ends_cleanly() {
    local name=$1 i rc
    for i in $(seq 1 100); do
        kill -0 "$program" 2> /dev/null || break
        sleep 0.1
    done
    if kill -0 "$program" 2> /dev/null; then
        kill "$program"
        fail "$name: still running 10 s after its window went"
    fi
    wait "$program"
    rc=$?
    [ "$rc" -eq 0 ] || fail "$name: exit code $rc"
    if grep -qiE "unhandled|page fault|backtrace" program.err; then
        fail "$name: crashed: $(head -5 program.err)"
    fi
    [ "$(stat -c %s param.bin 2> /dev/null)" = 176 ] || fail "$name: param.bin not written"
    local samples bytes
    samples=$(soxi -s pcm_data.wav 2> /dev/null) || fail "$name: sox cannot read the take"
    bytes=$(stat -c %s pcm_data.wav)
    [ "$samples" -gt 0 ] && [ $((44 + 2 * samples)) -eq "$bytes" ] ||
        fail "$name: the take's head says $samples samples for $bytes bytes"
    sox pcm_data.wav -n stat 2> /dev/null || fail "$name: sox cannot read the take through"
    echo "$name: exit 0, $samples samples"
}

tavrin_start_pulse sine || fail "no sound server"

for dialog in "$kAbout" "$kSavePng"; do
    start_program
    "$runner" "$probe" command "$kRec" > /dev/null || fail "REC"
    sleep 1
    "$runner" "$probe" close-under "$dialog" > /dev/null || fail "taskkill under dialog $dialog: the window stays"
    ends_cleanly "taskkill under dialog $dialog"
done

start_program
"$runner" "$probe" command "$kRec" > /dev/null || fail "REC"
sleep 1
tavrin_stop_pulse
sleep 2.5  # the input is lost and the capture retries
timed "STOP with the device gone" command "$kStop"
timed "RUN with the device gone" command "$kRun"
sleep 1.5
timed "STOP again" command "$kStop"
timed "RUN again" command "$kRun"
sox -n -r 22050 -b 16 tone.wav synth 5 sine 1000
timed "opening a file with the device gone" open "Z:${work//\//\\}\\tone.wav"
# Off the screen: the window procedure starts hiding the window as soon as
# WM_CLOSE arrives; the hide itself is the X server's and takes 40 to 120 ms
# under Wine on a busy machine. The program must then end well before a
# device's close could have held it (2 s).
timed --limit 250 "closing with the device gone, off the screen" close
ends_cleanly "closing with the device gone"

# An audio endpoint kept in tavrin.ini: the sound server stopped under it and
# started again, its tone now 660 Hz, brings the same endpoint back by itself;
# a take made afterwards holds the new tone.
tavrin_run_pulse || fail "the sound server did not start again"
id=$("$runner" "$probe" endpoint-id "Monitor of SineOut" | tr -d '\r') || fail "no endpoint Monitor of SineOut"
printf 'input_path=endpoint\r\nendpoint_id=%s\r\n' "$id" > tavrin.ini
start_program
sleep 1
tavrin_stop_pulse
sleep 2.5
tavrin_restart_pulse 660 || fail "the sound server did not start again"
sleep 4  # the capture looks for the endpoint once a second
"$runner" "$probe" command "$kRec" > /dev/null || fail "REC"
sleep 1.5
"$runner" "$probe" command "$kStop" > /dev/null || fail "STOP"
timed --limit 250 "closing on the endpoint" close
ends_cleanly "the endpoint back after the server's restart"
grep -q "^input_path=endpoint" tavrin.ini && grep -q "^endpoint_id=$id" tavrin.ini ||
    fail "tavrin.ini no longer names the endpoint"
hz=$(sox pcm_data.wav -n stat 2>&1 | awk '/Rough +frequency/ {print $3}')
awk -v f="$hz" 'BEGIN { exit !(f > 650 && f < 670) }' || fail "the take after the restart holds $hz Hz, not 660 Hz"
echo "the endpoint came back: the take holds $hz Hz"
echo "PASSED"
