#!/usr/bin/env bash
# Builds the program and opens its window. Without a display it renders the
# window headlessly to a PNG instead and prints that file's name.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh

ensure_packages "${BUILD_PACKAGES[@]}"
configure_and_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    out="$(pwd)/build/quorvel-window.png"
    echo "No display available: rendering the window to a PNG instead."
    ./build/quorvel --screenshot "$out" "$@"
    echo "$out"
    exit 0
fi
exec ./build/quorvel "$@"
