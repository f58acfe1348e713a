# The sanitizer builds and their runtime settings, shared by scripts/sanitize, scripts/test and scripts/fuzz;
# sourced from the repository root. Debug builds with clang, so assertions are on.

asan_build_dir=${VIVERA_ASAN_BUILD_DIR:-build-asan}
tsan_build_dir=${VIVERA_TSAN_BUILD_DIR:-build-tsan}
build_jobs=$(nproc)
# -noreset: the virtual server otherwise resets whenever its last client leaves, and a test starting at that
# moment beside another one finds no display.
headless=(xvfb-run -a --server-args="-screen 0 1600x1200x24 -noreset")

# Every report fails the program that makes it; leaks are checked at exit. The suppression files list only
# noise from system libraries and the framework, each with its reason.
sanitizer_settings="$PWD/tests/sanitizers"
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:check_initialization_order=1:strict_init_order=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$sanitizer_settings/lsan.supp:print_suppressions=0"
export TSAN_OPTIONS="suppressions=$sanitizer_settings/tsan.supp:halt_on_error=0:second_deadlock_stack=1"

# Framework assertions only print. check_framework_assertions CTEST_BUILD_DIR fails when a test of the last
# ctest run there printed one that tests/sanitizers/assertions.supp does not accept for it, and names both.
check_framework_assertions() {
  awk '
    FNR == NR {
      if ($0 !~ /^[[:space:]]*(#|$)/) { accepted[$1] = (NF > 1 ? $2 : ".") }
      next
    }
    /^[0-9]+\/[0-9]+ Test: / { test = $3 }
    match($0, /JUCE Assertion failure in [^ ]+/) {
      where = substr($0, RSTART + 26, RLENGTH - 26)
      if (!(where in accepted && test ~ accepted[where]) && !seen[test " " where]++) {
        print "JUCE assertion in " test ": " where
        bad = 1
      }
    }
    END { exit bad }' "$sanitizer_settings/assertions.supp" "$1/Testing/Temporary/LastTest.log"
}

# configure_sanitized_build DIR SANITIZERS [CMAKE ARGUMENTS...]
configure_sanitized_build() {
  local dir=$1 sanitizers=$2
  shift 2
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DVIVERA_SANITIZE="$sanitizers" -DVIVERA_BUILD_BENCH=OFF "$@"
}

# The AddressSanitizer and UndefinedBehaviorSanitizer build serves the whole suite and the fuzzers.
configure_asan_build() {
  configure_sanitized_build "$asan_build_dir" address,undefined -DVIVERA_FUZZ=ON
}

# The whole suite, as scripts/test runs it, under AddressSanitizer (with LeakSanitizer) and UBSan.
sanitizer_suite() {
  configure_asan_build
  timed "ASan/UBSan build" cmake --build "$asan_build_dir" --parallel "$build_jobs"
  cd "$asan_build_dir"
  timed "ASan/UBSan suite" "${headless[@]}" ctest --output-on-failure --parallel "$build_jobs"
  check_framework_assertions .
}

# The editor-beside-audio test under ThreadSanitizer; only its target is built.
thread_sanitizer_test() {
  configure_sanitized_build "$tsan_build_dir" thread
  timed "TSan build (vivera_tsan_tests)" cmake --build "$tsan_build_dir" --parallel "$build_jobs" \
    --target vivera_tsan_tests
  cd "$tsan_build_dir"
  timed "TSan test" "${headless[@]}" ctest -L tsan --output-on-failure
  check_framework_assertions .
}

# Each fuzz target for a bounded time from the committed corpus.
fuzz_readers() {
  timed "Fuzzing" scripts/fuzz "${VIVERA_FUZZ_SECONDS:-60}"
}
