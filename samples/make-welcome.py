#!/usr/bin/env python3
"""Writes samples/welcome.docx, the small document `make run` opens.

Every WordprocessingML part is written by hand here, so the sample holds exactly the
markup we chose and nothing a converter added: a title and headings, a bulleted and a
numbered list, a table, a footnote, a header and a footer, an inline PNG, a comment and
a tracked insertion and deletion. The output is byte-for-byte reproducible: entries are
written in a fixed order with a fixed timestamp, so regenerating it only changes the
file when this script changes.

    python3 samples/make-welcome.py [OUTPUT]     (default: welcome.docx beside this script)
"""

import os
import struct
import sys
import zipfile
import zlib
from xml.sax.saxutils import escape

# One fixed moment for the ZIP timestamps, the document properties, the comment and the
# tracked changes, so the output never depends on when it was made.
ZIP_TIME = (2024, 5, 14, 9, 0, 0)
CREATED = "2024-05-14T09:00:00Z"
REVIEW_DATE = "2024-05-14T09:30:00Z"
REVIEWER = "Mira Okafor"
REVIEWER_INITIALS = "MO"

NS_W = "http://schemas.openxmlformats.org/wordprocessingml/2006/main"
NS_R = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
NS_WP = "http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing"
NS_A = "http://schemas.openxmlformats.org/drawingml/2006/main"
NS_PIC = "http://schemas.openxmlformats.org/drawingml/2006/picture"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG_REL = "http://schemas.openxmlformats.org/package/2006/relationships"
XML_DECL = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'

W_ROOT_NS = f'xmlns:w="{NS_W}" xmlns:r="{NS_R}"'

# The picture: IMAGE_PX square pixels shown at 96 dpi (9525 EMU per pixel).
IMAGE_PX = 64
IMAGE_EMU = IMAGE_PX * 9525


# --- the picture ----------------------------------------------------------------------

def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def make_png():
    """A 64 x 64 RGB mark: a white "T" on a blue rounded square on a light background,
    drawn pixel by pixel so the script needs nothing beyond the standard library."""
    size = IMAGE_PX
    background = (246, 247, 250)
    blue = (38, 86, 166)
    white = (255, 255, 255)
    radius = 12
    inset = 4
    rows = []
    for y in range(size):
        row = bytearray([0])  # filter type 0 (None) for every scanline
        for x in range(size):
            colour = background
            lo, hi = inset, size - 1 - inset
            if lo <= x <= hi and lo <= y <= hi:
                # Round the corners: outside the corner circle stays background.
                cx = min(max(x, lo + radius), hi - radius)
                cy = min(max(y, lo + radius), hi - radius)
                if (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2:
                    colour = blue
                    in_bar = 16 <= y <= 23 and 16 <= x <= 47
                    in_stem = 16 <= y <= 48 and 28 <= x <= 35
                    if in_bar or in_stem:
                        colour = white
            row.extend(colour)
        rows.append(bytes(row))
    header = struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0)  # 8-bit RGB, no interlace
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header)
            + png_chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + png_chunk(b"IEND", b""))


# --- building blocks for body markup --------------------------------------------------

def text(value):
    # xml:space="preserve" only where a leading or trailing space would otherwise be lost.
    space = ' xml:space="preserve"' if value != value.strip() else ""
    return f"<w:t{space}>{escape(value)}</w:t>"


def run(value, rpr=""):
    props = f"<w:rPr>{rpr}</w:rPr>" if rpr else ""
    return f"<w:r>{props}{text(value)}</w:r>"


def para(content, style=None, ppr_extra=""):
    ppr = ""
    if style or ppr_extra:
        style_el = f'<w:pStyle w:val="{style}"/>' if style else ""
        ppr = f"<w:pPr>{style_el}{ppr_extra}</w:pPr>"
    return f"<w:p>{ppr}{content}</w:p>"


def list_item(value, num_id):
    numbering = f'<w:numPr><w:ilvl w:val="0"/><w:numId w:val="{num_id}"/></w:numPr>'
    return para(run(value), "ListParagraph", numbering)


def table_cell(value, width, header=False):
    rpr = "<w:b/>" if header else ""
    shade = '<w:shd w:val="clear" w:color="auto" w:fill="DCE6F2"/>' if header else ""
    return (f'<w:tc><w:tcPr><w:tcW w:w="{width}" w:type="dxa"/>{shade}</w:tcPr>'
            f'{para(run(value, rpr), ppr_extra=spacing_none())}</w:tc>')


