"""What a save changed, for the real-display scripts.

Usage: saved_diff.py ORIGINAL SAVED [--paragraph [TEXT]]

Checks that every ZIP entry but word/document.xml is byte-identical (stored bytes and
local header). With --paragraph, also that exactly one paragraph of word/document.xml
differs and nothing outside it; with TEXT, that the changed paragraph holds TEXT.
Prints the index of the changed paragraph. Used as a module, stored_entries() gives the
entries' stored bytes.
"""
import re
import struct
import sys
import zipfile


def stored_entries(path):
    data = open(path, 'rb').read()
    entries = {}
    for info in zipfile.ZipFile(path).infolist():
        n, e = struct.unpack('<HH', data[info.header_offset + 26:info.header_offset + 30])
        entries[info.filename] = data[info.header_offset:info.header_offset + 30 + n + e + info.compress_size]
    return entries


def only_document_changed(original, saved):
    a, b = stored_entries(original), stored_entries(saved)
    assert list(a) == list(b), "entry list differs"
    changed = [name for name in a if a[name] != b[name]]
    assert changed == ['word/document.xml'], changed


def changed_paragraph(original, saved):
    xa = zipfile.ZipFile(original).read('word/document.xml').decode()
    xb = zipfile.ZipFile(saved).read('word/document.xml').decode()
    pa, pb = (re.findall(r'<w:p[ >].*?</w:p>', x, re.S) for x in (xa, xb))
    differ = [i for i, (x, y) in enumerate(zip(pa, pb)) if x != y]
    assert len(pa) == len(pb) and len(differ) == 1, differ
    assert xa.replace(pa[differ[0]], '') == xb.replace(pb[differ[0]], ''), "outside the paragraph"
    return differ[0], pb[differ[0]]


if __name__ == '__main__':
    original, saved, *rest = sys.argv[1:]
    only_document_changed(original, saved)
    if rest and rest[0] == '--paragraph':
        index, paragraph = changed_paragraph(original, saved)
        if len(rest) > 1:
            assert rest[1] in paragraph, paragraph
        print("only word/document.xml differs, only in paragraph", index)
    else:
        print("every entry but word/document.xml is byte-identical")
