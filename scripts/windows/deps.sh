#!/usr/bin/env bash
# Step deps of scripts/windows-build.sh: installs the Debian packages the other steps use
# that are missing (MinGW-w64, Ninja, Wine, Xvfb, xdotool, ImageMagick, NSIS, ...).
# Needs: Debian 12, root or sudo.

# shellcheck source=scripts/windows/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

step_deps() {
  scripts/install-deps.sh ninja-build dpkg-dev zip unzip wine wine64 xvfb xauth xdotool imagemagick \
    nsis bsdutils util-linux
}

# Run alone (bash scripts/windows/deps.sh): this step only, as scripts/windows-build.sh deps runs it.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  start=$SECONDS
  step_deps
  step_time deps $((SECONDS - start))
fi
