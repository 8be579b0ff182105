#!/usr/bin/env bash
# The one test command: installs what is missing, then
#   1. the release build with warnings as errors, and every test;
#   2. the address/undefined-behaviour sanitizer build, and every test again;
#   3. the package reader fuzzer, built with clang, for a bounded time from a fresh seed corpus;
#   4. the report definition fuzzer, the same way, for a shorter time.
# Any failing step fails the script.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)
jobs=$(nproc)
fuzz_seconds=${QUARVELLO_FUZZ_SECONDS:-60}
definition_fuzz_seconds=${QUARVELLO_DEFINITION_FUZZ_SECONDS:-30}

export QT_QPA_PLATFORM=offscreen

stage() {
    printf '\n======== %s ========\n\n' "$*"
}

# Ninja when it is there; a folder configured before keeps the generator it has.
configure() {
    local dir=$1
    shift
    local gen=()
    if [[ ! -f "$dir/CMakeCache.txt" ]] && command -v ninja >/dev/null; then
        gen=(-G Ninja)
    fi
    cmake -S "$root" -B "$dir" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
}

# Runs ctest in a build folder and adds its counts to the totals of the closing line.
passed=0
failed=0
run_ctest() {
    local dir=$1 log
    log="$dir/ctest.log"
    ctest --test-dir "$dir" --output-on-failure -j "$jobs" 2>&1 | tee "$log"
    local line
    line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
    if [[ -z "$line" ]]; then
        echo "test.sh: ctest in $dir ran no test" >&2
        exit 1
    fi
    local bad total
    bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
}

stage "Dependencies"
if [[ $(id -u) -eq 0 ]]; then
    bash scripts/install-deps.sh
else
    bash scripts/install-deps.sh || echo "test.sh: not root, going on with what is installed"
fi

stage "Build (RelWithDebInfo, warnings as errors)"
configure build -DQUARVELLO_WERROR=ON
cmake --build build -j "$jobs"

stage "Tests"
run_ctest build

stage "Sanitizer build (address, undefined behaviour)"
configure build-asan -DQUARVELLO_SANITIZE=ON -DQUARVELLO_BENCH=OFF
cmake --build build-asan -j "$jobs"

stage "Tests under the sanitizers"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 run_ctest build-asan

stage "Fuzzer build (clang, libFuzzer)"
CC=clang CXX=clang++ configure build-fuzz -DQUARVELLO_FUZZ=ON -DQUARVELLO_BENCH=OFF
cmake --build build-fuzz -j "$jobs" --target package_reader_fuzz make_seed_corpus definition_parser_fuzz

stage "Fuzzing the package reader for ${fuzz_seconds} s"
# The seeds are written anew each run; inputs the fuzzer kept from earlier runs stay beside them.
build-fuzz/fuzz/make_seed_corpus build-fuzz/corpus
rm -rf build-fuzz/artifacts
mkdir -p build-fuzz/artifacts
fuzz_rc=0
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    build-fuzz/fuzz/package_reader_fuzz \
    -max_total_time="$fuzz_seconds" -max_len=131072 -timeout=10 -rss_limit_mb=2048 \
    -dict=fuzz/package_reader.dict -artifact_prefix=build-fuzz/artifacts/ -print_final_stats=1 \
    build-fuzz/corpus >build-fuzz/fuzz.log 2>&1 || fuzz_rc=$?
if ((fuzz_rc != 0)); then
    # The report with its stack, without the progress lines before it.
    grep -v -E '^#[0-9]+' build-fuzz/fuzz.log | tail -n 120
    echo "test.sh: the fuzzer found a failing input (log: build-fuzz/fuzz.log):" >&2
    ls -1 build-fuzz/artifacts/ >&2
    exit "$fuzz_rc"
fi
grep -E '^(Done|stat::)' build-fuzz/fuzz.log || tail -n 20 build-fuzz/fuzz.log

stage "Fuzzing the report definition reader for ${definition_fuzz_seconds} s"
# Seeds: the sample definitions.
mkdir -p build-fuzz/definition-corpus
cp data/reports/*.TXT build-fuzz/definition-corpus/
fuzz_rc=0
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    build-fuzz/fuzz/definition_parser_fuzz \
    -max_total_time="$definition_fuzz_seconds" -max_len=16384 -timeout=10 -rss_limit_mb=2048 \
    -dict=fuzz/definition_parser.dict -artifact_prefix=build-fuzz/artifacts/ -print_final_stats=1 \
    build-fuzz/definition-corpus >build-fuzz/definition-fuzz.log 2>&1 || fuzz_rc=$?
if ((fuzz_rc != 0)); then
    grep -v -E '^#[0-9]+' build-fuzz/definition-fuzz.log | tail -n 120
    echo "test.sh: the fuzzer found a failing definition (log: build-fuzz/definition-fuzz.log):" >&2
    ls -1 build-fuzz/artifacts/ >&2
    exit "$fuzz_rc"
fi
grep -E '^(Done|stat::)' build-fuzz/definition-fuzz.log || tail -n 20 build-fuzz/definition-fuzz.log

stage "Summary"
echo "ctest in build/ and build-asan/, then ${fuzz_seconds} s and ${definition_fuzz_seconds} s of fuzzing without a finding"
echo "tests: ${passed} passed, ${failed} failed"
