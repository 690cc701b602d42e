#!/bin/bash
# Ctrl+wheel over the pages, "More Colours…" of the format bar, and a 5 MB HTML paste, in a
# real window under Xvfb with real keys, mouse and clipboard (never run by ctest: it needs a
# display). Usage: tests/x11/pages-colour-paste.sh DISPLAY_NUMBER [path/to/tovin]
# With SHOTS=DIR the screenshots are kept in DIR.
#
#  1. In page view (Ctrl+Alt+P) Ctrl+wheel draws the pages larger (OCR measures a word's
#     height) and the file stays byte for byte as it was;
#  2. a word selected by keys, the format bar's Colour ▸ More Colours…, the colour typed in
#     the dialog's HTML field: the saved word has w:color w:val="1E90AB";
#  3. 5 MB of HTML on the clipboard (xclip) pasted with Ctrl+V and saved: the saved file
#     holds every pasted paragraph, and the time from Ctrl+V to the file written is printed.
set -euo pipefail
number=${1:?display number}
tovin=$(realpath "${2:-build/Tovin/tovin}")
source "$(dirname "$0")/session.sh"
x11_session "$number"
x11_author "Xavier Tester"
clip=
x11_on_exit() { if [ -n "$clip" ]; then kill "$clip" 2>/dev/null || true; fi; }
shot() {
    import -window root "$work/$1.png"
    if [ -n "${SHOTS:-}" ]; then mkdir -p "$SHOTS" && cp "$work/$1.png" "$SHOTS/"; fi
}
keys() { for key in "$@"; do xdotool key "$key"; sleep 0.4; done; }
height() {
    shot "$1"
    # tesseract may die of the pipe awk closes: not a failure.
    tesseract "$work/$1.png" - tsv 2>/dev/null | awk -F'\t' -v w="$2" '$12 == w { print $10; exit }' || true
}

# A document of several pages, made by pandoc.
for i in $(seq 120); do echo "Paragraph $i of Measured text that fills some pages."; echo; done >"$work/long.md"
pandoc "$work/long.md" -o "$work/long.docx"
x11_open "$work/long.docx" "$work/tovin.log"

# 1. Page view, then Ctrl+wheel over the pages.
before=$(md5sum <"$work/long.docx")
keys ctrl+alt+p
sleep 1
xdotool mousemove 800 500
small=$(height pages-before Measured)
for _ in 1 2 3 4; do xdotool keydown ctrl click 4 keyup ctrl; sleep 0.4; done
sleep 1
large=$(height pages-after Measured)
echo "in page view \"Measured\" is $small pixels tall before and $large after Ctrl+wheel"
[ -n "$small" ] && [ -n "$large" ] && [ "$large" -gt $((small * 12 / 10)) ] || { echo "FAIL: pages not larger" >&2; exit 1; }
sleep 3  # past the autosave pause
[ "$(md5sum <"$work/long.docx")" = "$before" ] || { echo "FAIL: zooming changed the file" >&2; exit 1; }
echo "zooming the pages left the file byte for byte as it was"
keys ctrl+alt+p ctrl+0
sleep 1

# 2. The first word selected by keys; the format bar's Colour menu, More Colours…, and the
# colour typed into the dialog's HTML field.
keys ctrl+Home ctrl+shift+Right
sleep 1
shot format-bar
x11_click_word '^Colour'
shot colour-menu
x11_click_word '^More'
sleep 1
shot colour-dialog
# The HTML field stands under the "Red:" label (OCR misses the field's own text).
read -r x y < <(x11_word_at '^Red') || { echo "FAIL: no colour dialog" >&2; exit 1; }
xdotool mousemove $((x - 20)) $((y + 93)) click --repeat 3 1
xdotool type --delay 40 "#1e90ab"
sleep 0.5
shot colour-chosen
keys Return
sleep 1
shot coloured
x11_save "$work/long.docx"
unzip -p "$work/long.docx" word/document.xml | grep -q '<w:color w:val="1E90AB"/>' ||
    { echo "FAIL: the chosen colour is not saved" >&2; exit 1; }
echo "the colour chosen in the dialog is saved as w:color 1E90AB"

# 3. 5 MB of HTML on the clipboard, pasted at the end.
python3 - "$work/big.html" <<'PY'
import sys
paragraph = "<p>word <b>word</b> word word word word word word word word</p>"
with open(sys.argv[1], "w") as out:
    out.write(paragraph * (5 * 1024 * 1024 // len(paragraph) + 1))
PY
xclip -selection clipboard -t text/html -i "$work/big.html" &
clip=$!
sleep 1
keys ctrl+End
start=$(date +%s.%N)
xdotool key ctrl+v
x11_save "$work/long.docx"
end=$(date +%s.%N)
shot pasted
words=$(unzip -p "$work/long.docx" word/document.xml | grep -o '<w:b/><w:b[^>]*/>\|<w:b/>' | wc -l)
echo "$words bold runs saved; Ctrl+V to the saved file took $(echo "$end - $start" | bc) s (the save included)"
[ "$words" -gt 80000 ] || { echo "FAIL: the pasted paragraphs are not saved" >&2; exit 1; }
echo "all checks passed"
