#!/usr/bin/env bash
# Builds every libFuzzer target with clang and runs each for a bounded time
# over its committed corpus (new inputs go to a scratch folder, not the
# corpus). Every target runs, whatever the one before it found, and the
# script ends with one line per target. A crash leaves its input as a crash-*
# (or leak-*, timeout-*, oom-*) file in build-fuzz/; once the fault is fixed
# the input goes into the target's corpus, which the test command replays.
#   tools/fuzz.sh [seconds per target, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=build-fuzz
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCALIXO_BENCH=OFF \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DCALIXO_SANITIZE=ON >/dev/null

# Only the fuzz targets are built; the rest of the tree is the test command's.
targets=()
while read -r line; do
  case $line in
    *_fuzz) targets+=("${line##* }") ;;
  esac
done < <(cmake --build "$build" --target help)
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets (they need clang-14)" >&2
  exit 1
fi
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" >/dev/null

# The corpus of a target: a folder named corpus or <target without _fuzz>_corpus
# beside the CMakeLists.txt that defines the target. Empty when there is none.
corpus_of() {
  local name=$1 dir
  for dir in $(find . -path ./build\* -prune -o -type d \( -name corpus -o -name "${name%_fuzz}_corpus" \) \
                 -print | sort); do
    if grep -qs -- "$name" "$(dirname "$dir")/CMakeLists.txt"; then
      echo "${dir#./}"
      return 0
    fi
  done
}

status=0
results=()
for name in "${targets[@]}"; do
  bin="$build/bin/$name"
  corpus=$(corpus_of "$name")
  scratch="$build/fuzz-new/$name"
  mkdir -p "$scratch"
  log="$build/$name.log"
  echo "== $name for ${seconds}s over ${corpus:-no corpus}"
  rc=0
  (cd "$build" && "../$bin" -max_total_time="$seconds" -max_len=70000 "../$scratch" ${corpus:+"../$corpus"}) \
    >"$log" 2>&1 || rc=$?
  runs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$log")
  if [ "$rc" -eq 0 ]; then
    result="ok, ${runs:-?} runs"
  else
    status=1
    what=$(grep -m1 -E '^==[0-9]+==ERROR|^SUMMARY|deadly signal|ERROR: libFuzzer' "$log" || true)
    input=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log")
    result="FAILED (exit $rc): ${what:-see $log}${input:+; input $build/${input#./}}"
  fi
  echo "   $result"
  results+=("$name: $result")
done

echo "== results"
printf '   %s\n' "${results[@]}"
exit $status
