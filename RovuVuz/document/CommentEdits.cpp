// Editing and deleting comments (ECMA-376 §17.13.4). A comment is its w:comment in the
// comments part, its anchors wherever it was made (w:commentRangeStart, w:commentRangeEnd
// and the w:commentReference run, in any story), and entries keyed by the w14:paraId of its
// last paragraph in the threading parts of [MS-DOCX]: commentsExtended (w15:commentEx),
// commentsIds (w16cid:commentId, which gives the comment a durable id) and
// commentsExtensible (w16cex:commentExtensible, keyed by that durable id); people
// (w15:person) lists the authors. Deleting a comment removes all of them, and its replies.
#include <set>

#include "RovuVuz/document/CommentNodes.h"
#include "RovuVuz/document/Comments.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/InlineOps.h"
#include "RovuVuz/edit/TextEdit.h"
#include "RovuVuz/xml/XMLEdit.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz {

namespace {

// The relationship types of the threading parts, from the main part.
constexpr std::string_view extendedType = "http://schemas.microsoft.com/office/2011/relationships/commentsExtended";
constexpr std::string_view idsType = "http://schemas.microsoft.com/office/2016/09/relationships/commentsIds";
constexpr std::string_view extensibleType =
    "http://schemas.microsoft.com/office/2018/08/relationships/commentsExtensible";
constexpr std::string_view peopleType = "http://schemas.microsoft.com/office/2011/relationships/people";

Group& commentGroup(DocxDocument& document, CommentID id) {
    const auto name = document.part(StoryID::comments());
    if (!name || !document.hasPart(name->rawValue))
        throw DocxError(DocxErrorCode::unknownParagraph, StoryID::comments());
    Group* comment = findComment(document.story(StoryID::comments()), id.rawValue);
    if (!comment) throw DocxError(DocxErrorCode::unknownParagraph, StoryID::comments());
    return *comment;
}

// ---- Editing a comment's text ----

// The run properties a comment's new text takes: those of its first run of text outside a
// link, else the paragraph mark's.
std::optional<PropertyBag> textProperties(const Paragraph& paragraph) {
    for (const Inline& node : paragraph.inlines) {
        const auto* run = std::get_if<std::unique_ptr<Run>>(&node);
        if (!run) continue;
        for (const RunItem& item : (*run)->items)
            if (item.kind.type == RunItem::Type::text)
                return (*run)->props ? std::optional<PropertyBag>(*(*run)->props) : std::nullopt;
    }
    return TextEdit::markProps(paragraph);
}

// The paragraph's text replaced by a line: what showed goes, what showed nothing stays
// (the annotation mark, bookmarks), and the line follows it in one run.
void replaceLine(EditContext& context, Paragraph& paragraph, std::u16string_view line) {
    std::optional<PropertyBag> props = textProperties(paragraph);
    InlineOps::deleteDirect(paragraph, 0, InlineOps::length(paragraph.inlines));
    paragraph.setDirty(true);
    std::vector<RunItem> items = InlineOps::items(line);
    if (!items.empty()) {
        auto run = std::make_unique<Run>();
        run->key = RunKey{context.mint().mint()};
        run->tags = Tags::build(Markup::qualified(paragraph.tags.prefix(), "r"), {});
        if (props) {
            run->props = std::move(*props);
            run->items.emplace_back(RunItem::Kind::make(RunItem::Type::props));
        }
        std::move(items.begin(), items.end(), std::back_inserter(run->items));
        run->dirty = true;
        paragraph.inlines.emplace_back(std::move(run));
    }
    TextEdit::prune(paragraph);
}

// A paragraph for a new line: the tags (less identifiers) and properties of `model`.
std::unique_ptr<Paragraph> lineParagraph(EditContext& context, const Paragraph& model) {
    auto paragraph = Paragraph::make(context.mint());
    Markup::Attributes kept;
    for (auto& [name, value] : Markup::attributes(model.tags.start.view()))
        if (!name.ends_with(":paraId") && !name.ends_with(":textId")) kept.emplace_back(std::move(name), value);
    paragraph->tags = Tags::build(model.tags.qname(), kept);
    if (model.props) {
        paragraph->props = *model.props;
        paragraph->inlines.emplace_back(PropsMarker{});
    }
    paragraph->parent = model.parent;
    paragraph->setDirty(true);
    return paragraph;
}

// A paragraph's tags with its w14:paraId set to `value`, or without one.
void setParaId(Paragraph& paragraph, const std::optional<std::string>& value) {
    Markup::Attributes attributes;
    bool set = false;
    for (auto& [name, old] : Markup::attributes(paragraph.tags.start.view())) {
        if (!name.ends_with(":paraId")) {
            attributes.emplace_back(std::move(name), std::move(old));
            continue;
        }
        if (value) attributes.emplace_back(std::move(name), *value);
        set = true;
    }
    if (value && !set) attributes.emplace_back("w14:paraId", *value);
    paragraph.tags = Tags::build(paragraph.tags.qname(), attributes);
    paragraph.setDirty(true);
}

size_t blockIndex(const Group& group, const Paragraph& paragraph) {
    for (size_t i = 0; i < group.children.size(); ++i)
        if (const auto* p = std::get_if<std::unique_ptr<Paragraph>>(&group.children[i]); p && p->get() == &paragraph)
            return i;
    return group.children.size();
}

// ---- Deleting comments: the anchors ----

bool isAnchorMark(const Raw& raw, const std::set<std::string>& ids) {
    const auto local = raw.local();
    if (!local || (*local != "commentRangeStart" && *local != "commentRangeEnd")) return false;
    const auto id = raw.wid();
    return id && ids.count(*id);
}

// Removes the comments' range marks and references from an owner's inlines; true when
// anything went. A reference run left with nothing else is removed whole.
bool removeAnchors(std::vector<Inline>& inlines, const std::set<std::string>& ids) {
    bool removed = false;
    std::vector<Inline> kept;
    kept.reserve(inlines.size());
    for (Inline& node : inlines) {
        if (const auto* raw = std::get_if<Raw>(&node); raw && isAnchorMark(*raw, ids)) {
            removed = true;
            continue;
        }
        if (auto* run = std::get_if<std::unique_ptr<Run>>(&node)) {
            auto& items = (*run)->items;
            const size_t before = items.size();
            std::erase_if(items, [&](const RunItem& item) {
                return item.kind.type == RunItem::Type::commentRef && ids.count(std::to_string(item.kind.number));
            });
            if (items.size() != before) {
                removed = true;
                (*run)->dirty = true;
                const bool empty = std::all_of(items.begin(), items.end(), [](const RunItem& item) {
                    return item.kind.type == RunItem::Type::props || item.kind.type == RunItem::Type::hidden;
                });
                if (empty) continue;
            }
        } else if (auto* container = std::get_if<std::unique_ptr<Container>>(&node)) {
            if (removeAnchors((*container)->inlines, ids)) {  // nesting bounded by the story parser
                (*container)->dirty = true;
                removed = true;
            }
        }
        kept.push_back(std::move(node));
    }
    inlines = std::move(kept);
    return removed;
}

// Removes the anchors from every paragraph and every group of a story (range marks may
// stand between paragraphs, around tables).
void removeAnchors(Story& story, const std::set<std::string>& ids) {
    std::vector<Group*> pending{story.root.get()};
    while (!pending.empty()) {
        Group* group = pending.back();
        pending.pop_back();
        const size_t before = group->children.size();
        std::erase_if(group->children, [&](const Block& block) {
            const auto* raw = std::get_if<Raw>(&block);
            return raw && isAnchorMark(*raw, ids);
        });
        if (group->children.size() != before) story.touched = true;
        for (Block& block : group->children) {
            if (auto* inner = std::get_if<std::unique_ptr<Group>>(&block)) {
                pending.push_back(inner->get());
            } else if (auto* p = std::get_if<std::unique_ptr<Paragraph>>(&block)) {
                if (!removeAnchors((*p)->inlines, ids)) continue;
                (*p)->setDirty(true);
                TextEdit::prune(**p);
                story.touched = true;
            }
        }
    }
}

// ---- Deleting comments: the threading parts ----

// One threading part read through its tree, to remove entries from.
struct ThreadPart {
    PartName name;
    XMLTree tree;
};

// The part a relationship of the main part names, read; nothing when there is none.
// Throws DocxError(unreadablePart) when it is there but cannot be read.
std::optional<ThreadPart> threadPart(DocxDocument& document, std::string_view type) {
    for (const Relationship& r : document.relationships().all) {
        if (r.type != type || r.external) continue;
        const auto name = document.relationships().part(r);
        if (!name || !document.hasPart(name->rawValue)) return std::nullopt;
        try {
            return ThreadPart{*name, XMLTree(document.contents(name->rawValue))};
        } catch (const std::exception& error) {
            throw DocxError(DocxErrorCode::unreadablePart, DocxError::Detail{std::nullopt, *name, {}, error.what()});
        }
    }
    return std::nullopt;
}

// Removes the root's children of a local name whose own attribute `key` is among `values`;
// stores the part when anything went. Returns the values of `also` of the removed entries.
std::set<std::string> removeEntries(DocxDocument& document, const std::optional<ThreadPart>& part,
                                    std::string_view local, std::string_view key, const std::set<std::string>& values,
                                    std::string_view also = {}) {
    std::set<std::string> found;
    if (!part) return found;
    const XMLTree& tree = part->tree;
    XMLEdit edit(tree);
    for (int child : tree.childElements(tree.root())) {
        if (tree.localName(child) != local) continue;
        const auto value = tree.ownAttribute(child, key);
        if (!value || !values.count(*value)) continue;
        if (!also.empty())
            if (auto other = tree.ownAttribute(child, also)) found.insert(std::move(*other));
        edit.remove(child);
    }
    if (!edit.empty()) document.storePart(part->name, share(toBytes(edit.result())));
    return found;
}

// Every comment of the comments part with its author, and the paraIds of its paragraphs.
struct CommentRecord {
    std::string author;
    std::vector<std::string> paraIds;
};

std::map<int64_t, CommentRecord> commentRecords(Story& comments) {
    std::map<int64_t, CommentRecord> records;
    for (Block& block : comments.root->children) {
        auto* group = std::get_if<std::unique_ptr<Group>>(&block);
        if (!group || (*group)->local() != "comment") continue;
        const ByteView tag = (*group)->tags.start.view();
        const auto id = Numbers::integer(Markup::attribute("id", tag));
        if (!id) continue;
        CommentRecord& record = records[*id];
        record.author = Markup::attribute("author", tag).value_or("");
        for (const Paragraph* p : paragraphsIn(**group))
            if (auto paraId = paraIdAttribute(*p)) record.paraIds.push_back(std::move(*paraId));
    }
    return records;
}

// The comment and every reply under it, through replies to replies; a loop in the
// threading ends where it would repeat.
std::set<int64_t> withReplies(const std::map<CommentID, CommentThreadInfo>& threads, int64_t id) {
    std::set<int64_t> chosen{id};
    for (bool grew = true; grew;) {
        grew = false;
        for (const auto& [comment, info] : threads)
            if (info.parent && chosen.count(info.parent->rawValue) && chosen.insert(comment.rawValue).second)
                grew = true;
    }
    return chosen;
}

}  // namespace