def spacing_none():
    return '<w:spacing w:after="0"/>'


def table(rows, widths):
    grid = "".join(f'<w:gridCol w:w="{w}"/>' for w in widths)
    body = []
    for index, cells in enumerate(rows):
        header = index == 0
        # The first row repeats on every page the table spans (w:tblHeader, 17.4.49).
        trpr = "<w:trPr><w:tblHeader/></w:trPr>" if header else ""
        body.append("<w:tr>" + trpr
                    + "".join(table_cell(c, w, header) for c, w in zip(cells, widths)) + "</w:tr>")
    return ('<w:tbl><w:tblPr><w:tblStyle w:val="TableGrid"/>'
            f'<w:tblW w:w="{sum(widths)}" w:type="dxa"/>'
            '<w:tblLook w:val="04A0" w:firstRow="1" w:lastRow="0" w:firstColumn="1" '
            'w:lastColumn="0" w:noHBand="0" w:noVBand="1"/></w:tblPr>'
            f"<w:tblGrid>{grid}</w:tblGrid>{''.join(body)}</w:tbl>")


def footnote_reference(note_id):
    return (f'<w:r><w:rPr><w:rStyle w:val="FootnoteReference"/></w:rPr>'
            f'<w:footnoteReference w:id="{note_id}"/></w:r>')


def inline_picture(rel_id, description):
    return (
        '<w:r><w:drawing><wp:inline distT="0" distB="0" distL="0" distR="0">'
        f'<wp:extent cx="{IMAGE_EMU}" cy="{IMAGE_EMU}"/>'
        '<wp:effectExtent l="0" t="0" r="0" b="0"/>'
        f'<wp:docPr id="1" name="Picture 1" descr="{escape(description)}"/>'
        '<wp:cNvGraphicFramePr><a:graphicFrameLocks noChangeAspect="1"/></wp:cNvGraphicFramePr>'
        f'<a:graphic><a:graphicData uri="{NS_PIC}"><pic:pic>'
        '<pic:nvPicPr><pic:cNvPr id="0" name="image1.png"/><pic:cNvPicPr/></pic:nvPicPr>'
        f'<pic:blipFill><a:blip r:embed="{rel_id}"/><a:stretch><a:fillRect/></a:stretch></pic:blipFill>'
        '<pic:spPr><a:xfrm><a:off x="0" y="0"/>'
        f'<a:ext cx="{IMAGE_EMU}" cy="{IMAGE_EMU}"/></a:xfrm>'
        '<a:prstGeom prst="rect"><a:avLst/></a:prstGeom></pic:spPr>'
        '</pic:pic></a:graphicData></a:graphic></wp:inline></w:drawing></w:r>')


# Annotation identifiers (comments, insertions, deletions) are kept distinct from one
# another, as Word does, so no reader can confuse one mark with another.
COMMENT_ID = 0
INSERTION_ID = 1
DELETION_ID = 2
FOOTNOTE_ID = 1


def revision_attributes(mark_id):
    return f'w:id="{mark_id}" w:author="{REVIEWER}" w:date="{REVIEW_DATE}"'


# --- parts ----------------------------------------------------------------------------

