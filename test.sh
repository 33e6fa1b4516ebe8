#!/usr/bin/env bash
# Builds everything and runs every test:
#   format   every C and C++ source against .clang-format
#   linux    the Linux build, every test label but web (sdl tests get a virtual X display)
#   asan     the `unit` tests again with AddressSanitizer and UndefinedBehaviorSanitizer
#   tsan     the `unit` tests again with ThreadSanitizer (the sound tests run a real concurrent mixer)
#   windows  the MinGW-w64 cross-build, its test programs under wine64 (virtual X display)
#   web      the web build (Emscripten) on the Linux build's data, its pages in headless
#            Chromium and a few in Firefox ESR (the `web` tests of the Linux build)
#   fuzz     the fuzz build (clang), each fuzz target for 30 s, two at a time;
#            `./test.sh fuzz 600` runs each for 600 s
# Installs the Debian packages it needs on first use. Ends with "N passed, N failed, N skipped".
# `./test.sh linux asan` runs only the named stages.
set -uo pipefail
cd "$(dirname "$0")"
source cmake/setup.sh

stages=()
fuzz_seconds=30
for arg in "$@"; do
  if [[ "$arg" =~ ^[0-9]+$ ]]; then fuzz_seconds=$arg; else stages+=("$arg"); fi
done
[ ${#stages[@]} -gt 0 ] || stages=(format linux asan tsan windows web fuzz)

fenk_install_packages || exit 1
jobs=$(nproc)

passed=0
failed=0
skipped=0
declare -a report=()

# Each stage's ctest writes its results as JUnit XML (--output-junit), one <testcase>
# per test with its status: run, fail, disabled, or notrun with the reason in a
# <skipped> element. A test skipped on purpose (SKIP_RETURN_CODE, a skip message)
# counts as skipped, as does a disabled one; one that could not start (notrun for
# another reason) counts as failed, as ctest itself reports it. A ctest that ends
# without a complete file (a crash) counts as failed.
junit_dir=$(mktemp -d)
trap 'rm -rf "$junit_dir"' EXIT
junit_file() { echo "$junit_dir/$1.xml"; }

run_ctest() {
  local stage=$1; shift
  local junit; junit=$(junit_file "$stage")
  rm -f "$junit"
  "$@" 2>&1
  local rc=$?
  local p f s
  if [ -f "$junit" ] && grep -q '</testsuite>' "$junit"; then
    read -r p f s < <(awk '
      /<testcase / { status = ""; reason = ""
                     if (match($0, /status="[a-z]*"/)) status = substr($0, RSTART + 8, RLENGTH - 9) }
      /<skipped message=/ { reason = $0 }
      /<\/testcase>/ {
        if (status == "run") p++
        else if (status == "disabled") s++
        else if (status == "notrun" && reason ~ /message="SKIP_/) s++
        else f++
      }
      END { print p + 0, f + 0, s + 0 }' "$junit")
    # ctest failing with every listed test passed (no tests found, a test it lost)
    [ "$rc" -ne 0 ] && [ "$f" -eq 0 ] && f=1
  elif [ "$rc" -ne 0 ]; then
    p=0; f=1; s=0
  else
    p=0; f=0; s=0
  fi
  passed=$((passed + p)); failed=$((failed + f)); skipped=$((skipped + s))
  report+=("$stage: $p passed, $f failed, $s skipped")
}

build() {
  local preset=$1
  echo "== build $preset"
  if cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j "$jobs"; then
    return 0
  fi
  echo "== build $preset FAILED"
  failed=$((failed + 1))
  report+=("$preset: build failed")
  return 1
}

for stage in "${stages[@]}"; do
  case "$stage" in
    format)
      # The project's own sources: everything but the fuzz corpus and the fetched GLEW.
      mapfile -t sources < <(find engine show tools tests bench examples \
        -path tests/fuzz/corpus -prune -o -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) -print | sort)
      if clang-format --dry-run --Werror "${sources[@]}"; then
        passed=$((passed + 1)); report+=("format: ${#sources[@]} files formatted")
      else
        failed=$((failed + 1)); report+=("format: sources differ from .clang-format (clang-format -i FILE)")
      fi ;;
    linux)
      build linux && run_ctest linux xvfb-run -a -s "-screen 0 1920x1080x24 -br" \
        ctest --preset linux -LE '^web$' -j "$jobs" --output-junit "$(junit_file linux)" ;;
    asan)
      build asan && run_ctest asan ctest --preset asan -j "$jobs" --output-junit "$(junit_file asan)" ;;
    tsan)
      build tsan && run_ctest tsan ctest --preset tsan -j "$jobs" --output-junit "$(junit_file tsan)" ;;
    windows)
      cmake/fetch-glew.sh || { failed=$((failed + 1)); report+=("windows: no GLEW source"); continue; }
      # The Windows show runs on the Linux build's data, watched by its X window test.
      cmake --preset linux >/dev/null &&
        cmake --build --preset linux -j "$jobs" --target data show_window_test platform_xclose_test ||
        { failed=$((failed + 1)); report+=("windows: Linux data build failed"); continue; }
      # Wine, its server and its services all start inside the virtual display.
      build windows && run_ctest windows xvfb-run -a -s "-screen 0 1920x1080x24 -br" bash -c \
        'source cmake/setup.sh; fenk_wine_prefix; ctest --preset windows -j "$1" --output-junit "$2"; rc=$?; fenk_wine_stop; exit $rc' \
        _ "$jobs" "$(junit_file windows)" ;;
    web)
      # The site's .data packs the Linux build's data in the page's forms (webdata); the
      # capture gives the frames the page's are compared with.
      cmake --preset linux >/dev/null &&
        cmake --build --preset linux -j "$jobs" --target data webdata show_capture ||
        { failed=$((failed + 1)); report+=("web: Linux data build failed"); continue; }
      build web && run_ctest web ctest --preset linux -L '^web$' -j "$jobs" --output-junit "$(junit_file web)" ;;
    fuzz)
      # One "passed" per target that ran its time without a finding.
      if build fuzz; then
        log=$(mktemp)
        tests/fuzz/run.sh build/fuzz "$fuzz_seconds" | tee "$log"
        p=$(grep -c ': passed' "$log"); f=$(grep -c ': FAILED' "$log")
        rm -f "$log"
        [ $((p + f)) -gt 0 ] || f=1
        passed=$((passed + p)); failed=$((failed + f))
        report+=("fuzz: $p passed, $f failed, 0 skipped")
      fi ;;
    *) echo "unknown stage: $stage (format, linux, asan, tsan, windows, web, fuzz)"; exit 2 ;;
  esac
done

echo
echo "== summary"
for line in "${report[@]}"; do echo "  $line"; done
echo "$passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
