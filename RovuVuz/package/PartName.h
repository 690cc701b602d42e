// The names a package gives: a part's path and a relationship's id.
#pragma once

#include <compare>
#include <functional>
#include <string>
#include <string_view>

namespace rovuvuz {

// A package part path without a leading slash ("word/document.xml").
struct PartName {
    std::string rawValue;

    PartName() = default;
    // Drops one leading "/" so that "/word/document.xml" and "word/document.xml" are equal.
    explicit PartName(std::string_view name)
        : rawValue(!name.empty() && name.front() == '/' ? name.substr(1) : name) {}

    const std::string& description() const { return rawValue; }
    bool empty() const { return rawValue.empty(); }
    auto operator<=>(const PartName&) const = default;
};

struct RelationshipID {
    std::string rawValue;
    auto operator<=>(const RelationshipID&) const = default;
};
}  // namespace rovuvuz

template <>
struct std::hash<rovuvuz::PartName> {
    size_t operator()(const rovuvuz::PartName& name) const noexcept {
        return std::hash<std::string>()(name.rawValue);
    }
};
