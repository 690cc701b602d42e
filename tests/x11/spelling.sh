#!/bin/bash
# Spelling and comment highlights in a real window under Xvfb (never run by ctest: it
# needs a display). Usage: tests/x11/spelling.sh DISPLAY_NUMBER [path/to/tovin]
# With TOVIN_X11_KEEP set the screenshots stay in the folder the script prints.
#
# A document with English and French runs and one comment: misspelt English words are
# underlined, French ones are not (no French dictionary), and the commented text is tinted.
# A right-click on "qick" shows its guesses; "quick" is chosen and saved (python-docx reads
# it). "jumpd" is ignored and "Tovinesque" learned by their menu letters: the user's
# dictionary in the data folder holds it. The pointer over the comment's card tints its text
# more strongly.
set -euo pipefail
number=${1:?display number}
tovin=$(realpath "${2:-build/Tovin/tovin}")
. "$(dirname "$0")/session.sh"
x11_session "$number"
mkdir -p "$work/data"
export XDG_DATA_HOME=$work/data
cd "$work"
/usr/bin/python3 - "$work/spelling.docx" <<'PY'
import sys, zipfile
W = 'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"'
def run(text, lang='en-US'):
    return f'<w:r><w:rPr><w:lang w:val="{lang}"/></w:rPr><w:t xml:space="preserve">{text}</w:t></w:r>'
body = (f'<w:p>{run("The qick brown fox jumpd over the lazy dog.")}</w:p>'
        f'<w:p>{run("Tovinesque prose is learned once.")}</w:p>'
        f'<w:p>{run("Le renard rapide saute par-dessus le chien paresseux.", "fr-FR")}</w:p>'
        f'<w:p>{run("This sentence ")}<w:commentRangeStart w:id="1"/>{run("carries a comment")}'
        f'<w:commentRangeEnd w:id="1"/><w:r><w:commentReference w:id="1"/></w:r>{run(".")}</w:p>')
parts = {
    '[Content_Types].xml': '<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/><Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/><Override PartName="/word/comments.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.comments+xml"/></Types>',
    '_rels/.rels': '<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/></Relationships>',
    'word/_rels/document.xml.rels': '<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId8" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/comments" Target="comments.xml"/></Relationships>',
    'word/document.xml': f'<?xml version="1.0" encoding="UTF-8"?><w:document {W}><w:body>{body}</w:body></w:document>',
    'word/comments.xml': f'<?xml version="1.0" encoding="UTF-8"?><w:comments {W}><w:comment w:id="1" w:author="Riley Reviewer"><w:p><w:r><w:t>Worth a second look</w:t></w:r></w:p></w:comment></w:comments>',
}
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:
    for name, xml in parts.items():
        z.writestr(name, xml)
PY
x11_open "$work/spelling.docx" "$work/tovin.log"
# Zoomed in, OCR reads a misspelt word under its wave.
xdotool key ctrl+alt+equal
sleep 0.5
xdotool key ctrl+alt+equal
sleep 1

shot() { import -window root "$work/$1.png"; }
shot opened
# Right-clicks the first word OCR reads as matching REGEX.
right_click() {
    local x y
    read -r x y < <(x11_word_at "$1") || { echo "FAIL: \"$1\" was not found on screen" >&2; exit 1; }
    xdotool mousemove "$x" "$y" click 3
    sleep 1
}

right_click '^[gq]ick$'  # OCR may take the q over its wave for a g
shot menu-qick
x11_click_word '^quick$'  # the guess, in the menu
# Ignore and Learn by their menu letters (OCR often misses the menu's lighter words).
right_click '^jumpd$'
shot menu-jumpd
xdotool key i
sleep 1
right_click '^Tovinesque$'
shot menu-tovinesque
xdotool key l
sleep 1
xdotool mousemove 10 10
sleep 1
shot after
x11_save "$work/spelling.docx"
grep -qx Tovinesque "$work/data/Tovin/Tovin/dictionary.txt" || { echo "FAIL: Tovinesque was not learned" >&2; exit 1; }
echo "the user's dictionary holds: $(cat "$work/data/Tovin/Tovin/dictionary.txt")"
/usr/bin/python3 - "$work/spelling.docx" <<'PY'
import sys, docx
texts = [p.text for p in docx.Document(sys.argv[1]).paragraphs]
assert texts[0] == "The quick brown fox jumpd over the lazy dog.", texts
print("python-docx reads:", texts[0])
PY

# The pointer over the comment's card.
read -r x y < <(x11_word_at '^second$') || { echo "FAIL: the comment's card was not found" >&2; exit 1; }
xdotool mousemove "$x" "$y"
sleep 1
shot hover
echo "screenshots in $work: opened menu-qick menu-jumpd menu-tovinesque after hover"
echo "all checks passed"
