#!/usr/bin/env bash
# Runs the fuzz targets of a fuzz build for a number of seconds each, two at a time.
#   tests/fuzz/run.sh BUILD_DIR SECONDS [TARGET...]
# Each target starts from its seeds (tests/fuzz/corpus/<target>) and grows its working
# corpus in BUILD_DIR/fuzz-corpus/<target>; logs go to BUILD_DIR/fuzz-logs. A crash,
# leak, sanitizer report, hang or memory blow-up fails the target, and the input that
# did it is saved in BUILD_DIR/fuzz-findings/<target>/ and named on the way out.
# Prints one line per target: "<target>: passed ..." or "<target>: FAILED ...".
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?build folder}" && pwd)
seconds=${2:?seconds}
shift 2
targets=("$@")
[ ${#targets[@]} -gt 0 ] ||
  targets=(fuzz_tga fuzz_png fuzz_wav fuzz_ogg fuzz_font fuzz_cmdline fuzz_capture_options fuzz_mount)
parallel=${FENK_FUZZ_JOBS:-2}

mkdir -p "$build/fuzz-logs"
# The targets that read files write each input to a private folder first: on a disk
# that costs most of their time, in memory almost nothing.
shm=/dev/shm
[ -d "$shm" ] && [ -w "$shm" ] || shm="$build"
scratch=$(mktemp -d "$shm/fenk-fuzz.XXXXXX") || exit 1
trap 'rm -rf "$scratch"' EXIT

one() {
  local target=$1
  local corpus="$build/fuzz-corpus/$target" findings="$build/fuzz-findings/$target"
  local log="$build/fuzz-logs/$target.log"
  mkdir -p "$corpus" "$findings"
  # The targets print as the engine does: only the fuzzer's own lines are kept.
  # The outer timeout only catches a fuzzer that cannot stop itself.
  TMPDIR="$scratch" timeout -k 10 $((seconds + 120)) "$build/tests/fuzz/$target" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
    -error_exitcode=77 -timeout_exitcode=77 -close_fd_mask=1 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$corpus" "$here/corpus/$target" >"$log" 2>&1
  local rc=$?
  local execs cov
  execs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+).*/\1/p' "$log" | tail -n 1)
  cov=$(grep -aoE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+/[^ ]+' "$log" | tail -n 1)
  if [ "$rc" -eq 0 ]; then
    echo "$target: passed (${seconds} s, ${execs:-?} runs, ${cov:-no coverage line})"
  else
    local saved
    saved=$(sed -nE 's/.*(Test unit written to|written to) ([^ ]+).*/\2/p' "$log" | tail -n 1)
    [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ] && saved="(none: the fuzzer itself hung)"
    echo "$target: FAILED (exit $rc), saved input: ${saved:-none}, log: $log"
    grep -aE '^(==[0-9]+==ERROR|SUMMARY|.*runtime error|ALARM|==[0-9]+== ERROR)' "$log" | head -n 5 | sed 's/^/    /'
  fi
}

running=0
for target in "${targets[@]}"; do
  if [ ! -x "$build/tests/fuzz/$target" ]; then
    echo "$target: FAILED (not built)"
    continue
  fi
  one "$target" &
  running=$((running + 1))
  if [ "$running" -ge "$parallel" ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait
