#!/usr/bin/env bash
# Starts KeltControl on a virtual display with an accessibility bus and prints
# what a screen reader finds (needs python3-pyatspi and at-spi2-core).
set -euo pipefail
cd "$(dirname "$0")/.."
exe=${1:-build/release/app/KeltControl}
xvfb-run -a dbus-run-session -- bash -c '
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0
  /usr/libexec/at-spi-bus-launcher --launch-immediately &
  sleep 1
  "'"$exe"'" & app=$!
  /usr/bin/python3 scripts/accessibility-tree.py KeltControl; status=$?
  kill $app; exit $status'
