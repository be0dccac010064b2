#!/usr/bin/env bash
# Configures and builds the program with BUILD_TESTING off, as a packager or
# a user with only Qt and libpulse would: GoogleTest and Google Benchmark are
# made unfindable, so any step that still asks for them fails the build.
# Usage: build_without_tests.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=${1:?usage: build_without_tests.sh SOURCE_DIR BUILD_DIR}
build=${2:?usage: build_without_tests.sh SOURCE_DIR BUILD_DIR}
rm -rf "$build"
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON >"$build.log" 2>&1 ||
    { cat "$build.log"; echo "FAIL: the configure without tests failed"; exit 1; }
cmake --build "$build" -j"$(nproc)" --target orvik >>"$build.log" 2>&1 ||
    { tail -50 "$build.log"; echo "FAIL: the program did not build without tests"; exit 1; }
[ -x "$build/orvik" ] || { echo "FAIL: no program in $build"; exit 1; }
if grep -q -- '-Werror' "$build/compile_commands.json"; then
    echo "FAIL: a plain build treats warnings as errors"
    exit 1
fi
rm -rf "$build" "$build.log"
echo "PASS: the program builds with BUILD_TESTING off and no GoogleTest or Google Benchmark"