def document_xml():
    body = [
        para(run("Welcome to Tovin"), "Title"),
        para(run("A word processor for .docx files that leaves alone what you leave alone.",
                 "<w:i/>"), "Subtitle"),

        para(run("What Tovin is for"), "Heading1"),
        para(run("Tovin opens the .docx files you already have, such as reports, contracts, "
                 "theses and minutes, and lets you edit them without disturbing the rest. "
                 "When you save, every byte of the file that you did not change is written "
                 "back exactly as it was, so a colleague\u2019s styles, a lawyer\u2019s tracked "
                 "changes and a publisher\u2019s custom XML all survive the round trip.")
             + footnote_reference(FOOTNOTE_ID)),
        para(run("This document is itself ")
             + f'<w:commentRangeStart w:id="{COMMENT_ID}"/>'
             + run("a small tour")
             + f'<w:commentRangeEnd w:id="{COMMENT_ID}"/>'
             + f'<w:r><w:rPr><w:rStyle w:val="CommentReference"/></w:rPr>'
               f'<w:commentReference w:id="{COMMENT_ID}"/></w:r>'
             + run(": it holds one of each thing Tovin takes care of. Open it with tovin-cli "
                   "to list its parts, or in another word processor to compare.")),

        para(run("What it keeps"), "Heading2"),
        list_item("Styles, numbering and themes, exactly as their author defined them.", 1),
        list_item("Tracked changes and comments from every reviewer.", 1),
        list_item("Headers, footers, footnotes and pictures.", 1),
        list_item("Parts it does not understand, such as custom XML and embedded objects.", 1),

        para(run("Trying it out"), "Heading2"),
        list_item("Build the engine and the command-line tool with make build.", 2),
        list_item("List the parts of this document with tovin-cli parts samples/welcome.docx.", 2),
        list_item("Edit a copy, save it and compare the two files: only what you changed differs.", 2),

        para(run("At a glance"), "Heading1"),
        para(run("The table below shows what happens to each kind of content when you save.")),
        table([
            ["Content", "When you change it", "When you do not"],
            ["A paragraph", "Only that paragraph is written anew", "Its original bytes are kept"],
            ["A picture", "The new picture joins the package", "Its stored bytes are copied"],
            ["An unknown part", "Tovin never changes it", "Copied as it is"],
        ], [2400, 3480, 3480]),
        para(inline_picture("rId8", "The Tovin mark: a white T on a blue square"),
             ppr_extra='<w:spacing w:before="240" w:after="60"/><w:jc w:val="center"/>'),
        para(run("The Tovin mark, a 64 \u00d7 64 PNG kept in the package as word/media/image1.png.",
                 "<w:i/>"), ppr_extra='<w:jc w:val="center"/>'),

        para(run("Reviewing together"), "Heading1"),
        para(run("With tracking on, Tovin records every change with your name and the time. "
                 "Your reviewers can then accept or reject ")
             + f'<w:del {revision_attributes(DELETION_ID)}>'
               '<w:r><w:delText>all of them at once</w:delText></w:r></w:del>'
             + f'<w:ins {revision_attributes(INSERTION_ID)}>'
             + run("each change on its own") + "</w:ins>"
             + run(", and nothing else in the file moves.")),
        para(run("News about Tovin will appear on ")
             + '<w:hyperlink r:id="rId9" w:history="1">'
             + run("the project page", '<w:rStyle w:val="Hyperlink"/>')
             + "</w:hyperlink>" + run(".")),
    ]
    # US Letter with one-inch margins; the header and footer sit half an inch from the edge.
    section = ('<w:sectPr><w:headerReference w:type="default" r:id="rId6"/>'
               '<w:footerReference w:type="default" r:id="rId7"/>'
               '<w:pgSz w:w="12240" w:h="15840"/>'
               '<w:pgMar w:top="1440" w:right="1440" w:bottom="1440" w:left="1440" '
               'w:header="720" w:footer="720" w:gutter="0"/>'
               '<w:cols w:space="720"/><w:docGrid w:linePitch="360"/></w:sectPr>')
    return (XML_DECL + f'<w:document {W_ROOT_NS} xmlns:wp="{NS_WP}" xmlns:a="{NS_A}" '
            f'xmlns:pic="{NS_PIC}"><w:body>' + "".join(body) + section + "</w:body></w:document>")


def style(kind, style_id, name, body="", based_on=None, next_style=None, link=None,
          ui_priority=None, qformat=False, default=False, semi_hidden=False):
    # Child order follows CT_Style (17.7.4.17): name, basedOn, next, link, uiPriority,
    # semiHidden, unhideWhenUsed, qFormat, then pPr/rPr/tblPr.
    attrs = f'w:type="{kind}"' + (' w:default="1"' if default else "") + f' w:styleId="{style_id}"'
    parts = [f'<w:name w:val="{name}"/>']
    if based_on:
        parts.append(f'<w:basedOn w:val="{based_on}"/>')
    if next_style:
        parts.append(f'<w:next w:val="{next_style}"/>')
    if link:
        parts.append(f'<w:link w:val="{link}"/>')
    if ui_priority is not None:
        parts.append(f'<w:uiPriority w:val="{ui_priority}"/>')
    if semi_hidden:
        parts.append("<w:semiHidden/><w:unhideWhenUsed/>")
    if qformat:
        parts.append("<w:qFormat/>")
    return f"<w:style {attrs}>{''.join(parts)}{body}</w:style>"


