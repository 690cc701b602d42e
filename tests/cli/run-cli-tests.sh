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
expect_file_error "$work/missing.docx" "cannot open: no such file or folder"
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

# page: the final section's size and margins as python-docx reads them (EMU, 12700 a
# point), for every corpus document python-docx opens; the defaults where it states none.
if /usr/bin/python3 -c 'import docx' 2>/dev/null; then
    if /usr/bin/python3 - "$cli" "$corpus_dir" <<'PY'
import glob, json, subprocess, sys, docx
cli, corpus = sys.argv[1], sys.argv[2]
checked = bad = 0
for path in sorted(glob.glob(corpus + "/*.docx")):
    try:
        sections = docx.Document(path).sections
        section = sections[-1] if len(sections) else None
    except Exception:
        continue
    out = subprocess.run([cli, "page", "--json", path], capture_output=True, text=True)
    if out.returncode != 0:
        print("FAIL: page --json %s: exit %d %s" % (path, out.returncode, out.stderr.strip()))
        bad += 1
        continue
    page = json.loads(out.stdout)["page"]
    def pt(value, default, signed=False):
        if value is None: return default
        return abs(value / 12700) if signed else value / 12700
    want = {"width": 612, "height": 792, "top": 72, "bottom": 72, "left": 72, "right": 72}
    if section is not None:
        want = {"width": pt(section.page_width, 612), "height": pt(section.page_height, 792),
                "top": pt(section.top_margin, 72, True), "bottom": pt(section.bottom_margin, 72, True),
                "left": pt(section.left_margin, 72), "right": pt(section.right_margin, 72)}
    wrong = {k: (page[k], v) for k, v in want.items() if abs(page[k] - v) > 0.01}
    if wrong:
        print("FAIL: page %s: %s (tovin, python-docx)" % (path, wrong))
        bad += 1
    checked += 1
sys.exit(1 if bad or checked == 0 else 0)
PY
    then pass; else fail "page sizes differ from python-docx's"; fi

    # page: every section as python-docx reads it: size, orientation, how it starts, its
    # title page, its own default header and footer parts, and the even-and-odd setting.
    if /usr/bin/python3 - "$cli" "$corpus_dir" <<'PY'
import glob, json, subprocess, sys, docx
cli, corpus = sys.argv[1], sys.argv[2]
starts = {0: "continuous", 1: "nextColumn", 2: "nextPage", 3: "evenPage", 4: "oddPage"}
checked = bad = several = 0
for path in sorted(glob.glob(corpus + "/*.docx")):
    try:
        document = docx.Document(path)
        sections = list(document.sections)
        even = document.settings.odd_and_even_pages_header_footer
    except Exception:
        continue
    out = subprocess.run([cli, "page", "--json", path], capture_output=True, text=True)
    report = json.loads(out.stdout) if out.returncode == 0 else None
    problems = []
    if report is None:
        problems.append("exit %d" % out.returncode)
    elif sections and len(report["sections"]) != len(sections):
        problems.append("%d sections, python-docx %d" % (len(report["sections"]), len(sections)))
    else:
        if report["evenAndOddHeaders"] != even:
            problems.append("even and odd headers")
        for ours, theirs in zip(report["sections"], sections):
            try:
                if theirs.page_width is not None and abs(ours["page"]["width"] - theirs.page_width / 12700) > 0.01:
                    problems.append("width")
                if ours["page"]["orientation"] != ("landscape" if theirs.orientation == 1 else "portrait"):
                    problems.append("orientation")
                if ours["start"] != starts.get(int(theirs.start_type), "nextPage"):
                    problems.append("start %s" % ours["start"])
                if ours["titlePage"] != theirs.different_first_page_header_footer:
                    problems.append("title page")
                for band, ours_band in ((theirs.header, ours["headers"]), (theirs.footer, ours["footers"])):
                    if band._has_definition and ours_band["default"] != band.part.partname.lstrip("/"):
                        problems.append("band %s" % ours_band["default"])
            except (ValueError, KeyError) as error:
                # python-docx refuses values outside the schema that Tovin reads leniently.
                continue
        several += len(sections) > 1
    if problems:
        print("FAIL: page sections %s: %s" % (path, ", ".join(problems)))
        bad += 1
    checked += 1
