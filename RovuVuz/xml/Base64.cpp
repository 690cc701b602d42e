#include "RovuVuz/xml/Base64.h"

#include <array>

namespace rovuvuz::Base64 {

namespace {

constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int8_t invalid = -1, padding = -2, space = -3;

constexpr std::array<int8_t, 256> decodingTable() {
    std::array<int8_t, 256> table{};
    for (auto& entry : table) entry = invalid;
    for (size_t i = 0; i < alphabet.size(); ++i) table[static_cast<uint8_t>(alphabet[i])] = static_cast<int8_t>(i);
    table['='] = padding;
    for (char c : {' ', '\t', '\r', '\n'}) table[static_cast<uint8_t>(c)] = space;
    return table;
}

constexpr auto table = decodingTable();

}  // namespace

std::string encode(ByteView bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t n = uint32_t(bytes[i]) << 16 | uint32_t(bytes[i + 1]) << 8 | bytes[i + 2];
        for (int shift : {18, 12, 6, 0}) out += alphabet[(n >> shift) & 63];
    }
    const size_t rest = bytes.size() - i;
    if (rest == 0) return out;
    const uint32_t n = uint32_t(bytes[i]) << 16 | (rest == 2 ? uint32_t(bytes[i + 1]) << 8 : 0);
    out += alphabet[(n >> 18) & 63];
    out += alphabet[(n >> 12) & 63];
    out += rest == 2 ? alphabet[(n >> 6) & 63] : '=';
    out += '=';
    return out;
}

std::optional<Bytes> decode(std::string_view text) {
    Bytes out;
    out.reserve(text.size() / 4 * 3);
    uint32_t bits = 0;
    int count = 0, pads = 0;
    for (char c : text) {
        const int8_t value = table[static_cast<uint8_t>(c)];
        if (value == space) continue;
        if (value == invalid) return std::nullopt;
        if (value == padding) {
            ++pads;
            ++count;
            bits <<= 6;
        } else {
            if (pads) return std::nullopt;  // data after padding
            bits = bits << 6 | uint32_t(value);
            ++count;
        }
        if (count < 4) continue;
        if (pads > 2) return std::nullopt;
        out.push_back(uint8_t(bits >> 16));
        if (pads < 2) out.push_back(uint8_t(bits >> 8));
        if (pads < 1) out.push_back(uint8_t(bits));
        bits = 0;
        count = 0;
    }
    if (count != 0) return std::nullopt;
    return out;
}

}  // namespace rovuvuz::Base64
