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
source "$root/tests/x11/session.sh"
x11_session "$number"
shots=${TOVIN_X11_SHOTS:-$work}
cp "$root/samples/welcome.docx" "$work/card.docx"
chmod u+w "$work/card.docx"
x11_open "$work/card.docx"

# The window opens at the same place each time; the card's text stands here.
xdotool mousemove 1163 505
sleep 1
import -window root "$shots/card-hovered.png"
# The faint action titles are often missed by OCR: the card's Delete stands here then.
read -r x y < <(x11_word_at '^Delete$') || { x=1240 y=539; }
xdotool mousemove "$x" "$y" click 1
sleep 1
import -window root "$shots/card-deleted.png"
x11_save_changed "$root/samples/welcome.docx" "$work/card.docx"
[ -z "$("$cli" comments "$work/card.docx")" ] || { echo "FAIL: comments remain"; exit 1; }
! unzip -p "$work/card.docx" word/document.xml | grep -q "commentR" || { echo "FAIL: comment marks remain"; exit 1; }
echo "the comment was deleted from its card, with its marks"

xdotool key F1
sleep 1.5
import -window root "$shots/help.png"
read -r x y < <(x11_word_at '^Footnotes$') || true
[ -n "${x:-}" ] || { echo "FAIL: Help shows no guide" >&2; exit 1; }
echo "Help shows the guide"
echo "all checks passed"
