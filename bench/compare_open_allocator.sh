#!/usr/bin/env bash
# Open and Save of 50 MB and 1 GB with and without the editor's operator new,
# the two programs alternating so that other load on the machine hits both
# alike. Usage, from the build folder: ../bench/compare_open_allocator.sh [runs]
set -euo pipefail
runs="${1:-7}"
files="$(mktemp -d)"
trap 'rm -rf "$files"' EXIT
for ((i = 1; i <= runs; i++)); do
    for variant in bench_open_save bench_open_save_hugepages; do
        QT_QPA_PLATFORM=offscreen "bench/$variant" --sizes 50,1024 --rounds 1 --dir "$files" \
            2>/dev/null | awk -v v="$variant" -v i="$i" '/MB / { print i, v, $0 }'
    done
done
