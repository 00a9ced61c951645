#!/usr/bin/env python3
"""Writes a plain English test article of everyday words, the same one for the
same arguments: sentences of fifteen words, each on its own line.

Usage: make-article.py OUT --words N | --mib SIZE
"""
import argparse
import random

WORDS = ("the quick brown fox jumps over a lazy dog while children walked to school and "
         "their teachers looked after them carefully because the weather was getting worse "
         "every hour people wanted to go home early but trains were running late so many "
         "decided to stay in the city centre for dinner with friends who had been working "
         "together on important projects about climate science economic growth and public "
         "health during difficult times nobody expected such a big change in how we live").split()

parser = argparse.ArgumentParser()
parser.add_argument("out")
size = parser.add_mutually_exclusive_group(required=True)
size.add_argument("--words", type=int, help="this many words")
size.add_argument("--mib", type=float, help="at least this many MiB")
args = parser.parse_args()

max_words = args.words if args.words is not None else float("inf")
max_bytes = args.mib * (1 << 20) if args.mib is not None else float("inf")
r = random.Random(1)
out, length, i = [], 0, 0
while i < max_words and length < max_bytes:
    w = r.choice(WORDS)
    w = ".\n" + w.capitalize() if i and i % 15 == 0 else (w.capitalize() if i == 0 else w)
    out.append(w)
    length += len(w) + 1
    i += 1
with open(args.out, "w") as f:
    f.write(" ".join(out).replace(" .\n", ".\n") + ".\n")
