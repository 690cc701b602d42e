#!/usr/bin/python3
"""The body text tovin-cli prints agrees with what python-docx, an independent reader,
reads from the same files.

python-docx's paragraph text joins the runs directly inside each body paragraph: it skips
runs inside insertions, deletions and hyperlinks, and anything that is not a run. So each
tovin paragraph is compared through the same lens: text spans outside any tracked change
or link, with line and page breaks shown as newlines. Usage: SCRIPT TOVIN_CLI CORPUS_DIR.
Prints "N passed, M failed".
"""
import glob
import json
import os
import subprocess
import sys

import docx


def tovin_paragraphs(cli, path):
    out = subprocess.run([cli, "text", path, "--json"], check=True, capture_output=True, text=True).stdout
    story = json.loads(out)[0]
    paragraphs = []
    for block in story["blocks"]:
        if block["type"] != "paragraph":
            continue
        text = ""
        for span in block["spans"]:
            if span["revision"] is not None or span["link"] is not None:
                continue
            kind = span["content"]["type"]
            if kind == "text":
                text += span["text"].replace("\u2028", "\n")
            elif kind == "pageBreak":
                text += "\n"
        paragraphs.append(text)
    return paragraphs


def main():
    cli, corpus = sys.argv[1], sys.argv[2]
    passed = failed = 0
    for path in sorted(glob.glob(os.path.join(corpus, "*.docx"))):
        name = os.path.basename(path)
        try:
            theirs = [p.text for p in docx.Document(path).paragraphs]
        except Exception as error:  # python-docx cannot read it (strict format): nothing to compare
            print(f"skip {name}: python-docx: {type(error).__name__}")
            continue
        ours = tovin_paragraphs(cli, path)
        problems = []
        if len(ours) != len(theirs):
            problems.append(f"{len(ours)} paragraphs, python-docx sees {len(theirs)}")
        for i, (a, b) in enumerate(zip(ours, theirs)):
            if a != b:
                problems.append(f"paragraph {i}: {a!r} != {b!r}")
        if problems:
            failed += 1
            print(f"FAIL {name}: " + "; ".join(problems[:3]))
        else:
            passed += 1
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