def heading(level, size, colour, before):
    return style("paragraph", f"Heading{level}", f"heading {level}",
                 f'<w:pPr><w:keepNext/><w:keepLines/><w:spacing w:before="{before}" w:after="80"/>'
                 f'<w:outlineLvl w:val="{level - 1}"/></w:pPr>'
                 f'<w:rPr><w:rFonts w:ascii="Calibri Light" w:hAnsi="Calibri Light"/>'
                 f'<w:b/><w:color w:val="{colour}"/><w:sz w:val="{size}"/><w:szCs w:val="{size}"/></w:rPr>',
                 based_on="Normal", next_style="Normal", ui_priority=9, qformat=True)


def styles_xml():
    defaults = ('<w:docDefaults><w:rPrDefault><w:rPr>'
                '<w:rFonts w:ascii="Calibri" w:hAnsi="Calibri" w:eastAsia="Calibri" w:cs="Calibri"/>'
                '<w:sz w:val="22"/><w:szCs w:val="22"/>'
                '<w:lang w:val="en-US" w:eastAsia="en-US" w:bidi="ar-SA"/></w:rPr></w:rPrDefault>'
                '<w:pPrDefault><w:pPr><w:spacing w:after="160" w:line="259" w:lineRule="auto"/>'
                '</w:pPr></w:pPrDefault></w:docDefaults>')
    styles = [
        style("paragraph", "Normal", "Normal", default=True, qformat=True),
        style("character", "DefaultParagraphFont", "Default Paragraph Font", default=True,
              ui_priority=1, semi_hidden=True),
        style("table", "TableNormal", "Normal Table",
              '<w:tblPr><w:tblInd w:w="0" w:type="dxa"/><w:tblCellMar>'
              '<w:top w:w="0" w:type="dxa"/><w:left w:w="108" w:type="dxa"/>'
              '<w:bottom w:w="0" w:type="dxa"/><w:right w:w="108" w:type="dxa"/>'
              '</w:tblCellMar></w:tblPr>', default=True, ui_priority=99, semi_hidden=True),
        style("numbering", "NoList", "No List", default=True, ui_priority=99, semi_hidden=True),
        style("paragraph", "Title", "Title",
              '<w:pPr><w:spacing w:after="80" w:line="240" w:lineRule="auto"/>'
              '<w:contextualSpacing/></w:pPr>'
              '<w:rPr><w:rFonts w:ascii="Calibri Light" w:hAnsi="Calibri Light"/>'
              '<w:color w:val="1F3864"/><w:spacing w:val="-10"/><w:kern w:val="28"/>'
              '<w:sz w:val="56"/><w:szCs w:val="56"/></w:rPr>',
              based_on="Normal", next_style="Normal", ui_priority=10, qformat=True),
        style("paragraph", "Subtitle", "Subtitle",
              '<w:pPr><w:spacing w:after="240"/></w:pPr>'
              '<w:rPr><w:color w:val="5A5A5A"/><w:sz w:val="26"/><w:szCs w:val="26"/></w:rPr>',
              based_on="Normal", next_style="Normal", ui_priority=11, qformat=True),
        heading(1, 32, "2F5496", 360),
        heading(2, 26, "2F5496", 240),
        style("paragraph", "ListParagraph", "List Paragraph",
              '<w:pPr><w:ind w:left="720"/><w:contextualSpacing/></w:pPr>',
              based_on="Normal", ui_priority=34, qformat=True),
        style("paragraph", "FootnoteText", "footnote text",
              '<w:pPr><w:spacing w:after="0" w:line="240" w:lineRule="auto"/></w:pPr>'
              '<w:rPr><w:sz w:val="20"/><w:szCs w:val="20"/></w:rPr>',
              based_on="Normal", ui_priority=99, semi_hidden=True),
        style("character", "FootnoteReference", "footnote reference",
              '<w:rPr><w:vertAlign w:val="superscript"/></w:rPr>',
              based_on="DefaultParagraphFont", ui_priority=99, semi_hidden=True),
        style("character", "Hyperlink", "Hyperlink",
              '<w:rPr><w:color w:val="0563C1"/><w:u w:val="single"/></w:rPr>',
              based_on="DefaultParagraphFont", ui_priority=99, semi_hidden=True),
        style("paragraph", "Header", "header",
              '<w:pPr><w:tabs><w:tab w:val="center" w:pos="4680"/><w:tab w:val="right" w:pos="9360"/>'
              '</w:tabs><w:spacing w:after="0" w:line="240" w:lineRule="auto"/></w:pPr>'
              '<w:rPr><w:color w:val="7F7F7F"/><w:sz w:val="18"/><w:szCs w:val="18"/></w:rPr>',
              based_on="Normal", ui_priority=99, semi_hidden=True),
        style("paragraph", "Footer", "footer",
              '<w:pPr><w:tabs><w:tab w:val="center" w:pos="4680"/><w:tab w:val="right" w:pos="9360"/>'
              '</w:tabs><w:spacing w:after="0" w:line="240" w:lineRule="auto"/></w:pPr>'
              '<w:rPr><w:color w:val="7F7F7F"/><w:sz w:val="18"/><w:szCs w:val="18"/></w:rPr>',
              based_on="Normal", ui_priority=99, semi_hidden=True),
        style("paragraph", "CommentText", "annotation text",
              '<w:pPr><w:spacing w:line="240" w:lineRule="auto"/></w:pPr>'
              '<w:rPr><w:sz w:val="20"/><w:szCs w:val="20"/></w:rPr>',
              based_on="Normal", ui_priority=99, semi_hidden=True),
        style("character", "CommentReference", "annotation reference",
              '<w:rPr><w:sz w:val="16"/><w:szCs w:val="16"/></w:rPr>',
              based_on="DefaultParagraphFont", ui_priority=99, semi_hidden=True),
        style("table", "TableGrid", "Table Grid",
              '<w:pPr><w:spacing w:after="0" w:line="240" w:lineRule="auto"/></w:pPr>'
              '<w:tblPr><w:tblBorders>'
              + "".join(f'<w:{side} w:val="single" w:sz="4" w:space="0" w:color="auto"/>'
                        for side in ("top", "left", "bottom", "right", "insideH", "insideV"))
              + '</w:tblBorders></w:tblPr>',
              based_on="TableNormal", ui_priority=39),
    ]
    return XML_DECL + f"<w:styles {W_ROOT_NS}>" + defaults + "".join(styles) + "</w:styles>"


