#!/usr/bin/env bash
# Builds every libFuzzer target with clang and runs each for a bounded time
# over its committed corpus (new inputs go to a scratch folder, not the
# corpus). Crashes are left as crash-* files in build-fuzz/ to be copied into
# the target's corpus as regressions once fixed.
#   tools/fuzz.sh [seconds per target, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=build-fuzz
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCALIXO_BENCH=OFF \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DCALIXO_SANITIZE=ON >/dev/null
status=0
cmake --build "$build" -j"$(nproc)" >/dev/null
for bin in "$build"/bin/*_fuzz; do
  name=$(basename "$bin")
  corpus=$(find . -path ./build\* -prune -o -type d \( -name corpus -o -name "${name%_fuzz}_corpus" \) -print |
           while read -r d; do grep -qs "${name}" "$(dirname "$d")/CMakeLists.txt" && echo "$d"; done | head -1)
  scratch="$build/fuzz-new/$name"
  mkdir -p "$scratch"
  echo "== $name for ${seconds}s over ${corpus:-no corpus}"
  (cd "$build" && "../$bin" -max_total_time="$seconds" -max_len=70000 "../$scratch" ${corpus:+"../$corpus"}) \
    > "$build/$name.log" 2>&1 || { echo "   FAILED, see $build/$name.log"; status=1; }
  tail -1 "$build/$name.log"
done
exit $status
