#!/usr/bin/env bash
# Start-up of Calixo beside a bare frameless Qt window, side by side in one
# run: each is started in turn on a private Xvfb display, and the times from
# exec to its window being mapped and to its first paint are taken
# (bench/startup_probe.cpp).
#
#   bench/startup-compare.sh BUILD_DIR [RUNS]
#
# A second run sets Calixo beside the same window showing one line of Chinese
# text (text_window): what any window pays for its first text, apart from what
# Calixo does.
#
# BUILD_DIR is a build with the targets calixo, bare_window, text_window and
# startup_probe (a Release build for real figures). Calixo starts in a fresh
# data folder holding the shipped files, as on a first start. Both run on a
# session bus of their own, as in a desktop session: without one, the first
# use of the bus (the accessibility bridge, in both programs) would start a
# bus of its own each time, a cost no desktop pays.
set -euo pipefail
build=$(cd "${1:?usage: startup-compare.sh BUILD_DIR [RUNS]}" && pwd)
runs=${2:-20}
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$here"/data/runtime/* "$work"/
display=:$((200 + RANDOM % 500))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do
  xdpyinfo -display "$display" >/dev/null 2>&1 && break
  sleep 0.05
done
export DISPLAY=$display QT_QPA_PLATFORM=xcb
bus=()
[ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] || bus=(dbus-run-session --)
for yardstick in bare_window text_window; do
  "${bus[@]}" "$build/bin/startup_probe" "$runs" "$work" "$build/bin/$yardstick" "$build/bin/calixo"
done
