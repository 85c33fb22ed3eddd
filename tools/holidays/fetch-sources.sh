#!/usr/bin/env bash
# Installs the npm packages that carry China's holiday schedule into a scratch
# folder (default: tools/holidays/sources, which git ignores) for holidays.py.
# Only the generator reads them; the program and its build never do.
# Versions are pinned so that a run today and a run next year compare the same
# data; raise them on purpose, then run holidays.py write and read the diff.
set -euo pipefail
dir="${1:-$(cd "$(dirname "$0")" && pwd)/sources}"
mkdir -p "$dir"
cd "$dir"
[ -f package.json ] || echo '{"name":"calixo-holiday-sources","private":true}' > package.json
npm install --no-audit --no-fund --ignore-scripts --save-exact \
  chinese-days@1.5.7 holiday-calendar@1.3.3 chinese-workday@1.16.1 chinese-holidays@1.2.1
