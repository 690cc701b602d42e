// Paste of HTML from other programs: the HTML is read into a fragment (Clip.h) that keeps
// paragraphs, line breaks, headings h1–h3 (as Heading 1–3), list items of ul and ol (as
// bulleted and numbered items, nested lists one level deeper), bold, italic, underline and
// links, and nothing else; then the fragment is pasted as copied content is.
//
// The work is bounded whatever the input: the tokenizer reads it in one pass, the open
// elements are counted rather than walked (formatting is a count per kind, links a stack
// of targets), at most `deepest` elements are remembered for matching end tags (deeper
// ones still give their text, without their formatting), and past Clip::mostParagraphs
// paragraphs the text goes on in the last one.
#include <algorithm>
#include <set>

#include "RovuVuz/document/Clip.h"
#include "RovuVuz/document/ClipParts.h"
#include "RovuVuz/document/DocumentInternals.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/xml/HTMLTokens.h"
#include "RovuVuz/xml/XMLWriter.h"

namespace rovuvuz {

namespace {

using Markup::qualified;

constexpr size_t deepest = 256;

// Definitions a document lacking them gets, matched by name ("heading 1" is Word's name).
void writeStyle(XMLWriter& out, std::string_view id) {
    const std::string number(id.substr(id.size() - 1));
    out.open("tv:style");
    if (id == "Hyperlink") {
        out.open("w:style", {{"w:type", "character"}, {"w:styleId", "Hyperlink"}});
        out.empty("w:name", {{"w:val", "Hyperlink"}}).empty("w:uiPriority", {{"w:val", "99"}});
        out.open("w:rPr").empty("w:color", {{"w:val", "0563C1"}}).empty("w:u", {{"w:val", "single"}}).close();
    } else {
        const int level = number[0] - '1';
        out.open("w:style", {{"w:type", "paragraph"}, {"w:styleId", std::string(id)}});
        out.empty("w:name", {{"w:val", "heading " + number}}).empty("w:next", {{"w:val", "Normal"}});
        out.empty("w:uiPriority", {{"w:val", "9"}}).empty("w:qFormat");
        out.open("w:pPr").empty("w:keepNext").empty("w:keepLines");
        out.empty("w:spacing", {{"w:before", level == 0 ? "240" : "40"}, {"w:after", "0"}});
        out.empty("w:outlineLvl", {{"w:val", std::to_string(level)}}).close();
        const std::string size = level == 0 ? "32" : level == 1 ? "26" : "24";
        out.open("w:rPr").empty("w:color", {{"w:val", "2F5496"}});
        out.empty("w:sz", {{"w:val", size}}).empty("w:szCs", {{"w:val", size}}).close();
    }
    out.close().close();
}

bool isBlock(std::string_view name) {
    static constexpr std::string_view blocks[] = {"p",  "div", "h1", "h2", "h3", "h4", "h5", "h6", "li", "ul",
                                                  "ol", "blockquote", "pre", "table", "tr", "section", "article",
                                                  "header", "footer", "dd", "dt", "dl", "address", "figure"};
    return std::find(std::begin(blocks), std::end(blocks), name) != std::end(blocks);
}

struct Format {
    bool bold = false, italic = false, underline = false;
    std::string link;
    bool operator==(const Format&) const = default;
};

class Converter {
  public:
    void tag(const HTMLTokens::Tag& tag) {
        if (tag.name == "br") return lineBreak();
        if (isVoid(tag.name)) return;
        if (tag.end) return close(tag.name);
        if (isBlock(tag.name)) endParagraph();
        if (tag.selfClosing) return;
        open(tag);
    }

