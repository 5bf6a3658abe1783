#!/usr/bin/env bash
# Re-runs the expressions of vbscript_oracle.tsv through the VBScript oracle (Wine) and prints
# every line whose recorded Wine answer (the answer, or the "wine:" field where VBScript differs)
# no longer matches. Needs Wine; never part of the test suite.
#   check-oracle-table.sh [ORACLE]   (default: ../shared/tools/vbs-oracle beside the checkout)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
oracle=${1:-$here/../../../../shared/tools/vbs-oracle}
table=$here/vbscript_oracle.tsv
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Expressions whose Wine answer is a syntax error stop a whole script: run those one by one.
grep -v '^#' "$table" | awk -F'\t' '{ w = $2; if ($3 ~ /^wine: /) { w = substr($3, 7); sub(/; .*/, "", w) }
    print $1 "\t" w }' > "$work/expected"
awk -F'\t' '$2 !~ /^ERR 1002 / { print $1 }' "$work/expected" > "$work/batch"
awk -F'\t' '$2 ~ /^ERR 1002 / { print $1 }' "$work/expected" > "$work/single"
"$oracle" < "$work/batch" > "$work/batch.out"
: > "$work/single.out"
while IFS= read -r e; do printf '%s\n' "$e" | "$oracle" >> "$work/single.out"; done < "$work/single"
paste -d'\t' <(cat "$work/batch" "$work/single") <(cat "$work/batch.out" "$work/single.out") \
    > "$work/got"
bad=$(awk -F'\t' 'NR == FNR { want[$1] = $2; next } want[$1] != $2 {
    print "expected " want[$1] ", got " $2 ": " $1 }' "$work/expected" "$work/got")
if [ -n "$bad" ]; then
    printf '%s\n' "$bad"
    exit 1
fi
echo "$(wc -l < "$work/expected") expressions agree with the oracle"
