#include "RovuVuz/document/Comments.h"

#include <cstdio>
#include <random>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/InlineOps.h"
#include "RovuVuz/edit/TextEdit.h"
#include "RovuVuz/format/Styles.h"
#include "RovuVuz/model/Fragment.h"
#include "RovuVuz/model/IsoDate.h"
#include "RovuVuz/model/Serializer.h"
#include "RovuVuz/xml/Regex.h"
#include "RovuVuz/xml/Utf8.h"
#include "RovuVuz/xml/XMLText.h"

namespace rovuvuz {

namespace {

constexpr std::string_view mainNamespace = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr std::string_view w14Namespace = "http://schemas.microsoft.com/office/word/2010/wordml";
constexpr std::string_view w15Namespace = "http://schemas.microsoft.com/office/word/2012/wordml";
constexpr std::string_view extendedType =
    "http://schemas.microsoft.com/office/2011/relationships/commentsExtended";
constexpr std::string_view commentsContentType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.comments+xml";
constexpr std::string_view extendedContentType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.commentsExtended+xml";
constexpr std::string_view commentsName = "word/comments.xml";
constexpr std::string_view extendedName = "word/commentsExtended.xml";
constexpr std::string_view declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr std::string_view extendedEnd = "</w15:commentsEx>";

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

std::optional<int64_t> parseID(const std::optional<std::string>& text) {
    if (!text || text->empty() || text->size() > 18) return std::nullopt;
    int64_t value = 0;
    for (char c : *text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

bool hasStyle(DocxDocument& document, std::string_view id) {
    return document.styles().find(StyleID{std::string(id)}) != nullptr;
}

// The mark a comment reference or annotation run carries when the style sheet has it.
std::string referenceMark(DocxDocument& document, std::string_view prefix) {
    if (!hasStyle(document, "CommentReference")) return {};
    const std::string p(prefix);
    return "<" + p + ":rPr><" + p + ":rStyle " + p + ":val=\"CommentReference\"/></" + p + ":rPr>";
}

std::string rangeMarker(std::string_view prefix, std::string_view local, int64_t id) {
    const std::string p(prefix);
    return "<" + p + ":" + std::string(local) + " " + p + ":id=\"" + std::to_string(id) + "\"/>";
}

std::string referenceRun(DocxDocument& document, std::string_view prefix, int64_t id) {
    const std::string p(prefix);
    return "<" + p + ":r>" + referenceMark(document, prefix) + "<" + p + ":commentReference " + p + ":id=\"" +
           std::to_string(id) + "\"/></" + p + ":r>";
}

// Anchor markup read as the inlines of a paragraph, the way read content enters the tree.
std::vector<Inline> anchorInlines(DocxDocument& document, const std::string& snippet) {
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

// "comments.xml" from a main part in word/, as Word writes it; the package-absolute name
// from a main part stored anywhere else, so that the target still resolves to the part.
std::string targetFromMain(const DocxDocument& document, std::string_view part) {
    constexpr std::string_view folder = "word/";
    const std::string& main = document.mainPart().rawValue;
    if (main.starts_with(folder) && main.find('/', folder.size()) == std::string::npos)
        return std::string(part.substr(folder.size()));
    return "/" + std::string(part);
}

Story& commentsStory(DocxDocument& document) {
    const auto name = document.part(StoryID::comments());
    if (!name || !document.hasPart(name->rawValue)) {
        document.cache().added[std::string(commentsName)] =
            share(toBytes(std::string(declaration) + "<w:comments xmlns:w=\"" + std::string(mainNamespace) +
                          "\" xmlns:w14=\"" + std::string(w14Namespace) + "\"></w:comments>"));
        document.ensureContentType(PartName(commentsName), std::nullopt, commentsContentType);
        document.addRelationship(document.mainPart(), "comments", targetFromMain(document, commentsName),
                                 false);
    }
    return document.story(StoryID::comments());
}

// w14:paraId needs its namespace declared; the comments root is where Word declares it.
void declareW14(Story& story) {
    if (tagAttribute(story.root->tags, "xmlns:w14")) return;
    story.root->tags = story.root->tags.with({{"xmlns:w14", std::string(w14Namespace)}});
    story.touched = true;
}

// Lines at each LF, by user-perceived character: the LF of a CR LF pair ends no line.
std::vector<std::u16string_view> commentLines(std::u16string_view text) {
    std::vector<std::u16string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'\n' || (i > 0 && text[i - 1] == u'\r')) continue;
        lines.push_back(text.substr(start, i - start));
        start = i + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

std::string commentParagraph(DocxDocument& document, std::string_view w, std::u16string_view line,
                             bool first) {
    const std::string p(w);
    std::string xml = "<" + p + ":p w14:paraId=\"" + Comments::newParagraphID() + "\">";
    if (hasStyle(document, "CommentText"))
        xml += "<" + p + ":pPr><" + p + ":pStyle " + p + ":val=\"CommentText\"/></" + p + ":pPr>";
    if (first)
        xml += "<" + p + ":r>" + referenceMark(document, w) + "<" + p + ":annotationRef/></" + p + ":r>";
    if (!line.empty()) {
        const Bytes text = Serializer::textElement(p + ":t", line);
        xml += "<" + p + ":r>" + std::string(asChars(text)) + "</" + p + ":r>";
    }
    return xml + "</" + p + ":p>";
}

int64_t newComment(DocxDocument& document, std::u16string_view text, std::string_view author,
                   std::chrono::system_clock::time_point date) {
    Story& story = commentsStory(document);
    declareW14(story);
    const int64_t id = document.nextRevisionID();
    const std::string w = prefixOr(story.root->tags.prefix());
    const std::string authorText = utf8::repaired(author);

    std::string xml = "<" + w + ":comment " + w + ":id=\"" + std::to_string(id) + "\" " + w + ":author=\"" +
                      XMLText::escapeAttribute(authorText) + "\" " + w + ":date=\"" + IsoDate::format(date) +
                      "\" " + w + ":initials=\"" + XMLText::escapeAttribute(Comments::initials(authorText)) +
                      "\">";
    bool first = true;
    for (std::u16string_view line : commentLines(text)) {
        xml += commentParagraph(document, w, line, first);
        first = false;
    }
    xml += "</" + w + ":comment>";

    auto group = Fragment::group(xml, document.mint());
    if (!group) throw DocxError(DocxErrorCode::unsupported, StoryID::comments());
    for (Block& block : group->children)
        if (auto* p = std::get_if<std::unique_ptr<Paragraph>>(&block)) (*p)->parent = group.get();
    story.root->children.emplace_back(std::move(group));
    story.touched = true;
    return id;
}

Group* findComment(Story& story, int64_t id) {
    for (Block& block : story.root->children) {
        auto* group = std::get_if<std::unique_ptr<Group>>(&block);
        if (group && (*group)->local() == "comment" &&
            parseID(Markup::attribute("id", (*group)->tags.start.view())) == id)
            return group->get();
    }
    return nullptr;
}

// The last paragraph inside a group, through nested groups, without recursion.
Paragraph* lastParagraph(Group& group) {
    Paragraph* last = nullptr;
    std::vector<std::pair<Group*, size_t>> stack{{&group, 0}};
    while (!stack.empty()) {
        auto& [current, next] = stack.back();
        if (next == current->children.size()) {
            stack.pop_back();
            continue;
        }
        Block& block = current->children[next++];
        if (auto* p = std::get_if<std::unique_ptr<Paragraph>>(&block))
            last = p->get();
        else if (auto* g = std::get_if<std::unique_ptr<Group>>(&block))
            stack.emplace_back(g->get(), 0);
    }
    return last;
}

std::optional<std::string> paraIdAttribute(const Paragraph& paragraph) {
    for (const auto& [name, value] : Markup::attributes(paragraph.tags.start.view()))
        if (std::string_view(name).ends_with(":paraId")) return value;
    return std::nullopt;
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

std::optional<std::string> extendedXML(DocxDocument& document) {
    const auto name = extendedPart(document);
    if (!name || !document.hasPart(name->rawValue)) return std::nullopt;
    try {
        return utf8::repaired(ByteView(*document.contents(name->rawValue)));
    } catch (const ZipError&) {
        return std::nullopt;
    }
}

const Regex& entryPattern() {
    static const Regex pattern(R"re(<w15:commentEx [^>]*\/>)re");
    return pattern;
}
const Regex& readingPattern() {
    static const Regex pattern(R"re(<w15:commentEx ([^>]*)\/>)re");
    return pattern;
}
const Regex& paraIdPattern() {
    static const Regex pattern(R"re(w15:paraId="([0-9A-Fa-f]+)")re");
    return pattern;
}
const Regex& parentPattern() {
    static const Regex pattern(R"re(w15:paraIdParent="([0-9A-Fa-f]+)")re");
    return pattern;
}
const Regex& donePattern() {
    static const Regex pattern(R"re(\ w15:done="\d")re");
    return pattern;
}

// Adds or updates the commentsExtended entry of a paragraph identifier; an existing
// entry's parent is never changed, and only its done flag is rewritten.
void setExtended(DocxDocument& document, const std::string& paraId, const std::optional<std::string>& parent,
                 std::optional<bool> done) {
    auto name = extendedPart(document);
    if (!name) {
        name = PartName(extendedName);
        document.addRelationship(document.mainPart(), "", targetFromMain(document, extendedName), false,
                                 extendedType);
    }
    if (!document.hasPart(name->rawValue)) {
        document.cache().added[name->rawValue] =
            share(toBytes(std::string(declaration) + "<w15:commentsEx xmlns:w15=\"" +
                          std::string(w15Namespace) + "\">" + std::string(extendedEnd)));
        document.ensureContentType(*name, std::nullopt, extendedContentType);
    }
    std::string text = extendedXML(document).value_or("");

    const std::string key = "w15:paraId=\"" + paraId + "\"";
    std::optional<Regex::Match> found;
    for (auto match = entryPattern().firstMatch(text); match;
         match = entryPattern().firstMatch(text, match->end)) {
        if (match->groups[0].find(key) != std::string::npos) {
            found = std::move(match);
            break;
        }
    }
    const std::string doneText = done.value_or(false) ? "1" : "0";
    if (!found) {
        const size_t end = text.find(extendedEnd);
        if (end == std::string::npos) return;
        std::string entry = "<w15:commentEx " + key;
        if (parent) entry += " w15:paraIdParent=\"" + *parent + "\"";
        entry += " w15:done=\"" + doneText + "\"/>";
        text.insert(end, entry);
    } else if (done) {
        std::string entry =
            donePattern().replaceAll(found->groups[0], [](const Regex::Match&) { return ""; });
        entry.replace(entry.size() - 2, 2, " w15:done=\"" + doneText + "\"/>");
        text.replace(found->begin, found->end - found->begin, entry);
    }
    document.cache().added[name->rawValue] = share(toBytes(text));
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
    // The parent must exist before anything is made.
    const std::string parentParaId = paragraphIDOf(*this, to.rawValue);
    const int64_t id = newComment(*this, text, author, date);
    anchorReply(*this, to.rawValue, id);
    setExtended(*this, paragraphIDOf(*this, id), parentParaId, std::nullopt);
    return CommentID{id};
}

void DocxDocument::setResolved(CommentID comment, bool resolved) {
    setExtended(*this, paragraphIDOf(*this, comment.rawValue), std::nullopt, resolved);
}

std::map<CommentID, CommentThreadInfo> DocxDocument::commentThreads() {
    std::map<CommentID, CommentThreadInfo> threads;
    const auto text = extendedXML(*this);
    if (!text || !part(StoryID::comments()) || !hasPart(part(StoryID::comments())->rawValue)) return threads;
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
        const auto id = parseID(Markup::attribute("id", (*group)->tags.start.view()));
        Paragraph* last = id ? lastParagraph(**group) : nullptr;
        const auto paraId = last ? paraIdAttribute(*last) : std::nullopt;
        if (paraId) byParaId.emplace(*paraId, CommentID{*id});
    }
    for (auto entry = readingPattern().firstMatch(*text); entry;
         entry = readingPattern().firstMatch(*text, entry->end)) {
        const std::string& attributes = entry->groups[1];
        const auto paraId = paraIdPattern().firstMatch(attributes);
        const auto own = paraId ? byParaId.find(paraId->groups[1]) : byParaId.end();
        if (own == byParaId.end()) continue;
        CommentThreadInfo info;
        if (const auto parent = parentPattern().firstMatch(attributes)) {
            const auto found = byParaId.find(parent->groups[1]);
            if (found != byParaId.end()) info.parent = found->second;
        }
        info.done = attributes.find("w15:done=\"1\"") != std::string::npos;
        threads[own->second] = info;
    }
    return threads;
}

}  // namespace rovuvuz
