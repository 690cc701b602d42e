// The small values that edits, snapshots and the document's API share: where text is
// (a range of one paragraph, a position in a story), how an edit is made (outright or
// tracked), and what a tracked change is.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "RovuVuz/model/Identifiers.h"

namespace rovuvuz {

// A half-open range of a paragraph's display text, in UTF-16 code units.
struct TextRange {
    size_t lower = 0;
    size_t upper = 0;
    size_t size() const { return upper - lower; }
    bool operator==(const TextRange&) const = default;
};

// A position in a story: a paragraph and a display offset inside it.
struct ParagraphPos {
    ParagraphID paragraph;
    size_t offset = 0;
    bool operator==(const ParagraphPos&) const = default;
};

// How an edit is made: outright, or as tracked changes by an author at a time.
struct EditMode {
    struct Tracked {
        std::string author;
        std::chrono::system_clock::time_point date;
        bool operator==(const Tracked&) const = default;
    };
    std::optional<Tracked> tracked;  // nothing: direct

    static EditMode direct() { return {}; }
    static EditMode trackedBy(std::string author, std::chrono::system_clock::time_point date) {
        return EditMode{Tracked{std::move(author), date}};
    }
    bool isTracked() const { return tracked.has_value(); }
    bool operator==(const EditMode&) const = default;
};

// A tracked insertion (w:ins) or deletion (w:del), of text or of a paragraph mark.
enum class RevisionKind : uint8_t { insert, remove };

// One tracked insertion or deletion as the file records it.
struct RevisionInfo {
    RevisionID id{-1};  // the file's w:id; -1 when absent or not an integer
    RevisionKind kind = RevisionKind::insert;
    std::string author;               // empty when absent
    std::optional<std::string> date;  // as written

    bool operator==(const RevisionInfo&) const = default;
};

}  // namespace rovuvuz
