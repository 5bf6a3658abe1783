#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang in build-fuzz/ and runs each for a while:
#   scripts/fuzz.sh [SECONDS] [TARGET...]     (30 seconds each, every target by default)
# A target's seed corpus is made from fuzz/corpus/NAME and the demo files its "// Seeds:" line
# names; the corpus grows in build-fuzz/corpus/TARGET between runs. A crash, sanitizer report
# or hang leaves its input in build-fuzz/findings/TARGET/ and makes the script fail (it runs
# the other targets first): turn each into a regression test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds=30
if [ $# -gt 0 ] && [[ "$1" =~ ^[0-9]+$ ]]; then
    seconds="$1"
    shift
fi
"$root/scripts/deps.sh" --clang
build="$root/build-fuzz"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DMIREL_BUILD_FUZZ=ON -DMIREL_BUILD_TESTS=OFF -DMIREL_BUILD_BENCH=OFF >/dev/null
if [ $# -gt 0 ]; then
    cmake --build "$build" -j"$(nproc)" --target "$@"
else
    cmake --build "$build" -j"$(nproc)" --target fuzz_all
fi

export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
shopt -s nullglob
failed=()
for source in "$root"/fuzz/fuzz_*.cpp; do
    name="$(basename "$source" .cpp)"
    if [ $# -gt 0 ] && [[ " $* " != *" $name "* ]]; then
        continue
    fi
    corpus="$build/corpus/$name"
    findings="$build/findings/$name"
    mkdir -p "$corpus" "$findings"
    # Seeds checked in under fuzz/corpus/NAME (without "fuzz_"), and the demo files named by
    # the target's "// Seeds:" line.
    if [ -d "$root/fuzz/corpus/${name#fuzz_}" ]; then
        cp "$root/fuzz/corpus/${name#fuzz_}"/* "$corpus/" 2>/dev/null || true
    fi
    read -ra patterns <<<"$(sed -n 's|^// Seeds: ||p' "$source")"
    (
        cd "$root/samples/demo"
        for pattern in "${patterns[@]}"; do
            for file in $pattern; do # globbed here; names with blanks stay whole
                if [ -f "$file" ]; then
                    cp "$file" "$corpus/seed-$(printf '%s' "$file" | md5sum | cut -c1-16)"
                fi
            done
        done
    )
    options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=3072 -print_final_stats=1
             -artifact_prefix="$findings/")
    dict="$root/fuzz/${name#fuzz_}.dict"
    [ -f "$dict" ] && options+=(-dict="$dict")
    echo "== $name: $seconds s"
    if ! (cd "$build" && "$build/fuzz/$name" "${options[@]}" "$corpus" 2>"$build/$name.log"); then
        tail -40 "$build/$name.log"
        failed+=("$name")
    else
        grep -E 'stat::number_of_executed_units|cov:' "$build/$name.log" | tail -2 || true
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "findings in: ${failed[*]} (inputs under $build/findings/)"
    exit 1
fi
echo "no findings"
