#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each for
# SECONDS (default 60), starting from its seeds in fuzz/corpus/<target>/.
# Prints each target's runs and runs per second. A crash, a sanitizer report
# or a broken check fails the script and leaves the input in
# build-fuzz/crashes/; replay it with build-fuzz/<target> <file>.
#
#   ./fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")"
. tools/deps.sh

seconds=${1:-60}
case "$seconds" in
    "" | *[!0-9]*) echo "usage: $0 [SECONDS]" >&2; exit 2 ;;
esac

ensure_packages "${BUILD_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
dir=build-fuzz
targets=(fuzz_answers fuzz_believed fuzz_receive)
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DORV_FUZZ=ON -DBUILD_TESTING=OFF "${ORV_CMAKE_ARGS[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)" --target "${targets[@]}"

# As in the sanitized test suite: stop at the first finding, Qt's own leaks
# suppressed.
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export QT_QPA_PLATFORM=offscreen

mkdir -p "$dir/crashes"
failed=()
for target in "${targets[@]}"; do
    # New inputs go to the build folder; the seeds in the tree stay as they are.
    work="$dir/corpus/$target"
    mkdir -p "$work"
    log="$dir/$target.log"
    status=0
    "$dir/$target" "$work" "fuzz/corpus/$target" -max_total_time="$seconds" -timeout=30 \
        -max_len=4096 -dict=fuzz/protocol.dict -print_final_stats=1 \
        -artifact_prefix="$dir/crashes/$target-" \
        >"$log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    cover=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -1 || true)
    echo "$target: ${runs:-?} runs in $seconds s, ${rate:-?} runs/s, ${cover:-no coverage line}"
    if [ "$status" -ne 0 ]; then
        echo "$target FAILED (status $status); the end of $log:" >&2
        tail -40 "$log" >&2
        failed+=("$target")
    fi
done
if [ ${#failed[@]} -ne 0 ]; then
    echo "fuzzing found faults in: ${failed[*]} (inputs in $dir/crashes/)" >&2
    exit 1
fi
