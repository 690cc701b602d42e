#include "RovuVuz/package/DeflateSplice.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

namespace rovuvuz::DeflateSplice {

namespace {

// How far back a DEFLATE back-reference may reach.
constexpr uint64_t window = 32768;

// zlib's window for raw DEFLATE (no zlib or gzip wrapper): 2^15 bytes.
constexpr int rawWindowBits = -15;
constexpr int memoryLevel = 8;

// inflate()'s data_type after Z_BLOCK: the unused bits of the last input byte, plus these.
constexpr int atLastBlock = 64;
constexpr int atBlockBoundary = 128;

// An empty block with the fixed codes: BFINAL 0, BTYPE 01, then the 7-bit code of
// end-of-block (all zeros). Ten bits, so each one moves the bit position by 2 modulo 8.
constexpr uint64_t emptyFixedBlock = 0b01 << 1;
constexpr unsigned emptyFixedBlockBits = 10;

class Inflater {
  public:
    Inflater() {
        if (inflateInit2(&stream, rawWindowBits) != Z_OK) throw std::bad_alloc();
    }
    ~Inflater() { inflateEnd(&stream); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    z_stream stream{};
};

class Deflater {
  public:
    explicit Deflater(int level) {
        if (deflateInit2(&stream, level, Z_DEFLATED, rawWindowBits, memoryLevel, Z_DEFAULT_STRATEGY) != Z_OK)
            throw std::bad_alloc();
    }
    ~Deflater() { deflateEnd(&stream); }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    z_stream stream{};
};

// `count` bits of a stream from bit `at` on, least significant first as DEFLATE packs
// them; bits past the end read as zero.
unsigned readBits(ByteView bytes, uint64_t at, unsigned count) {
    unsigned value = 0;
    for (unsigned i = 0; i < count; ++i) {
        const uint64_t bit = at + i;
        if (bit / 8 < bytes.size()) value |= ((bytes[bit / 8] >> (bit % 8)) & 1u) << i;
    }
    return value;
}

bool isStoredBlock(ByteView stream, uint64_t bit) {
    return readBits(stream, bit + 1, 2) == 0;
}

void record(BlockMap& map, uint64_t index, const BlockStart& start) {
    if (index % map.stride != 0) return;
    if (map.blocks.size() == BlockMap::maxBlocks) {
        // Keep the starts at multiples of twice the stride: every second one.
        size_t kept = 0;
        for (size_t i = 0; i < map.blocks.size(); i += 2) map.blocks[kept++] = map.blocks[i];
        map.blocks.resize(kept);
        map.stride *= 2;
        if (index % map.stride != 0) return;
    }
    map.blocks.push_back(start);
}

// Appends bits to a byte buffer, least significant first; fewer than 8 wait in `pending_`.
class BitWriter {
  public:
    explicit BitWriter(size_t reserve) { bytes_.reserve(reserve); }

    uint64_t bits() const { return bytes_.size() * 8 + pendingBits_; }
    unsigned pendingBits() const { return pendingBits_; }
    unsigned pendingValue() const { return pending_; }

    // The low `count` bits of `value`, at most 32.
    void put(uint64_t value, unsigned count) {
        uint64_t word = pending_ | (value & ((uint64_t{1} << count) - 1)) << pendingBits_;
        unsigned total = pendingBits_ + count;
        while (total >= 8) {
            bytes_.push_back(static_cast<uint8_t>(word));
            word >>= 8;
            total -= 8;
        }
        pending_ = static_cast<unsigned>(word) & 0xFF;
        pendingBits_ = total;
    }

    // Bits [from, to) of `source`.
    void copy(ByteView source, uint64_t from, uint64_t to) {
        if (to <= from) return;
        const unsigned lead = static_cast<unsigned>((8 - from % 8) % 8);
        if (lead >= to - from) {
            put(readBits(source, from, static_cast<unsigned>(to - from)), static_cast<unsigned>(to - from));
            return;
        }
        put(readBits(source, from, lead), lead);
        from += lead;
        const ByteView whole = source.subspan(from / 8, (to - from) / 8);
        if (pendingBits_ == 0) {
            bytes_.insert(bytes_.end(), whole.begin(), whole.end());
        } else {
            const size_t start = bytes_.size();
            bytes_.resize(start + whole.size());
            unsigned carry = pending_;
            const unsigned shift = pendingBits_;
            for (size_t i = 0; i < whole.size(); ++i) {
                bytes_[start + i] = static_cast<uint8_t>(carry | whole[i] << shift);
                carry = whole[i] >> (8 - shift);
            }
            pending_ = carry;
        }
        from += whole.size() * 8;
        put(readBits(source, from, static_cast<unsigned>(to - from)), static_cast<unsigned>(to - from));
    }

    // Replaces the pending bits with `piece`, whose first bits are those same bits (the
    // compressor was primed with them) and which is `pieceBits` long.
    void continueWith(const Bytes& piece, uint64_t pieceBits) {
        pending_ = pendingBits_ = 0;
        bytes_.insert(bytes_.end(), piece.begin(), piece.begin() + static_cast<ptrdiff_t>(pieceBits / 8));
        if (pieceBits % 8) put(piece[pieceBits / 8], static_cast<unsigned>(pieceBits % 8));
    }

