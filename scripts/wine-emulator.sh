#!/usr/bin/env bash
# ctest's cross-compiling emulator: runs a Windows test program under Wine.
# scripts/test.sh exports the display, the sound server and the prefix; run by
# hand, the defaults of scripts/lib/env.sh apply.
source "$(dirname "${BASH_SOURCE[0]}")/lib/env.sh"
tavrin_wine_env
exec wine "$@"
