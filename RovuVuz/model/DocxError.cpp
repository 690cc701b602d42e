#include "RovuVuz/model/DocxError.h"

namespace rovuvuz {

namespace {

std::string describe(DocxErrorCode code, const std::optional<StoryID>& story) {
    switch (code) {
        case DocxErrorCode::unknownStory:
            return "the document has no " + (story ? story->description() : std::string("such")) + " story";
        case DocxErrorCode::noMainDocument:
            return "not a Word document (the package names no main document part)";
        case DocxErrorCode::unknownParagraph:
            return "no such paragraph";
        case DocxErrorCode::rangeOutOfBounds:
            return "the range lies outside the paragraph";
        case DocxErrorCode::crossesStructure:
            return "the range crosses a table or other structure";
        case DocxErrorCode::unsupported:
            return "this edit is not supported here";
        case DocxErrorCode::unreadablePart:
            return "a part of the document cannot be read";
        case DocxErrorCode::writeCheckFailed:
            return "the saved document did not read back correctly";
        case DocxErrorCode::damagedPart:
            return "a part of the document is damaged";
        case DocxErrorCode::malformedPart:
            return "a part to be saved is not well-formed XML";
        case DocxErrorCode::badFragment:
            return "the pasted content cannot be read";
    }
    return "document error";
}

// "what (part word/comments.xml, paragraph 12): cause".
std::string message(DocxErrorCode code, const DocxError::Detail& detail) {
    // A damaged part is named first, as a reader of a failed open looks for it:
    // "word/document.xml: XML ends inside a construct … (at byte 4040)".
    if (code == DocxErrorCode::damagedPart && detail.part && !detail.cause.empty())
        return detail.part->rawValue + ": " + detail.cause;
    std::string where;
    const auto add = [&where](const std::string& piece) { where += (where.empty() ? "" : ", ") + piece; };
    if (detail.part) add("part " + detail.part->rawValue);
    if (detail.paragraph) add("paragraph " + std::to_string(detail.paragraph->raw));
    std::string text = describe(code, detail.story);
    if (!where.empty()) text += " (" + where + ")";
    if (!detail.cause.empty()) text += ": " + detail.cause;
    return text;
}

}  // namespace

DocxError::DocxError(DocxErrorCode code, std::optional<StoryID> story)
    : DocxError(code, Detail{std::move(story), std::nullopt, std::nullopt, {}}) {}

DocxError::DocxError(DocxErrorCode code, Detail detail)
    : std::runtime_error(message(code, detail)), code_(code), detail_(std::move(detail)) {}

}  // namespace rovuvuz
