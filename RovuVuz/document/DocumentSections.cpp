// The body's sections and the settings part, read on demand; neither throws.
#include "RovuVuz/document/DocumentSections.h"

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/model/Story.h"

namespace rovuvuz {

namespace {

std::optional<StoryID> choose(const std::array<std::optional<StoryID>, 3>& stories, const Section& setup,
                              bool firstPageOfSection, bool evenPage, bool evenAndOddHeaders) {
    // A title page or an even page without its own band shows a blank one (§17.10.1).
    if (firstPageOfSection && setup.titlePage) return stories[size_t(HeaderFooterType::first)];
    if (evenPage && evenAndOddHeaders) return stories[size_t(HeaderFooterType::even)];
    return stories[size_t(HeaderFooterType::primary)];
}

}  // namespace

std::optional<StoryID> DocumentSection::header(bool firstPageOfSection, bool evenPage, bool evenAndOddHeaders) const {
    return choose(headers, setup, firstPageOfSection, evenPage, evenAndOddHeaders);
}

std::optional<StoryID> DocumentSection::footer(bool firstPageOfSection, bool evenPage, bool evenAndOddHeaders) const {
    return choose(footers, setup, firstPageOfSection, evenPage, evenAndOddHeaders);
}

std::vector<size_t> sectionOfBlocks(const std::vector<BlockSnapshot>& body, const std::vector<DocumentSection>& sections) {
    std::vector<size_t> result;
    result.reserve(body.size());
    size_t section = 0;
    for (const BlockSnapshot& block : body) {
        result.push_back(std::min(section, sections.empty() ? 0 : sections.size() - 1));
        const auto* paragraph = std::get_if<ParagraphSnapshot>(&block.value);
        if (paragraph && section < sections.size() && sections[section].lastParagraph == paragraph->id) ++section;
    }
    return result;
}

std::vector<DocumentSection> DocxDocument::sections() {
    std::vector<DocumentSection> result;
    for (BodySection& body : Sections::all(bodyGroup())) {
        DocumentSection section;
        section.setup = std::move(body.section);
        if (body.last) section.lastParagraph = body.last->id;
        for (size_t type = 0; type < 3; ++type) {
            section.headers[type] = referencedStory(section.setup.headers[type], StoryID::Kind::header);
            section.footers[type] = referencedStory(section.setup.footers[type], StoryID::Kind::footer);
        }
        result.push_back(std::move(section));
    }
    return result;
}

std::optional<StoryID> DocxDocument::referencedStory(const std::optional<RelationshipID>& id, StoryID::Kind kind) const {
    const Relationship* relationship = id ? relationships_.find(*id) : nullptr;
    auto part = relationship ? relationships_.part(*relationship) : std::nullopt;
    if (!part || !hasPart(part->rawValue)) return std::nullopt;
    return StoryID{kind, std::move(*part)};
}

DocumentSettings DocxDocument::settings() const {
    const SharedBytes bytes = partBytes(partSource("settings"));
    return bytes ? DocumentSettings::read(*bytes) : DocumentSettings{};
}

}  // namespace rovuvuz
