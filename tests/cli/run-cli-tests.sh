#!/usr/bin/env bash
# Drives tovin-cli as a user would and checks its output, stderr and exit codes.
# Usage: run-cli-tests.sh TOVIN_CLI SOURCE_DIR CORPUS_DIR
set -u

cli=$1
source_dir=$2
corpus_dir=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAIL: $*"; }

# Runs the tool, keeping stdout, stderr and the exit code.
run() {
    "$cli" "$@" >"$work/out" 2>"$work/err"
    status=$?
}

# A failing document must give exit 1 and exactly one stderr line naming the file.
expect_file_error() {
    local file=$1 cause=$2
    run parts "$file"
    local lines
    lines=$(wc -l <"$work/err")
    if [[ $status -eq 1 && $lines -eq 1 ]] && grep -qF "tovin-cli: $file: $cause" "$work/err"; then
        pass
    else
        fail "parts $file: exit $status, stderr: $(cat "$work/err")"
    fi
}

document=$(ls "$corpus_dir"/*.docx 2>/dev/null | head -n 1)
[[ -n $document ]] || document=$source_dir/samples/welcome.docx

# What python's zipfile sees, as "method compressed uncompressed crc name" lines.
python3 - "$document" >"$work/expected" <<'PY'
import sys, zipfile
for info in zipfile.ZipFile(sys.argv[1]).infolist():
    method = {0: "stored", 8: "deflate"}.get(info.compress_type, "method %d" % info.compress_type)
    print(method, info.compress_size, info.file_size, "%08x" % info.CRC, info.filename)
PY

run parts "$document"
tail -n +2 "$work/out" | awk '{ $1 = $1; print }' >"$work/actual"
if [[ $status -eq 0 && -s $work/expected ]] && diff -q "$work/expected" "$work/actual" >/dev/null; then
    pass
else
    fail "parts $document differs from zipfile's listing (exit $status)"
    diff "$work/expected" "$work/actual" | head -n 5
fi

run parts --json "$document"
if [[ $status -eq 0 ]] && python3 - "$document" "$work/out" <<'PY'
import json, sys, zipfile
listed = json.load(open(sys.argv[2]))["entries"]
infos = zipfile.ZipFile(sys.argv[1]).infolist()
assert [e["name"] for e in listed] == [i.filename for i in infos]
assert [(e["compressedSize"], e["uncompressedSize"], e["crc32"], e["method"]) for e in listed] == \
       [(i.compress_size, i.file_size, "%08x" % i.CRC, i.compress_type) for i in infos]
PY
then pass; else fail "parts --json output does not parse or does not match"; fi

printf 'plain text, not a package\n' >"$work/report.docx"
expect_file_error "$work/report.docx" "not a ZIP archive (no end-of-central-directory record)"
expect_file_error "$work/missing.docx" "No such file or directory"
head -c 200 "$document" >"$work/cut.docx"
expect_file_error "$work/cut.docx" "not a ZIP archive"

run parts --no-such-option "$document"
[[ $status -eq 2 ]] && pass || fail "a bad option gave exit $status, not 2"
run parts
[[ $status -eq 2 ]] && pass || fail "a missing FILE gave exit $status, not 2"
run
[[ $status -eq 2 ]] && pass || fail "no subcommand gave exit $status, not 2"

run --help
[[ $status -eq 0 ]] && grep -q "parts" "$work/out" && pass || fail "--help: exit $status"
run --version
[[ $status -eq 0 ]] && grep -Eq '^tovin-cli [0-9]+\.[0-9]+\.[0-9]+' "$work/out" && pass || fail "--version: exit $status"

echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
