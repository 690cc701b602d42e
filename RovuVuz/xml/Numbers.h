// Numbers as the XML of a package writes them in attribute values (xsd:integer,
// xsd:double): the whole text is the number, or there is none.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rovuvuz::Numbers {

// An optional sign ("+" or "-") and decimal digits, nothing else, within int64_t;
// nothing otherwise.
std::optional<int64_t> integer(std::string_view text);
std::optional<int64_t> integer(const std::optional<std::string>& text);
inline std::optional<int64_t> integer(const std::string& text) {
    return integer(std::string_view(text));
}
inline std::optional<int64_t> integer(const char* text) {
    return integer(std::string_view(text));
}

// A finite decimal number with an optional sign ("12", "-1.5", "2e3"); nothing for
// anything else, infinities and NaN included.
std::optional<double> decimal(std::string_view text);
std::optional<double> decimal(const std::optional<std::string>& text);
inline std::optional<double> decimal(const std::string& text) {
    return decimal(std::string_view(text));
}
inline std::optional<double> decimal(const char* text) {
    return decimal(std::string_view(text));
}

// Hexadecimal digits only, within uint32_t; nothing otherwise.
std::optional<uint32_t> hex(std::string_view text);

}  // namespace rovuvuz::Numbers