def numbering_xml():
    # abstractNum 0 is the bullet list, 1 the decimal list; w:num 1 and 2 point at them.
    # Every w:abstractNum must precede every w:num (CT_Numbering, 17.9.16).
    bullet = ('<w:abstractNum w:abstractNumId="0"><w:multiLevelType w:val="hybridMultilevel"/>'
              '<w:lvl w:ilvl="0"><w:start w:val="1"/><w:numFmt w:val="bullet"/>'
              '<w:lvlText w:val="\u2022"/><w:lvlJc w:val="left"/>'
              '<w:pPr><w:ind w:left="720" w:hanging="360"/></w:pPr></w:lvl>'
              '<w:lvl w:ilvl="1"><w:start w:val="1"/><w:numFmt w:val="bullet"/>'
              '<w:lvlText w:val="\u2013"/><w:lvlJc w:val="left"/>'
              '<w:pPr><w:ind w:left="1440" w:hanging="360"/></w:pPr></w:lvl></w:abstractNum>')
    decimal = ('<w:abstractNum w:abstractNumId="1"><w:multiLevelType w:val="hybridMultilevel"/>'
               '<w:lvl w:ilvl="0"><w:start w:val="1"/><w:numFmt w:val="decimal"/>'
               '<w:lvlText w:val="%1."/><w:lvlJc w:val="left"/>'
               '<w:pPr><w:ind w:left="720" w:hanging="360"/></w:pPr></w:lvl>'
               '<w:lvl w:ilvl="1"><w:start w:val="1"/><w:numFmt w:val="lowerLetter"/>'
               '<w:lvlText w:val="%2."/><w:lvlJc w:val="left"/>'
               '<w:pPr><w:ind w:left="1440" w:hanging="360"/></w:pPr></w:lvl></w:abstractNum>')
    nums = ('<w:num w:numId="1"><w:abstractNumId w:val="0"/></w:num>'
            '<w:num w:numId="2"><w:abstractNumId w:val="1"/></w:num>')
    return XML_DECL + f"<w:numbering {W_ROOT_NS}>" + bullet + decimal + nums + "</w:numbering>"


