#!/usr/bin/env python3
"""Writes the Markdown of one large benchmark document to standard output.

    bench-text.py WORDS

The prose is the licence texts under /usr/share/common-licenses, repeated and cut into
chapters and sections, with the things real long documents carry sprinkled in at a
steady rate: italic and bold phrases (so paragraphs hold several runs, as edited
documents do), footnotes, bulleted and numbered lists and small tables. Pandoc turns
the result into a .docx. A fixed random seed keeps every run identical, so benchmark
figures from different days are measured on the same bytes.
"""

import os
import random
import re
import sys

LICENCES = "/usr/share/common-licenses"

# Characters that would start Markdown constructs inside running text.
SPECIAL = re.compile(r"([\\`*_\[\]{}<>#|~^$@])")
# A paragraph that opens like a list item or a heading marker once its lines are joined.
LIST_START = re.compile(r"^(\(?[0-9a-zA-Z]{1,3})([.)])(\s|$)")

# How often a word starts an italic or bold phrase, which sets the runs per paragraph.
EMPHASIS_RATE = 0.08
WORDS_PER_SECTION = 900
SECTIONS_PER_CHAPTER = 6


def read_paragraphs():
    paragraphs = []
    for name in sorted(os.listdir(LICENCES)):
        path = os.path.join(LICENCES, name)
        # GPL, LGPL and GFDL are links to the newest version; read each text once.
        if os.path.islink(path) or not os.path.isfile(path):
            continue
        with open(path, encoding="utf-8", errors="replace") as f:
            blocks = re.split(r"\n\s*\n", f.read())
        for block in blocks:
            words = block.split()
            if len(words) >= 8:
                paragraphs.append(words)
    return paragraphs


def escape(text):
    return SPECIAL.sub(r"\\\1", text)


def block_start(text):
    """Keeps a paragraph from being read as a list item once it starts a line."""
    text = LIST_START.sub(r"\1\\\2\3", text)
    if text[:1] in "-+(":
        text = "\\" + text
    return text


def styled_paragraph(words, rng):
    """Joins words, wrapping a few short phrases in italic or bold."""
    out = []
    i = 0
    while i < len(words):
        if rng.random() < EMPHASIS_RATE and i + 3 < len(words):
            length = rng.randint(1, 3)
            phrase = escape(" ".join(words[i:i + length]))
            # Emphasis may not end in a backslash or start/end with a space.
            if not phrase.endswith("\\"):
                marker = "*" if rng.random() < 0.6 else "**"
                out.append(f"{marker}{phrase}{marker}")
                i += length
                continue
        out.append(escape(words[i]))
        i += 1
    return block_start(" ".join(out))


def sentence(words, rng, low=6, high=14):
    start = rng.randrange(max(1, len(words) - low))
    piece = " ".join(words[start:start + rng.randint(low, high)]).rstrip(",;:.")
    return block_start(escape(piece[:1].upper() + piece[1:])) + "."


def table(rng, number):
    columns = ["Clause", "Topic", "Applies to", "Revision"]
    topics = ["Definitions", "Conveying", "Patents", "Warranty", "Liability", "Termination",
              "Source code", "Notices", "Distribution", "Modification"]
    targets = ["Licensees", "Contributors", "Recipients", "Everyone", "Distributors"]
    rows = [f"| {' | '.join(columns)} |", "|---|---|---|---|"]
    for r in range(rng.randint(4, 7)):
        rows.append(f"| {number}.{r + 1} | {rng.choice(topics)} | {rng.choice(targets)} | "
                    f"{rng.randint(1, 3)}.{rng.randint(0, 9)} |")
    return "\n".join(rows) + f"\n\n: Table {number}. Clauses by topic.\n"


def main():
    target = int(sys.argv[1])
    rng = random.Random(20240514)
    paragraphs = read_paragraphs()
    out = []
    notes = []
    written = 0
    index = 0
    section = 0
    while written < target:
        if section % SECTIONS_PER_CHAPTER == 0:
            out.append(f"# Chapter {section // SECTIONS_PER_CHAPTER + 1}\n")
        section += 1
        title = " ".join(paragraphs[index % len(paragraphs)][:rng.randint(3, 6)]).rstrip(",;:.")
        out.append(f"## {section}. {escape(title)}\n")
        section_words = 0
        block = 0
        while section_words < WORDS_PER_SECTION:
            words = paragraphs[index % len(paragraphs)]
            index += 1
            text = styled_paragraph(words, rng)
            block += 1
            if block % 3 == 0:
                note = len(notes) + 1
                text += f"[^{note}]"
                notes.append(f"[^{note}]: {sentence(words, rng, 8, 20)}\n")
            out.append(text + "\n")
            section_words += len(words)
            if block == 3 and section % 2 == 1:
                out.append(f"### {section}.1 {sentence(words, rng, 2, 5).rstrip('.')}\n")
            if block == 2:
                items = rng.randint(3, 6)
                out.append("".join(f"- {sentence(words, rng)}\n" for _ in range(items)))
            if block == 4 and section % 2 == 0:
                items = rng.randint(3, 5)
                out.append("".join(f"{n + 1}. {sentence(words, rng)}\n" for n in range(items)))
            if block == 5 and section % 3 == 0:
                out.append(table(rng, section))
        written += section_words
    sys.stdout.write("\n".join(out) + "\n" + "\n".join(notes))


if __name__ == "__main__":
    main()
