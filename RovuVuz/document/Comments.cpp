#include "RovuVuz/document/Comments.h"

#include <cstdio>
#include <random>
#include <set>

#include "RovuVuz/document/CommentNodes.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/document/PartTargets.h"
#include "RovuVuz/edit/InlineOps.h"
#include "RovuVuz/edit/TextEdit.h"
#include "RovuVuz/format/Styles.h"
#include "RovuVuz/model/Fragment.h"
#include "RovuVuz/model/IsoDate.h"
#include "RovuVuz/model/Serializer.h"
#include "RovuVuz/xml/Numbers.h"
#include "RovuVuz/xml/Utf8.h"
#include "RovuVuz/xml/XMLChars.h"
#include "RovuVuz/xml/XMLEdit.h"
#include "RovuVuz/xml/XMLText.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz {

namespace {

constexpr std::string_view mainNamespace = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr std::string_view w14Namespace = "http://schemas.microsoft.com/office/word/2010/wordml";
constexpr std::string_view w15Namespace = "http://schemas.microsoft.com/office/word/2012/wordml";
constexpr std::string_view mcNamespace = "http://schemas.openxmlformats.org/markup-compatibility/2006";
constexpr std::string_view extendedType =
    "http://schemas.microsoft.com/office/2011/relationships/commentsExtended";
constexpr std::string_view commentsContentType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.comments+xml";
constexpr std::string_view extendedContentType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.commentsExtended+xml";
constexpr std::string_view commentsName = "word/comments.xml";
constexpr std::string_view extendedName = "word/commentsExtended.xml";
constexpr std::string_view declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

Comments::NumberSource& numberSource() {
    static Comments::NumberSource source = [] {
        static std::mt19937 generator{std::random_device{}()};
        return std::uniform_int_distribution<uint32_t>(1, 0x7FFFFFFE)(generator);
    };
    return source;
}

std::optional<std::string> tagAttribute(const Tags& tags, std::string_view qname) {
    for (const auto& [name, value] : Markup::attributes(tags.start.view()))
        if (name == qname) return value;
    return std::nullopt;
}

bool hasStyle(DocxDocument& document, std::string_view id) {
    return document.styles().find(StyleID{std::string(id)}) != nullptr;
}

using Markup::qualified;

// "<p:local a=\"v\" …/>" with every attribute named under the same prefix.
std::string emptyElement(std::string_view p, std::string_view local,
                         const Markup::Attributes& attributes = {}) {
    Markup::Attributes named;
    for (const auto& [name, value] : attributes) named.emplace_back(qualified(p, name), value);
    return Markup::startTag(qualified(p, local), named, Markup::SelfClosing::Yes);
}

// "<p:local>" + content + "</p:local>".
std::string element(std::string_view p, std::string_view local, const std::string& content) {
    const std::string name = qualified(p, local);
    return "<" + name + ">" + content + "</" + name + ">";
}

// The mark a comment reference or annotation run carries when the style sheet has it.
std::string referenceMark(DocxDocument& document, std::string_view p) {
    if (!hasStyle(document, "CommentReference")) return {};
    return element(p, "rPr", emptyElement(p, "rStyle", {{"val", "CommentReference"}}));
}

std::string rangeMarker(std::string_view p, std::string_view local, int64_t id) {
    return emptyElement(p, local, {{"id", std::to_string(id)}});
}

std::string referenceRun(DocxDocument& document, std::string_view p, int64_t id) {
    return element(
        p, "r",
        referenceMark(document, p) + emptyElement(p, "commentReference", {{"id", std::to_string(id)}}));
}

// Anchor markup read as the inlines of a paragraph, the way read content enters the tree.
std::vector<Inline> anchorInlines(EditContext& document, const std::string& snippet) {
    auto parsed = Fragment::paragraph("<w:p>" + snippet + "</w:p>", document.mint());
    if (!parsed) throw DocxError(DocxErrorCode::unsupported);
    std::vector<Inline> result;
    for (Inline& node : parsed->inlines)
        if (!std::holds_alternative<PropsMarker>(node)) result.push_back(std::move(node));
    return result;
}

void insertAt(std::vector<Inline>& inlines, size_t index, std::vector<Inline> added) {
    inlines.insert(inlines.begin() + static_cast<std::ptrdiff_t>(index),
                   std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()));
}

std::string prefixOr(std::string_view prefix) {
    return prefix.empty() ? std::string("w") : std::string(prefix);
}

