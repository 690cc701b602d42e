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
work=$(mktemp -d)
trap 'kill $pid 2>/dev/null || true; kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work"/{run,config,state}
chmod 700 "$work/run"
export DISPLAY=:$number XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state
Xvfb "$DISPLAY" -screen 0 1600x1000x24 >/dev/null 2>&1 &
xvfb=$!
sleep 1
shots=${TOVIN_X11_SHOTS:-$work}
cp "$root/samples/welcome.docx" "$work/notes.docx"
chmod u+w "$work/notes.docx"
"$tovin" "$work/notes.docx" >/dev/null 2>&1 &
pid=$!
for _ in $(seq 50); do window=$(xdotool search --name notes.docx 2>/dev/null | head -1) && [ -n "$window" ] && break; sleep 0.2; done
sleep 2
xdotool windowfocus --sync "$window" 2>/dev/null || true

# Clicks the centre of the first word OCR reads as $1 on the screen (read at twice the
# size: the menu bar's small type is missed at its own).
click_word() {
    import -window root "$work/screen.png"
    convert "$work/screen.png" -resize 200% "$work/large.png"
    read -r x y < <(tesseract "$work/large.png" - tsv 2>/dev/null |
        awk -F'\t' -v want="$1" '$12 ~ want { print int(($7 + $9 / 2) / 2), int(($8 + $10 / 2) / 2); exit }')
    [ -n "${x:-}" ] || { echo "\"$1\" was not found on screen" >&2; exit 1; }
    xdotool mousemove "$x" "$y" click 1
    sleep 0.8
}

click_word '^reports,?$'
xdotool key End
click_word '^Format$'
import -window root "$shots/format-menu.png"
click_word '^Footnote$'
xdotool type --delay 60 "Typed note."
sleep 0.5
import -window root "$shots/footnote-typed.png"
click_word '^reports,?$'
click_word '^Format$'
click_word '^Table'
import -window root "$shots/insert-table-dialog.png"
xdotool key Return
sleep 1
import -window root "$shots/table-inserted.png"
xdotool key ctrl+s
for _ in $(seq 40); do cmp -s "$root/samples/welcome.docx" "$work/notes.docx" || break; sleep 0.25; done
sleep 1
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
