// The document's formatting: its style sheet and numbering, read on first use and read
// again when their part changes, and its page, header and footer from the final section.
// None of these throws: a missing or malformed part gives the defaults.
#include <algorithm>
#include <array>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/format/Numbering.h"
#include "RovuVuz/format/Sections.h"
#include "RovuVuz/format/Styles.h"
#include "RovuVuz/model/Story.h"

namespace rovuvuz {

namespace {

std::optional<ByteView> view(const SharedBytes& bytes) {
    return bytes ? std::optional<ByteView>(*bytes) : std::nullopt;
}

}  // namespace

const StyleSheet& DocxDocument::styles() {
    const std::array<Cache::PartSource, 2> sources = {partSource("styles"), partSource("theme")};
    if (!cache_.styles || cache_.stylesSources != sources) {
        const SharedBytes stylesBytes = partBytes(sources[0]);
        const SharedBytes themeBytes = partBytes(sources[1]);
        cache_.styles = std::make_shared<const StyleSheet>(view(stylesBytes), view(themeBytes));
        cache_.stylesSources = sources;
    }
    return *cache_.styles;
}

const Numbering& DocxDocument::numbering() {
    const Cache::PartSource source = partSource("numbering");
    if (!cache_.numbering || cache_.numberingSource != source) {
        const SharedBytes bytes = partBytes(source);
        cache_.numbering = std::make_shared<const Numbering>(view(bytes));
        cache_.numberingSource = source;
    }
    return *cache_.numbering;
}

const Group* DocxDocument::bodyGroup() {
    try {
        return Sections::bodyGroup(story(StoryID::body()));
    } catch (const std::exception&) {
        return nullptr;  // a body that cannot be read shows the default page
    }
}

std::optional<PartName> DocxDocument::sectionReference(std::string_view kind) {
    const auto id = Sections::lastPageReference(bodyGroup(), kind);
    const Relationship* relationship = id ? relationships_.find(*id) : nullptr;
    auto part = relationship ? relationships_.part(*relationship) : std::nullopt;
    if (part && hasPart(part->rawValue)) return part;
    return std::nullopt;
}

PageSetup DocxDocument::pageSetup() {
    const auto section = Sections::finalSection(bodyGroup());
    return section ? PageSetup::read(section->view()) : PageSetup{};
}

std::optional<StoryID> DocxDocument::defaultHeader() {
    auto part = sectionReference("headerReference");
    if (!part) return std::nullopt;
    return StoryID::header(std::move(*part));
}

std::optional<StoryID> DocxDocument::defaultFooter() {
    auto part = sectionReference("footerReference");
    if (!part) return std::nullopt;
    return StoryID::footer(std::move(*part));
}

std::vector<StoryID> DocxDocument::storiesInOrder() {
    const std::vector<StoryID> present = storyIDs();
    std::vector<StoryID> ordered;
    const auto add = [&](const StoryID& id) {
        if (std::find(present.begin(), present.end(), id) != present.end() &&
            std::find(ordered.begin(), ordered.end(), id) == ordered.end())
            ordered.push_back(id);
    };
    add(StoryID::body());
    for (const auto& [kind, id] : Sections::headerAndFooterReferences(bodyGroup())) {
        const Relationship* relationship = relationships_.find(id);
        auto part = relationship ? relationships_.part(*relationship) : std::nullopt;
        if (part) add(StoryID{kind, std::move(*part)});
    }
    for (const StoryID& id : present)
        if (id.kind == StoryID::Kind::header || id.kind == StoryID::Kind::footer) add(id);
    for (const StoryID& id : {StoryID::footnotes(), StoryID::endnotes(), StoryID::comments()}) add(id);
    return ordered;
}

bool DocxDocument::sumsParagraphSpacing() const {
    const SharedBytes settings = partBytes(partSource("settings"));
    return settings && Sections::sumsParagraphSpacing(*settings);
}

}  // namespace rovuvuz
