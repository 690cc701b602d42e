#include "RovuVuz/xml/XMLText.h"

#include <optional>

#include "RovuVuz/xml/Utf8.h"
#include "RovuVuz/xml/XMLChars.h"

namespace rovuvuz::XMLText {

namespace {

// The longest reference recognised has nine bytes between "&" and ";" ("#x" and seven hex
// digits, or "#" and eight decimal digits), which also keeps every number inside 32 bits.
constexpr size_t maxReferenceBody = 9;

template <typename Replace>
std::string escaped(std::string_view text, std::string_view specials, Replace replace) {
    size_t special = text.find_first_of(specials);
    if (special == std::string_view::npos) return std::string(text);
    std::string out;
    out.reserve(text.size() + 16);
    size_t from = 0;
    while (special != std::string_view::npos) {
        out.append(text.substr(from, special - from));
        out.append(replace(text[special]));
        from = special + 1;
        special = text.find_first_of(specials, from);
    }
    out.append(text.substr(from));
    return out;
}

int digitValue(char c, int base) {
    if (c >= '0' && c <= '9') return c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A numeric character reference body ("#65", "#x41"), if it names a Unicode scalar value
// (XML 1.0 §4.1: the referenced character must be a legal one; surrogates never are).
std::optional<char32_t> numericReference(std::string_view body) {
    if (body.size() < 2 || body[0] != '#') return std::nullopt;
    int base = 10;
    std::string_view digits = body.substr(1);
    if (digits[0] == 'x' || digits[0] == 'X') {
        base = 16;
        digits.remove_prefix(1);
    }
    if (digits.empty()) return std::nullopt;
    uint64_t value = 0;  // at most eight digits: no overflow
    for (char c : digits) {
        const int digit = digitValue(c, base);
        if (digit < 0) return std::nullopt;
        value = value * base + digit;
    }
    if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return std::nullopt;
    return static_cast<char32_t>(value);
}

// The replacement for the reference body between "&" and ";", appended to `out`.
bool appendReference(std::string& out, std::string_view body) {
    if (body == "lt") {
        out += '<';
    } else if (body == "gt") {
        out += '>';
    } else if (body == "amp") {
        out += '&';
    } else if (body == "quot") {
        out += '"';
    } else if (body == "apos") {
        out += '\'';
    } else if (const auto scalar = numericReference(body)) {
        utf8::appendScalar(out, *scalar);
    } else {
        return false;
    }
    return true;
}

}  // namespace

std::string escapeText(std::string_view text) {
    return escaped(XMLChars::elementText(text), "&<>", [](char c) -> std::string_view {
        return c == '&' ? "&amp;" : c == '<' ? "&lt;" : "&gt;";
    });
}

std::string escapeAttribute(std::string_view value) {
    return escaped(XMLChars::attributeValue(value), "&<\"'", [](char c) -> std::string_view {
        return c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '"' ? "&quot;" : "&apos;";
    });
}

std::string unescape(std::string_view text) {
    size_t ampersand = text.find('&');
    if (ampersand == std::string_view::npos) return std::string(text);
    std::string out;
    out.reserve(text.size());
    size_t from = 0;
    while (ampersand != std::string_view::npos) {
        out.append(text.substr(from, ampersand - from));
        // Only a ";" close enough can end a reference; looking no further keeps a long
        // run of stray ampersands linear.
        const std::string_view window = text.substr(ampersand + 1, maxReferenceBody + 1);
        const size_t semicolon = window.find(';');
        if (semicolon != std::string_view::npos && appendReference(out, window.substr(0, semicolon))) {
            from = ampersand + 1 + semicolon + 1;
        } else {
            out += '&';
            from = ampersand + 1;
        }
        ampersand = text.find('&', from);
    }
    out.append(text.substr(from));
    return out;
}

}  // namespace rovuvuz::XMLText
