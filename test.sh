#!/usr/bin/env bash
# Installs what is missing, builds, runs the engine's tests and the program's threaded ones under
# AddressSanitizer, the journeys once against the program built with it, then the whole test suite.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/build.sh "$@"

ASAN_DIR=${ASAN_BUILD_DIR:-build-asan}
ENGINE_TESTS=(test_undo test_painters test_engine test_save test_operations
              test_bridges test_progress test_workspace test_view test_undopanel)
cmake -S . -B "$ASAN_DIR" -G Ninja -DGLIMRA_ASAN=ON "$@" > /dev/null
targets=()
for t in "${ENGINE_TESTS[@]}"; do
  cmake --build "$ASAN_DIR" --target help | grep -q "^$t:" && targets+=("$t")
done
cmake --build "$ASAN_DIR" -j "$(nproc)" --target Kelvra glimra e2e_photo "${targets[@]}"
for t in "${targets[@]}"; do
  echo "== $t under AddressSanitizer"
  ZENTOR_PLUGIN_PATH="$PWD/$ASAN_DIR/lib/plugins" GLOG_minloglevel=2 QT_QPA_PLATFORM=offscreen \
    "$ASAN_DIR/bin/$t" --gtest_brief=1
done

echo "== the journeys against glimra built with AddressSanitizer"
status=0
python3 tests/e2e/journeys.py --glimra "$ASAN_DIR/bin/glimra" --photo-tool "$ASAN_DIR/bin/e2e_photo" \
  --plugins "$ASAN_DIR/lib/plugins" --work "$ASAN_DIR/e2e-work" --screenshots "$ASAN_DIR/e2e-screenshots" \
  --sanitizer-logs "$ASAN_DIR/e2e-sanitizer" || status=$?
# 77: no X server could be started; the journeys then say so and are skipped.
[[ $status -eq 0 || $status -eq 77 ]] || exit "$status"

cd "${BUILD_DIR:-build}"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
