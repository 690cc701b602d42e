// Byte buffers and byte ranges: the currency of the engine, which works on a package's
// bytes and remembers where each piece came from instead of copying it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace rovuvuz {

using Bytes = std::vector<uint8_t>;

// An immutable buffer shared between its owners (an archive and the caller that opened
// it, a story and the nodes that slice it) without copying.
using SharedBytes = std::shared_ptr<const Bytes>;

using ByteView = std::span<const uint8_t>;

// A half-open range [lower, upper) of offsets into some buffer.
struct ByteRange {
    size_t lower = 0;
    size_t upper = 0;

    size_t size() const { return upper - lower; }
    bool empty() const { return upper == lower; }
    bool operator==(const ByteRange&) const = default;
};

inline SharedBytes share(Bytes bytes) { return std::make_shared<const Bytes>(std::move(bytes)); }

inline ByteView viewOf(const Bytes& bytes, ByteRange range) {
    return ByteView(bytes.data() + range.lower, range.size());
}

inline std::string_view asChars(ByteView bytes) {
    return std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

inline ByteView asBytes(std::string_view text) {
    return ByteView(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

inline Bytes toBytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

}  // namespace rovuvuz
