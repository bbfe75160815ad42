#!/usr/bin/env bash
# Installs the Debian packages Tavrin needs to build, run, test and package, and
# generates the ja_JP.UTF-8 locale (Wine needs it for the Japanese code page)
# and the en_US.UTF-8 locale (to try the English user interface under Wine).
# Idempotent: does nothing when everything is already there.
set -euo pipefail

packages=(
  cmake make g++ googletest libgtest-dev libbenchmark-dev libfftw3-dev pkg-config
  g++-mingw-w64-x86-64 wine wine64 fonts-wine fonts-ipafont-gothic locales
  xvfb xdotool imagemagick pulseaudio pulseaudio-utils sox procps nsis espeak-ng praat
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Generates a UTF-8 locale ("ja_JP", "en_US") unless it is there already.
ensure_locale() {
  local name="$1"
  if ! locale -a 2>/dev/null | grep -qi "^${name}\.utf-\?8$"; then
    "${sudo_cmd[@]}" sed -i "s/^# *${name}.UTF-8 UTF-8/${name}.UTF-8 UTF-8/" /etc/locale.gen
    grep -q "^${name}.UTF-8 UTF-8" /etc/locale.gen || echo "${name}.UTF-8 UTF-8" | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
    "${sudo_cmd[@]}" locale-gen
  fi
}

ensure_locale ja_JP
ensure_locale en_US
