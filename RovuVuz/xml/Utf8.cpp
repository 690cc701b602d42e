#include "RovuVuz/xml/Utf8.h"

namespace rovuvuz::utf8 {

namespace {

constexpr char32_t replacement = 0xFFFD;

// Decodes one scalar at `i`, advancing `i` past it, or past the maximal invalid subpart
// and returning U+FFFD. Follows the well-formed byte sequence table of Unicode §3.9.
char32_t decodeAt(ByteView bytes, size_t& i) {
    const uint8_t lead = bytes[i++];
    if (lead < 0x80) return lead;
    int trailing;
    char32_t scalar;
    uint8_t low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        trailing = 1, scalar = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        trailing = 2, scalar = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        trailing = 3, scalar = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return replacement;
    }
    for (int k = 0; k < trailing; ++k) {
        if (i >= bytes.size()) return replacement;
        const uint8_t byte = bytes[i];
        if (byte < low || byte > high) return replacement;
        low = 0x80, high = 0xBF;
        scalar = (scalar << 6) | (byte & 0x3F);
        ++i;
    }
    return scalar;
}

}  // namespace

char32_t decode(ByteView bytes, size_t& i) {
    return decodeAt(bytes, i);
}

void appendScalar(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

bool isValid(ByteView bytes) {
    size_t i = 0;
    while (i < bytes.size()) {
        if (bytes[i] < 0x80) {
            ++i;
            continue;
        }
        const size_t start = i;
        if (decodeAt(bytes, i) == replacement) {
            // U+FFFD itself is valid when it was spelled out as EF BF BD.
            if (!(i - start == 3 && bytes[start] == 0xEF && bytes[start + 1] == 0xBF && bytes[start + 2] == 0xBD))
                return false;
        }
    }
    return true;
}

std::string repaired(ByteView bytes) {
    if (isValid(bytes)) return std::string(asChars(bytes));
    std::string out;
    out.reserve(bytes.size() + 8);
    size_t i = 0;
    while (i < bytes.size()) appendScalar(out, decodeAt(bytes, i));
    return out;
}

std::u16string toUtf16(std::string_view text) {
    const ByteView bytes = asBytes(text);
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < bytes.size()) {
        if (bytes[i] < 0x80) {
            out.push_back(bytes[i++]);
            continue;
        }
        const char32_t c = decodeAt(bytes, i);
        if (c >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

std::string fromUtf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = replacement;
        }
        appendScalar(out, c);
    }
    return out;
}

}  // namespace rovuvuz::utf8
