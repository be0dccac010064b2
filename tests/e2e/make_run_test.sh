#!/usr/bin/env bash
# `make run` in a copy of the source tree, on a machine that answers "not
# installed" for every package: it asks for what building and running need
# and for no test tool or sound server, never asks the sound server, and
# builds the program alone in a plain build (no tests, no -Werror) without
# make's directory noise. A second `make run` installs nothing and does not
# configure again.
#
# The package tools are stand-ins (lib/package_standins.sh). CMake's
# configure is real; `cmake --build` is recorded, and instead of compiling
# (minutes here) it lists the build folder's targets through the build tool,
# as a build would run it, and leaves a stand-in program that records its
# start.
# Usage: make_run_test.sh SOURCE_DIR
set -euo pipefail
repo=$(cd "${1:?usage: make_run_test.sh SOURCE_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/sandbox.sh"
source "$here/lib/package_standins.sh"
sandbox_begin

command -v make >/dev/null && command -v tar >/dev/null || skip "make or tar is not installed"
real_cmake=$(command -v cmake) || skip "cmake is not installed (scripts/install-deps run installs it)"

fail() { echo "FAIL: $*"; for f in "$work"/*.log; do echo "--- ${f##*/}"; sed 's/^/  | /' "$f"; done; exit 1; }

# The tree as a clone has it: no build folders.
src="$work/orvik"
mkdir -p "$src"
tar -C "$repo" --exclude=./.git --exclude='./build*' --exclude=./out -cf - . | tar -C "$src" -xf -

standins_begin
cat >"$work/bin/cmake" <<EOF
#!/bin/bash
echo "\$*" >>"$work/cmake.log"
[ "\$1" = --build ] || exec "$real_cmake" "\$@"
"$real_cmake" --build "\$2" --target help | tee -a "$work/targets.log"
status=\${PIPESTATUS[0]}
printf '#!/bin/sh\necho started >>"%s"\n' "$work/started.log" >"\$2/orvik"
chmod +x "\$2/orvik"
exit "\$status"
EOF
chmod +x "$work/bin/cmake"

first="$work/first-run.log"
(cd "$src" && make run JOBS=2) >"$first" 2>&1 || fail "make run failed"
asked=$(standins_asked)

# What building and running need is asked for, so the step really ran ...
for p in build-essential cmake qt6-base-dev libpulse-dev; do
    grep -qxF "$p" <<<"$asked" || fail "make run did not ask for $p"
done
# ... and nothing that only tests, benchmarks or fuzzing need, nor a server.
for p in libgtest-dev libgmock-dev googletest libbenchmark-dev xvfb xauth xdotool x11-utils x11-apps \
    imagemagick desktop-file-utils appstream clang libclang-rt-14-dev clang-format sox dbus-daemon \
    at-spi2-core python3-pyatspi gir1.2-atspi-2.0 pulseaudio pulseaudio-utils pipewire pipewire-bin \
    pipewire-pulse wireplumber; do
    ! grep -qxF "$p" <<<"$asked" || fail "make run asked for $p, which it does not need"
done
[ ! -s "$work/pactl.log" ] || fail "make run asked the sound server"
[ ! -s "$work/systemctl.log" ] || fail "make run touched user units"

# A plain build of the program alone.
cache="$src/build/CMakeCache.txt"
[ -f "$cache" ] || fail "make run did not configure build/"
for line in BUILD_TESTING:BOOL=OFF ORVIK_WERROR:BOOL=OFF ORVIK_BENCH:BOOL=OFF; do
    grep -qxF "$line" "$cache" || fail "build/ is not configured with $line"
done
# It builds the program's target alone, and the folder has no test program
# to build even by mistake.
builds=$(grep '^--build' "$work/cmake.log")
[ "$builds" = "--build build -j2 --target orvik" ] || fail "make run builds: $builds"
grep -qx '\.\.\. orvik' "$work/targets.log" || fail "the plain build has no program target"
if grep -E '_test$|gtest|gmock|_bench$' "$work/targets.log"; then
    fail "the plain build holds test or benchmark programs (above)"
fi
! grep -q 'Entering directory' "$first" || fail "make run prints make's directory changes"
[ "$(wc -l <"$work/started.log")" -eq 1 ] || fail "make run did not start the program it built"

# The second time: nothing to install, nothing to configure.
: >"$work/apt.log" && : >"$work/cmake.log"
(cd "$src" && make run JOBS=2) >"$work/second-run.log" 2>&1 || fail "the second make run failed"
[ ! -s "$work/apt.log" ] || fail "the second make run called apt-get"
! grep -v '^--build' "$work/cmake.log" | grep . || fail "the second make run configured again"
[ "$(wc -l <"$work/started.log")" -eq 2 ] || fail "the second make run did not start the program"

echo "PASS"
