#!/usr/bin/env bash
# Installs the dependencies, builds Calixo, installs it for this user (in
# ~/.local, or $CALIXO_PREFIX) and starts it; with --agenda FROM TO it prints
# that agenda of the data folder instead. Without a display it starts the
# calendar under Xvfb and saves a screenshot a few seconds after start.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
# Only what is installed: the program (with its two libraries) and dbfdump.
cmake --build build -j"$(nproc)" --target calixo dbfdump
# Install for this user (the launcher, the program, its libraries, the data
# files, the menu entry) and start the installed calendar through its
# launcher, which works in the user's own data folder.
prefix=${CALIXO_PREFIX:-$HOME/.local}
cmake --install build --prefix "$prefix" >/dev/null
launcher="$prefix/bin/calixo"
work=$("$launcher" --where)
# run-calixo.sh --agenda FROM TO: the agenda of the user's data folder.
if [ "${1:-}" = --agenda ]; then
  exec "$launcher" "$@"
fi
if [ -n "${DISPLAY:-}" ]; then
  echo "Starting Calixo (installed in $prefix, data in $work)"
  exec "$launcher"
fi
# The launcher makes the data folder (with its first settings) itself.
shot="$work/calixo-screenshot.png"
echo "No display: starting Calixo under Xvfb (installed in $prefix, data in $work)"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$1" & pid=$!
  sleep 4
  mkdir -p "$(dirname "$2")"
  import -window root "$2"
  echo "Screenshot saved to $2"
  if [ -n "${CALIXO_KEEP_RUNNING:-}" ]; then wait $pid; else kill $pid; wait $pid 2>/dev/null || true; fi
' _ "$launcher" "$shot"
