#include "RovuVuz/package/DeflateSplice.h"

#include <gtest/gtest.h>
#include <libdeflate.h>
#include <zlib.h>

#include <functional>
#include <random>
#include <string>

#include "RovuVuz/package/ZipArchive.h"
#include "support/TestSupport.h"

namespace rovuvuz {
namespace {

using DeflateSplice::BlockMap;

// WordprocessingML-like text: paragraphs of words from a small vocabulary, seeded.
Bytes sampleXml(size_t size, uint32_t seed) {
    static const char* const words[] = {"the",   "licence", "shall",  "grant", "work",    "copy",   "section",
                                        "terms", "source",  "object", "any",   "derived", "notice", "party"};
    std::mt19937 random(seed);
    std::string text = "<?xml version=\"1.0\"?><w:document><w:body>";
    while (text.size() < size) {
        text += "<w:p><w:r><w:t>";
        for (int i = 0, n = 5 + static_cast<int>(random() % 40); i < n; ++i) {
            text += words[random() % std::size(words)];
            text += ' ';
        }
        text += "</w:t></w:r></w:p>";
    }
    text += "</w:body></w:document>";
    return Bytes(text.begin(), text.end());
}

// zlib's raw DEFLATE; `flush(z, done)` may end a block early after every call of
// `every` input bytes (Z_BLOCK, Z_SYNC_FLUSH, …), to make streams of many blocks.
Bytes zlibStream(const Bytes& input, int level, size_t every = 0, int flush = Z_NO_FLUSH) {
    z_stream z{};
    deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    Bytes out(deflateBound(&z, input.size()) + input.size() / 2 + 1024);
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const size_t step = every ? every : input.size();
    for (size_t at = 0; at < input.size(); at += step) {
        const size_t n = std::min(step, input.size() - at);
        z.next_in = const_cast<Bytef*>(input.data() + at);
        z.avail_in = static_cast<uInt>(n);
        deflate(&z, at + n == input.size() ? Z_FINISH : flush);
    }
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

Bytes libdeflateStream(const Bytes& input) {
    libdeflate_compressor* c = libdeflate_alloc_compressor(7);
    Bytes out(input.size() + 1024);
    out.resize(libdeflate_deflate_compress(c, input.data(), input.size(), out.data(), out.size()));
    libdeflate_free_compressor(c);
    return out;
}

// Two independent decoders must both give exactly `expected`.
void expectInflatesTo(const Bytes& stream, const Bytes& expected) {
    Bytes out(expected.size());
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    size_t produced = 0;
    const auto result =
        libdeflate_deflate_decompress(d, stream.data(), stream.size(), out.data(), out.size(), &produced);
    libdeflate_free_decompressor(d);
    EXPECT_EQ(result, LIBDEFLATE_SUCCESS);
    EXPECT_EQ(produced, expected.size());
    EXPECT_TRUE(out == expected) << "libdeflate";

    z_stream z{};
    inflateInit2(&z, -15);
    Bytes again(expected.size() + 1);
    z.next_in = const_cast<Bytef*>(stream.data());
    z.avail_in = static_cast<uInt>(stream.size());
    z.next_out = again.data();
    z.avail_out = static_cast<uInt>(again.size());
    EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
    again.resize(z.total_out);
    inflateEnd(&z);
    EXPECT_TRUE(again == expected) << "zlib";
}

BlockMap record(const Bytes& stream, size_t size) {
    BlockMap map;
    Bytes out(size);
    EXPECT_TRUE(DeflateSplice::inflateRecording(stream, out, map));
    return map;
}

// A seeded edit: `count` bytes at `at` replaced by some of the text's own words and tags.
Bytes edited(const Bytes& text, size_t at, size_t removed, size_t inserted, std::mt19937& random) {
    Bytes result(text.begin(), text.begin() + static_cast<ptrdiff_t>(at));
    const size_t from = random() % (text.size() - inserted);
    result.insert(result.end(), text.begin() + static_cast<ptrdiff_t>(from),
                  text.begin() + static_cast<ptrdiff_t>(from + inserted));
    result.insert(result.end(), text.begin() + static_cast<ptrdiff_t>(std::min(text.size(), at + removed)),
                  text.end());
    return result;
}

DeflateSplice::Policy everySize() {
    DeflateSplice::Policy policy;
    policy.minimumSize = 0;
    return policy;
}

// Edits at the start, in the middle and at the end; every splice must give the new
// text with its CRC. Returns how many of them spliced.
int checkEdits(const Bytes& text, const Bytes& stream, uint32_t seed, int edits = 24) {
    const BlockMap map = record(stream, text.size());
    std::mt19937 random(seed);
    int spliced = 0;
    for (int i = 0; i < edits; ++i) {
        const size_t region = text.size() / 3;
        const size_t at = (i % 3) * region + random() % region;
        const Bytes changed = edited(text, at, random() % 300, random() % 300, random);
        const auto result = DeflateSplice::splice(stream, map, text, changed, everySize());
        if (!result) continue;
        ++spliced;
        SCOPED_TRACE("edit at " + std::to_string(at));
        expectInflatesTo(result->deflated, changed);
        EXPECT_EQ(result->crc, ZipArchive::crc32(changed));
        EXPECT_LE(result->recompressed, changed.size() / 2);
    }
    return spliced;
}

TEST(DeflateSplice, RecordsEveryBlockWithItsCRC) {
    const Bytes text = sampleXml(400'000, 1);
    const Bytes stream = zlibStream(text, 6, 20'000, Z_BLOCK);
    const BlockMap map = record(stream, text.size());
    ASSERT_GE(map.blocks.size(), 20u);
    EXPECT_EQ(map.stride, 1u);
    EXPECT_EQ(map.size, text.size());
    EXPECT_EQ(map.crc, ZipArchive::crc32(text));
    EXPECT_EQ((map.endBit + 7) / 8, stream.size());
    for (const auto& block : map.blocks)
        EXPECT_EQ(block.crc, ZipArchive::crc32(ByteView(text).first(block.offset)));
}

TEST(DeflateSplice, SplicedStreamsInflateToTheNewText) {
    const Bytes text = sampleXml(1'000'000, 2);
    // zlib's own block sizes, small forced blocks, and libdeflate's larger blocks.
    EXPECT_GT(checkEdits(text, zlibStream(text, 6), 3), 12);
    EXPECT_GT(checkEdits(text, zlibStream(text, 9, 5'000, Z_BLOCK), 4), 12);
    EXPECT_GT(checkEdits(text, libdeflateStream(text), 5), 12);
}

TEST(DeflateSplice, KeepsTheUnchangedBlocksBitForBit) {
    const Bytes text = sampleXml(1'000'000, 6);
    const Bytes stream = zlibStream(text, 6, 10'000, Z_BLOCK);
    const BlockMap map = record(stream, text.size());
    std::mt19937 random(7);
    const Bytes changed = edited(text, text.size() / 2, 10, 25, random);
    const auto result = DeflateSplice::splice(stream, map, text, changed, everySize());
    ASSERT_TRUE(result);
    expectInflatesTo(result->deflated, changed);
    // The head is the old stream's head; the middle re-compressed is a small part.
    size_t same = 0;
    while (same < stream.size() && result->deflated[same] == stream[same]) ++same;
    EXPECT_GT(same, stream.size() / 3);
    EXPECT_LT(result->recompressed, 100'000u);
    // The output stays as compact as compressing the whole.
    EXPECT_LT(result->deflated.size(), stream.size() * 102 / 100);
}

TEST(DeflateSplice, StoredBlocksInTheKeptTailStayAligned) {
    const Bytes text = sampleXml(600'000, 8);
    // Level 0 writes stored blocks only; sync flushes put empty stored blocks between
    // compressed ones.
    EXPECT_GT(checkEdits(text, zlibStream(text, 0), 9), 0);
    EXPECT_GT(checkEdits(text, zlibStream(text, 6, 7'000, Z_SYNC_FLUSH), 10), 0);
    EXPECT_GT(checkEdits(text, zlibStream(text, 6, 9'000, Z_FULL_FLUSH), 11), 0);
}

TEST(DeflateSplice, ThousandsOfTinyBlocksKeepABoundedRecord) {
    const Bytes text = sampleXml(300'000, 12);
    const Bytes stream = zlibStream(text, 6, 16, Z_BLOCK);
    const BlockMap map = record(stream, text.size());
    EXPECT_LE(map.blocks.size(), BlockMap::maxBlocks);
    EXPECT_GT(map.stride, 8u);
    for (size_t i = 1; i < map.blocks.size(); ++i) EXPECT_LT(map.blocks[i - 1].bit, map.blocks[i].bit);
    EXPECT_GT(checkEdits(text, stream, 13), 12);
}

TEST(DeflateSplice, FallsBackWhenSplicingDoesNotPay) {
    const Bytes text = sampleXml(300'000, 14);
    std::mt19937 random(15);
    const Bytes changed = edited(text, text.size() / 2, 5, 5, random);
    // One block: nothing before or after the change to keep.
    const Bytes single = libdeflateStream(Bytes(text.begin(), text.begin() + 60'000));
    const Bytes small(text.begin(), text.begin() + 60'000);
    const Bytes smallChanged = edited(small, 30'000, 5, 5, random);
    EXPECT_FALSE(
        DeflateSplice::splice(single, record(single, small.size()), small, smallChanged, everySize()));

    const Bytes stream = zlibStream(text, 6, 10'000, Z_BLOCK);
    const BlockMap map = record(stream, text.size());
    // Turned off, below the size limit, or a change over most of the part.
    DeflateSplice::Policy off = everySize();
    off.enabled = false;
    EXPECT_FALSE(DeflateSplice::splice(stream, map, text, changed, off));
    EXPECT_FALSE(
        DeflateSplice::splice(stream, map, text, changed, DeflateSplice::Policy{.minimumSize = 1 << 20}));
    Bytes spread = changed;
    spread[100] ^= 1;
    spread[spread.size() - 100] ^= 1;
    EXPECT_FALSE(DeflateSplice::splice(stream, map, text, spread, everySize()));
    // A map that is not this stream's.
    EXPECT_FALSE(DeflateSplice::splice(stream, map, small, smallChanged, everySize()));
    EXPECT_FALSE(DeflateSplice::splice(stream, BlockMap{}, text, changed, everySize()));
}

TEST(DeflateSplice, DamagedStreamsFailOrRecordOnlyWhatTheyDecode) {
    const Bytes text = sampleXml(200'000, 16);
    const Bytes stream = zlibStream(text, 6, 3'000, Z_BLOCK);
    std::mt19937 random(17);
    for (int round = 0; round < 300; ++round) {
        Bytes damaged = stream;
        for (int flips = 1 + random() % 4; flips > 0; --flips)
            damaged[random() % damaged.size()] ^= 1 << random() % 8;
        if (round % 5 == 0) damaged.resize(random() % damaged.size());
        Bytes out(text.size());
        BlockMap map;
        if (!DeflateSplice::inflateRecording(damaged, out, map)) {
            EXPECT_TRUE(map.empty());
            continue;
        }
        // Whatever it decoded, a splice over it must decode to the edit of that.
        const Bytes changed = edited(out, out.size() / 2, 7, 9, random);
        if (const auto result = DeflateSplice::splice(damaged, map, out, changed, everySize()))
            expectInflatesTo(result->deflated, changed);
    }
}

TEST(DeflateSplice, ArchiveWritesTheSplicedEntryWithItsCRC) {
    const Bytes text = sampleXml(500'000, 18);
    const ZipArchive original(
        testing::makePackage({{"word/document.xml", std::string(text.begin(), text.end())}}));
    BlockMap map;
    ASSERT_EQ(original.contents("word/document.xml", map), text);
    ASSERT_FALSE(map.empty());
    std::mt19937 random(19);
    const Bytes changed = edited(text, text.size() / 2, 40, 12, random);
    const SharedBytes image = original.write({{"word/document.xml", ByteView(changed)}},
                                             {{"word/document.xml", {&map, ByteView(text)}}}, everySize());
    const ZipArchive written(image);
    EXPECT_EQ(written.contents("word/document.xml"), changed);
    EXPECT_EQ(written.entry("word/document.xml")->crc32, ZipArchive::crc32(changed));
    // Spliced, not compressed whole: the entry's data starts with the original's.
    const ByteRange before = original.entry("word/document.xml")->dataRange;
    const ByteRange after = written.entry("word/document.xml")->dataRange;
    EXPECT_TRUE(std::equal(image->begin() + after.lower, image->begin() + after.lower + 1000,
                           original.data()->begin() + before.lower));
}

}  // namespace
}  // namespace rovuvuz
