#!/bin/bash
# A comment deleted from its card, and Help showing the guide, in a real window under Xvfb
# (never run by ctest: it needs a display). Usage: tests/x11/card_help.sh DISPLAY_NUMBER
# [path/to/tovin] [path/to/tovin-cli]
#
# On a copy of samples/welcome.docx (one comment, by Mira Okafor): the pointer over the card
# shows its actions, a click on Delete takes the comment, Ctrl+S saves, and tovin-cli lists no
# comment while document.xml keeps no comment mark. F1 then opens Tovin Help, whose window
# OCR reads the guide's "Footnotes and endnotes" heading in. Screenshots go to $TOVIN_X11_SHOTS when it is set.
set -euo pipefail
number=${1:?display number}
tovin=${2:-build/Tovin/tovin}
cli=${3:-build/cli/tovin-cli}
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
cp "$root/samples/welcome.docx" "$work/card.docx"
chmod u+w "$work/card.docx"
"$tovin" "$work/card.docx" >/dev/null 2>&1 &
pid=$!
for _ in $(seq 50); do window=$(xdotool search --name card.docx 2>/dev/null | head -1) && [ -n "$window" ] && break; sleep 0.2; done
sleep 2
xdotool windowfocus --sync "$window" 2>/dev/null || true

# The centre of the first word OCR reads as $1 (at twice the size), as "x y".
find_word() {
    import -window root "$work/screen.png"
    convert "$work/screen.png" -resize 200% "$work/large.png"
    tesseract "$work/large.png" - tsv 2>/dev/null |
        awk -F'\t' -v want="$1" '$12 ~ want { print int(($7 + $9 / 2) / 2), int(($8 + $10 / 2) / 2); exit }'
}

# The window opens at the same place each time; the card's text stands here.
xdotool mousemove 1163 505
sleep 1
import -window root "$shots/card-hovered.png"
# The faint action titles are often missed by OCR: the card's Delete stands here then.
read -r x y < <(find_word '^Delete$') || { x=1240 y=539; }
xdotool mousemove "$x" "$y" click 1
sleep 1
import -window root "$shots/card-deleted.png"
xdotool key ctrl+s
for _ in $(seq 40); do cmp -s "$root/samples/welcome.docx" "$work/card.docx" || break; sleep 0.25; done
sleep 1
[ -z "$("$cli" comments "$work/card.docx")" ] || { echo "FAIL: comments remain"; exit 1; }
! unzip -p "$work/card.docx" word/document.xml | grep -q "commentR" || { echo "FAIL: comment marks remain"; exit 1; }
echo "the comment was deleted from its card, with its marks"

xdotool key F1
sleep 1.5
import -window root "$shots/help.png"
read -r x y < <(find_word '^Footnotes$') || true
[ -n "${x:-}" ] || { echo "FAIL: Help shows no guide" >&2; exit 1; }
echo "Help shows the guide"
echo "all checks passed"
