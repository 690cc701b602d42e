#!/usr/bin/env bash
# PDF export of the 500-page benchmark document, three figures measured back to back in each
# round so that a busy machine slows them alike: tovin-pdf-bench's in-process figures (Tovin
# reading, laying out and writing the PDF, then the QTextDocument::print floor on the same
# text), then whole processes: `tovin --export-pdf` and LibreOffice's
# `soffice --headless --convert-to pdf` of the same file (in a profile of its own, so that an
# office already running elsewhere cannot take the conversion over). Prints each round and
# the medians with the two ratios the goals name: Tovin / floor (at most 1) and
# LibreOffice / Tovin (at least 10). The floor is also measured with its pages compressed at
# the faster zlib level Tovin's own export uses, beside the ratio, for what that level makes.
# Usage: bench/pdf-export.sh BUILD_DIR DOCS_DIR [RUNS]
set -euo pipefail
build=$1
docs=$2
runs=${3:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

wall_ms() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}

median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

field() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p" <<<"$2"; }

doc=$docs/bench-500.docx
echo "== $(basename "$doc"), $runs rounds of: in process Tovin and the floor, tovin --export-pdf, soffice"
ours=() layouts=() floors=() fasters=() processes=() offices=()
for round in $(seq "$runs"); do
    line=$("$build/bench/tovin-pdf-bench" "$doc" 1 | grep '^TOVIN_PDF_BENCH')
    ours+=("$(field tovin_ms "$line")")
    layouts+=("$(field layout_ms "$line")")
    floors+=("$(field floor_ms "$line")")
    fasters+=("$(field floor_fast_ms "$line")")
    pages=$(field pages "$line")
    processes+=("$(wall_ms "$build/Tovin/tovin" --export-pdf "$work/out.pdf" "$doc")")
    offices+=("$(wall_ms soffice "-env:UserInstallation=file://$work/lo-profile" --headless --convert-to pdf \
        --outdir "$work/lo" "$doc")")
    echo "round $round: tovin ${ours[-1]} ms (lay out ${layouts[-1]}), floor ${floors[-1]} ms;" \
        "tovin --export-pdf ${processes[-1]} ms, soffice ${offices[-1]} ms"
done
lo_pages=$(pdfinfo "$work/lo/bench-500.pdf" 2>/dev/null | awk '/^Pages:/ {print $2}')
tovin=$(median "${ours[@]}")
floor=$(median "${floors[@]}")
process=$(median "${processes[@]}")
office=$(median "${offices[@]}")
echo "median tovin read + lay out + PDF   ${tovin} ms  (lay out $(median "${layouts[@]}") ms; ${pages} pages)"
echo "median floor QTextDocument::print   ${floor} ms"
awk -v a="$tovin" -v b="$floor" 'BEGIN {printf "ratio tovin / floor                %8.2f  (goal at most 1)\n", a / b}'
faster=$(median "${fasters[@]}")
if [ -n "$faster" ]; then
    awk -v a="$tovin" -v b="$faster" 'BEGIN {printf "  floor at tovin'"'"'s zlib level      %5.0f ms  (ratio %.2f)\n", b, a / b}'
fi
echo "median tovin --export-pdf (process) ${process} ms"
echo "median soffice --convert-to pdf     ${office} ms  (${lo_pages:-?} pages)"
awk -v a="$office" -v b="$process" 'BEGIN {printf "LibreOffice / tovin                %8.2f  (goal at least 10)\n", a / b}'
