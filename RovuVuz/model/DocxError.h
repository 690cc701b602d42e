// The errors of an open document: an enumerated case, where it happened (the story, part
// or paragraph concerned) and the cause, so that the reason reaches what the user reads.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "RovuVuz/model/Identifiers.h"

namespace rovuvuz {

enum class DocxErrorCode {
    unknownStory,      // the story has no part in this package
    noMainDocument,    // the package relationships name no main document part
    unknownParagraph,  // no such paragraph in the story
    rangeOutOfBounds,  // an offset or range past the paragraph's text
    crossesStructure,  // a range that spans blocks an edit cannot join
    unsupported,       // an edit the engine does not make on this content
    unreadablePart,    // a part an edit must change is missing, not UTF-8 or not well-formed
    writeCheckFailed,  // the written package did not read back as it must; nothing was written
    damagedPart,       // a story part is not well-formed XML: its story can be neither shown nor edited
    malformedPart,     // a part about to be written is not well-formed XML; nothing was written
    badFragment,       // pasted content that does not read as what it claims to be, or is too large
};

class DocxError : public std::runtime_error {
  public:
    // Where an error happened and why; every field is optional.
    struct Detail {
        std::optional<StoryID> story;
        std::optional<PartName> part;
        std::optional<ParagraphID> paragraph;
        std::string cause;  // the underlying reason, as a reader should see it
    };

    explicit DocxError(DocxErrorCode code, std::optional<StoryID> story = std::nullopt);
    DocxError(DocxErrorCode code, Detail detail);

    DocxErrorCode code() const { return code_; }
    const std::optional<StoryID>& story() const { return detail_.story; }
    const Detail& detail() const { return detail_; }

  private:
    DocxErrorCode code_;
    Detail detail_;
};

}  // namespace rovuvuz