def settings_xml():
    # w:footnotePr lists the separator notes every footnote page uses (17.11.12).
    return (XML_DECL + f"<w:settings {W_ROOT_NS}>"
            '<w:zoom w:percent="100"/><w:defaultTabStop w:val="720"/>'
            '<w:characterSpacingControl w:val="doNotCompress"/>'
            '<w:footnotePr><w:footnote w:id="-1"/><w:footnote w:id="0"/></w:footnotePr>'
            '<w:compat><w:compatSetting w:name="compatibilityMode" '
            'w:uri="http://schemas.microsoft.com/office/word" w:val="15"/></w:compat>'
            '<w:decimalSymbol w:val="."/><w:listSeparator w:val=","/></w:settings>')


def footnotes_xml():
    separator = ('<w:footnote w:type="separator" w:id="-1"><w:p><w:pPr>'
                 '<w:spacing w:after="0" w:line="240" w:lineRule="auto"/></w:pPr>'
                 '<w:r><w:separator/></w:r></w:p></w:footnote>')
    continuation = ('<w:footnote w:type="continuationSeparator" w:id="0"><w:p><w:pPr>'
                    '<w:spacing w:after="0" w:line="240" w:lineRule="auto"/></w:pPr>'
                    '<w:r><w:continuationSeparator/></w:r></w:p></w:footnote>')
    note = (f'<w:footnote w:id="{FOOTNOTE_ID}"><w:p><w:pPr><w:pStyle w:val="FootnoteText"/></w:pPr>'
            '<w:r><w:rPr><w:rStyle w:val="FootnoteReference"/></w:rPr><w:footnoteRef/></w:r>'
            + run(" A .docx file is a ZIP package of XML parts. Tovin copies every part you did "
                  "not touch, and every paragraph you did not touch inside a part you did, "
                  "exactly as it found them.")
            + "</w:p></w:footnote>")
    return XML_DECL + f"<w:footnotes {W_ROOT_NS}>" + separator + continuation + note + "</w:footnotes>"


def header_xml():
    return (XML_DECL + f"<w:hdr {W_ROOT_NS}>"
            + para(run("Tovin") + '<w:r><w:tab/></w:r><w:r><w:tab/></w:r>' + run("Welcome"), "Header")
            + "</w:hdr>")


def footer_xml():
    # A simple field (17.16.19) whose cached result is the first page's number.
    page_field = '<w:fldSimple w:instr=" PAGE "><w:r><w:t>1</w:t></w:r></w:fldSimple>'
    return (XML_DECL + f"<w:ftr {W_ROOT_NS}>"
            + para('<w:r><w:tab/></w:r>' + run("Page ") + page_field, "Footer")
            + "</w:ftr>")


def comments_xml():
    comment = (f'<w:comment w:id="{COMMENT_ID}" w:author="{REVIEWER}" w:date="{REVIEW_DATE}" '
               f'w:initials="{REVIEWER_INITIALS}"><w:p><w:pPr><w:pStyle w:val="CommentText"/></w:pPr>'
               '<w:r><w:rPr><w:rStyle w:val="CommentReference"/></w:rPr><w:annotationRef/></w:r>'
               + run("Every part of this file was written by hand, so it doubles as a check "
                     "that Tovin reads plain, hand-made markup.")
               + "</w:p></w:comment>")
    return XML_DECL + f"<w:comments {W_ROOT_NS}>" + comment + "</w:comments>"


def content_types_xml():
    main = "application/vnd.openxmlformats-officedocument.wordprocessingml"
    overrides = [
        ("/word/document.xml", f"{main}.document.main+xml"),
        ("/word/styles.xml", f"{main}.styles+xml"),
        ("/word/numbering.xml", f"{main}.numbering+xml"),
        ("/word/settings.xml", f"{main}.settings+xml"),
        ("/word/footnotes.xml", f"{main}.footnotes+xml"),
        ("/word/comments.xml", f"{main}.comments+xml"),
        ("/word/header1.xml", f"{main}.header+xml"),
        ("/word/footer1.xml", f"{main}.footer+xml"),
        ("/docProps/core.xml", "application/vnd.openxmlformats-package.core-properties+xml"),
        ("/docProps/app.xml", "application/vnd.openxmlformats-officedocument.extended-properties+xml"),
    ]
    return (XML_DECL + '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
            '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
            '<Default Extension="xml" ContentType="application/xml"/>'
            '<Default Extension="png" ContentType="image/png"/>'
            + "".join(f'<Override PartName="{name}" ContentType="{kind}"/>' for name, kind in overrides)
            + "</Types>")


