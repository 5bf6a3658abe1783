#!/usr/bin/env bash
# Builds the program and opens the workstation on a working copy of the demo workspace
# (build/demo, made on the first run so that samples/demo stays clean).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/build.sh" --target mirel
work="$root/build/demo"
if [ ! -d "$work" ]; then
    cp -r "$root/samples/demo" "$work"
    # Git keeps no read-only bit: the protected files of the demo are listed beside it.
    if [ -f "$root/samples/demo-readonly.txt" ]; then
        while IFS= read -r f; do
            [ -n "$f" ] && [ -e "$work/$f" ] && chmod a-w "$work/$f"
        done < "$root/samples/demo-readonly.txt"
    fi
fi
exec "$root/build/bin/mirel" --workspace "$work" "$@"