    // Word by word: the format in force is looked up once per stretch of characters, not
    // once per character.
    void text(std::string_view text) {
        for (size_t i = 0; i < text.size();) {
            const auto c = static_cast<unsigned char>(text[i]);
            if (isSpace(c)) {
                if (pre_) run_ += c == '\n' ? '\n' : ' ';
                else pendingSpace_ = hasText_ || !run_.empty();
                ++i;
                continue;
            }
            if (c < 0x20) {  // XML cannot carry the other control characters
                ++i;
                continue;
            }
            size_t end = i + 1;
            while (end < text.size() && !isSpace(static_cast<unsigned char>(text[end])) &&
                   static_cast<unsigned char>(text[end]) >= 0x20)
                ++end;
            if (pendingSpace_) {
                pendingSpace_ = false;
                append(" ");
            }
            append(text.substr(i, end - i));
            i = end;
        }
    }

    std::string finish() {
        endParagraph(true);
        XMLWriter out(XMLWriter::Declaration::Yes);
        Markup::Attributes namespaces{{"xmlns:tv", std::string(Clip::namespaceURI)}};
        for (auto& attribute : ClipParts::namespaces()) namespaces.push_back(attribute);
        out.open("tv:clip", namespaces);
        for (std::string_view id : {"Heading1", "Heading2", "Heading3", "Hyperlink"})
            if (used_.contains(std::string(id))) writeStyle(out, id);
        out.raw(body_.finish());
        return out.finish();
    }

  private:
    static bool isVoid(std::string_view name) {
        return name == "img" || name == "hr" || name == "meta" || name == "link" || name == "input" || name == "col" ||
               name == "wbr" || name == "area" || name == "base" || name == "source";
    }

    void open(const HTMLTokens::Tag& tag) {
        if (stack_.size() == deepest) return;  // deeper elements keep their text only
        Open entry{tag.name, false};
        if (tag.name == "b" || tag.name == "strong") ++bold_;
        else if (tag.name == "i" || tag.name == "em") ++italic_;
        else if (tag.name == "u" || tag.name == "ins") ++underline_;
        else if (tag.name == "ul" || tag.name == "ol") lists_.push_back(tag.name == "ul" ? ListKind::bullet : ListKind::number);
        else if (tag.name == "pre") ++pre_;
        else if (tag.name == "a" && tag.attribute("href") && !tag.attribute("href")->empty()) {
            links_.push_back(*tag.attribute("href"));
            entry.link = true;
        }
        stack_.push_back(std::move(entry));
    }

    void close(const std::string& name) {
        if (isBlock(name)) endParagraph();
        const auto found = std::find_if(stack_.rbegin(), stack_.rend(), [&](const Open& o) { return o.name == name; });
        if (found == stack_.rend()) return;
        // Elements left open inside it end with it.
        const size_t keep = static_cast<size_t>(stack_.rend() - found) - 1;
        while (stack_.size() > keep) {
            const Open& top = stack_.back();
            if (top.name == "b" || top.name == "strong") --bold_;
            else if (top.name == "i" || top.name == "em") --italic_;
            else if (top.name == "u" || top.name == "ins") --underline_;
            else if ((top.name == "ul" || top.name == "ol") && !lists_.empty()) lists_.pop_back();
            else if (top.name == "pre") --pre_;
            if (top.link && !links_.empty()) links_.pop_back();
            stack_.pop_back();
        }
    }

    Format current() const { return {bold_ > 0, italic_ > 0, underline_ > 0, links_.empty() ? "" : links_.back()}; }

