#!/usr/bin/env bash
# scripts/run-tests, which make test runs every test through, catches a test
# that writes into its HOME or leaves a process running, and says why a
# skipped test was skipped: against a small CTest folder whose tests do
# exactly that.
# Usage: run_tests_check_test.sh SOURCE_DIR
set -euo pipefail
repo=$(cd "${1:?usage: run_tests_check_test.sh SOURCE_DIR}" && pwd)
work=$(mktemp -d)
trap 'pkill -KILL -f "sleep 4242" 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; sed 's/^/  | /' "$work/out.log"; exit 1; }

# A CTest folder needs no CMake project: CTestTestfile.cmake alone will do.
mkdir -p "$work/clean" "$work/leaky"
cat >"$work/clean/CTestTestfile.cmake" <<EOF
add_test(fine "/bin/sh" "-c" "exit 0")
add_test(skipper "/bin/bash" "-c" "source '$repo/tests/e2e/lib/sandbox.sh'; ORVIK_TEST_NAME=skipper skip 'no frobnicator installed'")
set_tests_properties(skipper PROPERTIES SKIP_RETURN_CODE 77)
EOF
cat >"$work/leaky/CTestTestfile.cmake" <<'EOF'
add_test(leaky "/bin/sh" "-c" "touch \"$HOME/left-behind\"; sleep 4242 >/dev/null 2>&1 &")
EOF

env -u CI "$repo/scripts/run-tests" "$work/clean" >"$work/out.log" 2>&1 || fail "a clean run with a skip failed"
grep -qF "skipper: no frobnicator installed" "$work/out.log" || fail "the skip's reason is not shown"
grep -qx "1 passed, 0 failed, 1 skipped" "$work/out.log" || fail "no closing count"
if CI=true "$repo/scripts/run-tests" "$work/clean" >"$work/out.log" 2>&1; then
    fail "under CI a skipped test passed the run"
fi
echo "ok: skips are named with their reason, and fail the run under CI"

if env -u CI "$repo/scripts/run-tests" "$work/leaky" >"$work/out.log" 2>&1; then
    fail "a test that left a file in HOME and a process running passed"
fi
grep -qF "~/left-behind" "$work/out.log" || fail "the file left in HOME is not named"
grep -qF "sleep 4242" "$work/out.log" || fail "the process left running is not named"
! pgrep -f "sleep 4242" >/dev/null || fail "the process left running was not stopped"
echo "ok: a file left in HOME and a process left running fail the run"
echo "PASS"
