#!/usr/bin/env bash
# The whole test suite from a fresh clone: set-up, both builds, every test.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)
./tools/setup.sh
jobs=$(nproc)
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$jobs"
cmake --preset native >/dev/null
cmake --build --preset native -j"$jobs"
status=0
ctest --preset native || status=1
ctest --preset windows || status=1
echo "test suite finished in $(( $(date +%s) - start )) s"
exit $status
