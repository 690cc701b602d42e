// Fuzz target: any bytes pasted into a new document, as a fragment when the first byte is
// even and as HTML otherwise. A paste either refuses the input with a DocxError and changes
// nothing, or leaves a story whose invariants hold and a package that saves and reads back.
#include <cstdint>
#include <cstdlib>

#include "RovuVuz/document/DocumentInternals.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/document/NewDocument.h"

using namespace rovuvuz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    DocxDocument document(NewDocument::package({NewDocument::Paper::a4, "F", {}}));
    const ParagraphID first = DocumentInternals::story(document, StoryID::body()).paragraphs().front()->id;
    const EditMode mode = data[0] & 2 ? EditMode::trackedBy("F", {}) : EditMode::direct();
    try {
        if (data[0] % 2 == 0) document.paste(input, {first, 0}, {first, 0}, StoryID::body(), mode);
        else document.pasteHTML(input, {first, 0}, {first, 0}, StoryID::body(), mode);
    } catch (const DocxError&) {
        if (!document.dirtyParts().empty()) std::abort();
        return 0;
    }
    if (DocumentInternals::story(document, StoryID::body()).checkInvariants()) std::abort();
    DocxDocument reopened(document.checkedData());
    reopened.snapshot(StoryID::body());
    return 0;
}
