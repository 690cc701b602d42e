// A structural or format edit command, as the document's apply takes it: resolving tracked
// changes, splitting and joining paragraphs, paragraph styles and formats, character formats.
#pragma once

#include <optional>
#include <variant>

#include "RovuVuz/format/FormatEdit.h"
#include "RovuVuz/model/EditValues.h"
#include "RovuVuz/model/Identifiers.h"

namespace rovuvuz {

struct StructuralEdit {
    struct Accept {
        RevisionID revision;
        bool operator==(const Accept&) const = default;
    };
    struct Reject {
        RevisionID revision;
        bool operator==(const Reject&) const = default;
    };
    struct AcceptAll {
        bool operator==(const AcceptAll&) const = default;
    };
    struct RejectAll {
        bool operator==(const RejectAll&) const = default;
    };
    struct SplitParagraph {
        ParagraphID paragraph;
        size_t at = 0;
        bool operator==(const SplitParagraph&) const = default;
    };
    struct JoinWithNext {
        ParagraphID paragraph;
        bool operator==(const JoinWithNext&) const = default;
    };
    struct SetParagraphStyle {
        ParagraphID paragraph;
        std::optional<StyleID> style;
        bool operator==(const SetParagraphStyle&) const = default;
    };
    struct SetParagraphFormat {
        ParagraphID paragraph;
        ParagraphFormatChange change;
        bool operator==(const SetParagraphFormat&) const = default;
    };
    struct SetRunFormat {
        ParagraphID paragraph;
        TextRange range;
        RunFormatChange change;
        bool operator==(const SetRunFormat&) const = default;
    };

    using Value = std::variant<Accept, Reject, AcceptAll, RejectAll, SplitParagraph, JoinWithNext,
                               SetParagraphStyle, SetParagraphFormat, SetRunFormat>;
    Value value;
    bool operator==(const StructuralEdit&) const = default;
};

}  // namespace rovuvuz
