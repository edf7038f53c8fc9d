#!/usr/bin/env bash
# Installs what is missing, builds, and starts the editor, optionally on an image:
#   ./run.sh [photo.jpg]
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
(cd "$root" && bash scripts/build.sh > /dev/null)
build=${BUILD_DIR:-build}
[[ $build = /* ]] || build=$root/$build
exec "$build/bin/glimra" "$@"
