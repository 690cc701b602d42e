// Lists: the numbering part's level definitions (ECMA-376 §17.9) and the counter that
// turns a story's list paragraphs, in document order, into their visible labels ("1.",
// "a)", "iv.", "•"). Labels are display only and never written to the file.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "RovuVuz/model/Identifiers.h"
#include "RovuVuz/xml/Bytes.h"

namespace rovuvuz {

struct Numbering {
    // A list has nine levels, 0…8 (§17.9.3); a level number outside that range in a file
    // names no level.
    static constexpr int levelCount = 9;
    // A label stops growing here: a lowerLetter level starting at 2^31 would otherwise
    // repeat one letter eighty million times, a Roman numeral one M per thousand.
    static constexpr size_t longestNumber = 32;
    static constexpr size_t longestLabel = 64;  // characters

    struct Level {
        std::string format = "decimal";    // w:numFmt, as written
        std::string text = "%1.";          // w:lvlText, as written
        int64_t start = 1;                 // w:start
        std::optional<double> indentLeft;  // points, w:pPr/w:ind left (or start)
        std::optional<double> hanging;     // points
        bool operator==(const Level&) const = default;
    };
    using Levels = std::array<std::optional<Level>, levelCount>;

    // A w:num: the abstract definition it uses and its start overrides by level.
    struct List {
        std::string abstract;
        std::array<std::optional<int64_t>, levelCount> starts;
        bool operator==(const List&) const = default;
    };

    std::map<std::string, Levels, std::less<>> abstracts;  // by w:abstractNumId
    std::map<std::string, List, std::less<>> nums;         // by w:numId

    // No lists.
    Numbering() = default;
    // Reads a numbering part; missing or malformed bytes give no lists. Never throws.
    explicit Numbering(std::optional<ByteView> data);

    // The definition of a list's level, through its abstract definition; nothing when any
    // step is missing or the level lies outside 0…8.
    const Level* level(const NumberingID& num, int level) const;

    // Counts the items of every list of one story as a snapshot visits them. Each list
    // (w:numId) counts on its own, even when two share an abstract definition. The counter
    // refers to the Numbering it was made with, which must outlive it.
    class Counter {
      public:
        explicit Counter(const Numbering& numbering) : numbering_(&numbering) {}

        // Advances the list at `level` and returns that item's label, its numbers written
        // for the paragraph's BCP 47 `language`; nothing, and no change, when the list or
        // level is not defined.
        std::optional<std::string> next(const NumberingID& num, int level,
                                        std::string_view language = "en-US");

      private:
        // A level that has not started (or was restarted by a shallower item) counts from
        // its start value; tracking that apart from the count lets a list start at 0.
        struct State {
            std::array<int64_t, levelCount> counts{};
            std::array<bool, levelCount> started{};
        };
        const Numbering* numbering_;
        std::map<std::string, State, std::less<>> lists_;
    };

    // One number in a level's format ("lowerRoman" of 14 is "xiv"); see NumberText.
    static std::string format(int64_t n, std::string_view format, std::string_view language = "en-US");
    // 1 → A, 26 → Z, 27 → AA, 28 → BB; empty below 1.
    static std::string letters(int64_t n);
    // Standard Roman numerals without an upper limit (4000 is MMMM); empty below 1.
    static std::string roman(int64_t n);
    // The character shown for a bullet level's w:lvlText, which for symbol-font bullets
    // holds private-use characters.
    static std::string bullet(std::string_view text);
};

}  // namespace rovuvuz