Story& commentsStory(DocxDocument& document) {
    const auto name = document.part(StoryID::comments());
    if (!name || !document.hasPart(name->rawValue)) {
        // The content type first: it is the one step that can fail, and then nothing changed.
        document.ensureContentType(PartName(commentsName), std::nullopt, commentsContentType);
        const Markup::Attributes namespaces{{"xmlns:w", std::string(mainNamespace)},
                                            {"xmlns:w14", std::string(w14Namespace)},
                                            {"xmlns:mc", std::string(mcNamespace)},
                                            {"mc:Ignorable", "w14"}};
        document.storePart(PartName(commentsName),
                           share(toBytes(std::string(declaration) +
                                         Markup::startTag("w:comments", namespaces, Markup::SelfClosing::No) +
                                         "</w:comments>")));
        document.addRelationship(document.mainPart(), "comments", targetFromMain(document, commentsName),
                                 false);
    }
    return document.story(StoryID::comments());
}

// w14:paraId needs its namespace declared, and readers that do not know it must be told
// they may ignore it (mc:Ignorable); the comments root is where Word declares both.
void declareW14(Story& story) {
    const Markup::Attributes attributes = Markup::attributes(story.root->tags.start.view());
    Markup::Attributes added;
    if (!tagAttribute(story.root->tags, "xmlns:w14")) added.emplace_back("xmlns:w14", std::string(w14Namespace));
    std::string mc = Markup::boundPrefix(attributes, mcNamespace).value_or("");
    if (mc.empty()) {
        mc = "mc";
        added.emplace_back("xmlns:mc", std::string(mcNamespace));
    }
    const std::string ignorableName = mc + ":Ignorable";
    std::string ignorable = tagAttribute(story.root->tags, ignorableName).value_or("");
    bool listed = false;
    for (size_t at = 0; at < ignorable.size();) {
        const size_t end = std::min(ignorable.find(' ', at), ignorable.size());
        listed |= std::string_view(ignorable).substr(at, end - at) == "w14";
        at = end + 1;
    }
    if (!listed) added.emplace_back(ignorableName, ignorable.empty() ? "w14" : ignorable + " w14");
    if (added.empty()) return;
    story.root->tags = story.root->tags.with(added);
    story.touched = true;
}

// A line of comment text as the content of one run, made as typed text is (InlineOps::items):
// text in w:t, a TAB a w:tab, a CR LF, VT or FF a w:br, and nothing for what XML cannot carry.
std::string lineContent(std::string_view w, std::u16string_view line) {
    std::string content;
    for (const RunItem& item : InlineOps::items(line)) {
        switch (item.kind.type) {
            case RunItem::Type::text:
                content += asChars(Serializer::textElement(qualified(w, "t"), item.kind.text));
                break;
            case RunItem::Type::tab: content += emptyElement(w, "tab"); break;
            case RunItem::Type::lineBreak: content += emptyElement(w, "br"); break;
            default: break;
        }
    }
    return content;
}

std::string commentParagraph(DocxDocument& document, std::string_view w, std::u16string_view line,
                             bool first) {
    std::string content;
    if (hasStyle(document, "CommentText"))
        content += element(w, "pPr", emptyElement(w, "pStyle", {{"val", "CommentText"}}));
    if (first) content += element(w, "r", referenceMark(document, w) + emptyElement(w, "annotationRef"));
    if (const std::string runContent = lineContent(w, line); !runContent.empty())
        content += element(w, "r", runContent);
    const std::string p = qualified(w, "p");
    return Markup::startTag(p, {{"w14:paraId", Comments::newParagraphID()}}, Markup::SelfClosing::No) +
           content + "</" + p + ">";
}

int64_t newComment(DocxDocument& document, std::u16string_view text, std::string_view author,
                   std::chrono::system_clock::time_point date) {
    Story& story = commentsStory(document);
    declareW14(story);
    const int64_t id = document.nextRevisionID();
    const std::string w = prefixOr(story.root->tags.prefix());
    // Made writable before the initials are taken from it, so that they are the written
    // name's ("A\vB" is written "A B", initials "AB").
    const std::string authorText = XMLChars::attributeValue(author);

    std::string paragraphs;
    bool first = true;
    for (std::u16string_view line : commentLines(text)) {
        paragraphs += commentParagraph(document, w, line, first);
        first = false;
    }
    const std::string name = qualified(w, "comment");
    const std::string xml = Markup::startTag(name,
                                             {{qualified(w, "id"), std::to_string(id)},
                                              {qualified(w, "author"), authorText},
                                              {qualified(w, "date"), IsoDate::format(date)},
                                              {qualified(w, "initials"), Comments::initials(authorText)}},
                                             Markup::SelfClosing::No) +
                            paragraphs + "</" + name + ">";

    auto group = Fragment::group(xml, static_cast<EditContext&>(document).mint());
    if (!group) throw DocxError(DocxErrorCode::unsupported, StoryID::comments());
    for (Block& block : group->children)
        if (auto* p = std::get_if<std::unique_ptr<Paragraph>>(&block)) (*p)->parent = group.get();
    story.root->children.emplace_back(std::move(group));
    story.touched = true;
    return id;
}

