#!/bin/bash
# Tab between table cells in a real window under Xvfb with real key events (never run by
# ctest: it needs a display). Usage: tests/x11/tab_cells.sh DISPLAY_NUMBER [path/to/tovin]
#
# On a copy of the corpus's mammoth-tables.docx (a 2 × 2 table between "Above" and "Below"):
# a click into the top left cell, then Tab selects the next cell's text and typing replaces
# it; Tab from the bottom right cell adds a third row and types into its first cell; Ctrl+Tab
# types a tab there. Ctrl+S saves; the saved table has three rows with that text, and
# screenshots before and after are kept in $TOVIN_X11_SHOTS when it is set.
set -euo pipefail
number=${1:?display number}
tovin=${2:-build/Tovin/tovin}
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tests/x11/session.sh"
x11_session "$number"
cp "$root/../shared/corpus/mammoth-tables.docx" "$work/tabs.docx"
chmod u+w "$work/tabs.docx"  # the corpus is read-only
x11_open "$work/tabs.docx"
shots=${TOVIN_X11_SHOTS:-$work}
import -window root "$shots/tab-before.png"

top_left=(600 246)  # where tables.sh finds the cells of this window
xdotool mousemove "${top_left[@]}" click 1
sleep 0.3
xdotool key Tab
xdotool type --delay 60 "TR"
xdotool key Tab Tab
xdotool type --delay 60 "BR"
xdotool key Tab
sleep 1
xdotool type --delay 60 "new"
xdotool key ctrl+Tab
xdotool type --delay 60 "row"
sleep 0.5
import -window root "$shots/tab-after.png"
xdotool key ctrl+s
sleep 1; import -window root "$shots/tab-saved.png"
# The save is checked and written in the background: wait for the file to change.
for _ in $(seq 40); do cmp -s "$root/../shared/corpus/mammoth-tables.docx" "$work/tabs.docx" || break; sleep 0.25; done
sleep 1
python3 - "$work/tabs.docx" <<'PY'
import re, sys, zipfile
xml = zipfile.ZipFile(sys.argv[1]).read("word/document.xml").decode()
rows = re.findall(r"<w:tr[ >].*?</w:tr>", xml, re.S)
def texts(row):
    out = []
    for cell in re.findall(r"<w:tc>.*?</w:tc>", row, re.S):
        pieces = re.finditer(r"<w:t(?: [^>]*)?>([^<]*)</w:t>|<w:tab/>", cell)
        out.append("".join(m.group(1) if m.group(1) is not None else "\t" for m in pieces))
    return out
seen = [texts(r) for r in rows]
print(seen)
assert len(rows) == 3, len(rows)
assert seen[0][1] == "TR" and seen[1][1] == "BR", seen
assert seen[2][0] == "new\trow", seen
print("Tab moved through the cells, grew the table and Ctrl+Tab typed a tab")
PY
echo "all checks passed"
