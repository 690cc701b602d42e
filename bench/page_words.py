#!/usr/bin/env python3
"""Per-page word agreement of two PDFs of one document.

    page_words.py OURS.pdf THEIRS.pdf

prints the mean over pages of the multiset F1 of the words on page i of each PDF: pages
are paired by number, and a page only one of them has scores 0. Words are pdftotext's
text split at anything that is not a letter or digit, case folded, so that line breaks,
hyphenation points and the spacing between glyphs do not count.
"""
import collections
import re
import subprocess
import sys

WORD = re.compile(r"\w+", re.UNICODE)


def pages(pdf):
    text = subprocess.run(["pdftotext", "-enc", "UTF-8", pdf, "-"], capture_output=True, check=True).stdout
    out = text.decode("utf-8", "replace").split("\f")
    # pdftotext ends the last page with a form feed too.
    if out and not out[-1].strip():
        out.pop()
    return [collections.Counter(w.casefold() for w in WORD.findall(p)) for p in out]


def f1(a, b):
    if not a and not b:
        return 1.0
    common = sum((a & b).values())
    if common == 0:
        return 0.0
    precision = common / sum(a.values())
    recall = common / sum(b.values())
    return 2 * precision * recall / (precision + recall)


def main():
    ours, theirs = pages(sys.argv[1]), pages(sys.argv[2])
    count = max(len(ours), len(theirs), 1)
    scores = [f1(ours[i], theirs[i]) if i < len(ours) and i < len(theirs) else 0.0 for i in range(count)]
    print(f"{sum(scores) / count:.3f}")


if __name__ == "__main__":
    main()
