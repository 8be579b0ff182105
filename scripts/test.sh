#!/usr/bin/env bash
# The one test command: installs what is missing, then
#   1. the release build with warnings as errors, and every test;
#   2. the address/undefined-behaviour sanitizer build, and every test again;
#   3. the package reader, help file reader and report definition fuzzers, built with clang:
#      each replays the inputs that once broke it (fuzz/regressions/<reader>/), then runs a fixed
#      number of inputs from a fresh seed corpus and a fixed seed, so that one commit gets one
#      verdict; a time bound stops a run on a machine too slow for its count.
# Any failing step fails the script.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)
jobs=$(nproc)
fuzz_runs=${QUARVELLO_FUZZ_RUNS:-40000}
chm_fuzz_runs=${QUARVELLO_CHM_FUZZ_RUNS:-30000}
definition_fuzz_runs=${QUARVELLO_DEFINITION_FUZZ_RUNS:-60000}
fuzz_seconds=${QUARVELLO_FUZZ_SECONDS:-300}
chm_fuzz_seconds=${QUARVELLO_CHM_FUZZ_SECONDS:-120}
definition_fuzz_seconds=${QUARVELLO_DEFINITION_FUZZ_SECONDS:-120}
fuzz_seed=${QUARVELLO_FUZZ_SEED:-1}

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
cmake --build build-fuzz -j "$jobs" --target package_reader_fuzz make_seed_corpus chm_reader_fuzz help_file definition_parser_fuzz

# Replays the inputs kept in fuzz/regressions/<reader>/ (package_reader, ...), then runs the fuzzer on its corpus for
# a fixed number of inputs from a fixed seed; a failing input stops the script.
fuzz() {
    local name=$1 runs=$2 seconds=$3 corpus=$4
    shift 4
    local log="build-fuzz/$name.log" artifacts="build-fuzz/artifacts-$name/"
    local regressions="fuzz/regressions/${name%_fuzz}"
    rm -rf "$artifacts"
    mkdir -p "$artifacts"
    local kept=()
    if [[ -d "$regressions" ]]; then
        mapfile -t kept < <(find "$regressions" -type f | sort)
    fi
    local rc=0
    if ((${#kept[@]} > 0)); then
        echo "replaying ${#kept[@]} kept inputs from $regressions"
        ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
            "build-fuzz/fuzz/$name" -timeout=10 -rss_limit_mb=2048 "$@" "${kept[@]}" >"$log" 2>&1 || rc=$?
        if ((rc != 0)); then
            grep -v -E '^#[0-9]+' "$log" | tail -n 120
            echo "test.sh: $name fails on a kept input of $regressions (log: $log)" >&2
            exit "$rc"
        fi
        kept=("$regressions")
    fi
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "build-fuzz/fuzz/$name" -seed="$fuzz_seed" -runs="$runs" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -artifact_prefix="$artifacts" -print_final_stats=1 "$@" "$corpus" "${kept[@]}" \
        >"$log" 2>&1 || rc=$?
    if ((rc != 0)); then
        # The report with its stack, without the progress lines before it.
        grep -v -E '^#[0-9]+' "$log" | tail -n 120
        echo "test.sh: $name found a failing input (log: $log); keep it in $regressions/ once mended:" >&2
        ls -1 "$artifacts" >&2
        exit "$rc"
    fi
    grep -E '^(Done|stat::)' "$log" || tail -n 20 "$log"
}

stage "Fuzzing the package reader: ${fuzz_runs} inputs, seed ${fuzz_seed}"
# The seeds are written anew each run; inputs the fuzzer kept from earlier runs stay beside them.
build-fuzz/fuzz/make_seed_corpus build-fuzz/corpus
fuzz package_reader_fuzz "$fuzz_runs" "$fuzz_seconds" build-fuzz/corpus -max_len=131072 -dict=fuzz/package_reader.dict

stage "Fuzzing the help file reader: ${chm_fuzz_runs} inputs, seed ${fuzz_seed}"
mkdir -p build-fuzz/chm-corpus
cp build-fuzz/ORMK.CHM data/help/sommario.hhc data/help/indice.hhk build-fuzz/chm-corpus/
fuzz chm_reader_fuzz "$chm_fuzz_runs" "$chm_fuzz_seconds" build-fuzz/chm-corpus -max_len=32768 -dict=fuzz/chm_reader.dict

stage "Fuzzing the report definition reader: ${definition_fuzz_runs} inputs, seed ${fuzz_seed}"
# Seeds: the sample definitions.
mkdir -p build-fuzz/definition-corpus
cp data/reports/*.TXT build-fuzz/definition-corpus/
fuzz definition_parser_fuzz "$definition_fuzz_runs" "$definition_fuzz_seconds" build-fuzz/definition-corpus -max_len=16384 -dict=fuzz/definition_parser.dict

stage "Summary"
echo "ctest in build/ and build-asan/, then the kept inputs and ${fuzz_runs}, ${chm_fuzz_runs} and ${definition_fuzz_runs} fuzzed inputs (seed ${fuzz_seed}) without a finding"
echo "tests: ${passed} passed, ${failed} failed"
