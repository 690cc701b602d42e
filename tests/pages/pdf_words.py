#!/usr/bin/env python3
"""Checks that a PDF's pages say what the document says.

Usage: pdf_words.py TOVIN_CLI FILE.docx FILE.pdf

Each page's text (pdftotext -raw, the order the page was drawn in) must be the default
header's text, then the next stretch of the body's text, then the default footer's text,
as `tovin-cli text --changes` prints those stories (list labels included, tracked
insertions and deletions both shown, their markers left out, pictures left out). Text is compared by its
letters and digits only, so that spacing, line breaks and punctuation drawn as pictures
(note numbers) do not count; the order of every word does.
"""
import re
import unicodedata
import subprocess
import sys


def normal(text):
    text = re.sub(r"\{\+|\+\}|\[-|-\]", "", unicodedata.normalize("NFKC", text))
    return "".join(ch for ch in text if ch.isalnum())


def story(cli, docx, name):
    result = subprocess.run([cli, "text", "--changes", "--story", name, docx], capture_output=True, text=True)
    # A picture is drawn, not written.
    return normal(result.stdout.replace("[image]", "")) if result.returncode == 0 else ""


def page_texts(pdf):
    info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True, check=True).stdout
    pages = int(re.search(r"^Pages:\s+(\d+)", info, re.M).group(1))
    for page in range(1, pages + 1):
        out = subprocess.run(["pdftotext", "-raw", "-f", str(page), "-l", str(page), pdf, "-"],
                             capture_output=True, text=True, check=True).stdout
        # The hint on the chip of content edited in Word is the page's own.
        yield page, normal(re.sub(r"EDIT IN WORD", "", out, flags=re.I))


def main():
    cli, docx, pdf = sys.argv[1:4]
    body, header, footer = (story(cli, docx, s) for s in ("body", "header", "footer"))
    shown = []
    for page, text in page_texts(pdf):
        if not text.startswith(header):
            print(f"page {page}: no header {header[:40]!r}: {text[:80]!r}")
            return 1
        text = text[len(header):]
        if not text.endswith(footer):
            print(f"page {page}: no footer {footer[:40]!r}: {text[-80:]!r}")
            return 1
        shown.append(text[:len(text) - len(footer)] if footer else text)
    joined = "".join(shown)
    if joined != body:
        at = next((i for i, (a, b) in enumerate(zip(joined, body)) if a != b), min(len(joined), len(body)))
        print(f"body differs at {at}: pages {joined[at:at + 60]!r}, document {body[at:at + 60]!r}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
