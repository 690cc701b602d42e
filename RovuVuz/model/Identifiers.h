// The identifiers of the engine: names the file gives (styles, numbering, revisions,
// comments; parts and relationships in PartName.h) and identities the engine mints for its nodes.
#pragma once

#include <compare>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "RovuVuz/package/PartName.h"

namespace rovuvuz {

struct Paragraph;

struct StyleID {
    std::string rawValue;
    auto operator<=>(const StyleID&) const = default;
};
struct NumberingID {
    std::string rawValue;
    auto operator<=>(const NumberingID&) const = default;
};
struct RevisionID {
    int64_t rawValue = 0;
    auto operator<=>(const RevisionID&) const = default;
};
struct CommentID {
    int64_t rawValue = 0;
    auto operator<=>(const CommentID&) const = default;
};

// Identities of nodes, minted by the document and never stored in the file.
struct BlockID {
    uint64_t raw = 0;
    auto operator<=>(const BlockID&) const = default;
};
struct ParagraphID {
    uint64_t raw = 0;
    auto operator<=>(const ParagraphID&) const = default;
};
struct RunKey {
    uint64_t raw = 0;
    auto operator<=>(const RunKey&) const = default;
};

// The one counter of an open document from which every group, paragraph and run of every
// story takes its identity, so identities are unique across the document: 1, 2, 3, …
//
// The mint also knows which paragraphs are alive: a paragraph made with `Paragraph::make`
// enrols itself and withdraws when destroyed, so a paragraph can be found by identity
// without walking a story (what every keystroke would otherwise pay). The mint must outlive
// the paragraphs it made.
class IdentityMint {
public:
    IdentityMint() = default;
    // A mint whose first identity is `first` (a range of its own, apart from a document's).
    explicit IdentityMint(uint64_t first) : next_(first) {}
    // Paragraphs point at their mint: it stays where it was made.
    IdentityMint(const IdentityMint&) = delete;
    IdentityMint& operator=(const IdentityMint&) = delete;

    uint64_t mint() { return next_++; }
    uint64_t next() const { return next_; }

    void enrol(uint64_t paragraph, Paragraph* node) { live_[paragraph] = node; }
    void withdraw(uint64_t paragraph) { live_.erase(paragraph); }
    // The live paragraph with that identity, or nullptr.
    Paragraph* liveParagraph(ParagraphID id) const {
        const auto found = live_.find(id.raw);
        return found == live_.end() ? nullptr : found->second;
    }

private:
    uint64_t next_ = 1;
    std::unordered_map<uint64_t, Paragraph*> live_;
};

// One story of a document: the body, a header or footer (told apart by part), or the
// notes and comments parts. Ordered by kind in the order below, then by part.
struct StoryID {
    enum class Kind : uint8_t { header, footer, body, footnotes, endnotes, comments };

    Kind kind = Kind::body;
    PartName part;  // only for headers and footers

    static StoryID body() { return {Kind::body, {}}; }
    static StoryID footnotes() { return {Kind::footnotes, {}}; }
    static StoryID endnotes() { return {Kind::endnotes, {}}; }
    static StoryID comments() { return {Kind::comments, {}}; }
    static StoryID header(PartName part) { return {Kind::header, std::move(part)}; }
    static StoryID footer(PartName part) { return {Kind::footer, std::move(part)}; }

    // "body", "footnotes", …, "header(word/header1.xml)".
    std::string description() const;
    auto operator<=>(const StoryID&) const = default;
};

}  // namespace rovuvuz

template <>
struct std::hash<rovuvuz::ParagraphID> {
    size_t operator()(const rovuvuz::ParagraphID& id) const noexcept { return std::hash<uint64_t>()(id.raw); }
};
template <>
struct std::hash<rovuvuz::BlockID> {
    size_t operator()(const rovuvuz::BlockID& id) const noexcept { return std::hash<uint64_t>()(id.raw); }
};
template <>
struct std::hash<rovuvuz::RunKey> {
    size_t operator()(const rovuvuz::RunKey& id) const noexcept { return std::hash<uint64_t>()(id.raw); }
};
