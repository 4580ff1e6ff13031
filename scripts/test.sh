#!/usr/bin/env bash
# Builds Zephyrine and runs every test, under a virtual X display.
#   scripts/test.sh                               plain Release build in build/
#   scripts/test.sh --sanitize address,undefined  the same with sanitizers, in build-asan/
#   scripts/test.sh --sanitize thread             ThreadSanitizer, the threaded tests only, in build-tsan/
set -euo pipefail
cd "$(dirname "$0")/.."

sanitize=""
if [ "${1:-}" = "--sanitize" ]; then
    sanitize="${2:?--sanitize needs a list such as address,undefined or thread}"
fi

scripts/deps.sh

build=build
options=(-DCMAKE_BUILD_TYPE=Release)
ctest_filter=()
build_targets=()
case "$sanitize" in
    "") ;;
    thread)
        build=build-tsan
        # The threaded tests need neither the LV2/VST3 plug-ins nor the app.
        options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEPHYRINE_SANITIZE=thread -DZEPHYRINE_BUILD_BENCH=OFF
                 -DZEPHYRINE_BUILD_FORMATS=OFF)
        ctest_filter=(-L tsan)
        build_targets=(--target threaded_tests)
        export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/tsan.supp"
        ;;
    *)
        build=build-asan
        # The plug-ins for the hosting test, but not the app.
        options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEPHYRINE_SANITIZE="$sanitize" -DZEPHYRINE_BUILD_BENCH=OFF
                 -DZEPHYRINE_BUILD_STANDALONE=OFF)
        export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
        export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp"
        export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
        ;;
esac

cmake -S . -B "$build" -G Ninja "${options[@]}" > /dev/null
cmake --build "$build" "${build_targets[@]}"
xvfb-run -a -s "-screen 0 1280x1024x24" \
    ctest --test-dir "$build" --output-on-failure -j2 "${ctest_filter[@]}"
