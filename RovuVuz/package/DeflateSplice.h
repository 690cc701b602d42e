// Saving a large part after a small edit without compressing all of it again.
//
// A raw DEFLATE stream (RFC 1951) is a chain of blocks, each with its own Huffman codes,
// whose back-references reach at most 32 KiB behind. When a part changes in one stretch,
// the blocks that end before the stretch are still valid as they are, and the blocks that
// start more than 32 KiB after it (in the new text) decode to the same bytes, because the
// window they look into is unchanged. Only the bytes between those blocks are compressed
// again, with the 32 KiB before them as the dictionary, and the three pieces are joined
// at the bit where they meet. The CRC-32 of the new contents is combined from the kept
// pieces' CRCs (recorded while the part was first inflated) and the middle's.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "RovuVuz/xml/Bytes.h"

namespace rovuvuz::DeflateSplice {

// Where one block starts: its first header bit in the compressed stream, the uncompressed
// offset of its first byte, and the CRC-32 of the contents before it.
struct BlockStart {
    uint64_t bit = 0;
    uint64_t offset = 0;
    uint32_t crc = 0;
};

// The block starts of one stream, recorded while it was inflated. A hostile stream can
// hold millions of tiny blocks, so the record keeps at most `maxBlocks` of them: when it
// fills, every second start is dropped and only every `stride`-th block is recorded from
// then on, which keeps usable cut points across the whole stream.
struct BlockMap {
    static constexpr size_t maxBlocks = 1024;

    std::vector<BlockStart> blocks;  // ascending; the first is at bit 0, offset 0
    uint64_t stride = 1;
    uint64_t endBit = 0;  // just past the final block's end-of-block code
    uint64_t size = 0;    // the uncompressed size
    uint32_t crc = 0;     // the CRC-32 of all the contents
    // The uncompressed offset of the last stored block's start, when the stream has one:
    // a stored block's data is byte-aligned, so a kept suffix holding one cannot move by a
    // fraction of a byte.
    std::optional<uint64_t> lastStored;

    bool empty() const { return blocks.empty(); }
};

// Decodes a raw DEFLATE stream that must fill `out` exactly, recording its blocks. False
// when the stream is damaged, too long or too short; `map` is then empty.
bool inflateRecording(ByteView compressed, std::span<uint8_t> out, BlockMap& map);

// When splicing pays and when it is tried at all.
struct Policy {
    bool enabled = true;
    // Smaller parts are compressed whole: it costs little and keeps them in one piece.
    size_t minimumSize = size_t{64} << 10;
    // A middle larger than this share of the new contents is not worth the splice.
    double maximumShare = 0.5;
    // zlib's level for the middle: within 2% of libdeflate's level 7 on WordprocessingML
    // and, on a few hundred KiB, about as fast (bench/ZipBench.cpp).
    int level = 6;
};

struct Spliced {
    Bytes deflated;           // the whole new raw DEFLATE stream
    uint32_t crc = 0;         // CRC-32 of the new contents
    size_t recompressed = 0;  // how many uncompressed bytes went through the compressor
};

// A new stream for `newContents`, reusing the blocks of `oldStream` (whose contents are
// `oldContents`, recorded in `map`) outside the changed stretch. Nothing when splicing is
// off, does not pay, or anything does not line up; the caller then compresses the whole.
std::optional<Spliced> splice(ByteView oldStream, const BlockMap& map, ByteView oldContents,
                              ByteView newContents, const Policy& policy);

}  // namespace rovuvuz::DeflateSplice