// The w14:paraId of a comment's last paragraph, given one when it has none.
std::string paragraphIDOf(DocxDocument& document, int64_t id) {
    // Without a comments part no comment exists.
    const auto name = document.part(StoryID::comments());
    if (!name || !document.hasPart(name->rawValue))
        throw DocxError(DocxErrorCode::unknownParagraph, StoryID::comments());
    Story& story = document.story(StoryID::comments());
    Group* comment = findComment(story, id);
    Paragraph* last = comment ? lastParagraph(*comment) : nullptr;
    if (!last) throw DocxError(DocxErrorCode::unknownParagraph, StoryID::comments());
    if (auto existing = paraIdAttribute(*last)) return *existing;
    declareW14(story);
    std::string fresh = Comments::newParagraphID();
    last->tags = InlineOps::openTags(last->tags).with({{"w14:paraId", fresh}});
    last->setDirty(true);
    story.touched = true;
    return fresh;
}

std::optional<PartName> extendedPart(DocxDocument& document) {
    for (const Relationship& r : document.relationships().all)
        if (r.type == extendedType && !r.external) return document.relationships().part(r);
    return std::nullopt;
}

// One w15:commentEx of a commentsExtended part.
struct ExtendedEntry {
    std::string paraId;
    std::optional<std::string> parent;
    bool done = false;
    int node = -1;  // in the part's tree
};

// A commentsExtended part read through the XML tree: the prefix its root binds to the
// w15 namespace (whatever the producer chose) and its entries.
struct ExtendedPart {
    XMLTree tree;
    std::string prefix;
    std::vector<ExtendedEntry> entries;

    std::string qualified(std::string_view local) const { return Markup::qualified(prefix, local); }
};

// Throws XMLError when the part does not parse, ZipError when it cannot be read.
ExtendedPart readExtended(DocxDocument& document, const PartName& name) {
    ExtendedPart part{XMLTree(document.contents(name.rawValue)), {}, {}};
    const XMLTree& tree = part.tree;
    const int root = tree.root();
    part.prefix = Markup::boundPrefix(Markup::attributes(tree.rawStartTag(root)), w15Namespace)
                      .value_or(std::string(Markup::prefixOf(tree.nameView(root))));
    for (int child : tree.childElements(root)) {
        if (tree.localName(child) != "commentEx") continue;
        const auto paraId = tree.attribute(child, part.qualified("paraId"));
        if (!paraId) continue;
        part.entries.push_back({*paraId, tree.attribute(child, part.qualified("paraIdParent")),
                                Markup::isOn(tree.attribute(child, part.qualified("done")).value_or("0")),
                                child});
    }
    return part;
}

