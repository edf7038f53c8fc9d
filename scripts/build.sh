#!/usr/bin/env bash
# Installs what is missing, then configures and builds in build/ (or $BUILD_DIR) with all cores.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja "$@"
cmake --build "$BUILD_DIR" -j "$(nproc)"
