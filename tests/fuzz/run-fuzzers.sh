#!/bin/sh
# Builds the libFuzzer programs with clang and runs each one for a while on a scratch
# copy of its seed corpus, so the corpus in the repository only grows by hand.
#
#   tests/fuzz/run-fuzzers.sh [build folder] [seconds per target] [target...]
#
# Defaults: /tmp/brindle-fuzz, 60 seconds, every target. Targets run one after another;
# findings (crash-*, leak-*, timeout-*) land in <build folder>/findings/<target>/.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
build=${1:-/tmp/brindle-fuzz}
seconds=${2:-60}
if [ $# -gt 2 ]; then shift 2; targets=$*; else targets="wine_registry_file xml_reader backup_reader ignore_list skin_ini shortcut_reader shortcut_backup"; fi

cmake -S "$source_dir" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
    -DBRINDLE_BUILD_FUZZERS=ON -DBRINDLE_BUILD_TESTS=OFF
for target in $targets; do
    cmake --build "$build" --target "brindle_fuzz_$target"
done

status=0
for target in $targets; do
    corpus="$build/corpus/$target"
    findings="$build/findings/$target"
    rm -rf "$corpus"
    mkdir -p "$corpus" "$findings"
    cp "$here/corpus/$target"/* "$corpus"/
    if [ -d "$here/regressions/$target" ]; then cp "$here/regressions/$target"/* "$corpus"/; fi
    echo "== $target for $seconds s"
    "$build/tests/fuzz/brindle_fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" || status=1
done
exit $status
