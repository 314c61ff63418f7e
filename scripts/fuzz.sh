#!/usr/bin/env bash
# Builds the fuzz preset (Clang, libFuzzer, ASan + UBSan) and runs every harness
# fuzz/<name>_fuzz.cpp for a fixed time over a copy of its seed corpus
# fuzz/corpus/<name>_fuzz/ and its regression inputs fuzz/regressions/<name>_fuzz/.
# A crash, sanitizer report, hang (10 s per input), leak, or allocation above
# 1 GiB fails the harness; the script exits non-zero when any harness failed.
#
# Usage: scripts/fuzz.sh [seconds-per-harness] [harness ...]
#   seconds-per-harness  default 20 (the CI stage); e.g. 1800 for a long run
#   harness              names such as basepack_tag_fuzz (default: all)
# Harnesses run one per core at a time (QMX_FUZZ_JOBS=n sets how many).
# Findings and logs: build/fuzz/fuzz-run/<harness>/ (see docs/FUZZING.md).
set -uo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-20}"
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: scripts/fuzz.sh [seconds-per-harness] [harness ...]" >&2
  exit 2
fi
shift $(($# > 0 ? 1 : 0))

scripts/setup.sh --fuzz || exit 1
cmake --preset fuzz >/dev/null || exit 1
cmake --build --preset fuzz || exit 1

bin_dir=build/fuzz/fuzz
run_dir=build/fuzz/fuzz-run
if (($# > 0)); then
  harnesses=("$@")
else
  harnesses=()
  for src in fuzz/*_fuzz.cpp; do
    harnesses+=("$(basename "$src" .cpp)")
  done
fi

# Sanitizer reports end the run (libFuzzer then saves the input); leaks are reported.
export ASAN_OPTIONS="detect_leaks=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"

# Runs one harness; writes its report lines to $run_dir/<name>.result, the first
# of which is PASS or FAIL.
run_one() {
  local name="$1"
  local bin="$bin_dir/$name" out="$run_dir/$name" log="$run_dir/$name.log" result="$run_dir/$name.result"
  rm -rf "$out"
  mkdir -p "$out/corpus"
  if [[ ! -x "$bin" ]]; then
    echo "FAIL $name: no executable $bin" >"$result"
    return
  fi
  local note=""
  if [[ -d "fuzz/corpus/$name" ]]; then
    cp -R "fuzz/corpus/$name/." "$out/corpus/"
  else
    note="     note: no seed corpus fuzz/corpus/$name/"
  fi
  local inputs=("$out/corpus")
  if [[ -d "fuzz/regressions/$name" ]]; then
    inputs+=("fuzz/regressions/$name")
  fi
  local options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -malloc_limit_mb=1024
                 -print_final_stats=1 -artifact_prefix="$out/")
  if [[ -f "fuzz/$name.dict" ]]; then
    options+=(-dict="fuzz/$name.dict")
  fi
  # The outer limit only catches a run that libFuzzer itself cannot stop.
  timeout -k 10 $((seconds + 120)) "$bin" "${options[@]}" "${inputs[@]}" >"$log" 2>&1 &
  local fuzzer=$!
  trap 'kill "$fuzzer" 2>/dev/null; exit 130' INT TERM
  wait "$fuzzer"
  local rc=$?
  local runs
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  {
    if ((rc == 0)); then
      echo "PASS $name: ${runs:-?} runs in ${seconds} s"
    else
      local finding
      finding=$(grep -m 1 -E '^==[0-9]+==ERROR|^SUMMARY:|runtime error:|check failed:|ALARM: working on the last Unit|out-of-memory|deadly signal' "$log")
      echo "FAIL $name (exit $rc): ${finding:-see the log}"
      for artifact in "$out"/crash-* "$out"/leak-* "$out"/timeout-* "$out"/oom-*; do
        [[ -e "$artifact" ]] && echo "     input: $artifact  (reproduce: $bin $artifact)"
      done
      echo "     log:   $log"
    fi
    [[ -n "$note" ]] && echo "$note"
  } >"$result"
}

# One harness per core at a time (QMX_FUZZ_JOBS overrides); each gets the full time.
jobs_max="${QMX_FUZZ_JOBS:-$(nproc)}"
mkdir -p "$run_dir"
trap 'kill $(jobs -rp) 2>/dev/null; wait; echo "fuzz: interrupted" >&2; exit 130' INT TERM
for name in "${harnesses[@]}"; do
  rm -f "$run_dir/$name.result"
  while (($(jobs -rp | wc -l) >= jobs_max)); do
    wait -n
  done
  run_one "$name" &
done
wait

passed=0
failed=0
for name in "${harnesses[@]}"; do
  if [[ -f "$run_dir/$name.result" ]]; then
    cat "$run_dir/$name.result"
  else
    echo "FAIL $name: no result"
  fi
  if [[ "$(head -c 4 "$run_dir/$name.result" 2>/dev/null)" == "PASS" ]]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
done

echo "fuzz: $passed passed, $failed failed"
((failed == 0))
