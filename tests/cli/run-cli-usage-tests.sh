#!/usr/bin/env bash
# tovin-cli as people use it: output naming the input, "-" for standard input and output,
# unknown commands and comments, the default author, --json on the editing commands, and
# the order in which info lists stories.
# Usage: run-cli-usage-tests.sh TOVIN_CLI SOURCE_DIR
set -u

cli=$(realpath "$1")
source_dir=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sample=$source_dir/samples/welcome.docx

passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAIL: $*"; }

# Runs the tool with a clean settings folder unless the caller set one, keeping stdout,
# stderr and the exit code.
run() {
    XDG_CONFIG_HOME=${XDG_CONFIG_HOME:-$work/no-settings} "$cli" "$@" >"$work/out" 2>"$work/err"
    status=$?
}

# A small document: a paragraph ending a section with its own header, the final section
# with a header and a footer, footnotes and comments. The main part's relationships list
# the stories in another order than the sections do.
python3 - "$work/sections.docx" <<'PY'
import sys, zipfile
w = 'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" ' \
    'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"'
rel = 'http://schemas.openxmlformats.org/officeDocument/2006/relationships/'
rels = [("rC", "comments", "comments.xml"), ("rN", "footnotes", "footnotes.xml"),
        ("rH1", "header", "header1.xml"), ("rF1", "footer", "footer1.xml"), ("rH2", "header", "header2.xml")]
body = ('<w:p><w:pPr><w:sectPr><w:headerReference w:type="default" r:id="rH2"/></w:sectPr></w:pPr>'
        '<w:r><w:t>First section</w:t></w:r></w:p><w:p><w:r><w:t>Second section</w:t></w:r></w:p>'
        '<w:sectPr><w:headerReference w:type="default" r:id="rH1"/><w:footerReference w:type="default" r:id="rF1"/>'
        '</w:sectPr>')
with zipfile.ZipFile(sys.argv[1], "w") as z:
    z.writestr("[Content_Types].xml", '<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
               '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
               '<Default Extension="xml" ContentType="application/xml"/>'
               '<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/></Types>')
    z.writestr("_rels/.rels", '<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
               '<Relationship Id="r1" Type="%sofficeDocument" Target="word/document.xml"/></Relationships>' % rel)
    z.writestr("word/_rels/document.xml.rels", '<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
               + "".join('<Relationship Id="%s" Type="%s%s" Target="%s"/>' % (i, rel, t, f) for i, t, f in rels)
               + '</Relationships>')
    z.writestr("word/document.xml", '<?xml version="1.0"?><w:document %s><w:body>%s</w:body></w:document>' % (w, body))
    for name, root in [("header1", "hdr"), ("header2", "hdr"), ("footer1", "ftr")]:
        z.writestr("word/%s.xml" % name, '<w:%s %s><w:p><w:r><w:t>%s</w:t></w:r></w:p></w:%s>' % (root, w, name, root))
    z.writestr("word/footnotes.xml", '<w:footnotes %s><w:footnote w:id="1"><w:p/></w:footnote></w:footnotes>' % w)
    z.writestr("word/comments.xml", '<w:comments %s/>' % w)
PY

# A document of plain text without tracked changes or comments.
python3 - "$work/plain.docx" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w") as z:
    z.writestr("[Content_Types].xml", '<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
               '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
               '<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/></Types>')
    z.writestr("_rels/.rels", '<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
               '<Relationship Id="r1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/></Relationships>')
    z.writestr("word/document.xml", '<?xml version="1.0"?><w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">'
               '<w:body><w:p><w:r><w:t>Alpha beta gamma</w:t></w:r></w:p></w:body></w:document>')
PY

# -o naming the input refuses, whatever the spelling, and leaves the input alone.
cp "$sample" "$work/in.docx"
cp "$sample" "$work/before.docx"
for target in "$work/in.docx" "$work/./in.docx"; do
    run replace "$work/in.docx" --find Tovin --with X -o "$target"
    [[ $status -eq 2 ]] && grep -q -- "--in-place" "$work/err" && cmp -s "$work/in.docx" "$work/before.docx" \
        && pass || fail "-o $target naming the input: exit $status, $(cat "$work/err")"
