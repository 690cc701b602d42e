// Fuzz target: any bytes as a styles part, a numbering part and a section's properties.
// Reading never throws, resolving every style's formats terminates, and list labels stay
// bounded whatever the levels say.
#include <cstdint>
#include <cstdlib>

#include "RovuVuz/format/Numbering.h"
#include "RovuVuz/format/Styles.h"

using namespace rovuvuz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ByteView bytes(data, size);
    const StyleSheet styles(bytes, bytes);
    for (const auto& [id, style] : styles.styles) {
        const ParagraphFormat paragraph = styles.paragraphFormat(style.pPr ? &*style.pPr : nullptr, id);
        styles.runFormat(paragraph.style, style.rPr ? &*style.rPr : nullptr, id);
        styles.chain(id);
    }
    styles.menu();

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
