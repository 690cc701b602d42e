#!/usr/bin/env bash
# Headless PDF export as a user runs it: `tovin --export-pdf OUT FILE` without a display
# writes a PDF whose text is the document's (body, header and footer on every page, the
# list labels the pages show) and exits 0; a file it cannot read gives exit 1 and one line
# on stderr naming the file.
# Usage: run-export-tests.sh TOVIN TOVIN_CLI SOURCE_DIR CORPUS_DIR
set -u

tovin=$1
cli=$2
source_dir=$3
corpus_dir=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset DISPLAY WAYLAND_DISPLAY

passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAIL: $*"; }

export_ok() {
    local file=$1 pdf=$2
    "$tovin" --export-pdf "$pdf" "$file" 2>"$work/err"
    local status=$?
    if [[ $status -ne 0 || -s $work/err ]]; then
        fail "export $file: exit $status, stderr: $(cat "$work/err")"
        return 1
    fi
    if ! pdfinfo "$pdf" >"$work/info" 2>&1; then
        fail "export $file: pdfinfo: $(cat "$work/info")"
        return 1
    fi
    pass
}

for file in "$source_dir/samples/welcome.docx" "$corpus_dir"/pydocx-hdr-header-footer.docx \
            "$corpus_dir"/mammoth-tables.docx "$corpus_dir"/mammoth-simple-list.docx; do
    [[ -f $file ]] || continue
    name=$(basename "$file" .docx)
    export_ok "$file" "$work/$name.pdf" || continue
    # The words of the pages against the words of the stories, labels aside.
    if python3 "$source_dir/tests/pages/pdf_words.py" "$cli" "$file" "$work/$name.pdf"; then
        pass
    else
        fail "words of $name.pdf differ from the document's"
    fi
done

# The page has the document's size in points.
if export_ok "$corpus_dir/pydocx-hdr-header-footer.docx" "$work/size.pdf"; then
    size=$(grep '^Page size' "$work/info")
    if [[ $size == *"612 x 792 pts"* ]]; then pass; else fail "page size: $size"; fi
fi

# Failures: a missing file, a file that is no document, an output that cannot be written.
expect_failure() {
    local name=$1 pdf=$2 file=$3
    "$tovin" --export-pdf "$pdf" "$file" >"$work/out" 2>"$work/err"
    local status=$? lines
    lines=$(wc -l <"$work/err")
    if [[ $status -eq 1 && $lines -eq 1 && ! -e $work/never.pdf ]] && grep -qF "tovin: $name:" "$work/err"; then
        pass
    else
        fail "export $file to $pdf: exit $status, stderr: $(cat "$work/err")"
    fi
}
echo "not a zip" >"$work/broken.docx"
# A valid package whose word/document.xml is cut in half: not blank pages, but the engine's
# reason.
python3 - "$source_dir/samples/welcome.docx" "$work/halved.docx" <<'PY'
import sys, zipfile
source, target = sys.argv[1:3]
with zipfile.ZipFile(source) as original, zipfile.ZipFile(target, 'w', zipfile.ZIP_DEFLATED) as out:
    for info in original.infolist():
        data = original.read(info.filename)
        out.writestr(info, data[:len(data) // 2] if info.filename == 'word/document.xml' else data)
PY
expect_failure "$work/halved.docx" "$work/never.pdf" "$work/halved.docx"
grep -q "XML" "$work/err" && pass || fail "the damaged part's reason: $(cat "$work/err")"
rm -f "$work/never.pdf"
expect_failure "$work/missing.docx" "$work/never.pdf" "$work/missing.docx"
expect_failure "$work/broken.docx" "$work/never.pdf" "$work/broken.docx"
expect_failure "$work/no/such/dir/out.pdf" "$work/no/such/dir/out.pdf" "$source_dir/samples/welcome.docx"

# Usage errors are exit 2.
"$tovin" --export-pdf "$work/x.pdf" >/dev/null 2>&1
[[ $? -eq 2 ]] && pass || fail "--export-pdf without a document is not a usage error"

echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
