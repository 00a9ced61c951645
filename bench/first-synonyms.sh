#!/bin/bash
# Samples common English content words and prints, for each, the part of
# speech of its main dictionary row and that row's first three synonyms, so
# that a reader can judge how often the first synonym is a plain word of the
# same meaning.
#
# Usage: bench/first-synonyms.sh [BUILD_DIR] [COUNT] [SEED]
#   BUILD_DIR  build folder whose bin/rewordix-cli and bin/SysFuns.dll are read
#              (default: build)
#   COUNT      words to print (default: 100)
#   SEED       any text; the same seed picks the same words (default: 1)
#
# Candidates: the words of SCOWL's two most common levels (english-words.10
# and .20), lower case, without the builder's function words; those without a
# dictionary row are passed over. CANDIDATES=FILE reads them from FILE instead
# (one word per line, e.g. the output of bench/common-words.py).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
count=${2:-100}
seed=${3:-1}
cli=$build/bin/rewordix-cli
scowl=${SCOWL_DIR:-/usr/share/dict/scowl}

if ! command -v openssl >/dev/null; then
    echo "first-synonyms: needs openssl for a repeatable shuffle" >&2
    exit 1
fi
if [[ ! -x $cli ]]; then
    echo "first-synonyms: no $cli (build rewordix-cli and the dictionary first)" >&2
    exit 1
fi
for level in 10 20; do
    if [[ ! -r $scowl/english-words.$level ]]; then
        echo "first-synonyms: cannot read $scowl/english-words.$level (install scowl)" >&2
        exit 1
    fi
done

functionWords=$(sed -e 's/#.*//' -e 's/[[:space:]]//g' -e '/^$/d' \
    "$here/data/dictionary/function-words.txt")
if [[ -n ${CANDIDATES:-} ]]; then
    candidates=$(grep -vxF -e "$functionWords" "$CANDIDATES")
else
    candidates=$(cat "$scowl/english-words.10" "$scowl/english-words.20" |
        grep -E '^[a-z]+$' | sort -u | grep -vxF -e "$functionWords")
fi

printf '%-14s %-10s %s\n' word type "first synonyms"
printed=0
tried=0
# A seeded stream of bytes as the random source makes the shuffle repeatable
# (the recipe of the coreutils manual).
seededBytes() {
    openssl enc -aes-256-ctr -pass pass:"$seed" -nosalt -pbkdf2 </dev/zero 2>/dev/null
}
while read -r word; do
    ((printed < count)) || break
    tried=$((tried + 1))
    list=$("$cli" synonyms "$word")
    [[ -n $list ]] || continue
    type=${list#<}
    type=${type%%>*}
    first=${list#<*>}
    first=${first%%<*}
    first=$(cut -d, -f1-3 <<<"$first")
    printf '%-14s %-10s %s\n' "$word" "$type" "${first//,/, }"
    printed=$((printed + 1))
done < <(shuf --random-source=<(seededBytes) <<<"$candidates")
echo "# $printed words with rows among $tried tried; $(wc -l <<<"$candidates") candidates"
