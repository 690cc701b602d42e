// Byte buffers and byte ranges: the currency of the engine, which works on a package's
// bytes and remembers where each piece came from instead of copying it.
#pragma once

#include <algorithm>
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

namespace rovuvuz {

// A slice of a shared buffer: how a node remembers the bytes it was read from without
// copying them. Slices of one buffer share one small owner whose count is not atomic (the
// engine runs on one thread), so copying a slice costs an increment and a slice is 16
// bytes; a parsed story holds hundreds of thousands of them. A slice made from new bytes
// owns a buffer of its own. A default slice is empty and owns nothing.
class ByteSlice {
public:
    ByteSlice() = default;
    // A slice of an existing buffer; prefer sub() on a slice of the whole buffer when
    // making many slices of one buffer, which allocates nothing.
    ByteSlice(SharedBytes buffer, ByteRange range)
        : owner_(new Owner{1, std::move(buffer)}),
          offset_(static_cast<uint32_t>(range.lower)),
          size_(static_cast<uint32_t>(range.size())) {}
    explicit ByteSlice(Bytes owned) : ByteSlice(share(std::move(owned)), ByteRange{0, 0}) {
        size_ = static_cast<uint32_t>(owner_->bytes->size());
    }
    static ByteSlice copyOf(std::string_view text) { return ByteSlice(toBytes(text)); }
    static ByteSlice copyOf(ByteView bytes) { return ByteSlice(Bytes(bytes.begin(), bytes.end())); }

    ByteSlice(const ByteSlice& other) : owner_(other.owner_), offset_(other.offset_), size_(other.size_) {
        if (owner_) ++owner_->refs;
    }
    ByteSlice(ByteSlice&& other) noexcept : owner_(other.owner_), offset_(other.offset_), size_(other.size_) {
        other.owner_ = nullptr;
        other.offset_ = other.size_ = 0;
    }
    ByteSlice& operator=(ByteSlice other) noexcept {
        std::swap(owner_, other.owner_);
        std::swap(offset_, other.offset_);
        std::swap(size_, other.size_);
        return *this;
    }
    ~ByteSlice() {
        if (owner_ && --owner_->refs == 0) delete owner_;
    }

    // Another range of the same buffer (offsets into the buffer, not into this slice).
    ByteSlice sub(ByteRange range) const {
        ByteSlice result(*this);
        result.offset_ = static_cast<uint32_t>(range.lower);
        result.size_ = static_cast<uint32_t>(range.size());
        return result;
    }

    ByteView view() const { return owner_ ? ByteView(owner_->bytes->data() + offset_, size_) : ByteView(); }
    std::string_view chars() const { return asChars(view()); }
    const uint8_t* data() const { return view().data(); }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    uint8_t operator[](size_t i) const { return view()[i]; }

    // The buffer this slice points into and where, for checks that a node's bytes lie
    // inside its story's source.
    const SharedBytes& buffer() const {
        static const SharedBytes none;
        return owner_ ? owner_->bytes : none;
    }
    size_t offset() const { return offset_; }

    bool sameBytes(ByteView other) const {
        const ByteView mine = view();
        return mine.size() == other.size() && std::equal(mine.begin(), mine.end(), other.begin());
    }

private:
    struct Owner {
        size_t refs;
        SharedBytes bytes;
    };
    // 32-bit positions keep slices small; parts are far below 4 GiB (the archive refuses
    // larger entries and the XML scanner larger inputs).
    Owner* owner_ = nullptr;
    uint32_t offset_ = 0;
    uint32_t size_ = 0;
};

inline void append(Bytes& out, ByteView bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }
inline void append(Bytes& out, std::string_view text) { append(out, asBytes(text)); }

}  // namespace rovuvuz
