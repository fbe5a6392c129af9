#!/usr/bin/env bash
# The main job: set up, build, and play a demo channel end to end on 127.0.0.1 — a link
# server, a stream source (an MPEG transport stream made by ffmpeg), and two engine hosts, the
# second of which gets the channel only through the first. Prints the HTTP addresses any media
# player can open, shows what ffprobe finds there, then plays the channel in the player as a
# viewer would (under Xvfb, or on DISPLAY when it is set) and prints the path of a screenshot of
# it playing. Stops everything after DEMO_SECONDS.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${DEMO_SECONDS:-120}
./tools/setup.sh
jobs=$(nproc)
cmake --preset windows >/dev/null && cmake --build --preset windows -j"$jobs" >/dev/null
cmake --preset native >/dev/null && cmake --build --preset native -j"$jobs" >/dev/null

work=$(mktemp -d)
pids=()
prefixes=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  for prefix in "${prefixes[@]}"; do WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; done
  [ -d "$work/wine" ] && ./tools/wine-env down "$work/wine" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# Windows programs run under wine where it can; otherwise the engine's native i386 build runs.
engine=build/native/native/engine
prepare_host() { :; }  # name
run_host() { shift; "$engine/QEB.exe" "$@"; }
if ./tools/wine-env usable 2>/dev/null; then
  engine=build/windows/dist/engine
  ./tools/wine-env up "$work/wine" >/dev/null
  prefixes+=("$work/wine/run")
  # Each host has a prefix of its own: the engine's named blocks (the channel's statistics
  # block among them) are per machine, and two peers of one channel use the same names.
  prepare_host() {  # name
    ./tools/wine-env clone "$work/wine/template" "$work/wine/$1"
    prefixes+=("$work/wine/$1")
  }
  run_host() {  # name, arguments...
    local prefix="$work/wine/$1"; shift
    WINEPREFIX=$prefix WINE_TIMEOUT=$((seconds + 60)) ./tools/wine-run "$engine/QEB.exe" "$@"
  }
  echo "engine hosts run under wine"
else
  echo "engine hosts run natively: $(./tools/wine-env usable 2>&1 || true)"
fi

channel='{5A1E0C4E-2A2B-4C3D-9E8F-0000000DE300}'
echo "making the demo stream (test pattern and a tone, ${seconds} s)"
ffmpeg -v error -y -f lavfi -i testsrc=size=320x240:rate=25 -f lavfi -i sine=frequency=440:sample_rate=48000 \
  -t $((seconds + 30)) -c:v mpeg2video -b:v 600k -g 25 -c:a mp2 -b:a 128k -f mpegts -muxrate 1000k "$work/demo.ts"

json_field() { /usr/bin/python3 -c "import json,sys; print(json.loads(sys.stdin.readline())['$1'])"; }

/usr/bin/python3 tools/srcpeer.py --tcp 127.0.0.1:0 --udp 0 --guid "$channel" --header-type 259 \
  --payload "ts:$work/demo.ts" --range-file "$work/range.txt" --max-transfers 1 >"$work/source.out" &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/source.out" ] && [ -f "$work/range.txt" ] && break; sleep 0.2; done
src_tcp=$(json_field tcp <"$work/source.out"); src_udp=$(json_field udp <"$work/source.out")

/usr/bin/python3 tools/linksrv.py --udp 127.0.0.1:0 --range-file "$work/range.txt" >"$work/linksrv.out" &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/linksrv.out" ] && break; sleep 0.2; done
link_udp=$(json_field udp <"$work/linksrv.out")

start_peer() {  # name, extra arguments...
  local name=$1; shift
  prepare_host "$name"
  QUIB_LOG="$work/$name.log" QUIB_SHM_NS="demo_$name" KUZ_BIND_ADDR=127.0.0.1 \
    run_host "$name" --tcp 0 --udp 0 --no-stdin --seconds "$seconds" --status-ms 0 \
    --channel "$channel" --link "127.0.0.1:$link_udp" "$@" >"$work/$name.out" 2>"$work/$name.err" &
  pids+=($!)
}
stream_port() {  # name
  for _ in $(seq 100); do
    local line
    line=$(grep '"stream_port"' "$work/$1.out" 2>/dev/null | head -1 || true)
    if [ -n "$line" ]; then echo "$line" | json_field port; return; fi
    sleep 0.2
  done
  echo "no stream port from $1" >&2; cat "$work/$1.err" >&2; exit 1
}

hosts_started=$(date +%s)
start_peer first --source "127.0.0.1:$src_tcp:$src_udp"
first=$(stream_port first)
sleep 2
start_peer second
second=$(stream_port second)

echo
echo "channel $channel is playing:"
echo "  http://127.0.0.1:$first/   (the peer that gets the channel from the source)"
echo "  http://127.0.0.1:$second/   (the peer that gets it only through the first)"
echo
for port in "$first" "$second"; do
  echo "ffprobe http://127.0.0.1:$port/ :"
  for _ in $(seq 30); do
    if out=$(ffprobe -v error -f mpegts -show_entries stream=codec_type,codec_name -of csv=p=0 \
        "http://127.0.0.1:$port/" 2>/dev/null) && [ -n "$out" ]; then
      echo "$out" | grep -v '^$' | sort -u | sed 's/^/  /'; break
    fi
    sleep 1
  done
done
echo
echo "open either address in a media player (for example: ffplay http://127.0.0.1:$second/);"
echo "the demo stops by itself after ${seconds} s"

# A viewer plays the channel in the player: its channel database lists the second host's relayed
# stream, and the player control fetches it. On the user's own display when there is one.
if [ "$engine" = build/windows/dist/engine ]; then
  ./tools/wine-env clone "$work/wine/template" "$work/wine/viewer"
  prefixes+=("$work/wine/viewer")
  display=${DISPLAY:-$(cat "$work/wine/display")}
  shot=$PWD/build/windows/shots/demo_player.png
  left=$(( seconds - ($(date +%s) - hosts_started) - 15 ))
  [ "$left" -lt 0 ] && left=0
  export WINEPREFIX=$work/wine/viewer WINEARCH=win32 WINEDEBUG=-all DISPLAY=$display
  wineserver -p >/dev/null 2>&1 </dev/null
  LC_ALL=zh_CN.UTF-8 wine cmd /c exit >/dev/null 2>&1 </dev/null || true
  echo
  echo "playing the channel in the player on display $display:"
  /usr/bin/python3 tools/demo_player.py --url "http://127.0.0.1:$second/?name=本机演示" --name 本机演示 \
    --work "$work/viewer" --shot "$shot" --seconds "$left" || echo "the player did not play the channel" >&2
  unset WINEPREFIX
else
  echo "the player needs wine, which cannot run here: not shown in the player"
fi
wait "${pids[2]}" "${pids[3]}" 2>/dev/null || true
