#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Tessel needs.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libwxgtk3.2-dev libssl-dev portaudio19-dev libvorbisidec-dev zlib1g-dev liblz4-dev
  xvfb xauth xdotool fonts-dejavu-core openssl python3
  xclip
  libasound2-dev sox vorbis-tools
  clang-14 libclang-rt-14-dev
  imagemagick
  dpkg-dev desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
