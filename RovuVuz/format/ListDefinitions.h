// New list definitions, and what kind of list an existing one is. A bulleted and a numbered
// list are written the way Word's own default lists are (ECMA-376 §17.9): an abstract
// definition (w:abstractNum) of nine levels, each indented 0.5 inch deeper with a hanging
// label, and a w:num that names it. Paragraphs join a list through the w:num's id.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "RovuVuz/format/Numbering.h"
#include "RovuVuz/model/Identifiers.h"

namespace rovuvuz {

// What a paragraph's list looks like to a user: bullets, numbers (any counting format), or
// no list at all.
enum class ListKind : uint8_t { none, bullet, number };

// A paragraph's list membership as the format commands show it.
struct ListState {
    ListKind kind = ListKind::none;
    int level = 0;                    // 0…8
    std::optional<NumberingID> list;  // the w:numId; nothing without a list
    bool operator==(const ListState&) const = default;
};

namespace ListDefinitions {

// The kind of a list by its level 0: "bullet" is bullet, "none" or an undefined list is
// none, every counting format is number.
ListKind kind(const Numbering& numbering, const NumberingID& list);
// Whether a list is the plain kind a command asks for: bullets, or decimal numbers at
// level 0. A list of letters or Roman numerals is not offered for "numbered".
bool isPlain(const Numbering& numbering, const NumberingID& list, ListKind wanted);

// The prefixes a part gives the main namespace's elements and attributes: "w" for both in
// nearly every part; a part whose main namespace is the default one names its elements
// without a prefix and its attributes with another prefix bound to it, or none.
struct Prefixes {
    std::string element = "w";
    std::string attribute = "w";
};

// A w:abstractNum element with nine levels of the kind (bullet or number). `nsid` becomes
// the eight hexadecimal digits that tell this definition apart from others when lists are
// merged between documents.
std::string abstractNum(const Prefixes& prefixes, std::string_view abstractID, ListKind kind, uint32_t nsid);
// A w:num element naming an abstract definition; with `restart`, its first level starts
// again at 1 (w:lvlOverride/w:startOverride), so that it counts apart from other lists of
// the same definition in every reader.
std::string num(const Prefixes& prefixes, std::string_view numID, std::string_view abstractID,
                bool restart = false);

}  // namespace ListDefinitions

}  // namespace rovuvuz