void DocxDocument::editComment(CommentID id, std::u16string_view text) {
    Group& comment = commentGroup(*this, id);
    std::vector<Paragraph*> paragraphs;
    for (Block& block : comment.children)
        if (auto* p = std::get_if<std::unique_ptr<Paragraph>>(&block)) paragraphs.push_back(p->get());
    if (paragraphs.empty()) throw DocxError(DocxErrorCode::unsupported, StoryID::comments());
    const std::vector<std::u16string_view> lines = commentLines(text);
    const size_t had = paragraphs.size();
    Paragraph* const oldLast = paragraphs.back();
    const std::optional<std::string> key = paraIdAttribute(*oldLast);

    // Lines take the paragraphs in order; more lines get paragraphs like the last one
    // after it, fewer leave the rest to go.
    for (size_t i = had; i < lines.size(); ++i) {
        auto fresh = lineParagraph(*this, *oldLast);
        Paragraph* made = fresh.get();
        const size_t at = blockIndex(comment, *paragraphs.back()) + 1;
        comment.children.insert(comment.children.begin() + static_cast<std::ptrdiff_t>(at), std::move(fresh));
        paragraphs.push_back(made);
    }
    for (size_t i = 0; i < lines.size(); ++i) replaceLine(*this, *paragraphs[i], lines[i]);
    // The threading parts know the comment by its last paragraph's paraId: it moves with
    // the last line, and a paragraph it leaves behind keeps none (paraIds are unique).
    Paragraph* const newLast = paragraphs[lines.size() - 1];
    if (newLast != oldLast && key) {
        if (lines.size() > had) setParaId(*oldLast, std::nullopt);
        setParaId(*newLast, key);
    }
    for (size_t i = lines.size(); i < paragraphs.size(); ++i)
        comment.children.erase(comment.children.begin() + static_cast<std::ptrdiff_t>(blockIndex(comment, *paragraphs[i])));
    story(StoryID::comments()).touched = true;
}

