#!/usr/bin/env python3
"""Checks that a PDF's pages say what the document says.

Usage: pdf_words.py TOVIN_CLI FILE.docx FILE.pdf

The body's words, as `tovin-cli text --changes` prints that story (list labels included,
tracked insertions and deletions both shown, their markers left out, pictures and note
reference numbers left out), must all be on the pages, in their order, page after page
(pdftotext -raw, the order each page was drawn in). What else a page shows, its header and
footer (which differ from section to section and from page to page, with page numbers),
its footnotes and the note numbers, comes between them; a note number may end the word
it is raised after. Words are runs of letters and
digits, so that spacing, line breaks and punctuation do not count.
"""
import re
import unicodedata
import subprocess
import sys


def words(text):
    text = re.sub(r"\{\+|\+\}|\[-|-\]", "", unicodedata.normalize("NFKC", text))
    return re.findall(r"[^\W_]+", text)


def story(cli, docx, name):
    result = subprocess.run([cli, "text", "--changes", "--story", name, docx], capture_output=True, text=True)
    if result.returncode != 0:
        return []
    # A picture is drawn, not written; notes are numbered on the pages in reference order.
    return words(re.sub(r"\[\d+\]", " ", result.stdout.replace("[image]", " ")))


def page_texts(pdf):
    info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True, check=True).stdout
    pages = int(re.search(r"^Pages:\s+(\d+)", info, re.M).group(1))
    for page in range(1, pages + 1):
        out = subprocess.run(["pdftotext", "-raw", "-f", str(page), "-l", str(page), pdf, "-"],
                             capture_output=True, text=True, check=True).stdout
        yield page, words(out)


def follows(shown, word):
    """Whether a page's word is the body's: itself, or with a raised note number after it,
    which a PDF reader reads as part of the word."""
    return shown == word or (shown.startswith(word) and NOTE_NUMBER.fullmatch(shown[len(word):]) is not None)


NOTE_NUMBER = re.compile(r"\d+|[ivxlcdm]+")


def main():
    cli, docx, pdf = sys.argv[1:4]
    body = story(cli, docx, "body")
    found = 0
    for _, shown in page_texts(pdf):
        for word in shown:
            if found < len(body) and follows(word, body[found]):
                found += 1
    if found < len(body):
        print(f"body word {found} not found in order: {' '.join(body[found:found + 8])!r}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
