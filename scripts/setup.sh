#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing KeltControl need.
# Only missing packages are installed, so running it again is cheap.
set -euo pipefail

packages=(
  cmake g++ make ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libqscintilla2-qt6-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth fonts-liberation
)
testing=false
if [[ "${1:-}" == "--test" ]]; then
  testing=true
  # the units catalogue is checked against an independent unit library; the
  # number text tests need a locale whose decimal separator is a comma
  packages+=(libudunits2-dev locales)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
sudo=()
if [[ $(id -u) -ne 0 ]]; then
  sudo=(sudo)
fi

if [[ ${#missing[@]} -gt 0 ]]; then
  echo "Installing: ${missing[*]}"
  [[ ${#sudo[@]} -eq 0 ]] || command -v sudo >/dev/null || { echo "Need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if $testing && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  echo "Generating the de_DE.UTF-8 locale for the tests"
  "${sudo[@]}" localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
