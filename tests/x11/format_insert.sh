#!/bin/bash
# Format > Insert Footnote and Format > Insert Table… in a real window under Xvfb, with the
# menus opened and chosen by mouse where OCR reads them (never run by ctest: it needs a
# display). Usage: tests/x11/format_insert.sh DISPLAY_NUMBER [path/to/tovin]
#
# On a copy of samples/welcome.docx (it has one footnote): a click on "reports", Insert
# Footnote, typing "Typed note." (the caret is in the new note), Insert Table… with the
# dialog's 3 × 3 accepted by Return, Ctrl+S. The saved body has two footnote references,
# the new one before the old, footnotes.xml holds the typed text, and a 3 × 3 table stands
# after the paragraph. Screenshots go to $TOVIN_X11_SHOTS when it is set.
set -euo pipefail
number=${1:?display number}
tovin=${2:-build/Tovin/tovin}
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tests/x11/session.sh"
x11_session "$number"
shots=${TOVIN_X11_SHOTS:-$work}
cp "$root/samples/welcome.docx" "$work/notes.docx"
chmod u+w "$work/notes.docx"
x11_open "$work/notes.docx"

x11_click_word '^reports,?$'
xdotool key End
x11_click_word '^Format$'
import -window root "$shots/format-menu.png"
x11_click_word '^Footnote$'
xdotool type --delay 60 "Typed note."
sleep 0.5
import -window root "$shots/footnote-typed.png"
x11_click_word '^reports,?$'
x11_click_word '^Format$'
x11_click_word '^Table'
import -window root "$shots/insert-table-dialog.png"
xdotool key Return
sleep 1
import -window root "$shots/table-inserted.png"
x11_save_changed "$root/samples/welcome.docx" "$work/notes.docx"
python3 - "$work/notes.docx" <<'PY'
import re, sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
body = z.read("word/document.xml").decode()
notes = z.read("word/footnotes.xml").decode()
refs = re.findall(r'<w:footnoteReference w:id="(\d+)"/>', body)
assert len(refs) == 2, refs
typed = re.search(r'<w:footnote [^>]*w:id="(\d+)"[^>]*>(?:(?!</w:footnote>).)*Typed note\.', notes, re.S)
assert typed and typed.group(1) == refs[0], (refs, typed and typed.group(1))
tables = re.findall(r"<w:tbl>.*?</w:tbl>", body, re.S)
shapes = [(len(re.findall(r"<w:tr[ >]", t)), len(re.findall(r"<w:gridCol ", t))) for t in tables]
assert (3, 3) in shapes, shapes
print("footnote", refs[0], "holds the typed text and comes first; tables", shapes)
PY
echo "all checks passed"