print("page sections: %d documents, %d with several sections" % (checked, several))
sys.exit(1 if bad or checked == 0 or several == 0 else 0)
PY
    then pass; else fail "sections differ from python-docx's"; fi

    # styles: the menu holds the visible or quick paragraph styles, by priority (99 when
    # unstated); python-docx's hidden is w:semiHidden, its quick_style w:qFormat.
    if /usr/bin/python3 - "$cli" "$corpus_dir" <<'PY'
import glob, json, subprocess, sys, docx
from docx.enum.style import WD_STYLE_TYPE
cli, corpus = sys.argv[1], sys.argv[2]
checked = bad = 0
for path in sorted(glob.glob(corpus + "/*.docx")):
    try:
        document = docx.Document(path)
        # Without a styles part python-docx lists the styles of its own template.
        if not any(r.reltype.endswith("/styles") for r in document.part.rels.values()):
            continue
        styles = list(document.styles)
    except Exception:
        continue
    want = sorted(s.style_id for s in styles
                  if s.type == WD_STYLE_TYPE.PARAGRAPH and (s.quick_style or not s.hidden))
    out = subprocess.run([cli, "styles", "--json", path], capture_output=True, text=True)
    listed = json.loads(out.stdout)["styles"] if out.returncode == 0 else None
    priorities = [s["priority"] for s in listed or []]
    if listed is None or sorted(s["id"] for s in listed) != want or priorities != sorted(priorities):
        print("FAIL: styles %s: exit %d" % (path, out.returncode))
        bad += 1
    checked += 1
sys.exit(1 if bad or checked == 0 else 0)
PY
    then pass; else fail "style menus differ from python-docx's"; fi
fi

# Text output and errors of styles and page.
run page "$source_dir/samples/welcome.docx"
[[ $status -eq 0 ]] && grep -Eq '^size +[0-9.]+ x [0-9.]+ pt$' "$work/out" && grep -q '^spacing ' "$work/out" \
    && pass || fail "page text output: exit $status"
run styles "$source_dir/samples/welcome.docx"
[[ $status -eq 0 ]] && head -n 1 "$work/out" | grep -q 'priority.*id.*name' && pass || fail "styles text output: exit $status"
for command in styles page; do
    run $command "$work/report.docx"
    [[ $status -eq 1 && $(wc -l <"$work/err") -eq 1 ]] && grep -qF "tovin-cli: $work/report.docx: " "$work/err" \
        && pass || fail "$command on a non-package: exit $status, stderr: $(cat "$work/err")"
    run $command
    [[ $status -eq 2 ]] && pass || fail "$command without FILE gave exit $status, not 2"
done

