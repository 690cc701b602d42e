#!/bin/bash
# A reply edited and another deleted from their comment card, in a real window under Xvfb
# (never run by ctest: it needs a display).
# Usage: tests/x11/rail_replies.sh DISPLAY_NUMBER [build dir]
#
# welcome.docx's comment gets two replies from tovin-cli. In the window: a double-click on
# the first reply's text, new text typed and Return; then, with the pointer over the card,
# the second reply's own Delete; then Ctrl+S. The saved comments, commentsExtended and
# document parts must be byte for byte what tovin-cli comment-edit and comment-delete make
# of the same file, and LibreOffice must read the comment and the edited reply only.
set -euo pipefail
number=${1:?display number}
build=$(cd "${2:-build}" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
tovin=$build/Tovin/tovin
cli=$build/cli/tovin-cli
source "$root/tests/x11/session.sh"
x11_session "$number"
cd "$work"
"$cli" reply "$root/samples/welcome.docx" --to 0 --text "First reply, to be edited." --author "Ben Reply" \
    -o one.docx >/dev/null
"$cli" reply one.docx --to 0 --text "Second reply, to be removed." --author "Cy Reply" -o two.docx >/dev/null
"$cli" comments two.docx | grep -q "Second reply" || { echo "FAIL: the replies were not added" >&2; exit 1; }
cp two.docx work.docx
TOVIN_X11_SETTLE=3 x11_open "$work/work.docx"

# Every place OCR reads a word matching REGEX, one "x y" a line, top to bottom.
words_at() {
    import -window root "$work/screen.png"
    convert "$work/screen.png" -resize 200% "$work/large.png"
    tesseract "$work/large.png" - tsv 2>/dev/null |
        awk -F'\t' -v want="$1" '$12 ~ want { print int(($7 + $9 / 2) / 2), int(($8 + $10 / 2) / 2) }' |
        sort -n -k2
}

echo "Double-click on the first reply and give it new text"
read -r x y < <(words_at '^edited\.$' | head -1) || { echo "FAIL: the first reply is not on screen" >&2; exit 1; }
xdotool mousemove "$x" "$y" sleep 0.5 click --repeat 2 --delay 80 1
sleep 1
xdotool type --delay 30 "First reply, edited in its card."
xdotool key Return
sleep 1.5

echo "Delete on the second reply"
# OCR does not read the small grey action titles: the reply's Delete is found from its text.
# It stands in the reply's author row, 14 pixels above the text's top, 65 pixels in from the
# card's right edge (the card is 236 pixels wide and its text starts at its left edge).
import -window root "$work/screen.png"
convert "$work/screen.png" -resize 200% "$work/large.png"
read -r left top < <(tesseract "$work/large.png" - tsv 2>/dev/null |
    awk -F'\t' '$12 == "Second" { print int($7 / 2), int($8 / 2); exit }') ||
    { echo "FAIL: the second reply is not on screen" >&2; exit 1; }
xdotool mousemove "$left" "$top"
sleep 0.8
xdotool mousemove $((left + 236 - 65)) $((top - 14)) sleep 0.3 click 1
sleep 1.5
x11_save "$work/work.docx"

"$cli" comment-edit two.docx 3 --text "First reply, edited in its card." -o edited.docx >/dev/null
"$cli" comment-delete edited.docx 4 -o expected.docx >/dev/null
for part in word/comments.xml word/commentsExtended.xml word/document.xml; do
    cmp <(unzip -p work.docx "$part") <(unzip -p expected.docx "$part")
    echo "  $part is byte-identical to tovin-cli comment-edit and comment-delete's"
done
"$cli" comments work.docx
soffice --headless --convert-to odt --outdir "$work/odt" work.docx >/dev/null 2>&1
python3 - "$work/odt/work.odt" <<'PY'
import re, sys, zipfile
content = zipfile.ZipFile(sys.argv[1]).read("content.xml").decode()
notes = [" ".join(re.sub(r"<[^>]+>", " ", a).split())
         for a in re.findall(r"<office:annotation[ >].*?</office:annotation>", content)]
assert len(notes) == 2, notes
assert any("First reply, edited in its card." in n for n in notes), notes
assert not any("Second reply" in n for n in notes), notes
print("  LibreOffice reads the comment and the edited reply, not the deleted one")
PY
echo "all checks passed"
