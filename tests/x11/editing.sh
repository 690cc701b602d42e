#!/bin/bash
# Editing real documents in a real window under Xvfb, with real key and mouse events (never
# run by ctest: it needs a display). Usage: tests/x11/editing.sh DISPLAY_NUMBER [build dir]
#
# Each check edits a fresh copy, saves it with Ctrl+S and reads the saved file back (unzip,
# python-docx, pandoc), on samples/welcome.docx unless said otherwise:
#  1. in page view (Ctrl+Alt+P) typed keys, Paste, Cut, Delete, Return and Undo change
#     nothing: the saved file is the original, byte for byte;
#  2. the first keys typed after the window opens, without a click, go into the body;
#  3. a selection from a paragraph across the table to the end, deleted, takes the table
#     with it; tracked, the table's rows are marked deleted and pandoc rejecting the changes
#     shows the table again;
#  4. on the corpus's pydocx-txt-font-props.docx, tracked, Ctrl+Shift+Right over "some "
#     then Delete records "some " as deleted, not "ome s";
#  5. tracked, six Backspaces at the end of "minutes" are one w:del holding "inutes";
#  7. Find and Replace: "Copied as" in a table cell is replaced; Replace All of "Tovin"
#     reaches the body, the table, the header and the footnote, and leaves the tracked
#     deletion "all of them at once" as it was;
#  8. a click in the space under "3. Edit a copy…" and typing ends that paragraph, not the
#     heading below it;
# 10. a package whose word/document.xml is cut in half opens no window and joins no recent
#     list, and tovin --export-pdf of it exits 1 with one line naming the file.
set -euo pipefail
number=${1:?display number}
build=$(cd "${2:-build}" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
tovin=$build/Tovin/tovin
py=/usr/bin/python3  # Debian's, with python-docx
source "$root/tests/x11/session.sh"
x11_session "$number"
x11_author "Xavier Tester"
echo "work: $work"
welcome=$root/samples/welcome.docx
fonts=$root/../shared/corpus/pydocx-txt-font-props.docx

# The window opens at the same place each time: the space under "3. Edit a copy…".
below_edit_a_copy=(600 822)

# Opens a copy of $2 named $1 in its own tovin, without touching the window.
open_copy() {
    cp "$2" "$work/$1"
    chmod u+w "$work/$1"  # the corpus is read-only
    "$tovin" "$work/$1" >>"$work/tovin.log" 2>&1 &
    pid=$!
    for _ in $(seq 50); do window=$(xdotool search --name "$1" 2>/dev/null | head -1) && [ -n "$window" ] && break; sleep 0.2; done
    sleep "${TOVIN_X11_SETTLE:-2}"  # placed and laid out (longer on a busy machine)
}
close() {
    kill "$pid" 2>/dev/null || fail "the application is gone (it crashed)"
    wait "$pid" 2>/dev/null || true
    pid=
    x11_author "$author_name"  # the next run must not restore this document as a second tab
}
fail() { echo "FAIL: $*"; tail -5 "$work/tovin.log" 2>/dev/null; exit 1; }
pass() { echo "ok: $*"; }
# Find (Ctrl+F) TEXT, Return, and back to the text with the match selected.
find_text() {
    xdotool key ctrl+f
    sleep 0.3
    xdotool type --delay 30 "$1"
    xdotool key Return
    sleep 0.3
    xdotool key Escape
    sleep 0.3
}
plain() { pandoc -t plain --wrap=none "$@"; }

# 1. Page view saves nothing it does not show.
open_copy paged.docx "$welcome"
xdotool key ctrl+alt+p
sleep 1
xdotool type --delay 40 "typed in page view"
for key in ctrl+v ctrl+x Delete BackSpace Return ctrl+z; do xdotool key "$key"; sleep 0.2; done
sleep 1.5  # autosave would have written by now
x11_save
cmp "$welcome" "$work/paged.docx" || fail "1: page view changed the file"
pass "1: in page view typing, Paste, Cut, Delete, Return and Undo leave the saved file byte-identical"
close

# 2. The first keys go to the body.
open_copy first.docx "$welcome"
xdotool type --delay 40 "First "
sleep 0.5
x11_save
# pandoc takes the Title paragraph for the document's title: python-docx reads it.
"$py" -c 'import docx, sys; print(docx.Document(sys.argv[1]).paragraphs[0].text)' "$work/first.docx" |
    grep -q "^First Welcome to Tovin" || fail "2: the first keys went nowhere"
pass "2: typed without a click, \"First \" starts the title in the saved file"
close

# 3. A selection across the table, deleted, direct and tracked.
for mode in direct tracked; do
    open_copy "table-$mode.docx" "$welcome"
    [ $mode = tracked ] && xdotool key ctrl+shift+e
    find_text "The table below"
    xdotool key Home shift+ctrl+End
    sleep 0.3
    xdotool key Delete
    sleep 1
    x11_save
    "$py" - "$work/table-$mode.docx" "$mode" <<'PY' || fail "3 ($mode)"
import re, sys, zipfile, docx
path, mode = sys.argv[1:3]
document = docx.Document(path)
xml = zipfile.ZipFile(path).read('word/document.xml').decode()
if mode == 'direct':
    assert len(document.tables) == 0, 'the table is still there'
    assert document.paragraphs[-1].text == '', [p.text for p in document.paragraphs[-3:]]
    assert 'At a glance' in [p.text for p in document.paragraphs]
else:
    rows = re.findall(r'<w:tr[ >].*?</w:tr>', xml, re.S)
    marked = [r for r in rows if re.search(r'<w:trPr>.*<w:del w:id="\d+" w:author="Xavier Tester"', r, re.S)]
    assert rows and len(marked) == len(rows), (len(rows), len(marked))
print('  tables', len(document.tables), 'rows marked deleted', len(re.findall(r'<w:trPr>(?:(?!</w:trPr>).)*<w:del ', xml, re.S)))
PY
    if [ $mode = tracked ]; then
        pandoc --track-changes=reject -t plain "$work/table-$mode.docx" | grep -q "Copied as it is" ||
            fail "3: rejecting the changes does not bring the table back"
        pandoc --track-changes=accept -t plain "$work/table-$mode.docx" | grep -q "Copied as it is" &&
            fail "3: accepting the changes leaves the table"
    fi
    pass "3 ($mode): the selection across the table took it with the text"
    close
done

# 4. Ctrl+Shift+Right over "some " then Delete, tracked.
open_copy word.docx "$fonts"
xdotool key ctrl+shift+e
find_text "some superscript"
xdotool key Left ctrl+shift+Right
sleep 0.3
xdotool key Delete
sleep 0.5
x11_save
xml=$(unzip -p "$work/word.docx" word/document.xml)
grep -q '<w:del w:id="[0-9]*" w:author="Xavier Tester"[^>]*><w:r><w:delText xml:space="preserve">some </w:delText>' <<<"$xml" ||
    fail "4: no deletion of \"some \": $(grep -o '<w:delText[^<]*</w:delText>' <<<"$xml")"
grep -q 'ome s<' <<<"$xml" && fail "4: \"ome s\" recorded"
# pandoc writes superscript as ^(…).
plain --track-changes=accept "$work/word.docx" | grep -qF "Text having ^(superscript) and some" ||
    fail "4: accepting does not read \"Text having superscript\""
pass "4: the tracked deletion is \"some \", and accepting it reads \"Text having superscript and some subscript.\""
close

# 5. Six Backspaces are one change.
open_copy backspaces.docx "$welcome"
xdotool key ctrl+shift+e
find_text "minutes"
xdotool key Right
for _ in 1 2 3 4 5 6; do xdotool key BackSpace; sleep 0.15; done
sleep 0.5
x11_save
"$py" - "$work/backspaces.docx" <<'PY' || fail 5
import re, sys, zipfile
xml = zipfile.ZipFile(sys.argv[1]).read('word/document.xml').decode()
mine = re.findall(r'<w:del w:id="\d+" w:author="Xavier Tester".*?</w:del>', xml, re.S)
texts = [''.join(re.findall(r'<w:delText[^>]*>([^<]*)</w:delText>', d)) for d in mine]
assert texts == ['inutes'], texts
print('  w:del by Xavier Tester:', texts)
PY
pass "5: six Backspaces made one w:del"
close

# 7. Find and Replace in every story, never in deleted text.
open_copy find.docx "$welcome"
# Ctrl+Alt+F puts the caret in the search field with its text selected; Tab goes to the
# replacement, five more to All (Previous, Next, Done, Replace, All).
replace_bar() { xdotool key ctrl+alt+f; sleep 0.8; }
replace_bar
xdotool type --delay 30 "Copied as"
xdotool key Return Tab
xdotool type --delay 30 "Kept as"
xdotool key Return  # replaces the match Find selected, in its table cell
sleep 0.5
replace_bar
xdotool type --delay 30 "Tovin"
xdotool key Tab ctrl+a
xdotool type --delay 30 "Tovyn"
xdotool key Tab Tab Tab Tab Tab space
sleep 0.5
replace_bar
xdotool type --delay 30 "at once"
xdotool key Tab ctrl+a
xdotool type --delay 30 "X"
xdotool key Tab Tab Tab Tab Tab space
sleep 0.5
xdotool key Escape
x11_save
"$py" - "$work/find.docx" <<'PY' || fail 7
import re, sys, zipfile, docx
path = sys.argv[1]
document = docx.Document(path)
cells = [c.text for t in document.tables for r in t.rows for c in r.cells]
assert 'Kept as it is' in cells, cells
package = zipfile.ZipFile(path)
for part in ['word/document.xml', 'word/header1.xml', 'word/footnotes.xml']:
    xml = package.read(part).decode()
    text = ''.join(re.findall(r'<w:t(?: [^>]*)?>([^<]*)</w:t>', xml))
    assert 'tovin' not in text.lower(), (part, text)
    assert 'Tovyn' in text, part
body = package.read('word/document.xml').decode()
assert 'all of them at once</w:delText>' in body, 'the deleted text changed'
print('  "Kept as it is" in the table; no Tovin left in the body, header or footnote; the deletion kept')
PY
pass "7: Replace reached the table cell; Replace All the body, table, header and footnote, not deleted text"
close

# 8. A click under a paragraph's last line goes to its end.
open_copy click.docx "$welcome"
xdotool mousemove "${below_edit_a_copy[@]}" click 1
sleep 0.3
xdotool type --delay 40 " Typed."
sleep 0.5
x11_save
plain "$work/click.docx" | tr '\n' ' ' | grep -q "only what you changed differs. Typed. *At a glance" ||
    fail "8: $(plain "$work/click.docx" | grep -n 'Typed')"
pass "8: the text typed after the click ends \"…changed differs.\"; \"At a glance\" is untouched"
close

# 10. A damaged main part.
"$py" - "$welcome" "$work/halved.docx" <<'PY'
import sys, zipfile
source, target = sys.argv[1:3]
with zipfile.ZipFile(source) as original, zipfile.ZipFile(target, 'w', zipfile.ZIP_DEFLATED) as out:
    for info in original.infolist():
        data = original.read(info.filename)
        out.writestr(info, data[:len(data) // 2] if info.filename == 'word/document.xml' else data)
PY
"$tovin" "$work/halved.docx" >/dev/null 2>&1 &
pid=$!
sleep 3
xdotool search --name "halved.docx" >/dev/null 2>&1 && fail "10: a window opened"
alert=$(xdotool search --name "Tovin" 2>/dev/null | head -1)
[ -n "$alert" ] || fail "10: no alert"
import -window root "$work/alert.png" 2>/dev/null || true
xdotool key Return
sleep 0.5
close
grep -rqs "halved.docx" "$work/config" "$work/state" && fail "10: the file joined the recent documents"
set +e
"$tovin" --export-pdf "$work/halved.pdf" "$work/halved.docx" 2>"$work/err"
status=$?
set -e
[ $status -eq 1 ] && [ "$(wc -l <"$work/err")" -eq 1 ] && grep -q "halved.docx" "$work/err" && [ ! -e "$work/halved.pdf" ] ||
    fail "10: export exit $status, stderr: $(cat "$work/err")"
echo "  export: $(cat "$work/err")"
pass "10: no window, an alert, no recent entry; tovin --export-pdf exits 1 with one line"
echo "all checks passed"
