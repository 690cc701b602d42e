#!/bin/bash
# Formatting with the mouse and a menu key in a real window under Xvfb (never run by ctest:
# it needs a display). Usage: tests/x11/bold.sh DISPLAY_NUMBER [path/to/tovin]
#
# On a copy of samples/welcome.docx: a double-click selects the word "reports", Ctrl+B
# makes it bold, Ctrl+S saves. The saved word/document.xml has exactly that run bold and
# every other ZIP entry is byte-identical (stored bytes and local header).
set -euo pipefail
number=${1:?display number}
tovin=${2:-build/Tovin/tovin}
root=$(cd "$(dirname "$0")/../.." && pwd)
here=$root/tests/x11
source "$root/tests/x11/session.sh"
x11_session "$number"
cp "$root/samples/welcome.docx" "$work/original.docx"
cp "$work/original.docx" "$work/bold.docx"
x11_open "$work/bold.docx"
# Where "reports" is drawn, as OCR reads the window (the layout moves as the text does).
import -window root "$work/window.png"
read -r x y < <(tesseract "$work/window.png" - tsv 2>/dev/null |
    awk -F'\t' '$12 ~ /^reports[[:punct:]]*$/ { print $7 + int($9 / 2), $8 + int($10 / 2); exit }')
[ -n "${x:-}" ] || { echo "\"reports\" was not found on screen" >&2; exit 1; }
xdotool mousemove "$x" "$y" click --repeat 2 --delay 80 1
sleep 0.5
xdotool key ctrl+b
sleep 0.5
x11_save
python3 "$here/saved_diff.py" "$work/original.docx" "$work/bold.docx"
python3 - "$work/original.docx" "$work/bold.docx" <<'PY'
import re, sys, zipfile
za, zb = zipfile.ZipFile(sys.argv[1]), zipfile.ZipFile(sys.argv[2])
def bold(z):
    xml = z.read('word/document.xml').decode()
    return re.findall(r'<w:r><w:rPr><w:b/></w:rPr><w:t[^>]*>([^<]*)</w:t></w:r>', xml)
before, after = bold(za), bold(zb)
assert after.count('reports') == 1 and sorted(after) == sorted(before + ['reports']), (before, after)
print("the run \"reports\" is bold, and no other run became bold")
PY
echo "all checks passed"
