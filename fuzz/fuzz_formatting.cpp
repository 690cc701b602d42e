// Fuzz target: any bytes as a styles part, a numbering part, a section's properties, a
// settings part, tab stops and a field instruction. Reading never throws, resolving every
// style's formats, tab stops and table styles terminates, list labels stay bounded
// whatever the levels say, and sections keep room for text.
#include <cstdint>
#include <cstdlib>

#include <string_view>

#include "RovuVuz/format/FieldCode.h"
#include "RovuVuz/format/Numbering.h"
#include "RovuVuz/format/Sections.h"
#include "RovuVuz/format/Settings.h"
#include "RovuVuz/format/Styles.h"

using namespace rovuvuz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ByteView bytes(data, size);
    const StyleSheet styles(bytes, bytes);
    for (const auto& [id, style] : styles.styles) {
        const ParagraphFormat paragraph = styles.paragraphFormat(style.pPr ? &*style.pPr : nullptr, id);
        styles.runFormat(paragraph.style, style.rPr ? &*style.rPr : nullptr, id);
        styles.chain(id);
        styles.tabStops(paragraph.style, style.pPr ? &*style.pPr : nullptr, id);
        styles.runFormat(paragraph.style, nullptr, id, 0x1FFF);
        styles.tableStyle(id);
    }
    styles.menu();

    const Section section = Section::read(bytes);
    if (section.page.width - section.page.left - section.page.right - section.page.gutter < PageSetup::smallestSide - 1e-6)
        std::abort();
    DocumentSettings::read(bytes);
    TabStops::read(bytes);
    TableProperties::read(bytes);
    CellProperties::read(bytes);
    RowProperties::read(bytes);
    const FieldInstruction field =
        FieldInstruction::parse(std::string_view(reinterpret_cast<const char*>(data), size));
    field.number(static_cast<int64_t>(size) - 3, "ordinalText", "en-US");

    const Numbering numbering(bytes);
    Numbering::Counter counter(numbering);
    for (const auto& [num, list] : numbering.nums) {
        for (int level = -1; level <= Numbering::levelCount; ++level) {
            for (int i = 0; i < 3; ++i) {
                const auto label = counter.next(NumberingID{num}, level);
                if (label && label->size() > 4 * Numbering::longestLabel) std::abort();
            }
        }
    }
    return 0;
}
