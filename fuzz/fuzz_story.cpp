// Fuzz target: any bytes as a story part. An untouched story must serialize to its
// source; with every paragraph rebuilt it must serialize to bytes that parse again with
// the same text in every paragraph.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "RovuVuz/model/Nodes.h"
#include "RovuVuz/model/Story.h"
#include "RovuVuz/xml/XMLTree.h"

using namespace rovuvuz;

namespace {

void collectText(const std::vector<Inline>& inlines, std::u16string& out, int depth) {
    if (depth > 1000) std::abort();  // the parser bounds nesting far below this
    for (const Inline& node : inlines) {
        if (const auto* run = std::get_if<std::unique_ptr<Run>>(&node)) {
            for (const RunItem& item : (*run)->items) {
                if (item.kind.type == RunItem::Type::text || item.kind.type == RunItem::Type::delText)
                    out += item.kind.text;
                else if (item.kind.type != RunItem::Type::hidden && item.kind.type != RunItem::Type::props)
                    out += u'\uFFFC';
            }
        } else if (const auto* container = std::get_if<std::unique_ptr<Container>>(&node)) {
            collectText((*container)->inlines, out, depth + 1);
        }
    }
}

std::vector<std::u16string> paragraphTexts(const Story& story) {
    std::vector<std::u16string> texts;
    for (const Paragraph* p : story.paragraphs()) {
        texts.emplace_back();
        collectText(p->inlines, texts.back(), 0);
    }
    return texts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const SharedBytes bytes = share(Bytes(data, data + size));
    IdentityMint mint;
    std::unique_ptr<Story> story;
    try {
        story = std::make_unique<Story>(PartName("word/document.xml"), bytes, nullptr, mint);
    } catch (const XMLError&) {
        return 0;
    }
    if (story->serialized() != *bytes) std::abort();
    if (story->checkInvariants()) std::abort();

    const auto before = paragraphTexts(*story);
    for (Paragraph* p : story->paragraphs()) p->setDirty(true);
    if (story->checkInvariants()) std::abort();
    const SharedBytes rebuilt = share(story->serialized());
    std::unique_ptr<Story> again;
    try {
        again = std::make_unique<Story>(PartName("word/document.xml"), rebuilt, nullptr, mint);
    } catch (const XMLError&) {
        std::abort();  // rebuilt paragraphs must stay well-formed
    }
    if (paragraphTexts(*again) != before) std::abort();
    return 0;
}