done
ln -s "$work/in.docx" "$work/link.docx"
run save "$work/in.docx" -o "$work/link.docx"
[[ $status -eq 2 ]] && grep -q -- "--in-place" "$work/err" && pass || fail "-o through a link to the input: exit $status"
run replace "$work/in.docx" --find Tovin --with Tavern --in-place
[[ $status -eq 0 ]] && ! cmp -s "$work/in.docx" "$work/before.docx" && pass || fail "--in-place: exit $status"

# "-": standard input as FILE, standard output for -o; reports go to standard error then.
"$cli" text "$sample" >"$work/text-file"
"$cli" text - <"$sample" >"$work/text-stdin" 2>"$work/err" && cmp -s "$work/text-file" "$work/text-stdin" \
    && pass || fail "text - differs from text FILE: $(cat "$work/err")"
(cd "$work" && "$cli" save "$sample" -o - >"$work/saved.docx" 2>"$work/err")
[[ $? -eq 0 && ! -e $work/- ]] && cmp -s "$work/saved.docx" "$sample" && grep -q "every part unchanged" "$work/err" \
    && pass || fail "save -o - is not the unchanged document on standard output"
"$cli" replace - --find Tovin --with Tavern -o - <"$sample" 2>"$work/err" | "$cli" text - >"$work/piped"
grep -q Tavern "$work/piped" && ! grep -q Tovin "$work/piped" && grep -q "^replaced " "$work/err" \
    && pass || fail "replace through a pipe: $(cat "$work/err")"
"$cli" accept-all - -o - --json <"$work/sections.docx" >"$work/accepted.docx" 2>"$work/err" \
    && python3 -c 'import json,sys; assert json.load(open(sys.argv[1]))["output"] == "-"' "$work/err" \
    && "$cli" info "$work/accepted.docx" >/dev/null && pass || fail "accept-all -o - --json: $(head -c 300 "$work/err")"
run replace - --find a --with b --in-place <"$sample"
[[ $status -eq 2 ]] && pass || fail "--in-place on standard input gave exit $status"
printf 'not a package' | "$cli" text - >/dev/null 2>"$work/err"
[[ $? -eq 1 ]] && grep -q '^tovin-cli: -: ' "$work/err" && pass || fail "a bad package on standard input: $(cat "$work/err")"

# Unknown commands and comments are named.
run frobnicate "$sample"
[[ $status -eq 2 ]] && grep -q 'unknown command "frobnicate"' "$work/err" && grep -q 'replace' "$work/err" \
    && grep -q 'accept-all' "$work/err" && pass || fail "unknown command: exit $status, $(cat "$work/err")"
run reply "$sample" --to 42 --text hi -o "$work/x.docx"
[[ $status -eq 1 && ! -e $work/x.docx ]] && grep -q 'no comment 42$' "$work/err" && pass \
    || fail "reply to a missing comment: exit $status, $(cat "$work/err")"
run resolve "$work/sections.docx" 42 -o "$work/x.docx"
[[ $status -eq 1 ]] && grep -q 'no comment 42$' "$work/err" && pass || fail "resolve of a missing comment: $(cat "$work/err")"

# The default author: the application's setting, else the system's full name or login.
word=beta
mkdir -p "$work/settings/Tovin"
printf '[General]\nauthorName="King, Ada \\x263a"\n\n[Window]\nauthorName=Other\n' >"$work/settings/Tovin/Tovin.ini"
XDG_CONFIG_HOME=$work/settings run replace "$work/plain.docx" --find "$word" --with Q --track -o "$work/a1.docx"
XDG_CONFIG_HOME=$work/settings run comment "$work/a1.docx" --on Q --text note -o "$work/a2.docx"
XDG_CONFIG_HOME=$work/settings run reply "$work/a2.docx" --to "$(sed -n 's/^comment \([0-9]*\).*/\1/p' "$work/out")" \
    --text again -o "$work/a3.docx"
