// The node tree of a story: a light model of WordprocessingML in which every node
// remembers the bytes it was read from.
//
//     Story ── root Group (w:document, w:hdr, w:footnotes, …)
//                ├─ Group (w:body, w:tbl, w:tr, w:tc, w:footnote, …)   tags + children
//                ├─ Paragraph (w:p)       original bytes while clean; props; inlines
//                │    ├─ Run (w:r)        tags; props (w:rPr); items (w:t, w:tab, w:br, …)
//                │    ├─ Container        w:ins, w:del, w:hyperlink around more inlines
//                │    └─ Raw              bookmarks, proofing marks, fields, anything else
//                └─ Raw                   sectPr, sdt, whitespace, anything else
//
// Only what the editor understands is modelled; everything else is an opaque Raw slice.
// Writing follows the bytes: a clean paragraph is copied from `original`; a dirty one is
// rebuilt from its tags, properties and inlines, where untouched runs, items, bags and raw
// pieces still contribute their own preserved bytes. Groups, containers and runs keep no
// bytes of their own beyond their tags, so an untouched subtree reproduces itself exactly.
//
// The invariants every edit keeps: marking a paragraph dirty drops its original bytes;
// a run item is written from `original` only while its kind equals the kind it was read
// as; a property bag is written from `original` until any change; any change to a story
// sets `touched`, and only touched stories are written back.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "RovuVuz/model/Identifiers.h"
#include "RovuVuz/model/Indirect.h"
#include "RovuVuz/model/PropertyBag.h"
#include "RovuVuz/xml/Bytes.h"
#include "RovuVuz/xml/Tags.h"

namespace rovuvuz {

class XMLTree;
struct Group;
struct Paragraph;
struct Run;
struct Container;

// An opaque fragment kept verbatim: an element the editor does not model, or character
// data, a comment or a processing instruction.
struct Raw {
    ByteSlice bytes;

    // The element's local name; nothing for character data and comments.
    std::optional<std::string_view> local() const;
    // The element's w:id attribute under the element's own prefix (bookmarks, comment
    // ranges and similar markers).
    std::optional<std::string> wid() const;
};

// Where a paragraph's w:pPr stood among its children.
struct PropsMarker {
    bool operator==(const PropsMarker&) const = default;
};

using Block = std::variant<std::unique_ptr<Paragraph>, std::unique_ptr<Group>, Raw>;
using Inline = std::variant<std::unique_ptr<Run>, std::unique_ptr<Container>, Raw, PropsMarker>;

// A block container (body, tbl, tr, tc, footnote, …); always written as its tags around
// its children.
struct Group {
    BlockID id;
    Tags tags;
    std::vector<Block> children;

    std::string_view local() const { return tags.local(); }
};

// A w:p.
struct Paragraph {
    ParagraphID id;  // set once, by make()
    Tags tags;
    std::optional<ByteSlice> original;  // the whole element as read, while clean
    std::optional<PropertyBag> props;   // its w:pPr
    std::vector<Inline> inlines;
    Group* parent = nullptr;            // not owning

    // A new paragraph with the mint's next identity, enrolled in the mint's register of
    // live paragraphs until it is destroyed.
    static std::unique_ptr<Paragraph> make(IdentityMint& mint);
    Paragraph() = default;
    ~Paragraph();
    // A paragraph's address is what the mint's register holds: it is never copied or moved.
    Paragraph(const Paragraph&) = delete;
    Paragraph& operator=(const Paragraph&) = delete;

    bool isDirty() const { return dirty_; }
    // Marking a paragraph dirty drops its preserved bytes: from then on it is rebuilt.
    void setDirty(bool dirty) {
        dirty_ = dirty;
        if (dirty) original.reset();
    }

private:
    bool dirty_ = false;
    IdentityMint* mint_ = nullptr;
};

// One child of a run.
struct RunItem {
    enum class Type : uint8_t {
        text,        // w:t
        delText,     // w:delText
        object,      // drawing, pict, object, sym, …: shown as one object character
        noteRef,     // w:footnoteReference, w:endnoteReference
        commentRef,  // w:commentReference
        props,       // where the run's w:rPr stood
        tab,
        lineBreak,   // w:br (not a page break), w:cr
        pageBreak,   // w:br w:type="page"
        fieldChar,
        instrText,
        hidden,      // anything else, kept only for its bytes
    };

    struct Kind {
        Type type = Type::hidden;
        std::u16string text;  // text and delText: the text; object: the element's local name
        int64_t number = 0;   // noteRef and commentRef: the w:id, -1 when absent or not a number

