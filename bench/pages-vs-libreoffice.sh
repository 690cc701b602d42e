#!/usr/bin/env bash
# Page counts of `tovin --export-pdf` beside LibreOffice's PDF export of the same files,
# and whether each PDF's text is the document's (tests/pages/pdf_words.py):
#
#     bench/pages-vs-libreoffice.sh BUILD_DIR FILE.docx...
#
# prints one row per file (tovin pages, LibreOffice pages, agreement, per-page word
# agreement, text check) and a summary: counts agree when they differ by at most 5%, or by
# one page for documents of fewer than 20 pages, and exactly ("same"); the per-page word
# agreement (bench/page_words.py) is the F1 of the words on page i of both PDFs, averaged
# over pages, and the documents below 0.9 are listed. LibreOffice's PDFs are kept in
# $LO_PDF_CACHE when it names a folder, so a second run converts nothing again. Needs
# soffice, pdfinfo and pdftotext; not part of ctest.
set -uo pipefail

if [ $# -lt 2 ]; then
    echo "usage: $0 BUILD_DIR FILE.docx..." >&2
    exit 2
fi
build=$1
shift
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

pages() { pdfinfo "$1" 2>/dev/null | awk '/^Pages:/ {print $2}'; }

lo=${LO_PDF_CACHE:-$work/lo}
mkdir -p "$lo"
total=0
agreeing=0
same=0
texts=0
f1sum=0
low=()
printf '%-45s %6s %6s %6s %6s %s\n' document tovin LO agree words text
for file in "$@"; do
    name=$(basename "$file" .docx)
    total=$((total + 1))
    ours=-
    if "$build/Tovin/tovin" --export-pdf "$work/$name.tovin.pdf" "$file" 2>"$work/err"; then
        ours=$(pages "$work/$name.tovin.pdf")
    fi
    [ -s "$lo/$name.pdf" ] || soffice --headless --convert-to pdf --outdir "$lo" "$file" >/dev/null 2>&1
    theirs=$(pages "$lo/$name.pdf")
    theirs=${theirs:--}
    agree=no
    if [[ $ours != - && $theirs != - ]]; then
        diff=$((ours > theirs ? ours - theirs : theirs - ours))
        if ((theirs < 20 && diff <= 1)) || ((diff * 100 <= theirs * 5)); then
            agree=yes
            agreeing=$((agreeing + 1))
        fi
    fi
    [[ $ours != - && $ours == "$theirs" ]] && same=$((same + 1))
    words=0.000
    if [[ $ours != - && $theirs != - ]]; then
        words=$(python3 "$here/bench/page_words.py" "$work/$name.tovin.pdf" "$lo/$name.pdf" 2>/dev/null || echo 0.000)
    fi
    f1sum=$(awk -v a="$f1sum" -v b="$words" 'BEGIN {print a + b}')
    awk -v w="$words" 'BEGIN {exit !(w < 0.9)}' && low+=("$name $words")
    text=no
    if [[ $ours != - ]] &&
        python3 "$here/tests/pages/pdf_words.py" "$build/cli/tovin-cli" "$file" "$work/$name.tovin.pdf" \
            >"$work/why" 2>&1; then
        text=yes
        texts=$((texts + 1))
    fi
    printf '%-45s %6s %6s %6s %6s %s\n' "$name" "$ours" "$theirs" "$agree" "$words" "$text $(head -c 100 "$work/why" 2>/dev/null)"
done
echo "page counts agree on $agreeing of $total, the same on $same of $total; text agrees on $texts of $total"
awk -v s="$f1sum" -v n="$total" 'BEGIN {printf "mean per-page word agreement %.3f\n", n ? s / n : 0}'
echo "below 0.9: ${#low[@]}"
for entry in "${low[@]}"; do echo "  $entry"; done