"$cli" changes --json "$work/a3.docx" >"$work/changes.json"
"$cli" comments --json "$work/a3.docx" >"$work/comments.json"
python3 - "$work/changes.json" "$work/comments.json" <<'PY' && pass || fail "the settings' author name is not used"
import json, sys
name = "King, Ada \u263a"
changes = json.load(open(sys.argv[1]))["changes"]
threads = json.load(open(sys.argv[2]))["threads"]
assert changes and all(c["author"] == name for c in changes), changes
assert threads[0]["author"] == name and threads[0]["replies"][0]["author"] == name, threads
PY
run replace "$work/plain.docx" --find "$word" --with Q --track -o "$work/a4.docx"
expected=$(getent passwd "$(id -un)" | cut -d: -f5 | cut -d, -f1 | sed 's/^ *//; s/ *$//')
[[ -n $expected ]] || expected=$(id -un)
"$cli" changes --json "$work/a4.docx" | python3 -c 'import json,sys
assert {c["author"] for c in json.load(sys.stdin)["changes"]} == {sys.argv[1]}' "$expected" \
    && pass || fail "without settings the author is not \"$expected\""

# --json on the editing commands.
run replace "$work/plain.docx" --find "$word" --with Q --json -o "$work/j1.docx"
[[ $status -eq 0 ]] && python3 -c 'import json,sys; r = json.load(open(sys.argv[1]))
assert r["replaced"] > 0 and r["output"] == sys.argv[2] and r["tracked"] is False' "$work/out" "$work/j1.docx" \
    && pass || fail "replace --json: $(cat "$work/out")"
run comment "$work/plain.docx" --on "$word" --text x --author Bo --json -o "$work/j2.docx"
id=$(python3 -c 'import json,sys; r = json.load(open(sys.argv[1])); assert r["author"] == "Bo"; print(r["comment"])' "$work/out")
[[ $status -eq 0 && -n $id ]] && pass || fail "comment --json: $(cat "$work/out")"
run reply "$work/j2.docx" --to "$id" --text y --json -o "$work/j3.docx"
[[ $status -eq 0 ]] && python3 -c 'import json,sys; r = json.load(open(sys.argv[1])); assert r["to"] == int(sys.argv[2])' \
    "$work/out" "$id" && pass || fail "reply --json: $(cat "$work/out")"
run resolve "$work/j3.docx" "$id" --json -o "$work/j4.docx"
[[ $status -eq 0 ]] && python3 -c 'import json,sys; r = json.load(open(sys.argv[1])); assert r["resolved"] is True' \
    "$work/out" && pass || fail "resolve --json: $(cat "$work/out")"

# info lists stories in reading order.
run info --json "$work/sections.docx"
[[ $status -eq 0 ]] && python3 - "$work/out" <<'PY' && pass || fail "info story order: $(cat "$work/out")"
import json, sys
stories = [(s["kind"], s["part"]) for s in json.load(open(sys.argv[1]))["stories"]]
assert stories == [("body", "word/document.xml"), ("header", "word/header2.xml"), ("header", "word/header1.xml"),
                   ("footer", "word/footer1.xml"), ("footnotes", "word/footnotes.xml"),
                   ("comments", "word/comments.xml")], stories
PY

# A moved sentence: listed as two changes; accepting one side by number resolves the move,
# and accept-all and reject-all leave one copy.
python3 - "$work/moved.docx" <<'PY'
import sys, zipfile
d = ' w:author="M" w:date="2024-03-01T00:00:00Z"'
body = ('<w:p><w:moveToRangeStart w:id="10"%s w:name="move1"/><w:moveTo w:id="11"%s><w:r><w:t xml:space="preserve">Moved. </w:t></w:r></w:moveTo>'
        '<w:moveToRangeEnd w:id="10"/><w:r><w:t xml:space="preserve">Stay. </w:t></w:r><w:moveFromRangeStart w:id="12"%s w:name="move1"/>'
        '<w:moveFrom w:id="13"%s><w:r><w:delText xml:space="preserve">Moved. </w:delText></w:r></w:moveFrom><w:moveFromRangeEnd w:id="12"/></w:p>') % (d, d, d, d)
