#!/usr/bin/env bash
# Builds the program and runs every test headless through CTest.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh

ensure_packages "${BUILD_PACKAGES[@]}" poppler-utils

configure_and_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j2
