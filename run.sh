#!/usr/bin/env bash
# Installs what is missing, builds, and starts the editor, optionally on an image:
#   ./run.sh [photo.jpg]
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
bash scripts/build.sh > /dev/null
exec "$root/${BUILD_DIR:-build}/bin/glimra" "$@"
