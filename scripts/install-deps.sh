#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing, and the
# packages named as arguments (scripts/windows-build.sh names its own).
set -euo pipefail

packages=(
  cmake g++ make
  qt6-base-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-x86-64
  wine wine64 xvfb xauth
  clang libclang-rt-14-dev
)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
