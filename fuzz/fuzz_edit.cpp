// Fuzz target: the editing engine on hostile content. The input's first bytes choose a
// handful of edits (replace, split, join, accept and reject all, direct and tracked); the
// rest is the body part of a small package. Whatever the content, an edit either works or
// throws DocxError, and the edited package saves, re-opens and shows the same text, but
// for characters XML cannot carry: a forgiving read keeps them from a damaged part, and a
// rewritten paragraph drops them.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/Structural.h"
#include "RovuVuz/edit/TextEdit.h"
#include "RovuVuz/xml/XMLChars.h"
#include "RovuVuz/xml/XMLTree.h"

using namespace rovuvuz;

namespace {

constexpr size_t editBytes = 12;  // four edits of three bytes: what, which paragraph, where

SharedBytes package(ByteView body) {
    Bytes empty = {0x50, 0x4B, 0x05, 0x06};
    empty.resize(22, 0);
    const std::string rels =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
        "officeDocument\" Target=\"word/document.xml\"/></Relationships>";
    ZipArchive::Replacements parts{{"_rels/.rels", asBytes(rels)}, {"word/document.xml", body}};
    return ZipArchive(share(std::move(empty))).write(parts);
}

// The text as a save can write it: what XML cannot carry left out.
std::u16string writable(const std::u16string& text) {
    std::u16string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool high = c >= 0xD800 && c < 0xDC00;
        const bool low = c >= 0xDC00 && c < 0xE000;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            out += c;
            out += text[++i];
        } else if (!high && !low && XMLChars::isAllowed(c)) {
            out += c;
        }
    }
    return out;
}

std::vector<std::u16string> texts(DocxDocument& document) {
    std::vector<std::u16string> result;
    const StorySnapshot snapshot = document.snapshot(StoryID::body());
    for (const ParagraphSnapshot* p : snapshot.paragraphs()) result.push_back(writable(p->text));
    return result;
}

void edit(DocxDocument& document, uint8_t what, uint8_t which, uint8_t where) {
    const StorySnapshot snapshot = document.snapshot(StoryID::body());
    const auto paragraphs = snapshot.paragraphs();
    if (paragraphs.empty()) return;
    const ParagraphSnapshot& p = *paragraphs[which % paragraphs.size()];
    const size_t at = p.text.empty() ? 0 : where % (p.text.size() + 1);
    const EditMode mode = what & 1 ? EditMode::trackedBy("F", std::chrono::system_clock::time_point{})
                                   : EditMode::direct();
    switch ((what >> 1) % 6) {
        case 0: document.replaceText(p.id, StoryID::body(), TextRange{at, at}, u"a\tb", mode); break;
        case 1: document.replaceText(p.id, StoryID::body(), TextRange{at / 2, at}, u"", mode); break;
        case 2: document.apply(StructuralEdit{StructuralEdit::SplitParagraph{p.id, at}}, StoryID::body(), mode); break;
        case 3: document.apply(StructuralEdit{StructuralEdit::JoinWithNext{p.id}}, StoryID::body(), mode); break;
        case 4: document.apply(StructuralEdit{StructuralEdit::AcceptAll{}}, StoryID::body(), mode); break;
        default: document.apply(StructuralEdit{StructuralEdit::RejectAll{}}, StoryID::body(), mode); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < editBytes) return 0;
    std::unique_ptr<DocxDocument> document;
    try {
        document = std::make_unique<DocxDocument>(package(ByteView(data + editBytes, size - editBytes)));
        document->story(StoryID::body());
    } catch (const XMLError&) {
        return 0;
    } catch (const DocxError&) {
        return 0;  // a body that is not well-formed, refused as a damaged part
    } catch (const ZipError&) {
        return 0;  // a body too large for the archive
    }
    for (size_t i = 0; i + 2 < editBytes; i += 3) {
        try {
            edit(*document, data[i], data[i + 1], data[i + 2]);
        } catch (const DocxError&) {
        }
    }
    if (document->story(StoryID::body()).checkInvariants()) std::abort();
    const auto before = texts(*document);
    try {
        DocxDocument reopened(document->data());
        if (texts(reopened) != before) std::abort();
    } catch (const XMLError&) {
        std::abort();  // an edit wrote a part that does not parse
    } catch (const DocxError&) {
        std::abort();
    }
    return 0;
}
