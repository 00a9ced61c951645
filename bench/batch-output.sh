#!/bin/bash
# Batch output of rewordix-cli beside the tools a user would compare it with:
# spin -n N --zip --txt against zip -8 packing the same N files, spin --out
# --txt against cp -r of them, and peak memory of spin at N and 10 N.
#
# Each pair runs ROUNDS times, interleaved so that a busy machine slows both
# alike, and the medians are compared. Besides the whole run, the time the
# output adds to the generation alone is compared with the anchor.
#
# Usage: bench/batch-output.sh [BUILD_DIR] [N] [WORDS]
#   BUILD_DIR  build folder whose bin/rewordix-cli and bin/SysFuns.dll are used
#              (default: build)
#   N          articles (default: 1000)
#   WORDS      words in the generated article (default: 1000)
# Set WORK to a folder on the disk to measure (default: a new folder in TMPDIR),
# ROUNDS to the runs of each command (default: 5), DEGREE to the replacement
# degree of the article's own resolve template (default: 1).
set -euo pipefail

build=${1:-build}
count=${2:-1000}
words=${3:-1000}
cli=$build/bin/rewordix-cli
dictionary=$build/bin/SysFuns.dll
for tool in zip unzip /usr/bin/time python3; do
    command -v "$tool" >/dev/null || { echo "batch-output: needs $tool" >&2; exit 1; }
done
[[ -x $cli && -f $dictionary ]] || { echo "batch-output: build rewordix-cli and the dictionary first" >&2; exit 1; }

if [[ -n ${WORK:-} ]]; then
    work=$WORK
    trap 'rm -rf "$work"/bench-*' EXIT
else
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
fi
article=$work/bench-article.txt
python3 "$(dirname "$0")/make-article.py" "$article" --words "$words"

seconds() { # command...: wall seconds of one run
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    echo "$end - $start" | bc -l | xargs printf '%.3f'
}
peak_kb() { # command...: peak resident set in KiB
    /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1
}
ratio() { echo "$1 / $2" | bc -l | xargs printf '%.2f'; }

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
rounds=${ROUNDS:-5}

spin=("$cli" spin "$article" -n "$count" --degree 3 --txt --seed 1 --quiet --dictionary "$dictionary")
"${spin[@]}" --zip "$work/bench-spin.zip"
mkdir -p "$work/bench-files"
unzip -q -o "$work/bench-spin.zip" -d "$work/bench-files"
declare -A runs
for ((round = 0; round < rounds; ++round)); do
    rm -f "$work/bench-spin.zip" "$work/bench-zip8.zip"
    rm -rf "$work/bench-out" "$work/bench-copy"
    sync
    runs[zip_spin]+="$(seconds "${spin[@]}" --zip "$work/bench-spin.zip") "
    sync
    runs[zip8]+="$(seconds bash -c "cd '$work/bench-files' && zip -8 -q -r '$work/bench-zip8.zip' .") "
    sync
    runs[out_spin]+="$(seconds "${spin[@]}" --out "$work/bench-out") "
    sync
    runs[cp]+="$(seconds cp -r "$work/bench-files" "$work/bench-copy") "
    runs[none]+="$(seconds "${spin[@]}") "
done
for key in "${!runs[@]}"; do
    read -r -a values <<<"${runs[$key]}"
    printf -v "t_$key" '%s' "$(printf '%s\n' "${values[@]}" | median)"
done

echo "article: $words words; $count articles; folder: $work; medians of $rounds rounds"
echo "generation alone (no output):  ${t_none} s"
echo "spin --zip --txt:              ${t_zip_spin} s   zip -8 of the files: ${t_zip8} s   ratio $(ratio "$t_zip_spin" "$t_zip8")"
echo "spin --out --txt:              ${t_out_spin} s   cp -r of the files:  ${t_cp} s   ratio $(ratio "$t_out_spin" "$t_cp")"
echo "  output beyond generation:    $(echo "$t_out_spin - $t_none" | bc -l | xargs printf '%.3f') s   ratio to cp -r $(ratio "$(echo "$t_out_spin - $t_none" | bc -l)" "$t_cp")"
echo "output sizes: $(du -sh "$work/bench-spin.zip" | cut -f1) archive, $(du -sh "$work/bench-files" | cut -f1) files"

m1=$(peak_kb "${spin[@]}")
m10=$(peak_kb "$cli" spin "$article" -n $((count * 10)) --degree 3 --txt --seed 1 --quiet --dictionary "$dictionary")
echo "peak memory, no output: N=$count ${m1} KiB, N=$((count * 10)) ${m10} KiB, ratio $(ratio "$m10" "$m1")"

# resolve, 10 N articles to nowhere: the article's own template as spintax, and
# a 1,000-word spintax with about 450 groups of 2-5 alternatives, as the field
# writes them.
"$cli" template "$article" --degree "${DEGREE:-1}" --dictionary "$dictionary" > "$work/bench-template.txt"
python3 - "$work/bench-spintax.txt" <<'PY'
import random, sys
vocab = ("quick fast rapid swift brisk big large huge vast great small little tiny minor house "
         "home dwelling car auto vehicle road street way path walk stroll go move travel make "
         "build create people persons folks children kids teachers tutors weather climate city "
         "town centre heart friends pals projects plans growth rise health wellness times "
         "periods change shift important key vital").split()
r = random.Random(2)
out = []
for words in range(1, 1001):
    if r.random() < 0.45:
        alternatives = [" ".join(r.choice(vocab) for _ in range(r.randint(1, 2)))
                        for _ in range(r.randint(2, 5))]
        out.append("{" + "|".join(alternatives) + "}")
    else:
        out.append(r.choice(vocab))
    if words % 15 == 0:
        out[-1] += ".\n"
open(sys.argv[1], "w").write(" ".join(out) + "\n")
PY
for spintax in "$work/bench-template.txt" "$work/bench-spintax.txt"; do
    groups=$(grep -o '{' "$spintax" | wc -l)
    empty=()
    full=()
    for ((round = 0; round < rounds; ++round)); do
        empty+=("$(seconds "$cli" resolve "$spintax" -n 1 --seed 1 --quiet)")
        full+=("$(seconds "$cli" resolve "$spintax" -n $((count * 10)) --seed 1 --quiet)")
    done
    t_empty=$(printf '%s\n' "${empty[@]}" | median)
    t_resolve=$(printf '%s\n' "${full[@]}" | median)
    echo "resolve of a $groups-group template: $(echo "($t_resolve - $t_empty) * 1000000 / ($count * 10)" | bc -l | xargs printf '%.1f') µs per article (start-up excluded)"
done
