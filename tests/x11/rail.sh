#!/bin/bash
# The comment rail in a real window under Xvfb (never run by ctest: it needs a display).
# Usage: tests/x11/rail.sh DISPLAY_NUMBER [build dir]
#
# A corpus document with comments gets two tracked replacements from tovin-cli. In the
# window: Accept on the card of insertion 7, then Reply to comment 0, then Resolve it, each
# followed by Ctrl+S. After each step the saved package must equal what tovin-cli accept,
# reply and resolve make of the previous one (replies compared with their dates and
# paragraph identifiers, which are drawn afresh, numbered by first appearance). Screenshots
# of the window before and after are left in the folder the script prints.
set -euo pipefail
number=${1:?display number}
build=$(cd "${2:-build}" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
tovin=$build/Tovin/tovin
cli=$build/cli/tovin-cli
TOVIN_X11_KEEP=1  # the screenshots stay in the folder printed at the end
source "$root/tests/x11/session.sh"
x11_session "$number"
cd "$work"
cp "$root/../shared/corpus/pydocx-comments-rich-para.docx" original.docx
"$cli" replace original.docx --find "Other document text" --with "Revised document text" --track \
    --author "Riley Reviewer" --date 2025-06-10T09:00:00Z -o step.docx >/dev/null
"$cli" replace step.docx --find "Paragraph 7" --with "Paragraph seven, rewritten" --track \
    --author "Riley Reviewer" --date 2025-06-10T09:05:00Z -o review.docx >/dev/null
cp review.docx work.docx
TOVIN_X11_SETTLE=3 x11_open "$work/work.docx"
import -window root before.png

compare() {  # saved, expected
    python3 - "$1" "$2" <<'PY'
import re, sys, zipfile
def norm(text):
    text = re.sub(r'w:date="[^"]*"', 'w:date=""', text)
    ids = {}
    def number(m):
        ids.setdefault(m.group(2), 'P%d' % len(ids))
        return '%s="%s"' % (m.group(1), ids[m.group(2)])
    return re.sub(r'(w14:paraId|w15:paraId|w15:paraIdParent|w14:textId)="([0-9A-Fa-f]+)"', number, text)
a, b = zipfile.ZipFile(sys.argv[1]), zipfile.ZipFile(sys.argv[2])
assert sorted(a.namelist()) == sorted(b.namelist()), (a.namelist(), b.namelist())
for name in a.namelist():
    x, y = a.read(name), b.read(name)
    if x != y:
        assert norm(x.decode()) == norm(y.decode()), name + " differs"
print("  every part equals tovin-cli's")
PY
}

# The card of insertion 7 ("Revised document text") is the fourth; hovering shows Accept.
echo "Accept on the card of insertion 7"
xdotool mousemove 1146 455 sleep 0.6 mousemove 1095 483 click 1
sleep 0.8
xdotool key ctrl+s
sleep 1.5
"$cli" accept review.docx 7 -o expected.docx >/dev/null
cmp <(unzip -p work.docx word/document.xml) <(unzip -p expected.docx word/document.xml)
echo "  word/document.xml is byte-identical to tovin-cli accept's"
compare work.docx expected.docx
cp work.docx accepted.docx

echo "Reply to comment 0"
xdotool mousemove 1146 262 sleep 0.6 mousemove 1155 294 click 1
sleep 0.5
xdotool type --delay 30 "Agreed, keep it."
xdotool key Return
sleep 0.8
xdotool key ctrl+s
sleep 1.5
"$cli" reply accepted.docx --to 0 --text "Agreed, keep it." --author "$(python3 -c 'import pwd,os; e=pwd.getpwuid(os.getuid()); print(e.pw_gecos.split(",")[0] or e.pw_name)')" -o expected.docx >/dev/null
compare work.docx expected.docx
cp work.docx replied.docx

echo "Resolve comment 0"
xdotool mousemove 1097 329 click 1
sleep 0.8
xdotool key ctrl+s
sleep 1.5
"$cli" resolve replied.docx 0 -o expected.docx >/dev/null
compare work.docx expected.docx
import -window root after.png
echo "all checks passed; screenshots in $work"
