#!/usr/bin/env bash
# The main job: set up, build, start the engine host with the framework and show what it
# publishes (its ports and state), then stop it cleanly.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/setup.sh
jobs=$(nproc)
cmake --preset windows >/dev/null && cmake --build --preset windows -j"$jobs" >/dev/null
cmake --preset native >/dev/null && cmake --build --preset native -j"$jobs" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QUIB_LOG="$work/engine.log" KUZ_BIND_ADDR=127.0.0.1
commands='sysinfo
sleep 1500
sysinfo
quit'
if ./tools/wine-env usable 2>/dev/null; then
  echo "engine host under wine (build/windows/dist/engine/QEB.exe):"
  ./tools/wine-env up "$work" >/dev/null
  export WINEPREFIX="$work/run"
  printf '%s\n' "$commands" | ./tools/wine-run build/windows/dist/engine/QEB.exe --tcp 0 --udp 0
else
  echo "engine host, native i386 build ($(./tools/wine-env usable 2>&1)):"
  printf '%s\n' "$commands" | build/native/native/engine/QEB.exe --tcp 0 --udp 0
fi
echo "engine log:"
sed 's/^/  /' "$QUIB_LOG"
