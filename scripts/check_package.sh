#!/usr/bin/env bash
# Tries the packages in build/package as a Windows user would, in a fresh Wine
# prefix of its own whose Documents folder lies in a temporary home:
#   - the installer run with /S installs tavrin.exe for the user, with a Start
#     menu shortcut and an uninstall entry;
#   - the program started from the shortcut writes param.bin in the shortcut's
#     folder (Documents\Tavrin) when it closes;
#   - the uninstaller run with /S removes the program, the shortcut and the
#     entry, and leaves param.bin and a recording where they are;
#   - the zip holds tavrin.exe, README.txt and LICENSE.txt, and its tavrin.exe runs.
# Needs a display: scripts/test.sh (or tavrin_start_xvfb) provides one.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/env.sh

version="$(sed -n 's/^project(tavrin VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
setup="$PWD/build/package/tavrin-$version-win64-setup.exe"
zip="$PWD/build/package/tavrin-$version-win64.zip"
[ -f "$setup" ] && [ -f "$zip" ] || { echo "build the packages first: cmake --workflow --preset package" >&2; exit 1; }

work="$(mktemp -d /tmp/tavrin-package.XXXXXX)"
export HOME="$work/home" TAVRIN_WINEPREFIX="$work/prefix"
mkdir -p "$HOME"
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
tavrin_prepare_wine

fail() { echo "FAIL: $*" >&2; exit 1; }
# Waits up to $1 seconds for the test "${@:2}" to hold.
wait_for() {
  local seconds="$1" i
  shift
  for i in $(seq 1 $((seconds * 10))); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
window_shown() { xdotool search --onlyvisible --name '^Tavrin$' >/dev/null 2>&1; }
# Waits for the program's window, lets it run a moment, then closes it as a
# user would.
run_and_close() {
  wait_for 60 window_shown || true
  sleep 2
  wine taskkill /im tavrin.exe >/dev/null 2>&1 || true
}

user_dir="$WINEPREFIX/drive_c/users/$(whoami)"
install_dir="$user_dir/AppData/Local/Programs/Tavrin"
shortcut="$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Tavrin.lnk"
documents="$user_dir/Documents/Tavrin"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavrin'

wine "$setup" /S
[ -f "$install_dir/tavrin.exe" ] || fail "the installer did not install tavrin.exe"
[ -f "$shortcut" ] || fail "no Start menu shortcut"
[ -d "$documents" ] || fail "no Documents\\Tavrin folder"
wine reg query "$uninstall_key" /v QuietUninstallString >/dev/null 2>&1 || fail "no uninstall entry"
echo "installed: $(ls "$install_dir" | tr '\n' ' ')"

wine start /wait "$(winepath -w "$shortcut")" &
starter=$!
run_and_close
wait "$starter" || true
wait_for 30 test -f "$documents/param.bin" || fail "the program started from the shortcut wrote no param.bin in Documents\\Tavrin"
[ ! -e "$install_dir/param.bin" ] || fail "param.bin went to the program's folder"
echo "param.bin written in Documents\\Tavrin ($(stat -c %s "$documents/param.bin") bytes)"

printf 'RIFF' >"$documents/pcm_data.wav"
wine "$install_dir/Uninstall.exe" /S
wait_for 60 test ! -e "$install_dir" || fail "the uninstaller left $install_dir"
[ ! -e "$shortcut" ] || fail "the uninstaller left the shortcut"
! wine reg query "$uninstall_key" >/dev/null 2>&1 || fail "the uninstaller left the uninstall entry"
[ -f "$documents/param.bin" ] && [ -f "$documents/pcm_data.wav" ] || fail "the uninstaller removed the user's files"
echo "uninstalled; param.bin and pcm_data.wav stay"

mkdir "$work/zip"
(cd "$work/zip" && cmake -E tar xf "$zip")
unpacked="$work/zip/tavrin-$version-win64"
for f in tavrin.exe README.txt LICENSE.txt; do
  [ -f "$unpacked/$f" ] || fail "the zip lacks $f"
done
(cd "$unpacked" && wine tavrin.exe) &
program=$!
run_and_close
wait "$program" || true
wait_for 30 test -f "$unpacked/param.bin" || fail "the zip's tavrin.exe did not run"
echo "the zip's tavrin.exe runs"
echo "packages OK"