// The readable commentsExtended part of the document, if there is one.
std::optional<ExtendedPart> readableExtended(DocxDocument& document) {
    const auto name = extendedPart(document);
    if (!name || !document.hasPart(name->rawValue)) return std::nullopt;
    try {
        return readExtended(document, *name);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// Throws DocxError(unreadablePart) when the commentsExtended part is there but does not
// parse: resolving and replying write to it, so they check it before changing anything.
void requireReadableExtended(DocxDocument& document) {
    const auto name = extendedPart(document);
    if (!name || !document.hasPart(name->rawValue)) return;
    try {
        readExtended(document, *name);
    } catch (const XMLError& error) {
        throw DocxError(DocxErrorCode::unreadablePart, DocxError::Detail{std::nullopt, *name, {}, error.what()});
    }
}

// Adds or updates the commentsExtended entry of a paragraph identifier; an existing
// entry's parent is never changed, and only its done flag is rewritten. Throws
// DocxError(unreadablePart), before changing anything, when the part is there but cannot
// be read.
void setExtended(DocxDocument& document, const std::string& paraId, const std::optional<std::string>& parent,
                 std::optional<bool> done) {
    auto name = extendedPart(document);
    const bool related = name.has_value();
    if (!name) name = PartName(extendedName);
    if (!document.hasPart(name->rawValue)) {
        // The content type first: it is the one step that can fail, and then nothing changed.
        document.ensureContentType(*name, std::nullopt, extendedContentType);
        document.storePart(*name, share(toBytes(std::string(declaration) +
                                                Markup::startTag("w15:commentsEx",
                                                                 {{"xmlns:w15", std::string(w15Namespace)}},
                                                                 Markup::SelfClosing::No) +
                                                "</w15:commentsEx>")));
    }
    std::optional<ExtendedPart> part;
    try {
        part.emplace(readExtended(document, *name));
    } catch (const std::exception& error) {
        // Only a part that was already there can fail to read: nothing has changed yet.
        throw DocxError(DocxErrorCode::unreadablePart, DocxError::Detail{std::nullopt, *name, {}, error.what()});
    }
    if (!related)
        document.addRelationship(document.mainPart(), "", targetFromMain(document, extendedName), false,
                                 extendedType);
    const std::string doneText = done.value_or(false) ? "1" : "0";
    XMLEdit edit(part->tree);
    const auto entry = std::find_if(part->entries.begin(), part->entries.end(),
                                    [&](const ExtendedEntry& e) { return e.paraId == paraId; });
    if (entry == part->entries.end()) {
        Markup::Attributes attributes{{part->qualified("paraId"), paraId}};
        if (parent) attributes.emplace_back(part->qualified("paraIdParent"), *parent);
        attributes.emplace_back(part->qualified("done"), doneText);
        edit.append(part->tree.root(),
                    Markup::startTag(part->qualified("commentEx"), attributes, Markup::SelfClosing::Yes));
    } else if (done) {
        edit.setAttributes(entry->node, {{part->qualified("done"), doneText}});
    } else {
        return;
    }
    document.storePart(*name, share(toBytes(edit.result())));
}

// Inserts the reply's anchor after the first parent anchor the predicate finds in an
// owner's inlines, looking inside tracked changes and links; true when it did.
template <typename Matches>
bool insertAfterFirst(std::vector<Inline>& inlines, const Matches& matches,
                      const std::function<std::vector<Inline>()>& make) {
    for (size_t i = 0; i < inlines.size(); ++i) {
        if (matches(inlines[i])) {
            insertAt(inlines, i + 1, make());
            return true;
        }
        if (auto* c = std::get_if<std::unique_ptr<Container>>(&inlines[i]);
            c && insertAfterFirst((*c)->inlines, matches, make)) {
            (*c)->dirty = true;
            return true;
        }
    }
    return false;
}

bool isRangeMarker(const Inline& node, std::string_view local, const std::string& id) {
    const auto* raw = std::get_if<Raw>(&node);
    return raw && raw->local() == local && raw->wid() == id;
}

bool isReference(const Inline& node, int64_t id) {
    const auto* run = std::get_if<std::unique_ptr<Run>>(&node);
    if (!run) return false;
    for (const RunItem& item : (*run)->items)
        if (item.kind.type == RunItem::Type::commentRef && item.kind.number == id) return true;
    return false;
}

// Puts a reply's anchors right after its parent's, paragraph by paragraph of the body.
void anchorReply(DocxDocument& document, int64_t parent, int64_t id) {
    Story& body = document.story(StoryID::body());
    const std::string parentID = std::to_string(parent);
    for (Paragraph* paragraph : body.paragraphs()) {
        const std::string q = prefixOr(paragraph->tags.prefix());
        bool changed = insertAfterFirst(
            paragraph->inlines,
            [&](const Inline& n) { return isRangeMarker(n, "commentRangeStart", parentID); },
            [&] { return anchorInlines(document, rangeMarker(q, "commentRangeStart", id)); });
        changed |= insertAfterFirst(
            paragraph->inlines,
            [&](const Inline& n) { return isRangeMarker(n, "commentRangeEnd", parentID); },
            [&] { return anchorInlines(document, rangeMarker(q, "commentRangeEnd", id)); });
        changed |= insertAfterFirst(
            paragraph->inlines, [&](const Inline& n) { return isReference(n, parent); },
            [&] { return anchorInlines(document, referenceRun(document, q, id)); });
        if (changed) {
            paragraph->setDirty(true);
            body.touched = true;
        }
    }
}

}  // namespace

namespace Comments {

void setNumberSource(NumberSource source) {
    numberSource() = std::move(source);
}

std::string newParagraphID() {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(numberSource()()));
    return text;
}

std::string initials(std::string_view author) {
    std::string result;
    size_t i = 0;
    while (i < author.size()) {
        if (author[i] == ' ') {
            ++i;
            continue;
        }
        // The whole first UTF-8 sequence of the word, so that "Émile" gives "É".
        size_t end = i + 1;
        while (end < author.size() && (static_cast<unsigned char>(author[end]) & 0xC0) == 0x80) ++end;
        result.append(author.substr(i, end - i));
        i = author.find(' ', end);
        if (i == std::string_view::npos) break;
    }
    return result;
}

}  // namespace Comments

