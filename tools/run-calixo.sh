#!/usr/bin/env bash
# Installs the dependencies, builds Calixo and starts it in a working folder
# that holds the shipped data files. Without a display it starts the calendar
# under Xvfb and saves a screenshot a few seconds after start.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target calixo
work=${CALIXO_WORKDIR:-$top/run}
mkdir -p "$work"
# Copy the shipped data files, never over the user's own.
for f in "$top"/data/runtime/*; do
  [ -e "$f" ] || continue
  [ -e "$work/$(basename "$f")" ] || cp "$f" "$work/"
done
cd "$work"
if [ -n "${DISPLAY:-}" ]; then
  echo "Starting Calixo in $work"
  exec env QT_QPA_PLATFORM=xcb "$top/build/bin/calixo"
fi
shot="$work/calixo-screenshot.png"
echo "No display: starting Calixo under Xvfb in $work"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  QT_QPA_PLATFORM=xcb "$1" & pid=$!
  sleep 4
  import -window root "$2"
  echo "Screenshot saved to $2"
  if [ -n "${CALIXO_KEEP_RUNNING:-}" ]; then wait $pid; else kill $pid; wait $pid 2>/dev/null || true; fi
' _ "$top/build/bin/calixo" "$shot"
