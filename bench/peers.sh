#!/usr/bin/env bash
# Whole-process comparison with peers on the benchmark documents: tovin-cli replacing one
# word, python-docx opening, appending a word to one paragraph and saving, and LibreOffice
# (when installed) loading and saving. For each output it also counts how many ZIP entries
# came through byte-identical (same local record bytes) to the input.
# Usage: bench/peers.sh TOVIN_CLI DOCS_DIR [RUNS]
set -euo pipefail
cli=$1
docs=$2
runs=${3:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

source "$(dirname "$0")/timing.sh"

# "identical/total" entries whose local record (header, name, extra, data) is unchanged.
identical() {
  /usr/bin/python3 - "$1" "$2" <<'PY'
import sys, zipfile, struct
def records(path):
    data = open(path, "rb").read()
    out = {}
    with zipfile.ZipFile(path) as z:
        for info in z.infolist():
            o = info.header_offset
            n, e = struct.unpack("<HH", data[o + 26:o + 30])
            out[info.filename] = data[o:o + 30 + n + e + info.compress_size]
    return out
a, b = records(sys.argv[1]), records(sys.argv[2])
same = sum(1 for k in a if k in b and a[k] == b[k])
print(f"{same}/{len(a)}")
PY
}

python_save() {
  /usr/bin/python3 -c "import docx, sys; d = docx.Document(sys.argv[1]); d.paragraphs[0].add_run(' word'); d.save(sys.argv[2])" "$1" "$2"
}

printf '%-14s %12s %12s %12s   %s\n' document tovin-ms python-docx-ms libreoffice-ms "identical entries (tovin / python-docx / libreoffice)"
for pages in 50 200 500; do
  doc="$docs/bench-$pages.docx"
  [ -f "$doc" ] || { echo "missing $doc (run bench/make-docs.sh)"; exit 1; }
  # A word that occurs once, so tovin-cli makes one edit as python-docx does.
  word=$("$cli" text "$doc" | tr -cs 'A-Za-z' '\n' | sort | uniq -c | awk '$1 == 1 && length($2) > 6 {print $2; exit}' || true)
  tovin_ms=$(median_ms "$cli" replace "$doc" --find "$word" --with "${word}s" -o "$work/tovin.docx")
  python_ms=$(median_ms python_save "$doc" "$work/python.docx")
  lo_ms="n/a"; lo_same="n/a"
  if command -v soffice >/dev/null; then
    mkdir -p "$work/lo"
    lo_ms=$(median_ms soffice --headless --convert-to docx --outdir "$work/lo" "$doc")
    lo_same=$(identical "$doc" "$work/lo/bench-$pages.docx")
  fi
  printf '%-14s %12s %12s %12s   %s / %s / %s\n' "bench-$pages" "$tovin_ms" "$python_ms" "$lo_ms" \
    "$(identical "$doc" "$work/tovin.docx")" "$(identical "$doc" "$work/python.docx")" "$lo_same"
done
