#include "RovuVuz/document/Notes.h"

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/document/NewStyles.h"
#include "RovuVuz/document/PartTargets.h"
#include "RovuVuz/edit/InlineOps.h"
#include "RovuVuz/model/Fragment.h"
#include "RovuVuz/model/Serializer.h"
#include "RovuVuz/xml/Numbers.h"

namespace rovuvuz {

namespace {

using Markup::element;
using Markup::qualified;

constexpr std::string_view mainNamespace = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr std::string_view declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

// The names one kind of note goes by in the package and its parts.
struct NoteNames {
    StoryID story;
    std::string_view relationship;  // the relationship kind, and the part's root element
    std::string_view part;
    std::string_view contentType;
    std::string_view note;       // the note element
    std::string_view reference;  // the reference in the body
    std::string_view mark;       // the note's own mark
    NewStyles::Definition referenceStyle;
    NewStyles::Definition textStyle;
};

NewStyles::Definition referenceStyleOf(std::string id, std::string name) {
    return {Style::Kind::character, std::move(id), std::move(name), "DefaultParagraphFont", {},
            {{"vertAlign", {{"val", "superscript"}}}}};
}

NewStyles::Definition textStyleOf(std::string id, std::string name) {
    return {Style::Kind::paragraph, std::move(id), std::move(name), "Normal",
            {{"spacing", {{"after", "0"}, {"line", "240"}, {"lineRule", "auto"}}}},
            {{"sz", {{"val", "20"}}}, {"szCs", {{"val", "20"}}}}};
}

// The built-in styles and names of ECMA-376 §17.11 (footnotes) and their endnote twins.
NoteNames namesOf(NoteKind kind) {
    if (kind == NoteKind::endnote)
        return {StoryID::endnotes(), "endnotes", "word/endnotes.xml",
                "application/vnd.openxmlformats-officedocument.wordprocessingml.endnotes+xml", "endnote",
                "endnoteReference", "endnoteRef", referenceStyleOf("EndnoteReference", "endnote reference"),
                textStyleOf("EndnoteText", "endnote text")};
    return {StoryID::footnotes(), "footnotes", "word/footnotes.xml",
            "application/vnd.openxmlformats-officedocument.wordprocessingml.footnotes+xml", "footnote",
            "footnoteReference", "footnoteRef", referenceStyleOf("FootnoteReference", "footnote reference"),
            textStyleOf("FootnoteText", "footnote text")};
}

// A separator note (ECMA-376 §17.11.23, §17.11.1): the line above the notes of a page, and
// the one above notes continued from the page before.
// The part is new, so its prefix is the one it is made with.
std::string separatorNote(const NoteNames& names, std::string_view type, std::string_view id) {
    const std::string p = "w";
    const std::string spacing = element(
        "w:spacing", {{"w:after", "0"}, {"w:line", "240"}, {"w:lineRule", "auto"}}, {});
    const std::string paragraph = element("w:p", {}, element("w:pPr", {}, spacing) +
                                                         element("w:r", {}, element(qualified(p, type), {}, {})));
    return element(qualified(p, names.note), {{"w:type", std::string(type)}, {"w:id", std::string(id)}}, paragraph);
}

// The notes story, its part made first when the package has none: the two separator notes
// every notes part starts with, its content type and its relationship from the main part.
Story& notesStory(DocxDocument& document, const NoteNames& names) {
    const auto existing = document.part(names.story);
    if (!existing || !document.hasPart(existing->rawValue)) {
        const PartName part = existing ? *existing : PartName(std::string(names.part));
        // The content type first: it is the one step that can fail, and then nothing changed.
        document.ensureContentType(part, std::nullopt, names.contentType);
        const std::string root =
            element(qualified("w", names.relationship), {{"xmlns:w", std::string(mainNamespace)}},
                    separatorNote(names, "separator", "-1") + separatorNote(names, "continuationSeparator", "0"));
        document.storePart(part, share(toBytes(std::string(declaration) + root)));
        if (!existing)
            document.addRelationship(document.mainPart(), names.relationship,
                                     targetFromMain(document, part.rawValue), false);
    }
    return document.story(names.story);
}

std::optional<int64_t> noteID(const Group& note) {
    const Markup::Attributes attributes = Markup::attributes(note.tags.start.view());
    const auto id = Markup::ownAttribute(note.tags.qname(), attributes, "id");
    return id ? Numbers::integer(*id) : std::nullopt;
}

// One above the largest w:id of the part's notes (separators included), at least 1.
int64_t freeNoteID(const Story& notes) {
    int64_t largest = 0;
    for (const Block& block : notes.root->children)
        if (const auto* group = std::get_if<std::unique_ptr<Group>>(&block))
            if (const auto id = noteID(**group)) largest = std::max(largest, *id);
    return largest + 1;
}

// The note: a paragraph in the note text style that starts with the note's mark in the
// reference style, then a space, where the text goes.
std::string noteMarkup(const NoteNames& names, std::string_view w, int64_t id, const StyleID& text,
                       const StyleID& reference) {
    const auto val = [&](const StyleID& style) { return Markup::Attributes{{qualified(w, "val"), style.rawValue}}; };
    const std::string mark =
        element(qualified(w, "r"), {},
                element(qualified(w, "rPr"), {}, element(qualified(w, "rStyle"), val(reference), {})) +
                    element(qualified(w, names.mark), {}, {}));
    const std::string space =
        element(qualified(w, "r"), {}, std::string(asChars(Serializer::textElement(qualified(w, "t"), u" "))));
    const std::string props = element(qualified(w, "pPr"), {}, element(qualified(w, "pStyle"), val(text), {}));
    return element(qualified(w, names.note), {{qualified(w, "id"), std::to_string(id)}},
                   element(qualified(w, "p"), {}, props + mark + space));
}

// The reference run: the reference in the reference style, read as a paragraph's inlines.
std::vector<Inline> referenceInlines(DocxDocument& document, const NoteNames& names, std::string_view q,
                                     int64_t id, const StyleID& style) {
    const std::string run = element(
        qualified(q, "r"), {},
        element(qualified(q, "rPr"), {}, element(qualified(q, "rStyle"), {{qualified(q, "val"), style.rawValue}}, {})) +
            element(qualified(q, names.reference), {{qualified(q, "id"), std::to_string(id)}}, {}));
    auto parsed = Fragment::paragraph(element(qualified(q, "p"), {}, run), static_cast<EditContext&>(document).mint());
    if (!parsed) throw DocxError(DocxErrorCode::unsupported, StoryID::body());
    std::vector<Inline> inlines;
    for (Inline& node : parsed->inlines)
        if (!std::holds_alternative<PropsMarker>(node)) inlines.push_back(std::move(node));
    return inlines;
}

void countIn(const std::vector<Inline>& inlines, Notes::References& out) {
    for (const Inline& node : inlines) {
        if (const auto* run = std::get_if<std::unique_ptr<Run>>(&node)) {
            for (const RunItem& item : (*run)->items)
                if (item.kind.type == RunItem::Type::noteRef) ++out[{item.kind.isEndnoteRef(), item.kind.number}];
        } else if (const auto* container = std::get_if<std::unique_ptr<Container>>(&node)) {
            countIn((*container)->inlines, out);  // nesting bounded by the story parser
        }
    }
}

// Removes a note from its part; nothing when the part is missing or unreadable (a note
// nothing references harms no reader, a refused edit would).
void removeNote(DocxDocument& document, bool endnote, int64_t id) {
    const StoryID story = endnote ? StoryID::endnotes() : StoryID::footnotes();
    const auto part = document.part(story);
    if (!part || !document.hasPart(part->rawValue)) return;
    Story* notes = nullptr;
    try {
        notes = &document.story(story);
    } catch (const std::exception&) {
        return;
    }
    auto& children = notes->root->children;
    const auto gone = std::remove_if(children.begin(), children.end(), [&](const Block& block) {
        const auto* group = std::get_if<std::unique_ptr<Group>>(&block);
        return group && noteID(**group) == id;
    });
    if (gone == children.end()) return;
    children.erase(gone, children.end());
    notes->touched = true;
}

}  // namespace

namespace Notes {

References references(const std::vector<Paragraph*>& paragraphs) {
    References found;
    for (const Paragraph* paragraph : paragraphs) countIn(paragraph->inlines, found);
    return found;
}

Watch::Watch(DocxDocument& document, const StoryID& story, const std::vector<Paragraph*>& paragraphs)
    : document_(document), active_(story.kind == StoryID::Kind::body) {
    if (active_) before_ = references(paragraphs);
}

Watch::Watch(DocxDocument& document, const StoryID& story)
    : document_(document), active_(story.kind == StoryID::Kind::body) {
    if (active_) before_ = references(document.story(story).paragraphs());
}

void Watch::settle(const std::vector<Paragraph*>& paragraphs) {
    if (!active_ || before_.empty()) return;
    const References after = references(paragraphs);
    std::vector<std::pair<bool, int64_t>> lost;
    for (const auto& [note, count] : before_) {
        const auto found = after.find(note);
        if (found == after.end() || found->second < count) lost.push_back(note);
    }
    if (lost.empty()) return;
    // Only now the whole body: a reference may stand twice, or elsewhere too.
    const References everywhere = references(document_.story(StoryID::body()).paragraphs());
    for (const auto& [endnote, id] : lost)
        if (!everywhere.count({endnote, id})) removeNote(document_, endnote, id);
}

void Watch::settle() {
    if (active_) settle(document_.story(StoryID::body()).paragraphs());
}

}  // namespace Notes

NoteInsertion DocxDocument::insertNote(NoteKind kind, ParagraphID id, const StoryID& storyID, size_t at,
                                       const EditMode& mode) {
    // Notes are referenced from the body only (headers, notes and comments hold none).
    if (storyID.kind != StoryID::Kind::body) throw DocxError(DocxErrorCode::unsupported, storyID);
    auto [target, paragraph] = this->paragraph(id, storyID);
    if (at > InlineOps::length(paragraph->inlines)) throw DocxError(DocxErrorCode::rangeOutOfBounds, storyID);
    const NoteNames names = namesOf(kind);
    // A notes part that is there must read before anything changes.
    if (const auto existing = part(names.story); existing && hasPart(existing->rawValue)) story(names.story);
    const StyleID referenceStyle = NewStyles::ensure(*this, names.referenceStyle);
    const StyleID textStyle = NewStyles::ensure(*this, names.textStyle);

    Story& notes = notesStory(*this, names);
    const int64_t note = freeNoteID(notes);
    auto group = Fragment::group(noteMarkup(names, notes.root->tags.prefix(), note, textStyle, referenceStyle),
                                 mint_);
    if (!group) throw DocxError(DocxErrorCode::unsupported, names.story);
    Paragraph& first = *paragraphsIn(*group).front();
    const ParagraphPos caret{first.id, InlineOps::length(first.inlines)};
    notes.root->children.emplace_back(std::move(group));
    notes.touched = true;

    insertInlines(referenceInlines(*this, names, paragraph->tags.prefix(), note, referenceStyle), *paragraph, at,
                  mode);
    target->touched = true;
    return {note, names.story, caret};
}

}  // namespace rovuvuz