    Bytes finish() && {
        if (pendingBits_) bytes_.push_back(static_cast<uint8_t>(pending_));
        return std::move(bytes_);
    }

  private:
    Bytes bytes_;
    unsigned pending_ = 0;  // the low `pendingBits_` bits are valid, the rest zero
    unsigned pendingBits_ = 0;
};

// A compressed piece and how many of its bits count.
struct Piece {
    Bytes bytes;
    uint64_t bits = 0;
};

// Compresses the middle after `dictionary`, continuing the kept prefix's partial byte
// (`primeBits` bits of `primeValue`). The last piece ends the stream; any other ends on a
// block boundary at an arbitrary bit, without the empty stored block a flush would add.
std::optional<Piece> compressMiddle(ByteView middle, ByteView dictionary, unsigned primeBits,
                                    unsigned primeValue, bool last, int level) {
    if (middle.size() > UINT_MAX) return std::nullopt;
    Deflater deflater(level);
    z_stream& z = deflater.stream;
    if (!dictionary.empty() &&
        deflateSetDictionary(&z, dictionary.data(), static_cast<uInt>(dictionary.size())) != Z_OK)
        return std::nullopt;
    if (primeBits > 0 && deflatePrime(&z, static_cast<int>(primeBits), static_cast<int>(primeValue)) != Z_OK)
        return std::nullopt;
    Piece piece;
    // Room for the bound, the primed byte and the flush marker.
    piece.bytes.resize(deflateBound(&z, static_cast<uLong>(middle.size())) + 64);
    if (piece.bytes.size() > UINT_MAX) return std::nullopt;
    z.next_in = const_cast<Bytef*>(middle.data());
    z.avail_in = static_cast<uInt>(middle.size());
    z.next_out = piece.bytes.data();
    z.avail_out = static_cast<uInt>(piece.bytes.size());
    if (last) {
        if (deflate(&z, Z_FINISH) != Z_STREAM_END) return std::nullopt;
        piece.bytes.resize(z.total_out);
        piece.bits = uint64_t{z.total_out} * 8;
        return piece;
    }
    // Z_BLOCK ends the block without aligning; the block's last bits stay in zlib's bit
    // buffer, so note where the block ends, then flush them out with Z_SYNC_FLUSH and cut
    // off the empty stored block that it appends.
    if (deflate(&z, Z_BLOCK) != Z_OK || z.avail_in != 0) return std::nullopt;
    unsigned pendingBytes = 0;
    int pendingBits = 0;
    if (deflatePending(&z, &pendingBytes, &pendingBits) != Z_OK) return std::nullopt;
    const uint64_t end = (uint64_t{z.total_out} + pendingBytes) * 8 + static_cast<uint64_t>(pendingBits);
    if (deflate(&z, Z_SYNC_FLUSH) != Z_OK || uint64_t{z.total_out} * 8 < end) return std::nullopt;
    piece.bytes.resize((end + 7) / 8);
    if (end % 8) piece.bytes.back() &= static_cast<uint8_t>((1u << (end % 8)) - 1);
    piece.bits = end;
    return piece;
}

size_t commonPrefix(ByteView a, ByteView b) {
    constexpr size_t chunk = 4096;
    const size_t n = std::min(a.size(), b.size());
    size_t i = 0;
    while (n - i >= chunk && std::memcmp(a.data() + i, b.data() + i, chunk) == 0) i += chunk;
    while (i < n && a[i] == b[i]) ++i;
    return i;
}

// The length of the common tail, at most `limit`.
size_t commonSuffix(ByteView a, ByteView b, size_t limit) {
    constexpr size_t chunk = 4096;
    const uint8_t* endA = a.data() + a.size();
    const uint8_t* endB = b.data() + b.size();
    size_t i = 0;
    while (limit - i >= chunk && std::memcmp(endA - i - chunk, endB - i - chunk, chunk) == 0) i += chunk;
    while (i < limit && endA[-1 - static_cast<ptrdiff_t>(i)] == endB[-1 - static_cast<ptrdiff_t>(i)]) ++i;
    return i;
}

// Moves the writer to `target` modulo 8 with empty blocks, so that a kept suffix holding
// a stored block keeps its byte alignment. False when no empty blocks can reach it.
bool alignTo(BitWriter& out, uint64_t target) {
    auto gap = [&] { return static_cast<unsigned>((target - out.bits()) % 8); };
    if (gap() % 2) {
        // An empty stored block: three header bits, the pad to a byte, LEN 0 and NLEN.
        out.put(0, 3);
        out.put(0, (8 - out.bits() % 8) % 8);
        out.put(0xFFFF0000u, 32);
        if (gap() % 2) return false;
    }
    while (gap() != 0) out.put(emptyFixedBlock, emptyFixedBlockBits);
    return true;
}

uint32_t crcOf(ByteView bytes) {
    return libdeflate_crc32(0, bytes.data(), bytes.size());
}

uint32_t combine(uint32_t first, uint32_t second, uint64_t secondSize) {
    return static_cast<uint32_t>(crc32_combine(first, second, static_cast<z_off_t>(secondSize)));
}

}  // namespace

bool inflateRecording(ByteView compressed, std::span<uint8_t> out, BlockMap& map) {
    map = {};
    if (compressed.size() > UINT_MAX || out.size() > UINT_MAX) return false;
    Inflater inflater;
    z_stream& z = inflater.stream;
    z.next_in = const_cast<Bytef*>(compressed.data());
    z.avail_in = static_cast<uInt>(compressed.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());

    uint32_t crc = crcOf({});
    uint64_t covered = 0;  // how much of `out` the CRC covers
    uint64_t index = 0;    // of the block starting at the boundary just reached
    record(map, index, {0, 0, crc});
    if (isStoredBlock(compressed, 0)) map.lastStored = 0;
    bool ended = false;
    for (;;) {
        const int result = inflate(&z, Z_BLOCK);
        if (result == Z_STREAM_END) break;
        if (result != Z_OK || ended) {
            map = {};
            return false;
        }
        if (!(z.data_type & atBlockBoundary)) continue;
        const uint64_t bit = uint64_t{z.total_in} * 8 - static_cast<unsigned>(z.data_type & 7);
        const uint64_t offset = z.total_out;
        crc = libdeflate_crc32(crc, out.data() + covered, offset - covered);
        covered = offset;
        if (z.data_type & atLastBlock) {
            map.endBit = bit;
            ended = true;
            continue;
        }
        record(map, ++index, {bit, offset, crc});
        if (isStoredBlock(compressed, bit)) map.lastStored = offset;
    }
    if (!ended || z.total_out != out.size() || covered != out.size()) {
        map = {};
        return false;
    }
    map.size = out.size();
    map.crc = crc;
    return true;
}

std::optional<Spliced> splice(ByteView oldStream, const BlockMap& map, ByteView oldContents,
                              ByteView newContents, const Policy& policy) {
    if (!policy.enabled || newContents.size() < policy.minimumSize || newContents.size() > UINT_MAX)
        return {};
    if (map.empty() || map.size != oldContents.size() || map.endBit == 0 || map.endBit > oldStream.size() * 8)
        return {};

    // The changed stretch: [prefix, oldEnd) of the old contents became [prefix, newEnd).
    const size_t prefix = commonPrefix(oldContents, newContents);
    const size_t suffix =
        commonSuffix(oldContents, newContents, std::min(oldContents.size(), newContents.size()) - prefix);
    const uint64_t oldEnd = oldContents.size() - suffix;

    const auto byOffset = [](const BlockStart& start, uint64_t offset) { return start.offset < offset; };
    // The last block starting at or before the first changed byte: everything before it is
    // kept, and it is the first block compressed again.
    const auto first =
        std::upper_bound(map.blocks.begin(), map.blocks.end(), uint64_t{prefix},
                         [](uint64_t offset, const BlockStart& start) { return offset < start.offset; }) -
        1;
    // The first block whose window lies wholly in the unchanged tail: it and all after it
    // decode to the same bytes behind the new text.
    const auto kept = std::lower_bound(map.blocks.begin(), map.blocks.end(), oldEnd + window, byOffset);
    const bool hasSuffix = kept != map.blocks.end();
    const uint64_t suffixSize = hasSuffix ? oldContents.size() - kept->offset : 0;
    if (hasSuffix && (kept->bit < first->bit || kept->bit > map.endBit)) return {};
    const uint64_t middleEnd = newContents.size() - suffixSize;
    if (middleEnd < first->offset) return {};
    const ByteView middle = newContents.subspan(first->offset, middleEnd - first->offset);
    if (static_cast<double>(middle.size()) > policy.maximumShare * static_cast<double>(newContents.size()))
        return {};

    BitWriter out(first->bit / 8 + middle.size() / 2 + (hasSuffix ? (map.endBit - kept->bit) / 8 : 0) + 64);
    out.copy(oldStream, 0, first->bit);
    const uint64_t dictionarySize = std::min<uint64_t>(window, first->offset);
    const auto piece =
        compressMiddle(middle, newContents.subspan(first->offset - dictionarySize, dictionarySize),
                       out.pendingBits(), out.pendingValue(), !hasSuffix, policy.level);
    if (!piece) return {};
    out.continueWith(piece->bytes, piece->bits);

    Spliced result;
    result.recompressed = middle.size();
    result.crc = combine(first->crc, crcOf(middle), middle.size());
    if (hasSuffix) {
        const bool storedInSuffix = map.lastStored && *map.lastStored >= kept->offset;
        if (storedInSuffix && !alignTo(out, kept->bit)) return {};
        out.copy(oldStream, kept->bit, map.endBit);
        // The tail's CRC from the whole's and the head's: crc(head + tail) is crc(head)
        // carried over the tail's length, plus crc(tail).
        const uint32_t tailCrc = map.crc ^ combine(kept->crc, 0, suffixSize);
        result.crc = combine(result.crc, tailCrc, suffixSize);
    }
    result.deflated = std::move(out).finish();
    return result;
}

}  // namespace rovuvuz::DeflateSplice
