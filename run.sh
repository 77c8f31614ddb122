#!/usr/bin/env bash
# Sets up, builds and starts KeltControl.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
cmake --build build/release
# registers the bundled coil server for the current user (idempotent)
build/release/platform/com/kregsvr build/release/coilserver/libKeltCoilServer.so
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "No display found; to try it without one: xvfb-run -a ./run.sh" >&2
fi
exec build/release/app/KeltControl "$@"