def relationships(rels):
    items = []
    for rel_id, kind, target, *external in rels:
        mode = ' TargetMode="External"' if external else ""
        items.append(f'<Relationship Id="{rel_id}" Type="{kind}" Target="{escape(target)}"{mode}/>')
    return XML_DECL + f'<Relationships xmlns="{PKG_REL}">' + "".join(items) + "</Relationships>"


def package_rels_xml():
    return relationships([
        ("rId1", f"{REL}/officeDocument", "word/document.xml"),
        ("rId2", "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties",
         "docProps/core.xml"),
        ("rId3", f"{REL}/extended-properties", "docProps/app.xml"),
    ])


def document_rels_xml():
    # rId6..rId9 are the identifiers the body and section markup above refer to.
    return relationships([
        ("rId1", f"{REL}/styles", "styles.xml"),
        ("rId2", f"{REL}/numbering", "numbering.xml"),
        ("rId3", f"{REL}/settings", "settings.xml"),
        ("rId4", f"{REL}/footnotes", "footnotes.xml"),
        ("rId5", f"{REL}/comments", "comments.xml"),
        ("rId6", f"{REL}/header", "header1.xml"),
        ("rId7", f"{REL}/footer", "footer1.xml"),
        ("rId8", f"{REL}/image", "media/image1.png"),
        ("rId9", f"{REL}/hyperlink", "https://example.org/tovin", "external"),
    ])


def core_xml():
    return (XML_DECL + '<cp:coreProperties '
            'xmlns:cp="http://schemas.openxmlformats.org/package/2006/metadata/core-properties" '
            'xmlns:dc="http://purl.org/dc/elements/1.1/" xmlns:dcterms="http://purl.org/dc/terms/" '
            'xmlns:dcmitype="http://purl.org/dc/dcmitype/" '
            'xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">'
            "<dc:title>Welcome to Tovin</dc:title><dc:creator>Tovin</dc:creator>"
            "<cp:lastModifiedBy>Tovin</cp:lastModifiedBy><cp:revision>1</cp:revision>"
            f'<dcterms:created xsi:type="dcterms:W3CDTF">{CREATED}</dcterms:created>'
            f'<dcterms:modified xsi:type="dcterms:W3CDTF">{CREATED}</dcterms:modified>'
            "</cp:coreProperties>")


def app_xml():
    return (XML_DECL + '<Properties '
            'xmlns="http://schemas.openxmlformats.org/officeDocument/2006/extended-properties" '
            'xmlns:vt="http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes">'
            "<Template>Normal.dotm</Template><TotalTime>0</TotalTime><Pages>1</Pages>"
            "<Application>Tovin</Application><DocSecurity>0</DocSecurity>"
            "<LinksUpToDate>false</LinksUpToDate><AppVersion>0.1</AppVersion></Properties>")


def write_package(path):
    # [Content_Types].xml comes first, as Word writes it; the rest in a fixed order.
    entries = [
        ("[Content_Types].xml", content_types_xml().encode()),
        ("_rels/.rels", package_rels_xml().encode()),
        ("docProps/core.xml", core_xml().encode()),
        ("docProps/app.xml", app_xml().encode()),
        ("word/document.xml", document_xml().encode()),
        ("word/_rels/document.xml.rels", document_rels_xml().encode()),
        ("word/styles.xml", styles_xml().encode()),
        ("word/numbering.xml", numbering_xml().encode()),
        ("word/settings.xml", settings_xml().encode()),
        ("word/footnotes.xml", footnotes_xml().encode()),
        ("word/comments.xml", comments_xml().encode()),
        ("word/header1.xml", header_xml().encode()),
        ("word/footer1.xml", footer_xml().encode()),
        ("word/media/image1.png", make_png()),
    ]
    temporary = path + ".tmp"
    with zipfile.ZipFile(temporary, "w") as archive:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=ZIP_TIME)
            # A PNG is already compressed; storing it is what Word does too.
            info.compress_type = zipfile.ZIP_STORED if name.endswith(".png") else zipfile.ZIP_DEFLATED
            info.create_system = 0  # MS-DOS, so no Unix permission bits vary by umask
            info.external_attr = 0
            archive.writestr(info, data, compresslevel=6)
    os.replace(temporary, path)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "welcome.docx")
    write_package(path)
    print(path)


if __name__ == "__main__":
    main()
