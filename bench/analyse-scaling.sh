#!/bin/bash
# Time and peak memory of rewordix-cli analyse as the article grows: each size
# with its seconds, peak resident set, the peak as a multiple of the article's
# size, and the growth exponent of the time from the smallest size on
# (1.0: linear).
#
# Usage: bench/analyse-scaling.sh [BUILD_DIR] [MB...]
#   BUILD_DIR  build folder whose bin/rewordix-cli and bin/SysFuns.dll are used
#              (default: build)
#   MB         article sizes in MiB (default: 1 4 16)
set -euo pipefail

build=${1:-build}
shift || true
sizes=("$@")
[[ ${#sizes[@]} -gt 0 ]] || sizes=(1 4 16)
cli=$build/bin/rewordix-cli
dictionary=$build/bin/SysFuns.dll
[[ -x $cli && -f $dictionary ]] || { echo "analyse-scaling: build rewordix-cli and the dictionary first" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

first_mb=""
first_s=""
for mb in "${sizes[@]}"; do
    article=$work/article-$mb.txt
    python3 "$(dirname "$0")/make-article.py" "$article" --mib "$mb"
    bytes=$(stat -c %s "$article")
    read -r seconds kib < <(/usr/bin/time -f '%e %M' "$cli" analyse "$article" --quiet \
        --dictionary "$dictionary" 2>&1 >/dev/null | tail -1)
    times=$(echo "$kib * 1024 / $bytes" | bc -l | xargs printf '%.1f')
    line="analyse ${mb} MiB: ${seconds} s, peak ${kib} KiB = ${times}x the article"
    if [[ -z $first_mb ]]; then
        first_mb=$mb
        first_s=$seconds
    else
        exponent=$(echo "l($seconds / $first_s) / l($mb / $first_mb)" | bc -l | xargs printf '%.2f')
        line+=", time exponent from ${first_mb} MiB: ${exponent}"
    fi
    echo "$line"
done