CommentID DocxDocument::addComment(ParagraphID id, const StoryID& storyID, TextRange range,
                                   std::u16string_view text, std::string_view author,
                                   std::chrono::system_clock::time_point date) {
    auto [target, paragraph] = this->paragraph(id, storyID);
    if (range.lower > range.upper || range.upper > InlineOps::length(paragraph->inlines))
        throw DocxError(DocxErrorCode::rangeOutOfBounds, storyID);
    const int64_t comment = newComment(*this, text, author, date);
    const std::string q = prefixOr(paragraph->tags.prefix());
    // The end first, so that the start's cut finds the same offsets.
    const size_t end = InlineOps::cut(*paragraph, range.upper, *this);
    insertAt(
        paragraph->inlines, end,
        anchorInlines(*this, rangeMarker(q, "commentRangeEnd", comment) + referenceRun(*this, q, comment)));
    const size_t start = InlineOps::cut(*paragraph, range.lower, *this);
    insertAt(paragraph->inlines, start, anchorInlines(*this, rangeMarker(q, "commentRangeStart", comment)));
    paragraph->setDirty(true);
    target->touched = true;
    return CommentID{comment};
}

CommentID DocxDocument::reply(CommentID to, std::u16string_view text, std::string_view author,
                              std::chrono::system_clock::time_point date) {
    // The parent and the extended part must be usable before anything is made.
    requireReadableExtended(*this);
    // Threads are one level deep: Word and LibreOffice show a reply to a reply under the
    // thread's first comment, so that is the parent the reply names and sits beside.
    const CommentID parent = threadStart(to);
    const std::string parentParaId = paragraphIDOf(*this, parent.rawValue);
    const int64_t id = newComment(*this, text, author, date);
    anchorReply(*this, parent.rawValue, id);
    setExtended(*this, paragraphIDOf(*this, id), parentParaId, std::nullopt);
    return CommentID{id};
}

void DocxDocument::setResolved(CommentID comment, bool resolved) {
    requireReadableExtended(*this);
    // The done flag readers show is the thread's first comment's.
    setExtended(*this, paragraphIDOf(*this, threadStart(comment).rawValue), std::nullopt, resolved);
}

CommentID DocxDocument::threadStart(CommentID comment) {
    const auto threads = commentThreads();
    std::set<CommentID> seen{comment};
    for (auto found = threads.find(comment); found != threads.end() && found->second.parent;
         found = threads.find(comment)) {
        // A chain of parents that loops (a damaged part) stops before it repeats.
        if (!seen.insert(*found->second.parent).second) break;
        comment = *found->second.parent;
    }
    return comment;
}

std::map<CommentID, CommentThreadInfo> DocxDocument::commentThreads() {
    std::map<CommentID, CommentThreadInfo> threads;
    const auto extended = readableExtended(*this);
    if (!extended || !part(StoryID::comments()) || !hasPart(part(StoryID::comments())->rawValue)) return threads;
    Story* comments = nullptr;
    try {
        comments = &story(StoryID::comments());
    } catch (const std::exception&) {
        return threads;  // an unreadable comments part has no threads to report
    }
    std::map<std::string, CommentID> byParaId;
    for (Block& block : comments->root->children) {
        auto* group = std::get_if<std::unique_ptr<Group>>(&block);
        if (!group || (*group)->local() != "comment") continue;
        const auto id = Numbers::integer(Markup::attribute("id", (*group)->tags.start.view()));
        Paragraph* last = id ? lastParagraph(**group) : nullptr;
        const auto paraId = last ? paraIdAttribute(*last) : std::nullopt;
        if (paraId) byParaId.emplace(*paraId, CommentID{*id});
    }
    for (const ExtendedEntry& entry : extended->entries) {
        const auto own = byParaId.find(entry.paraId);
        if (own == byParaId.end()) continue;
        CommentThreadInfo info;
        if (entry.parent)
            if (const auto found = byParaId.find(*entry.parent); found != byParaId.end()) info.parent = found->second;
        info.done = entry.done;
        threads[own->second] = info;
    }
    return threads;
}

}  // namespace rovuvuz
