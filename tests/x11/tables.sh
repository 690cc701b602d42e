#!/bin/bash
# Editing a table in a real window under Xvfb with real mouse and key events (never run by
# ctest: it needs a display). Usage: tests/x11/tables.sh DISPLAY_NUMBER [path/to/tovin]
# [path/to/tovin-cli]
#
# Checks, on copies of the corpus's mammoth-tables.docx (a 2 × 2 table between "Above" and
# "Below"):
#  1. a click into the top right cell, typing and Ctrl+S change only word/document.xml, and
#     in it only that cell's paragraph;
#  2. with Review > Track My Edits, "Insert Row Below" from the bottom left cell's context
#     menu adds a third row marked inserted by the author, which tovin-cli lists among the
#     changes;
#  3. undoing it and saving gives back the original file byte for byte.
set -euo pipefail
number=${1:?display number}
tovin=${2:-build/Tovin/tovin}
cli=${3:-build/cli/tovin-cli}
root=$(cd "$(dirname "$0")/../.." && pwd)
here=$root/tests/x11
source "$here/session.sh"
x11_session "$number"
x11_author "Xavier Tester"
cp "$root/../shared/corpus/mammoth-tables.docx" "$work/original.docx"

# The window opens at the same place each time; the table's cells stand at these points.
top_right=(950 246)
bottom_left=(600 263)
insert_row_below=(678 295)  # the menu's second item, opened at bottom_left

open_copy() {
    cp "$work/original.docx" "$work/$1"
    chmod u+w "$work/$1"  # the corpus is read-only, and so would the copy be
    x11_open "$work/$1"
}

# 1. Typing in a cell.
open_copy typed.docx
xdotool mousemove "${top_right[@]}" click 1
sleep 0.3
xdotool key End
xdotool type --delay 60 " and more"
sleep 0.5
x11_save "$work/typed.docx"
python3 "$here/saved_diff.py" "$work/original.docx" "$work/typed.docx" --paragraph "Top right and more"
x11_close

# 2. A tracked row from the context menu, then 3. undo.
open_copy row.docx
xdotool mousemove "${bottom_left[@]}" click 1
xdotool key ctrl+shift+e
sleep 0.3
xdotool mousemove "${bottom_left[@]}" click 3
sleep 0.8
xdotool mousemove "${insert_row_below[@]}" click 1
sleep 1
x11_save "$work/row.docx"
rows=$(unzip -p "$work/row.docx" word/document.xml | grep -o '<w:tr ' | wc -l)
[ "$rows" = 3 ] || { echo "FAIL: $rows rows"; exit 1; }
unzip -p "$work/row.docx" word/document.xml | grep -q '<w:trPr><w:ins w:id="[0-9]*" w:author="Xavier Tester"' ||
    { echo "FAIL: no tracked row"; exit 1; }
"$cli" changes "$work/row.docx" | tee "$work/changes.txt"
grep -q $'table row (inserted)\tXavier Tester' "$work/changes.txt" || { echo "FAIL: tovin-cli changes"; exit 1; }
echo "Insert Row Below made a tracked row that tovin-cli lists"
xdotool key ctrl+z
sleep 0.5
x11_save "$work/row.docx"
cmp "$work/original.docx" "$work/row.docx"
echo "undoing the row and saving gives back the original file byte for byte"
x11_close
echo "all checks passed"
