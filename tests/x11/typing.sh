#!/bin/bash
# Typing into a real window under Xvfb with real key events (never run by ctest: it needs a
# display). Usage: tests/x11/typing.sh DISPLAY_NUMBER [path/to/tovin]
#
# Checks, on copies of samples/welcome.docx:
#  1. direct typing then Ctrl+S changes only word/document.xml, only inside the paragraph
#     typed into, and pandoc reads the typed words;
#  2. with Review > Track My Edits, the typed words are a w:ins by the author name of the
#     settings and a Backspace makes a w:del; pandoc --track-changes=reject shows neither;
#  3. undoing every step and saving gives back the original file byte for byte.
set -euo pipefail
number=${1:?display number}
tovin=${2:-build/Tovin/tovin}
root=$(cd "$(dirname "$0")/../.." && pwd)
here=$root/tests/x11
source "$here/session.sh"
x11_session "$number"
x11_author "Xavier Tester"
cp "$root/samples/welcome.docx" "$work/original.docx"

# Opens a copy in its own tovin and clicks into the paragraph "This document is itself…".
open_copy() {
    cp "$work/original.docx" "$work/$1"
    x11_open "$work/$1"
    xdotool mousemove 700 499 click 1
    sleep 0.3
    xdotool key End
}

# Every ZIP entry but word/document.xml byte-identical (stored bytes and local header), and
# in word/document.xml only one paragraph different.
compare() {
    python3 "$here/saved_diff.py" "$work/original.docx" "$1" --paragraph
}

# 1. Direct typing.
open_copy direct.docx
xdotool type --delay 60 " Typed words arrive here."
sleep 0.5
x11_save
compare "$work/direct.docx"
pandoc -t plain "$work/direct.docx" | tr '\n' ' ' | grep -q "compare. Typed words arrive here." || { echo "FAIL: pandoc"; exit 1; }
echo "pandoc reads the typed words"
x11_close

# 2. Tracked typing and a Backspace, then 3. undo to the original.
open_copy tracked.docx
xdotool key ctrl+shift+e
xdotool type --delay 60 " Tracked words here."
xdotool key --repeat 20 --delay 20 Left
xdotool key BackSpace
sleep 0.5
x11_save
compare "$work/tracked.docx"
xml=$(unzip -p "$work/tracked.docx" word/document.xml)
expect() {
    grep -q "$1" <<<"$xml" || { echo "FAIL: no $2"; exit 1; }
    echo "$2"
}
expect '<w:ins w:id="[0-9]*" w:author="Xavier Tester"[^>]*><w:r><w:t xml:space="preserve"> Tracked words here.</w:t>' \
    "typed words are a w:ins by Xavier Tester"
# Back over the typed words, Backspace deletes the full stop of "compare.".
expect 'compare</w:t></w:r><w:del w:id="[0-9]*" w:author="Xavier Tester"[^>]*><w:r><w:delText>.</w:delText>' \
    "Backspace made a w:del by Xavier Tester"
if pandoc --track-changes=reject -t plain "$work/tracked.docx" | grep -q "Tracked words"; then
    echo "FAIL: rejected changes still show the typed words"; exit 1
fi
pandoc --track-changes=reject -t plain "$work/tracked.docx" | tr '\n' ' ' | grep -q "This document is itself" || { echo "FAIL: reject"; exit 1; }
echo "pandoc --track-changes=reject shows neither change"
for _ in 1 2 3 4 5; do xdotool key ctrl+z; sleep 0.3; done
x11_save
cmp "$work/original.docx" "$work/tracked.docx"
echo "undoing every step and saving gives back the original file byte for byte"
x11_close
echo "all checks passed"