void DocxDocument::deleteComment(CommentID id) {
    commentGroup(*this, id);
    Story& comments = story(StoryID::comments());
    // Everything the deletion changes must read before anything changes.
    const std::optional<ThreadPart> extended = threadPart(*this, extendedType);
    const std::optional<ThreadPart> ids = threadPart(*this, idsType);
    const std::optional<ThreadPart> extensible = threadPart(*this, extensibleType);
    const std::optional<ThreadPart> people = threadPart(*this, peopleType);
    std::vector<Story*> anchored;
    for (const StoryID& other : storyIDs())
        if (other.kind != StoryID::Kind::comments) anchored.push_back(&story(other));

    const std::set<int64_t> chosen = withReplies(commentThreads(), id.rawValue);
    std::map<int64_t, CommentRecord> records = commentRecords(comments);
    std::set<std::string> numbers, paraIds, authors;
    for (int64_t comment : chosen) {
        numbers.insert(std::to_string(comment));
        const CommentRecord& record = records[comment];
        paraIds.insert(record.paraIds.begin(), record.paraIds.end());
        authors.insert(record.author);
        records.erase(comment);
    }
    for (Story* s : anchored) removeAnchors(*s, numbers);
    std::erase_if(comments.root->children, [&](const Block& block) {
        const auto* group = std::get_if<std::unique_ptr<Group>>(&block);
        return group && (*group)->local() == "comment" &&
               chosen.count(Numbers::integer(Markup::attribute("id", (*group)->tags.start.view())).value_or(INT64_MIN));
    });
    comments.touched = true;

    removeEntries(*this, extended, "commentEx", "paraId", paraIds);
    const std::set<std::string> durable = removeEntries(*this, ids, "commentId", "paraId", paraIds, "durableId");
    removeEntries(*this, extensible, "commentExtensible", "durableId", durable);
    // An author stays listed while a comment of theirs remains.
    for (const auto& [comment, record] : records) authors.erase(record.author);
    removeEntries(*this, people, "person", "author", authors);
}

}  // namespace rovuvuz
