// Structural and format edits: splitting and joining paragraphs and setting paragraph and
// character properties, outright or tracked. Tracked structure changes mark the paragraph
// mark (w:ins/w:del in the mark's w:rPr, ECMA-376 §17.13.5.16/§17.13.5.15); tracked
// format changes keep the previous properties in w:pPrChange/w:rPrChange (§17.13.5.29,
// §17.13.5.31). DocxDocument::apply is the entry point.
#pragma once

#include <functional>
#include <optional>
#include <variant>
#include <vector>

#include "RovuVuz/FormatEdit.h"
#include "RovuVuz/Snapshot.h"
#include "RovuVuz/TextEdit.h"

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

enum class RevisionKind : uint8_t { insert, remove };

namespace Structural {

// Splits a paragraph at a display offset and returns the new second half, which takes the
// paragraph's properties (and its section break) but not its property change or mark
// revision. Tracked, the first half's mark becomes a tracked insertion.
Paragraph& split(DocxDocument& document, Paragraph& paragraph, size_t at, const EditMode& mode);
// Direct: joins with the next paragraph. Tracked: marks the paragraph mark deleted, unless
// it is the author's own tracked insertion, which is simply undone.
void joinOrMark(DocxDocument& document, Paragraph& paragraph, const EditMode& mode);
// Appends the next paragraph's inlines and removes it; its section break survives here.
void join(Paragraph& paragraph);
Paragraph* nextParagraph(const Paragraph& paragraph);
void markParagraph(DocxDocument& document, Paragraph& paragraph, RevisionKind kind, const EditMode::Tracked& tracked);
// Gives a paragraph an empty w:pPr when it has none.
void ensureProps(Paragraph& paragraph);
// Runs `edit` on the paragraph's properties; marks nothing when the children come out
// byte-identical; tracked, records the old properties in a w:pPrChange once.
void editProps(DocxDocument& document, Paragraph& paragraph, const EditMode& mode,
               const std::function<void(PropertyBag&)>& edit);
void setRunFormat(DocxDocument& document, Paragraph& paragraph, TextRange range, const RunFormatChange& change,
                  const EditMode& mode);

}  // namespace Structural

}  // namespace rovuvuz