with zipfile.ZipFile(sys.argv[1], "w") as z:
    z.writestr("[Content_Types].xml", '<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
               '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
               '<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/></Types>')
    z.writestr("_rels/.rels", '<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
               '<Relationship Id="r1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/></Relationships>')
    z.writestr("word/document.xml", '<?xml version="1.0"?><w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">'
               '<w:body>%s</w:body></w:document>' % body)
PY
run changes "$work/moved.docx"
[[ $status -eq 0 ]] && grep -q $'^11\tmoved to\tM\t' "$work/out" && grep -q $'^13\tmoved from\tM\t.*\tMoved. $' "$work/out" \
    && pass || fail "changes of a move: $(cat "$work/out" "$work/err")"
run accept "$work/moved.docx" 13 -o "$work/m1.docx"
[[ $status -eq 0 ]] && grep -q '^accepted 2 changes' "$work/out" && [[ $("$cli" text "$work/m1.docx") == "Moved. Stay. " ]] \
    && [[ -z $("$cli" changes "$work/m1.docx") ]] && pass || fail "accept of one side of a move: $(cat "$work/out")"
run reject-all "$work/moved.docx" -o "$work/m2.docx"
[[ $status -eq 0 && $("$cli" text "$work/m2.docx") == "Stay. Moved. " ]] && ! unzip -p "$work/m2.docx" word/document.xml | grep -q move \
    && pass || fail "reject-all of a move: $(cat "$work/out")"

# new: a package python's zipfile and XML parser read whole, on the locale's paper unless
# told; an existing file is kept unless --force; the author is escaped.
LANG=en_US.UTF-8 LC_ALL= LC_PAPER= run new "$work/new-us.docx" --author 'A&B <x>' --date 2024-05-01T12:34:56Z
[[ $status -eq 0 ]] && python3 - "$work/new-us.docx" <<'PY' && pass || fail "new: $(cat "$work/err")"
import sys, zipfile, xml.dom.minidom as dom
z = zipfile.ZipFile(sys.argv[1])
assert z.testzip() is None
parts = {name: dom.parseString(z.read(name)) for name in z.namelist()}
size = parts["word/document.xml"].getElementsByTagName("w:pgSz")[0]
assert size.getAttribute("w:w") == "12240", size.toxml()
core = parts["docProps/core.xml"]
assert core.getElementsByTagName("dc:creator")[0].firstChild.data == "A&B <x>"
assert core.getElementsByTagName("dcterms:created")[0].firstChild.data == "2024-05-01T12:34:56Z"
PY
LANG=de_DE.UTF-8 LC_ALL= LC_PAPER= run new "$work/new-de.docx" --json
[[ $status -eq 0 ]] && grep -q '"paper": "a4"' "$work/out" && "$cli" page "$work/new-de.docx" | grep -q '595.3 x 841.9' \
    && pass || fail "new on an A4 locale: $(cat "$work/out" "$work/err")"
LANG=de_DE.UTF-8 run new "$work/new-de.docx" --paper letter
[[ $status -eq 1 ]] && grep -q 'already exists' "$work/err" && "$cli" page "$work/new-de.docx" | grep -q '595.3' \
    && pass || fail "new over an existing file: exit $status"
run new "$work/new-de.docx" --paper letter --force
[[ $status -eq 0 ]] && "$cli" page "$work/new-de.docx" | grep -q '612 x 792' && pass || fail "new --force: exit $status"
run new "$work/new-x.docx" --paper legal
[[ $status -eq 2 ]] && pass || fail "new --paper legal: exit $status"
"$cli" save "$work/new-us.docx" -o "$work/new-us2.docx" >/dev/null && cmp -s "$work/new-us.docx" "$work/new-us2.docx" \
    && pass || fail "an unchanged save of a new document is not byte-identical"

echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
