#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs; quiet when all are there.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libcpp-httplib-dev libsqlite3-dev libjpeg62-turbo-dev libxcb1-dev
  fonts-noto-cjk qt6-translations-l10n xvfb xauth
  # cpack's dependency scan of the Debian package (dpkg-shlibdeps, file) and its test
  dpkg-dev file desktop-file-utils
  # the README's screenshots (scripts/screenshots.sh)
  xdotool imagemagick
  # the fuzzing harnesses (scripts/fuzz.sh)
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null; then sudo="sudo"; else
    echo "Please run as root (or install sudo) to install: ${missing[*]}" >&2; exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q >/dev/null
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
