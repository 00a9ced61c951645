#!/bin/bash
# Offline Magic Rewrite of a real English article of about WORDS words, end to
# end through rewordix-cli, beside one bare Apertium pass (en -> es) of the
# same text. Prints the best and the median of RUNS runs of each, and checks
# that the result keeps the paragraphs and no marker.
#
# Usage: bench/magic-offline.sh [BUILD_DIR] [WORDS] [RUNS]
#   BUILD_DIR  build folder whose bin/rewordix-cli is used (default: build)
#   WORDS      words taken from the start of the GNU GPL 3 text (default: 1000)
#   RUNS       runs of each (default: 5)
set -euo pipefail

build=${1:-build}
words=${2:-1000}
runs=${3:-5}
cli=$build/bin/rewordix-cli
source_text=/usr/share/common-licenses/GPL-3
for tool in apertium python3; do
    command -v "$tool" >/dev/null || { echo "magic-offline: needs $tool" >&2; exit 1; }
done
[[ -x $cli ]] || { echo "magic-offline: build rewordix-cli first" >&2; exit 1; }
[[ -f $source_text ]] || { echo "magic-offline: $source_text is missing" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
article=$work/article.txt

# Whole paragraphs of the licence's prose until the word count is reached.
python3 - "$source_text" "$words" > "$article" <<'PY'
import re, sys
text = open(sys.argv[1], encoding="utf-8").read()
paragraphs = [" ".join(p.split()) for p in re.split(r"\n\s*\n", text) if p.strip()]
out, count = [], 0
for p in paragraphs:
    n = len(p.split())
    if count + n > int(sys.argv[2]) and out:
        break
    out.append(p)
    count += n
print("\n\n".join(out))
PY

# best and median of the wall times of a command, in seconds
measure() {
    python3 - "$runs" "$@" <<'PY'
import subprocess, sys, time
runs, command = int(sys.argv[1]), sys.argv[2:]
times = []
for _ in range(runs):
    start = time.perf_counter()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
    times.append(time.perf_counter() - start)
times.sort()
print(f"best {times[0]:.3f} s, median {times[len(times) // 2]:.3f} s")
PY
}

echo "article: $(wc -w < "$article") words, $(wc -m < "$article") characters, $(grep -c '^$' "$article") blank lines"
echo "apertium -u eng-spa, one pass:   $(measure sh -c "apertium -u eng-spa < '$article'")"
echo "rewordix-cli magic, end to end:  $(measure "$cli" magic "$article" -o "$work/out.txt")"

"$cli" magic "$article" -o "$work/out.txt"
python3 - "$article" "$work/out.txt" <<'PY'
import sys
before = open(sys.argv[1], encoding="utf-8").read()
after = open(sys.argv[2], encoding="utf-8").read()
print(f"result: {len(after.split())} words, paragraphs {after.count(chr(10) * 2) + 1} "
      f"(article {before.count(chr(10) * 2) + 1}), marker left: {'<<' in after or '>>' in after}")
PY
