#include "RovuVuz/xml/XMLChars.h"

#include "RovuVuz/xml/Utf8.h"

namespace rovuvuz::XMLChars {

namespace {

constexpr char32_t verticalTab = 0x0B, formFeed = 0x0C, lineSeparator = 0x2028;

enum class Place { element, attribute };

// The bytes of printable ASCII need no look at all; most text is nothing else.
bool isPlainAscii(unsigned char byte) {
    return byte >= 0x20 && byte < 0x7F;
}

std::string writable(std::string_view utf8, Place place) {
    size_t plain = 0;
    while (plain < utf8.size() && isPlainAscii(static_cast<unsigned char>(utf8[plain]))) ++plain;
    if (plain == utf8.size()) return std::string(utf8);
    std::string out(utf8.substr(0, plain));
    out.reserve(utf8.size());
    const ByteView bytes = asBytes(utf8);
    size_t i = plain;
    while (i < bytes.size()) {
        const char32_t c = utf8::decode(bytes, i);
        const bool separator = c == 0x09 || c == 0x0A || c == 0x0D || c == verticalTab || c == formFeed;
        if (place == Place::attribute && separator)
            out += ' ';
        else if (isAllowed(c))
            utf8::appendScalar(out, c);
    }
    return out;
}

}  // namespace

InRun inRun(char32_t c) {
    if (c == 0x09) return InRun::tab;
    if (c == 0x0A || c == 0x0D || c == verticalTab || c == formFeed || c == lineSeparator) return InRun::lineBreak;
    return isAllowed(c) ? InRun::character : InRun::dropped;
}

std::string elementText(std::string_view utf8) {
    return writable(utf8, Place::element);
}

std::string attributeValue(std::string_view utf8) {
    return writable(utf8, Place::attribute);
}

bool isWritableText(std::string_view utf8) {
    const ByteView bytes = asBytes(utf8);
    size_t i = 0;
    while (i < bytes.size()) {
        if (isPlainAscii(bytes[i])) {
            ++i;
            continue;
        }
        const size_t start = i;
        const char32_t c = utf8::decode(bytes, i);
        // U+FFFD from a decoding failure rather than spelled out as EF BF BD.
        const bool repaired = c == 0xFFFD && !(i - start == 3 && bytes[start] == 0xEF);
        if (repaired || !isAllowed(c)) return false;
    }
    return true;
}

}  // namespace rovuvuz::XMLChars