# Comments: a document without comments gets a comment, a reply and a resolve; the result
# opens again, lists the resolved thread with its reply, and python-docx reads it.
plain=$corpus_dir/pydocx-par-known-paragraphs.docx
[[ -f $plain ]] || plain=$source_dir/samples/welcome.docx
word=$(/usr/bin/python3 -c 'import sys, docx
print(next(w for p in docx.Document(sys.argv[1]).paragraphs for w in p.text.split() if w.isalpha()))' "$plain" 2>/dev/null)
run comment "$plain" --on "$word" --text $'First line\nsecond line' --author "Ada King" -o "$work/c1.docx"
id=$(sed -n 's/^comment \([0-9]*\) added.*/\1/p' "$work/out")
[[ $status -eq 0 && -n $id ]] && pass || fail "comment on '$word' in $plain: exit $status, $(cat "$work/err")"
run reply "$work/c1.docx" --to "$id" --text "A reply" --author "Bo" -o "$work/c2.docx"
[[ $status -eq 0 ]] && pass || fail "reply: exit $status, $(cat "$work/err")"
run resolve "$work/c2.docx" "$id" -o "$work/c3.docx"
[[ $status -eq 0 ]] && pass || fail "resolve: exit $status, $(cat "$work/err")"
run comments --json "$work/c3.docx"
if [[ $status -eq 0 ]] && /usr/bin/python3 - "$work/out" "$id" "$word" <<'PY'
import json, sys
threads = json.load(open(sys.argv[1]))["threads"]
ok = len(threads) == 1 and threads[0]["id"] == int(sys.argv[2]) and threads[0]["resolved"] \
    and threads[0]["anchor"] == sys.argv[3] and threads[0]["text"] == "First line\nsecond line" \
    and threads[0]["author"] == "Ada King" and [r["text"] for r in threads[0]["replies"]] == ["A reply"]
sys.exit(0 if ok else 1)
PY
then pass; else fail "comments --json after comment, reply, resolve: $(head -c 400 "$work/out")"; fi
run resolve "$work/c3.docx" "$id" --reopen -o "$work/c4.docx"
run comments "$work/c4.docx"
[[ $status -eq 0 ]] && ! grep -q resolved "$work/out" && grep -q "reply \[" "$work/out" && pass \
    || fail "comments text after --reopen: exit $status"
/usr/bin/python3 -c 'import sys, docx; docx.Document(sys.argv[1])' "$work/c3.docx" 2>"$work/err" && pass \
    || fail "python-docx cannot open the commented file: $(tail -n 1 "$work/err")"
run comment "$plain" --on "no such text anywhere" --text x -o "$work/c5.docx"
[[ $status -eq 1 && ! -e $work/c5.docx ]] && pass || fail "comment on missing text: exit $status"
run resolve "$plain" 12345 -o "$work/c5.docx"
[[ $status -eq 1 ]] && pass || fail "resolve of a missing comment: exit $status"

# comment-edit gives the reply new text; comment-delete of the thread leaves no comment and
# no anchor in the body, and a reply deleted alone leaves its thread.
reply_id=$("$cli" comments --json "$work/c2.docx" | /usr/bin/python3 -c 'import json,sys; print(json.load(sys.stdin)["threads"][0]["replies"][0]["id"])')
run comment-edit "$work/c2.docx" "$reply_id" --text "Edited reply" -o "$work/e1.docx"
[[ $status -eq 0 ]] && "$cli" comments --json "$work/e1.docx" | /usr/bin/python3 -c 'import json,sys
t = json.load(sys.stdin)["threads"]; assert [r["text"] for r in t[0]["replies"]] == ["Edited reply"], t' \
    && pass || fail "comment-edit of a reply: exit $status $(cat "$work/err")"
run comment-delete "$work/e1.docx" "$reply_id" -o "$work/e2.docx"
[[ $status -eq 0 ]] && "$cli" comments --json "$work/e2.docx" | /usr/bin/python3 -c 'import json,sys
t = json.load(sys.stdin)["threads"]; assert len(t) == 1 and t[0]["replies"] == [], t' \
    && pass || fail "comment-delete of a reply: exit $status $(cat "$work/err")"
run comment-delete "$work/e1.docx" "$id" -o "$work/e3.docx"
[[ $status -eq 0 && -z $("$cli" comments "$work/e3.docx") ]] && ! unzip -p "$work/e3.docx" word/document.xml | grep -q comment \
    && pass || fail "comment-delete of a thread: exit $status $(cat "$work/err")"
run comment-delete "$work/e3.docx" "$id" -o "$work/e4.docx"
[[ $status -eq 1 && ! -e $work/e4.docx ]] && pass || fail "comment-delete of a missing comment: exit $status"

# Corpus files with comments: every comment listed, anchored on the text between its range
# markers in word/document.xml (read here with zipfile and a regular expression).
if /usr/bin/python3 - "$cli" "$corpus_dir" <<'PY'
import glob, html, json, re, subprocess, sys, zipfile
cli, corpus = sys.argv[1], sys.argv[2]
checked = bad = 0
def squash(text):
    return "".join(c for c in text if c.isalnum())
for path in sorted(glob.glob(corpus + "/*.docx")):
    with zipfile.ZipFile(path) as z:
        if "word/comments.xml" not in z.namelist():
            continue
        comments = len(re.findall(r"<w:comment\b", z.read("word/comments.xml").decode()))
        body = z.read("word/document.xml").decode()
    want = {}
    for m in re.finditer(r'<w:commentRangeStart w:id="(\d+)"/>', body):
        end = re.search(r'<w:commentRangeEnd w:id="%s"/>' % m.group(1), body[m.end():])
        inner = body[m.end():m.end() + end.start()] if end else ""
        want[int(m.group(1))] = squash(html.unescape("".join(re.findall(r"<w:t(?: [^>]*)?>([^<]*)</w:t>", inner))))
    out = subprocess.run([cli, "comments", "--json", path], capture_output=True, text=True)
    if out.returncode != 0:
        print("FAIL: comments %s: exit %d" % (path, out.returncode)); bad += 1; continue
    threads = json.loads(out.stdout)["threads"]
    listed = len(threads) + sum(len(t["replies"]) for t in threads)
    anchors = {t["id"]: squash(t["anchor"]) for t in threads}
    wrong = {i: (anchors.get(i), w) for i, w in want.items() if i in anchors and anchors[i] != w}
    if listed != comments or wrong or not any(anchors.values()):
        print("FAIL: comments %s: %d of %d listed, anchors differ: %s" % (path, listed, comments, wrong)); bad += 1
    checked += 1
sys.exit(1 if bad or checked == 0 else 0)
PY
then pass; else fail "comments over the corpus"; fi

# changes, accept, reject, accept-all, reject-all on a small document carrying one change
# of each kind.
python3 - "$work/tracked.docx" <<'PY'
import sys, zipfile
w = 'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"'
body = ('<w:p><w:pPr><w:rPr><w:del w:id="4" w:author="Ann" w:date="2024-03-01T00:00:00Z"/></w:rPr></w:pPr>'
        '<w:r><w:t>keep </w:t></w:r><w:ins w:id="1" w:author="Ann"><w:r><w:t>added</w:t></w:r></w:ins>'
        '<w:del w:id="002" w:author="Bob"><w:r><w:delText>gone</w:delText></w:r></w:del></w:p>'
        '<w:p><w:r><w:rPr><w:b/><w:rPrChange w:id="3" w:author="Bob"><w:rPr/></w:rPrChange></w:rPr>'
        '<w:t>next</w:t></w:r></w:p>')
with zipfile.ZipFile(sys.argv[1], "w") as z:
    z.writestr("[Content_Types].xml", '<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
               '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
               '<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/></Types>')
    z.writestr("_rels/.rels", '<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
               '<Relationship Id="r1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/></Relationships>')
    z.writestr("word/document.xml", '<?xml version="1.0"?><w:document %s><w:body>%s</w:body></w:document>' % (w, body))
PY
run changes --json "$work/tracked.docx"
if [[ $status -eq 0 ]] && python3 - "$work/out" <<'PY'
import json, sys
changes = json.load(open(sys.argv[1]))["changes"]
seen = [(c["id"], c["kind"], c["author"], c["story"], c["text"]) for c in changes]
assert seen == [("1", "insertion", "Ann", "body", "added"), ("002", "deletion", "Bob", "body", "gone"),
                ("4", "paragraph mark", "Ann", "body", "keep addedgone"), ("3", "format", "Bob", "body", "next")], seen
assert changes[2]["detail"] == "deleted" and changes[2]["date"] == "2024-03-01T00:00:00Z"
PY
then pass; else fail "changes --json: exit $status $(cat "$work/err")"; fi
run changes "$work/tracked.docx"
[[ $status -eq 0 && $(wc -l <"$work/out") -eq 4 ]] && grep -q $'^002\tdeletion\tBob\t' "$work/out" \
    && pass || fail "changes text output: exit $status"

run reject "$work/tracked.docx" 2 1 -o "$work/rejected.docx"
if [[ $status -eq 0 ]] && grep -q '^rejected 2 changes' "$work/out"; then
    run text "$work/rejected.docx"
    [[ $status -eq 0 && $(head -n 1 "$work/out") == "keep gone" ]] && pass || fail "reject by id: text $(cat "$work/out")"
else
    fail "reject 2 1: exit $status $(cat "$work/err")"
fi
run accept-all "$work/tracked.docx" -o "$work/accepted.docx"
if [[ $status -eq 0 ]] && grep -q '^accepted 4 changes' "$work/out"; then
    run changes "$work/accepted.docx"
    empty=$(wc -c <"$work/out")
    run text "$work/accepted.docx"
    [[ $empty -eq 0 && $(cat "$work/out") == "keep addednext" ]] && pass || fail "accept-all left: $(cat "$work/out")"
else
    fail "accept-all: exit $status $(cat "$work/err")"
fi
run reject-all --json "$work/tracked.docx" -o "$work/rejected-all.docx"
[[ $status -eq 0 ]] && python3 -c 'import json,sys; assert len(json.load(open(sys.argv[1]))["rejected"]) == 4' "$work/out" \
    && [[ $("$cli" text "$work/rejected-all.docx") == $'keep gone\nnext' ]] && pass || fail "reject-all: exit $status"
run accept "$work/tracked.docx" 77 -o "$work/none.docx"
[[ $status -eq 1 && ! -e $work/none.docx ]] && grep -q "no tracked change with id 77" "$work/err" \
    && pass || fail "accept of an unknown id: exit $status"
run accept "$work/tracked.docx" x1 -o "$work/none.docx"
[[ $status -eq 2 ]] && pass || fail "accept of a non-numeric id gave exit $status, not 2"
run accept-all "$work/tracked.docx"
[[ $status -eq 2 ]] && pass || fail "accept-all without -o gave exit $status, not 2"

# Tracked table rows: row 2 inserted (id 5, its text id 6), row 3 deleted (id 7, its text id 8).
python3 - "$work/rows.docx" <<'PY'
import sys, zipfile
w = 'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"'
def row(marker, text):
    props = '<w:trPr>%s</w:trPr>' % marker if marker else ''
    return '<w:tr>%s<w:tc><w:p>%s</w:p></w:tc></w:tr>' % (props, text)
run = lambda t: '<w:r><w:t>%s</w:t></w:r>' % t
body = ('<w:tbl><w:tblPr/><w:tblGrid><w:gridCol w:w="4000"/></w:tblGrid>' + row('', run('head')) +
        row('<w:ins w:id="5" w:author="Ann"/>', '<w:ins w:id="6" w:author="Ann">%s</w:ins>' % run('added')) +
        row('<w:del w:id="7" w:author="Bob"/>',
            '<w:del w:id="8" w:author="Bob"><w:r><w:delText>gone</w:delText></w:r></w:del>') +
        '</w:tbl><w:p>%s</w:p>' % run('after'))
with zipfile.ZipFile(sys.argv[1], "w") as z:
    z.writestr("[Content_Types].xml", '<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
               '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
               '<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/></Types>')
    z.writestr("_rels/.rels", '<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
               '<Relationship Id="r1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/></Relationships>')
    z.writestr("word/document.xml", '<?xml version="1.0"?><w:document %s><w:body>%s</w:body></w:document>' % (w, body))
PY
run accept "$work/rows.docx" 5 -o "$work/row5.docx"
[[ $status -eq 0 ]] && grep -q $'^accepted 1 change' "$work/out" && grep -q $'^  5\ttable row (inserted)' "$work/out" \
    && ! "$cli" changes "$work/row5.docx" | grep -q $'^5\t' && pass || fail "accept of a row: exit $status $(cat "$work/out" "$work/err")"
# python-docx reads the rows that stay; a reader ignoring revision marks sees the cells' text.
rows_read() {
    /usr/bin/python3 -c 'import sys, docx; print("|".join(r.cells[0].text for r in docx.Document(sys.argv[1]).tables[0].rows))' "$1"
}
run accept-all "$work/rows.docx" -o "$work/rows-accepted.docx"
[[ $status -eq 0 && $("$cli" changes "$work/rows-accepted.docx" | wc -l) -eq 0 && $(rows_read "$work/rows-accepted.docx") == "head|added" ]] \
    && ! unzip -p "$work/rows-accepted.docx" word/document.xml | grep -q trPr && pass || fail "accept-all of rows: $(cat "$work/err")"
run reject-all "$work/rows.docx" -o "$work/rows-rejected.docx"
[[ $status -eq 0 && $(rows_read "$work/rows-rejected.docx") == "head|gone" ]] \
    && ! unzip -p "$work/rows-rejected.docx" word/document.xml | grep -q trPr && pass || fail "reject-all of rows: $(cat "$work/err")"

# Replace: every occurrence, across runs, directly and as a redline python-docx still reads.
run replace "$source_dir/samples/welcome.docx" --find "Tovin" --with "Tavern" -o "$work/r1.docx"
count=$(sed -n 's/^replaced \([0-9]*\) occurrence.*/\1/p' "$work/out")
[[ $status -eq 0 && ${count:-0} -gt 0 ]] && pass || fail "replace: exit $status, $(cat "$work/out" "$work/err")"
run text "$work/r1.docx"
grep -q Tavern "$work/out" && ! grep -q Tovin "$work/out" && pass || fail "replace left Tovin in the text"
run replace "$source_dir/samples/welcome.docx" --find "Tovin" --with "Tavern" --track --author "Rev" \
    --date 2024-01-02T03:04:05Z -o "$work/r2.docx"
[[ $status -eq 0 ]] && grep -q "^replaced $count " "$work/out" && pass || fail "tracked replace: $(cat "$work/out" "$work/err")"
run text "$work/r2.docx"
grep -q Tavern "$work/out" && ! grep -q Tovin "$work/out" && pass || fail "tracked replace: text shows $(head -n 1 "$work/out")"
# A reader that ignores tracked changes still sees the deleted word; the markup names the author.
if /usr/bin/python3 - "$work/r2.docx" <<'PY'
import sys, zipfile, docx
xml = zipfile.ZipFile(sys.argv[1]).read("word/document.xml").decode()
assert 'w:author="Rev" w:date="2024-01-02T03:04:05Z"' in xml and "<w:delText>Tovin</w:delText>" in xml
docx.Document(sys.argv[1])
PY
then pass; else fail "tracked replace is no redline"; fi
# Replacing the replacement back in the direct copy gives the original text.
run replace "$work/r1.docx" --find "Tavern" --with "Tovin" --in-place
"$cli" text "$work/r1.docx" >"$work/back" && "$cli" text "$source_dir/samples/welcome.docx" >"$work/orig" \
    && cmp -s "$work/back" "$work/orig" && pass || fail "replacing back does not restore the text"
run replace "$source_dir/samples/welcome.docx" --find "" --with "x" -o "$work/r3.docx"
[[ $status -eq 2 ]] && pass || fail "replace with an empty --find gave exit $status"
run replace "$source_dir/samples/welcome.docx" --find "a" --with "b" --track --date yesterday -o "$work/r3.docx"
[[ $status -eq 2 ]] && pass || fail "replace with a bad --date gave exit $status"

# Text inside a smart tag, a block and a run content control and moved text: text prints
# what a reader sees once (the old place of moved text as deleted under --changes), and
# replace reaches it, directly and tracked.
python3 - "$work/wrapped.docx" <<'PY'
import sys, zipfile
w = 'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"'
r = lambda t: '<w:r><w:t xml:space="preserve">%s</w:t></w:r>' % t
body = ('<w:p>%s<w:smartTag w:uri="u" w:element="place">%s</w:smartTag>%s</w:p>' % (r('In '), r('Paris cat'), r(' now.')) +
        '<w:sdt><w:sdtPr><w:id w:val="7"/></w:sdtPr><w:sdtContent><w:p>%s</w:p></w:sdtContent></w:sdt>' % r('block cat here') +
        '<w:p>%s<w:sdt><w:sdtPr/><w:sdtContent>%s</w:sdtContent></w:sdt></w:p>' % (r('Inline '), r('cat control')) +
        '<w:p><w:moveFrom w:id="1" w:author="Ann"><w:r><w:delText>moved cat </w:delText></w:r></w:moveFrom>%s</w:p>' % r('stay') +
        '<w:p>%s<w:moveTo w:id="2" w:author="Ann">%s</w:moveTo></w:p>' % (r('here '), r('moved cat ')))
with zipfile.ZipFile(sys.argv[1], "w") as z:
    z.writestr("[Content_Types].xml", '<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
               '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
               '<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/></Types>')
    z.writestr("_rels/.rels", '<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
               '<Relationship Id="r1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/></Relationships>')
    z.writestr("word/document.xml", '<?xml version="1.0"?><w:document %s><w:body>%s</w:body></w:document>' % (w, body))
PY
run text "$work/wrapped.docx"
[[ $status -eq 0 && $(cat "$work/out") == $'In Paris cat now.\nblock cat here\nInline cat control\nstay\nhere moved cat ' ]] \
    && pass || fail "text of wrapped and moved text: $(cat "$work/out")"
run text --changes "$work/wrapped.docx"
[[ $status -eq 0 && $(sed -n 4,5p "$work/out") == $'[-moved cat -]stay\nhere {+moved cat +}' ]] \
    && pass || fail "text --changes of moved text: $(cat "$work/out")"
run replace "$work/wrapped.docx" --find cat --with dog -o "$work/w1.docx"
[[ $status -eq 0 ]] && grep -q "^replaced 4 occurrences" "$work/out" && ! "$cli" text "$work/w1.docx" | grep -q cat \
    && pass || fail "replace in wrapped text: $(cat "$work/out" "$work/err")"
run replace "$work/wrapped.docx" --find cat --with dog --track --author R -o "$work/w2.docx"
if [[ $status -eq 0 ]] && grep -q "^replaced 4 occurrences" "$work/out" && /usr/bin/python3 - "$work/w2.docx" <<'PY'
import sys, zipfile, docx
from xml.dom import minidom
minidom.parseString(zipfile.ZipFile(sys.argv[1]).read("word/document.xml"))
docx.Document(sys.argv[1])
PY
then
    [[ $(pandoc --track-changes=accept -t plain "$work/w2.docx" | grep -c dog) -eq 4 ]] && pass \
        || fail "pandoc does not read the tracked replacements: $(pandoc --track-changes=accept -t plain "$work/w2.docx")"
else
    fail "tracked replace in wrapped text: $(cat "$work/out" "$work/err")"
fi

# A package whose body is cut in half is refused, the message naming the part.
/usr/bin/python3 - "$work/wrapped.docx" "$work/halved.docx" <<'PY'
import sys, zipfile
source, target = zipfile.ZipFile(sys.argv[1]), zipfile.ZipFile(sys.argv[2], "w")
for info in source.infolist():
    data = source.read(info.filename)
    target.writestr(info, data[:len(data) // 2] if info.filename == "word/document.xml" else data)
PY
run text "$work/halved.docx"
[[ $status -eq 1 && ! -s $work/out ]] && grep -q "word/document.xml: XML ends inside" "$work/err" \
    && pass || fail "text of a halved body: exit $status, $(cat "$work/out" "$work/err")"

echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