    static bool isSpace(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

    void append(std::string_view text) {
        const Format format = current();
        if (format != runFormat_ && !run_.empty()) flushRun();
        runFormat_ = format;
        run_ += text;
    }

    void lineBreak() {
        pendingSpace_ = false;
        if (!run_.empty()) flushRun();
        runs_.push_back({runFormat_, {}, true});
        hasText_ = true;
    }

    void flushRun() {
        runs_.push_back({runFormat_, std::move(run_), false});
        run_.clear();
        hasText_ = true;
    }

    int headingLevel() const {
        for (auto it = stack_.rbegin(); it != stack_.rend(); ++it)
            if (it->name == "h1" || it->name == "h2" || it->name == "h3") return it->name[1] - '1';
        return -1;
    }

    void endParagraph(bool last = false) {
        if (!run_.empty()) flushRun();
        pendingSpace_ = false;
        if (runs_.empty()) return;
        if (!last && paragraphs_ + 1 >= Clip::mostParagraphs) {
            // The last paragraph the bound allows takes the rest of the text, line by line.
            if (!runs_.back().lineBreak) runs_.push_back(Piece{runFormat_, {}, true});
            return;
        }
        writeParagraph();
        runs_.clear();
        hasText_ = false;
    }

    struct Piece {
        Format format;
        std::string text;
        bool lineBreak = false;
    };
    struct Open {
        std::string name;
        bool link = false;
    };

    void writeParagraph() {
        Markup::Attributes attributes;
        const bool inList = !lists_.empty() && std::any_of(stack_.begin(), stack_.end(), [](const Open& o) { return o.name == "li"; });
        if (inList) {
            attributes.emplace_back("tv:list", lists_.back() == ListKind::bullet ? "bullet" : "number");
            attributes.emplace_back("tv:level", std::to_string(std::min<size_t>(lists_.size() - 1, 8)));
        }
        ++paragraphs_;
        body_.open("tv:p", attributes).open("w:p");
        if (const int level = headingLevel(); level >= 0) {
            const std::string id = "Heading" + std::to_string(level + 1);
            used_.insert(id);
            body_.open("w:pPr").empty("w:pStyle", {{"w:val", id}}).close();
        }
        Format linked;
        bool inLink = false;
        for (const Piece& piece : runs_) {
            if (inLink && piece.format.link != linked.link) {
                body_.close();
                inLink = false;
            }
            if (!inLink && !piece.format.link.empty()) {
                body_.open("w:hyperlink", {{"tv:target", piece.format.link}});
                linked = piece.format;
                inLink = true;
                used_.insert("Hyperlink");
            }
            writeRun(piece);
        }
        if (inLink) body_.close();
        body_.close().close();
    }

    void writeRun(const Piece& piece) {
        body_.open("w:r");
        const Format& f = piece.format;
        if (f.bold || f.italic || f.underline || !f.link.empty()) {
            body_.open("w:rPr");
            if (!f.link.empty()) body_.empty("w:rStyle", {{"w:val", "Hyperlink"}});
            if (f.bold) body_.empty("w:b");
            if (f.italic) body_.empty("w:i");
            if (f.underline) body_.empty("w:u", {{"w:val", "single"}});
            body_.close();
        }
        if (piece.lineBreak) body_.empty("w:br");
        else body_.leaf("w:t", {{"xml:space", "preserve"}}, piece.text);
        body_.close();
    }

    XMLWriter body_;
    std::vector<Open> stack_;
    std::vector<ListKind> lists_;
    std::vector<std::string> links_;
    int bold_ = 0, italic_ = 0, underline_ = 0, pre_ = 0;
    std::string run_;
    Format runFormat_;
    std::vector<Piece> runs_;
    bool pendingSpace_ = false, hasText_ = false;
    size_t paragraphs_ = 0;
    std::set<std::string> used_;
};

}  // namespace

std::vector<ParagraphID> DocxDocument::pasteHTML(std::string_view html, ParagraphPos from, ParagraphPos to,
                                                 const StoryID& story, const EditMode& mode) {
    Converter converter;
    HTMLTokens::read(html, {[&](const HTMLTokens::Tag& tag) { converter.tag(tag); },
                            [&](std::string_view text) { converter.text(text); }});
    // The fragment is written through the markup helpers, whose escaping keeps only what XML
    // can carry: well-formed by construction, it is not checked again.
    return DocumentInternals::paste(*this, converter.finish(), from, to, story, mode, false);
}

}  // namespace rovuvuz