        static Kind makeText(std::u16string s) { return {Type::text, std::move(s), 0}; }
        static Kind makeDelText(std::u16string s) { return {Type::delText, std::move(s), 0}; }
        static Kind makeObject(std::string_view local);
        // A note reference: a footnote's (no text) or an endnote's (the text "endnote").
        static Kind makeNoteRef(int64_t id, bool endnote = false) {
            return {Type::noteRef, endnote ? u"endnote" : u"", id};
        }
        bool isEndnoteRef() const { return type == Type::noteRef && text == u"endnote"; }
        // A column break (w:br w:type="column") shows as a line break and is written back
        // as a column break.
        static Kind makeColumnBreak() { return {Type::lineBreak, u"column", 0}; }
        bool isColumnBreak() const { return type == Type::lineBreak && text == u"column"; }
        static Kind makeCommentRef(int64_t id) { return {Type::commentRef, {}, id}; }
        static Kind make(Type type) { return {type, {}, 0}; }
        // The kind of one run child of a tree, as the story parser reads it.
        static Kind read(const XMLTree& tree, int node);

        std::string objectName() const;
        bool operator==(const Kind&) const = default;
    };

    Kind kind;
    ByteSlice original;  // the child as read; empty for items made by edits (a read child never is)

    RunItem() = default;
    explicit RunItem(Kind k) : kind(std::move(k)) {}
    RunItem(Kind k, ByteSlice bytes) : kind(std::move(k)), original(std::move(bytes)), pristineType_(kind.type) {}

    bool hasOriginal() const { return !original.empty(); }

    // The kind as read, derived again from the original bytes; nothing for new items.
    std::optional<Kind> pristine() const;
    // True while the item can be written from its original bytes.
    bool isPristine() const;

private:
    // The type as read, kept so that most items answer isPristine without re-reading.
    std::optional<Type> pristineType_;
};

struct Run {
    RunKey key;
    Tags tags;
    Indirect<PropertyBag> props;  // its w:rPr (the last one when there are several); most runs have none
    std::vector<RunItem> items;
    bool dirty = false;
};

// An inline wrapper: a tracked insertion or deletion, a side of a tracked move, a
// hyperlink, or a wrapper that only marks its content (a smart tag, a content control
// and its content), whose text a reader sees as any other.
struct Container {
    enum class Kind : uint8_t {
        insert,     // w:ins
        remove,     // w:del
        hyperlink,  // w:hyperlink
        moveFrom,   // w:moveFrom: where moved text was, shown as deleted
        moveTo,     // w:moveTo: where moved text is now, shown as inserted
        wrapper,    // w:smartTag, w:sdt, w:sdtContent
    };

    Tags tags;
    Kind kind = Kind::hyperlink;
    std::vector<Inline> inlines;
    bool dirty = false;

    // A tracked change: an insertion, a deletion or a side of a move.
    bool isRevision() const { return kind != Kind::hyperlink && kind != Kind::wrapper; }
    // Content that a reader of the current text no longer sees.
    bool isDeletion() const { return kind == Kind::remove || kind == Kind::moveFrom; }
    bool isMove() const { return kind == Kind::moveFrom || kind == Kind::moveTo; }
    // An attribute of the start tag by local name, any prefix ("author" finds w:author).
    std::optional<std::string> attribute(std::string_view name) const;
};

// Every paragraph inside a group in document order, through nested groups (table cells,
// content controls), without recursion: nesting depth comes from the file.
std::vector<Paragraph*> paragraphsIn(const Group& root);

// Visits every paragraph and group under `root` in document order, a group before what it
// holds, without recursion (nesting depth is the document's to choose).
template <typename OnParagraph, typename OnGroup>
void walkBlocks(const Group& root, OnParagraph&& onParagraph, OnGroup&& onGroup) {
    std::vector<std::pair<const Group*, size_t>> stack{{&root, 0}};
    while (!stack.empty()) {
        auto& [group, next] = stack.back();
        if (next == group->children.size()) {
            stack.pop_back();
            continue;
        }
        const Block& block = group->children[next++];
        if (const auto* p = std::get_if<std::unique_ptr<Paragraph>>(&block)) {
            onParagraph(**p);
        } else if (const auto* g = std::get_if<std::unique_ptr<Group>>(&block)) {
            onGroup(**g);
            stack.emplace_back(g->get(), 0);
        }
    }
}

}  // namespace rovuvuz
