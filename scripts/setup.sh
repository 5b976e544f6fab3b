#!/usr/bin/env bash
# Installs what is missing (Debian 12, as root), then configures and builds into $1; further
# arguments go to cmake's configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}

# Build: g++ cmake ninja-build qt6-base-dev libgif-dev zlib1g-dev libssl-dev. Run: fonts-liberation (the manual's
# Courier New). Tests: xvfb xauth fonts-dejavu-core
# (offscreen text and the real-window test), qt6-base-private-dev (listening as a screen reader), xdotool imagemagick openbox (driving and watching
# the real window), clang libclang-rt-14-dev (sanitizers and fuzzers), clang-format clang-tidy
# (the tree's format and scripts/tidy.sh). Packages: dpkg-dev file
# (cpack's .deb and its Depends), desktop-file-utils appstream (checking the menu entry and
# metadata), lintian man-db (checking the .deb and its manual pages).
packages=(g++ cmake ninja-build qt6-base-dev libgif-dev zlib1g-dev libssl-dev fonts-liberation xvfb xauth fonts-dejavu-core
          qt6-base-private-dev xdotool imagemagick openbox clang libclang-rt-14-dev clang-format clang-tidy dpkg-dev file desktop-file-utils
          appstream lintian man-db)
missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
fi

cmake -S . -B "$build_dir" -G Ninja "${@:2}"
cmake --build "$build_dir"
