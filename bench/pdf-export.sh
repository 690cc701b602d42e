#!/usr/bin/env bash
# PDF export of the benchmark documents: tovin-pdf-bench's in-process figures (tovin
# against the QTextDocument::print floor), then whole processes: `tovin --export-pdf`
# beside LibreOffice's `soffice --headless --convert-to pdf` of the same file.
# Usage: bench/pdf-export.sh BUILD_DIR DOCS_DIR [RUNS]
set -euo pipefail
build=$1
docs=$2
runs=${3:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

source "$(dirname "$0")/timing.sh"

for doc in "$docs"/bench-500.docx; do
    echo "== $(basename "$doc")"
    "$build/bench/tovin-pdf-bench" "$doc" "$runs"
    tovin=$(median_ms "$build/Tovin/tovin" --export-pdf "$work/out.pdf" "$doc")
    lo=$(median_ms soffice --headless --convert-to pdf --outdir "$work/lo" "$doc")
    echo "tovin --export-pdf (process)  ${tovin} ms"
    echo "soffice --convert-to pdf      ${lo} ms"
    awk -v a="$lo" -v b="$tovin" 'BEGIN {printf "LibreOffice / tovin          %8.2f\n", a / b}'
done
