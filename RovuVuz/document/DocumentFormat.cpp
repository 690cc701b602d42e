// The document's formatting: its style sheet and numbering, read on first use and read
// again when their part changes, and its page, header and footer from the final section.
// None of these throws: a missing or malformed part gives the defaults.
#include <array>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/format/Numbering.h"
#include "RovuVuz/format/Sections.h"
#include "RovuVuz/format/Styles.h"

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

std::optional<ByteSlice> DocxDocument::finalSection() {
    try {
        return Sections::finalSection(story(StoryID::body()));
    } catch (const std::exception&) {
        return std::nullopt;  // a body that cannot be read shows the default page
    }
}

std::optional<PartName> DocxDocument::sectionReference(std::string_view kind) {
    const auto section = finalSection();
    const auto id = section ? Sections::reference(section->view(), kind) : std::nullopt;
    const Relationship* relationship = id ? relationships_.find(*id) : nullptr;
    auto part = relationship ? relationships_.part(*relationship) : std::nullopt;
    if (part && hasPart(part->rawValue)) return part;
    return std::nullopt;
}

PageSetup DocxDocument::pageSetup() {
    const auto section = finalSection();
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

bool DocxDocument::sumsParagraphSpacing() const {
    const SharedBytes settings = partBytes(partSource("settings"));
    return settings && Sections::sumsParagraphSpacing(*settings);
}

}  // namespace rovuvuz
