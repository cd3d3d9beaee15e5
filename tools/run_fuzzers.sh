#!/bin/sh
# tools/run_fuzzers.sh -- builds every libFuzzer target in build-fuzz with clang and runs each in turn.
#
# usage: sh tools/run_fuzzers.sh [SECONDS]   (each target runs SECONDS, default 600)
#
# Each target's corpus lives in build-fuzz/corpus/NAME. It is seeded from the test data named
# by the glob patterns in tests/fuzz/NAME.seeds (one per line, relative to the test data
# folder); without such a file, from every test data file under 256 KiB. Crash, leak and
# timeout inputs land in build-fuzz/findings/NAME/. Inputs are kept to FUZZ_MAX_LEN bytes (default
# 32768) so that mutation stays fast. The script ends with status 1 when any
# target found something.
set -u
seconds=${1:-600}
root=$(cd "$(dirname "$0")/.." && pwd)
testdata=${OSTRELLE_TESTDATA_DIR:-$root/../shared/testdata}
build=$root/build-fuzz

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DOSTRELLE_FUZZ=ON -DOSTRELLE_TESTS=OFF \
    -DOSTRELLE_VIEWER=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
cmake --build "$build" -j1 || exit 1

seed() { # target corpus
    patterns=$root/tests/fuzz/$1.seeds
    if [ -f "$patterns" ]; then
        while read -r pattern; do
            [ -n "$pattern" ] || continue
            for f in $testdata/$pattern; do [ -f "$f" ] && cp "$f" "$2/"; done
        done < "$patterns"
    elif [ -d "$testdata" ]; then
        find "$testdata" -type f -size -256k -exec cp {} "$2/" \;
    fi
}

failed=0
for target in "$build"/tests/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus=$build/corpus/$name
    findings=$build/findings/$name
    mkdir -p "$corpus" "$findings"
    [ -n "$(ls -A "$corpus")" ] || seed "$name" "$corpus"
    echo "== $name: $seconds s"
    # Run inside the findings folder: whatever the target writes (logs, lookups) stays there.
    (cd "$findings" && nice -n 10 "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len="${FUZZ_MAX_LEN:-32768}" \
        -artifact_prefix="$findings/" -print_final_stats=1 "$corpus") || failed=1
done
exit $failed
