#!/bin/bash
# A new document made, typed, listed, formatted, pasted into and zoomed in a real window
# under Xvfb with real keys and the mouse wheel (never run by ctest: it needs a display).
# Usage: tests/x11/wordprocessing.sh DISPLAY_NUMBER [path/to/tovin]
# With SHOTS=DIR the screenshots are kept in DIR.
#
#  1. Ctrl+N, typing, Ctrl+S through Qt's save dialog (the name typed without ".docx")
#     writes fruit.docx, which python-docx and LibreOffice read with the typed text;
#  2. Ctrl+Shift+8 and Ctrl+Shift+7 make the first paragraphs a bulleted and a numbered
#     list: the saved file has both, and LibreOffice's text export shows "•" and "1.";
#  3. a word made bold, copied and pasted at the end of another paragraph is saved bold
#     twice; Ctrl+] on a word saves it with a larger w:sz than the text around it;
#  4. Ctrl+wheel draws the text larger (OCR measures a word's height) and the file stays
#     byte for byte as it was.
set -euo pipefail
number=${1:?display number}
tovin=$(realpath "${2:-build/Tovin/tovin}")
source "$(dirname "$0")/session.sh"
x11_session "$number"
x11_author "Xavier Tester"
export HOME=$work/home  # the save dialog starts in the home folder
x11_on_exit() { if [ -n "${SHOTS:-}" ]; then cp "$work/tovin.log" "$SHOTS/" 2>/dev/null; fi; }
shot() {
    import -window root "$work/$1.png"
    if [ -n "${SHOTS:-}" ]; then mkdir -p "$SHOTS" && cp "$work/$1.png" "$SHOTS/"; fi
}
keys() { for key in "$@"; do xdotool key "$key"; sleep 0.25; done; }

# 1. A launch with nothing to open shows "Untitled"; Ctrl+N makes "Untitled 2".
"$tovin" >"$work/tovin.log" 2>&1 &
pid=$!
x11_find_window Untitled
sleep 2
xdotool windowfocus --sync "$window" 2>/dev/null || true
keys ctrl+n
x11_find_window "Untitled 2"
sleep 1
xdotool type --delay 50 "Apples are red"
keys Return
xdotool type --delay 50 "Pears are green"
keys Return
xdotool type --delay 50 "Make this bold"
keys Return
xdotool type --delay 50 "Grow this word"
sleep 0.5
keys ctrl+s
sleep 1.5
shot save-dialog
keys ctrl+a
xdotool type --delay 20 "$work/fruit"
keys Return
sleep 2
[ -f "$work/fruit.docx" ] || { echo "FAIL: the save dialog did not write fruit.docx" >&2; ls "$work" >&2; exit 1; }
# Xvfb has no window manager to give the window back its focus once the dialog is gone.
x11_find_window fruit.docx
xdotool windowfocus --sync "$window" 2>/dev/null || true
/usr/bin/python3 - "$work/fruit.docx" <<'PY'
import sys, docx
texts = [p.text for p in docx.Document(sys.argv[1]).paragraphs]
assert texts == ["Apples are red", "Pears are green", "Make this bold", "Grow this word"], texts
print("python-docx reads the new document:", texts)
PY
soffice --headless --convert-to txt:Text --outdir "$work/lo1" "$work/fruit.docx" >/dev/null 2>&1
grep -q "Pears are green" "$work/lo1/fruit.txt" || { echo "FAIL: LibreOffice" >&2; exit 1; }
echo "LibreOffice reads the new document"

# 2. The first paragraph a bulleted list, the second a numbered one.
keys ctrl+Home ctrl+shift+8 Down ctrl+shift+7
# 3. "bold" bold, copied, pasted after "word"; then "Grow" one point larger, twice.
keys Down End ctrl+shift+Left ctrl+b ctrl+c Down End space ctrl+v Home ctrl+shift+Right
keys ctrl+bracketright ctrl+bracketright
sleep 0.5
shot lists-and-fonts
keys ctrl+s
sleep 1.5
/usr/bin/python3 - "$work/fruit.docx" <<'PY'
import sys, zipfile, re, docx
d = docx.Document(sys.argv[1])
ps = d.paragraphs
texts = [p.text for p in ps]
assert texts == ["Apples are red", "Pears are green", "Make this bold", "Grow this word bold"], texts
num = lambda p: p._p.pPr is not None and p._p.pPr.numPr is not None
assert num(ps[0]) and num(ps[1]) and not num(ps[2]), [num(p) for p in ps]
numbering = zipfile.ZipFile(sys.argv[1]).read("word/numbering.xml").decode()
ids = [p._p.pPr.numPr.numId.val for p in ps[:2]]
assert ids[0] != ids[1], ids
assert 'w:numFmt w:val="bullet"' in numbering and 'w:numFmt w:val="decimal"' in numbering
bold = [r.text for p in ps for r in p.runs if r.bold]
assert bold.count("bold") == 2, bold
grow = [r for r in ps[3].runs if r.text.startswith("Grow")][0]
others = [r for r in ps[3].runs if "this" in r.text][0]
assert grow.font.size is not None and grow.font.size.pt == 13, (grow.font.size, others.font.size)
assert others.font.size is None or others.font.size.pt < 13
print("saved: two lists (numIds", ids, "), 'bold' bold twice, 'Grow' at", grow.font.size.pt, "pt")
PY
soffice --headless --convert-to txt:Text --outdir "$work/lo2" "$work/fruit.docx" >/dev/null 2>&1
head -2 "$work/lo2/fruit.txt" | grep -q "•.*Apples are red" || { echo "FAIL: no bullet in LibreOffice's text" >&2; exit 1; }
sed -n 2p "$work/lo2/fruit.txt" | grep -q "1\..*Pears are green" || { echo "FAIL: no number in LibreOffice's text" >&2; exit 1; }
echo "LibreOffice's text export shows the bullet and the number"

# 4. Ctrl+wheel: the word "Pears" is drawn taller, and the file is not touched.
height() {
    shot "$1"
    tesseract "$work/$1.png" - tsv 2>/dev/null | awk -F'\t' '$12 ~ /^Pears$/ { print $10; exit }'
}
before=$(md5sum <"$work/fruit.docx")
small=$(height zoom-before)
xdotool mousemove 700 400
for _ in 1 2 3 4; do xdotool keydown ctrl click 4 keyup ctrl; sleep 0.3; done
sleep 1
large=$(height zoom-after)
echo "\"Pears\" is $small pixels tall before and $large after Ctrl+wheel"
[ -n "$small" ] && [ -n "$large" ] && [ "$large" -gt $((small * 12 / 10)) ] || { echo "FAIL: not larger" >&2; exit 1; }
sleep 3  # past the autosave pause
[ "$(md5sum <"$work/fruit.docx")" = "$before" ] || { echo "FAIL: zooming changed the file" >&2; exit 1; }
echo "zooming left the file byte for byte as it was"
echo "all checks passed"
