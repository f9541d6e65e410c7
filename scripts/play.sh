#!/usr/bin/env bash
# Builds the client and starts it. With the demo world present, the demo
# world (a local scripted game server) is started too and the client is
# pointed at it; otherwise the client connects to the configured game host.
set -euo pipefail
cd "$(dirname "$0")/.."
export CCACHE_DIR=${CCACHE_DIR:-$PWD/.ccache}
cmake -S . -B build-play -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSEL_TESTS=OFF -DTESSEL_BENCH=OFF >/dev/null
cmake --build build-play -j "$(nproc)" --target tessel

demo=tests/e2e/demo_world.py
if [ -f "$demo" ]; then
  port_file=$(mktemp)
  python3 "$demo" --port-file "$port_file" --key-dir "$HOME/.Karthem/demo_world" &
  server=$!
  # The demo sound pack, served over HTTP: the client's updater fetches it
  # into ~/.Karthem/soundpack a few seconds after start-up.
  sounds=build-play/demo-sounds
  if [ -x scripts/make-demo-sounds.sh ] && [ ! "$sounds/.made" -nt scripts/make-demo-sounds.sh ]; then
    rm -rf "$sounds"
    if scripts/make-demo-sounds.sh "$sounds"; then touch "$sounds/.made"; else echo "play.sh: no demo sounds made" >&2; fi
  fi
  mkdir -p "$sounds"
  pack_port_file=$(mktemp)
  python3 tests/e2e/soundpack_server.py --dir "$sounds" --port-file "$pack_port_file" &
  pack=$!
  trap 'kill $server $pack 2>/dev/null || true; rm -f "$port_file" "$pack_port_file"' EXIT
  for _ in $(seq 100); do [ -s "$port_file" ] && [ -s "$pack_port_file" ] && break; sleep 0.1; done
  ./build-play/tessel --host 127.0.0.1 --port "$(cat "$port_file")" \
    --soundpack-host "127.0.0.1:$(cat "$pack_port_file")" "$@"
else
  exec ./build-play/tessel "$@"
fi
