#!/usr/bin/env bash
# Makes the large documents the benchmarks run on:
#
#     bench/make-docs.sh OUTDIR
#
# writes OUTDIR/bench-50.docx, bench-200.docx and bench-500.docx, about 50, 200 and 500
# pages of licence text in chapters and sections with headings, inline italic and bold,
# bulleted and numbered lists, tables and footnotes (bench/bench-text.py writes the
# Markdown, pandoc makes the .docx). A document that already exists is left alone, so
# repeated `make bench` runs cost nothing here. Nothing generated is committed.
#
# The word counts are tuned so that bench-500's word/document.xml is about 5.5 MB with
# about 390,000 tags, the size of a long report as a word processor writes it; at about
# 400 words a page (headings, lists, tables and footnotes take room) that is 500 pages.
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 OUTDIR" >&2
    exit 2
fi

out=$1
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out"

# pandoc stamps the ZIP entries and document properties with this time instead of now,
# so two machines that make the documents get the same bytes.
export SOURCE_DATE_EPOCH=1715677200

make_doc() {
    local pages=$1 words=$2
    local target="$out/bench-$pages.docx"
    if [ -s "$target" ]; then
        return
    fi
    echo "make-docs: writing $target ($words words)"
    local markdown
    markdown=$(mktemp "$out/.bench-$pages.XXXXXX")
    python3 "$here/bench-text.py" "$words" >"$markdown"
    # Written under a temporary name and renamed, so an interrupted run leaves no
    # half-written document for the next run to skip.
    pandoc --from markdown --to docx "$markdown" -o "$target.tmp"
    mv "$target.tmp" "$target"
    rm -f "$markdown"
}

make_doc 50 20000
make_doc 200 80000
make_doc 500 200000
