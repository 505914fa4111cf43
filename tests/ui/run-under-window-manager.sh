#!/usr/bin/env bash
# Runs one test program (with its arguments) on a private X server with a window manager:
# window frames and keyboard focus only exist on such a desktop, not on the offscreen
# platform the other tests use. Exits 77 (skipped) when Xvfb or openbox is missing.
set -euo pipefail
if ! command -v Xvfb >/dev/null || ! command -v openbox >/dev/null; then
  echo "needs Xvfb and openbox (scripts/install-deps installs them)"
  exit 77
fi

work=$(mktemp -d)
xvfb=""
wm=""
cleanup() {
  [ -n "$wm" ] && kill "$wm" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display number and writes it once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

# openbox runs its start-up command once it manages the screen.
openbox --sm-disable --startup "touch $work/managed" 2>"$work/openbox.log" &
wm=$!
for _ in $(seq 100); do [ -e "$work/managed" ] && break; sleep 0.1; done
[ -e "$work/managed" ] || { echo "openbox did not start"; cat "$work/openbox.log"; exit 1; }

QT_QPA_PLATFORM=xcb "$@"
