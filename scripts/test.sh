#!/usr/bin/env bash
# Runs every test: the portable library natively (plain and under ASan/UBSan,
# its threads' stress tests under ThreadSanitizer),
# then the Windows program and its tests under Wine, inside a private headless
# environment (Xvfb, a PulseAudio server with a 440 Hz source, a warm
# wineserver) that this script starts and stops itself; last it builds the zip
# and the installer and tries them under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
source scripts/lib/env.sh

cmake --workflow --preset native
cmake --workflow --preset native-asan
cmake --workflow --preset native-tsan

trap tavrin_stop_services EXIT
tavrin_start_xvfb
tavrin_start_pulse sine
tavrin_prepare_wine
cmake --workflow --preset mingw
cmake --workflow --preset package
bash scripts/check_package.sh
