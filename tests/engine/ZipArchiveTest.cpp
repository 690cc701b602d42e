#include "RovuVuz/package/ZipArchive.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <functional>
#include <string>
#include <vector>

namespace rovuvuz {
namespace {

// Archives are assembled here field by field (APPNOTE.TXT 4.3.7, 4.3.12, 4.3.16) so that
// tests can make the unusual layouts real producers rarely emit, then patch single fields.

uint32_t get32(const Bytes& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}
uint16_t get16(const Bytes& b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}
void put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> 8 * i);
}
void put16(Bytes& b, size_t at, uint16_t v) {
    b[at] = uint8_t(v), b[at + 1] = uint8_t(v >> 8);
}
void add(Bytes& b, std::string_view s) {
    b.insert(b.end(), s.begin(), s.end());
}
Bytes slice(const Bytes& b, ByteRange r) {
    return Bytes(b.begin() + r.lower, b.begin() + r.upper);
}

// Appends little-endian fields given as {width in bytes, value}.
void addFields(Bytes& b, std::initializer_list<std::pair<int, uint64_t>> fields) {
    for (const auto& [width, value] : fields)
        for (int i = 0; i < width; ++i) b.push_back(uint8_t(value >> 8 * i));
}

// Raw DEFLATE by zlib, an encoder independent of the one under test.
Bytes zlibDeflate(std::string_view text) {
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    Bytes out(deflateBound(&z, text.size()));
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

struct Part {
    std::string name;
    std::string contents;
    uint16_t method = 0;  // 8: the builder deflates `contents`
    uint16_t flags = 0;   // bit 3: sizes and CRC go in a data descriptor after the data
    bool signedDescriptor = true;
    std::string localExtra = {};
};

struct Zip {
    Bytes bytes;
    std::vector<size_t> local, central;  // where each part's records start
    size_t end = 0;
};

// One record per statement, in the order of the APPNOTE tables.
// clang-format off
Zip buildZip(const std::vector<Part>& parts, std::string_view comment = {}, std::string_view stub = {}) {
    Zip zip;
    add(zip.bytes, stub);
    std::vector<Bytes> payloads;
    for (const Part& p : parts) {
        payloads.push_back(p.method == 8 ? zlibDeflate(p.contents) : toBytes(p.contents));
        const uint32_t crc = ZipArchive::crc32(asBytes(p.contents));
        const bool descriptor = p.flags & 8;  // the local header then holds zeros
        zip.local.push_back(zip.bytes.size());
        addFields(zip.bytes, {{4, 0x04034b50}, {2, 20}, {2, p.flags}, {2, p.method}, {2, 0x1234}, {2, 0x5678},
                              {4, descriptor ? 0 : crc}, {4, descriptor ? 0 : payloads.back().size()},
                              {4, descriptor ? 0 : p.contents.size()}, {2, p.name.size()}, {2, p.localExtra.size()}});
        add(zip.bytes, p.name), add(zip.bytes, p.localExtra), add(zip.bytes, asChars(payloads.back()));
        if (descriptor && p.signedDescriptor) addFields(zip.bytes, {{4, 0x08074b50}});
        if (descriptor) addFields(zip.bytes, {{4, crc}, {4, payloads.back().size()}, {4, p.contents.size()}});
    }
    const size_t directory = zip.bytes.size();
    const std::string_view centralExtra("\xfe\xca\x00\x00", 4);  // to be carried through verbatim
    for (size_t i = 0; i < parts.size(); ++i) {
        const Part& p = parts[i];
        zip.central.push_back(zip.bytes.size());
        addFields(zip.bytes, {{4, 0x02014b50}, {2, 0x031e}, {2, 20}, {2, p.flags}, {2, p.method}, {2, 0x1234},
                              {2, 0x5678}, {4, ZipArchive::crc32(asBytes(p.contents))}, {4, payloads[i].size()},
                              {4, p.contents.size()}, {2, p.name.size()}, {2, centralExtra.size()}, {2, 0},
                              {2, 0}, {2, 0}, {4, 0x81a40000}, {4, zip.local[i]}});
        add(zip.bytes, p.name), add(zip.bytes, centralExtra);
    }
    zip.end = zip.bytes.size();
    addFields(zip.bytes, {{4, 0x06054b50}, {2, 0}, {2, 0}, {2, parts.size()}, {2, parts.size()},
                          {4, zip.end - directory}, {4, directory}, {2, comment.size()}});
    add(zip.bytes, comment);
    return zip;
}
// clang-format on

ZipArchive open(const Bytes& bytes) {
    return ZipArchive(share(bytes));
}

ZipErrorCode openError(const Bytes& bytes) {
    try {
        open(bytes);
    } catch (const ZipError& error) {
        return error.code();
    }
    ADD_FAILURE() << "the archive opened";
    return ZipErrorCode::missingEntry;
}

ZipError contentsError(const ZipArchive& archive, std::string_view name) {
    try {
        archive.contents(name);
    } catch (const ZipError& error) {
        return error;
    }
    ADD_FAILURE() << "'" << name << "' extracted";
    return ZipError(ZipErrorCode::missingEntry);
}

const std::string longText = [] {
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "<w:p><w:r><w:t>paragraph " + std::to_string(i) + "</w:t></w:r></w:p>";
    return text;
}();
const std::vector<Part> threeParts = {{"[Content_Types].xml", "<Types/>"},
                                      {"word/document.xml", longText, 8, 8, false},
                                      {"word/styles.xml", longText + "styles", 8}};

TEST(ZipArchiveOpen, ReadsRecordsAndRanges) {
    const Zip zip = buildZip(threeParts, "a comment");
    const ZipArchive archive = open(zip.bytes);
    ASSERT_EQ(archive.entries().size(), 3u);
    EXPECT_EQ(archive.endRecord(), (ByteRange{zip.end, zip.bytes.size()}));
    EXPECT_EQ(archive.centralDirectory(), (ByteRange{zip.central[0], zip.end}));
    const ZipArchive::Entry& document = *archive.entry("word/document.xml");
    EXPECT_EQ(document.method, 8);
    EXPECT_EQ(document.uncompressedSize, longText.size());
    EXPECT_EQ(document.centralRecord, (ByteRange{zip.central[1], zip.central[2]}));
    // An unsigned data descriptor adds 12 bytes to the local record, a signed one 16.
    EXPECT_EQ(document.localRecord, (ByteRange{zip.local[1], zip.local[2]}));
    EXPECT_EQ(document.dataRange.upper + 12, zip.local[2]);
    EXPECT_EQ(archive.contents("word/document.xml"), toBytes(longText));
    EXPECT_EQ(archive.contents("[Content_Types].xml"), toBytes("<Types/>"));
    EXPECT_EQ(archive.entry("word/missing.xml"), nullptr);

    const Zip signedDescriptor = buildZip({{"a", "x", 0, 8, true}, {"b", "y"}});
    EXPECT_EQ(open(signedDescriptor.bytes).entries()[0].localRecord,
              (ByteRange{signedDescriptor.local[0], signedDescriptor.local[1]}));
    EXPECT_EQ(open(signedDescriptor.bytes).entries()[0].dataRange.size() + 16 + 31,
              signedDescriptor.local[1]);
}

TEST(ZipArchiveOpen, DataStartsAfterTheLocalHeadersOwnExtraField) {
    // The local extra field (9 bytes) differs from the central one (4 bytes).
    const Zip zip = buildZip({{"a.xml", "<a/>", 0, 0, false, std::string("\x01\x02\x05\x00hello", 9)}});
    const ZipArchive archive = open(zip.bytes);
    EXPECT_EQ(archive.entries()[0].dataRange.lower, 30u + 5 + 9);
    EXPECT_EQ(archive.contents("a.xml"), toBytes("<a/>"));
}

TEST(ZipArchiveOpen, FirstOfDuplicateNamesWinsAndNamesAreRepaired) {
    Zip zip = buildZip({{"dup", "first"}, {"dup", "second"}, {"bad\xff", "x"}});
    const ZipArchive archive = open(zip.bytes);
    EXPECT_EQ(archive.contents("dup"), toBytes("first"));
    EXPECT_EQ(archive.entries()[2].name, "bad\xef\xbf\xbd");
}

TEST(ZipArchiveOpen, EndRecordSearch) {
    // A signature inside the comment whose length field does not reach the end is skipped.
    const std::string fake =
        std::string("PK\x05\x06", 4) + std::string(16, '\0') + std::string("\x03\x00", 2) + "zzzzzzz";
    EXPECT_EQ(open(buildZip(threeParts, fake).bytes).entries().size(), 3u);
    // The longest comment still leaves the record inside the search window.
    EXPECT_EQ(open(buildZip(threeParts, std::string(65535, 'c')).bytes).entries().size(), 3u);

    Zip trailing = buildZip(threeParts, "comment");
    trailing.bytes.push_back('!');  // the comment length no longer reaches the end
    EXPECT_EQ(openError(trailing.bytes), ZipErrorCode::notAZip);
    EXPECT_EQ(openError(toBytes("PK\x05\x06 too short")), ZipErrorCode::notAZip);
    EXPECT_EQ(openError(Bytes(100000, 0)), ZipErrorCode::notAZip);
    EXPECT_EQ(openError({}), ZipErrorCode::notAZip);
}

TEST(ZipArchiveOpen, RefusesMalformedArchives) {
    struct Row {
        const char* name;
        std::function<void(Zip&)> damage;
        ZipErrorCode expected;
    };
    const std::vector<Row> rows = {
        {"entry count is the ZIP64 marker", [](Zip& z) { put16(z.bytes, z.end + 10, 0xFFFF); },
         ZipErrorCode::zip64Unsupported},
        {"directory offset is the ZIP64 marker", [](Zip& z) { put32(z.bytes, z.end + 16, 0xFFFFFFFF); },
         ZipErrorCode::zip64Unsupported},
        {"compressed size is the ZIP64 marker", [](Zip& z) { put32(z.bytes, z.central[1] + 20, 0xFFFFFFFF); },
         ZipErrorCode::zip64Unsupported},
        {"uncompressed size is the ZIP64 marker",
         [](Zip& z) { put32(z.bytes, z.central[1] + 24, 0xFFFFFFFF); }, ZipErrorCode::zip64Unsupported},
        {"local offset is the ZIP64 marker", [](Zip& z) { put32(z.bytes, z.central[2] + 42, 0xFFFFFFFF); },
         ZipErrorCode::zip64Unsupported},
        {"directory runs into the end record",
         [](Zip& z) { put32(z.bytes, z.end + 12, get32(z.bytes, z.end + 12) + 1); }, ZipErrorCode::truncated},
        {"directory offset far past the data",
         [](Zip& z) {
             put32(z.bytes, z.end + 16, 0xFFFFFF00);
             put32(z.bytes, z.end + 12, 0);
         },
         ZipErrorCode::truncated},
        {"more entries declared than present", [](Zip& z) { put16(z.bytes, z.end + 10, 4); },
         ZipErrorCode::truncated},
        {"wrong central signature", [](Zip& z) { z.bytes[z.central[1]] = 'X'; }, ZipErrorCode::truncated},
        {"central name runs into the end record", [](Zip& z) { put16(z.bytes, z.central[2] + 28, 0xFFFF); },
         ZipErrorCode::truncated},
        {"local offset past the data",
         [](Zip& z) { put32(z.bytes, z.central[0] + 42, uint32_t(z.bytes.size() - 10)); },
         ZipErrorCode::truncated},
        {"wrong local signature", [](Zip& z) { z.bytes[z.local[2] + 1] = 'X'; }, ZipErrorCode::truncated},
        {"local extra runs past the data", [](Zip& z) { put16(z.bytes, z.local[2] + 28, 0xFFFF); },
         ZipErrorCode::truncated},
        {"data runs past the end", [](Zip& z) { put32(z.bytes, z.central[2] + 20, 0x7FFFFFFF); },
         ZipErrorCode::truncated},
        {"two records share a local header",
         [](Zip& z) { put32(z.bytes, z.central[2] + 42, uint32_t(z.local[0])); }, ZipErrorCode::truncated},
        {"local records overlap",
         [](Zip& z) { put32(z.bytes, z.central[1] + 20, get32(z.bytes, z.central[1] + 20) + 40); },
         ZipErrorCode::truncated},
    };
    for (const Row& row : rows) {
        Zip zip = buildZip(threeParts);
        row.damage(zip);
        EXPECT_EQ(openError(zip.bytes), row.expected) << row.name;
    }
    try {
        open(toBytes("not a zip at all, just some words"));
        ADD_FAILURE() << "opened";
    } catch (const ZipError& error) {
        EXPECT_STREQ(error.what(), "not a ZIP archive (no end-of-central-directory record)");
    }
}

TEST(ZipArchiveContents, ExtractionFailures) {
    Zip zip = buildZip({{"stored", "abc"},
                        {"method12", "abc", 12},
                        {"badcrc", "abc"},
                        {"short", longText, 8},
                        {"long", longText, 8},
                        {"bomb", longText, 8},
                        {"huge", "x", 8},
                        {"empty", "", 8}});
    put32(zip.bytes, zip.central[2] + 16, 0xDEADBEEF);
    put32(zip.bytes, zip.central[3] + 24, uint32_t(longText.size() + 1));
    put32(zip.bytes, zip.central[4] + 24, uint32_t(longText.size() - 1));
    // 200 MB declared from a few hundred bytes: more than DEFLATE can produce from them.
    put32(zip.bytes, zip.central[5] + 24, 200u << 20);
    put32(zip.bytes, zip.central[6] + 24, 0xFFFFFFFE);
    const ZipArchive archive = open(zip.bytes);

    EXPECT_EQ(archive.contents("stored"), toBytes("abc"));
    EXPECT_TRUE(archive.contents("empty").empty());
    const ZipError method = contentsError(archive, "method12");
    EXPECT_EQ(method.code(), ZipErrorCode::unsupportedMethod);
    EXPECT_EQ(method.method(), 12);
    EXPECT_EQ(contentsError(archive, "badcrc").code(), ZipErrorCode::crcMismatch);
    EXPECT_EQ(contentsError(archive, "nothing").code(), ZipErrorCode::missingEntry);
    for (const char* name : {"short", "long", "bomb", "huge"}) {
        const ZipError error = contentsError(archive, name);
        EXPECT_EQ(error.code(), ZipErrorCode::inflateFailed) << name;
        EXPECT_EQ(error.what(), "entry '" + std::string(name) + "' did not inflate to its declared size");
    }
    // A zero-size entry is not decoded at all, so only its CRC can fail.
    Zip emptyBadCrc = buildZip({{"empty", "", 8}});
    put32(emptyBadCrc.bytes, emptyBadCrc.central[0] + 16, 1);
    EXPECT_EQ(contentsError(open(emptyBadCrc.bytes), "empty").code(), ZipErrorCode::crcMismatch);
}

TEST(ZipArchiveWrite, NothingReplacedReturnsTheSameBuffer) {
    const ZipArchive archive(share(buildZip(threeParts).bytes));
    EXPECT_EQ(archive.write({}), archive.data());
}

TEST(ZipArchiveWrite, ReplacingOneEntryCopiesTheOthers) {
    // A stub before the first local header survives.
    Zip zip = buildZip(threeParts, "kept comment", "STUB");
    const ZipArchive before = open(zip.bytes);
    const ZipArchive after(before.write({{"word/document.xml", toBytes("<w:document/>")}}));

    EXPECT_EQ(Bytes(after.data()->begin(), after.data()->begin() + 4), toBytes("STUB"));
    ASSERT_EQ(after.entries().size(), 3u);
    for (size_t i : {0u, 2u}) {
        EXPECT_EQ(slice(*after.data(), after.entries()[i].localRecord),
                  slice(zip.bytes, before.entries()[i].localRecord));
        Bytes central = slice(*after.data(), after.entries()[i].centralRecord);
        EXPECT_EQ(get32(central, 42), after.entries()[i].localRecord.lower);
        put32(central, 42, uint32_t(before.entries()[i].localRecord.lower));
        EXPECT_EQ(central, slice(zip.bytes, before.entries()[i].centralRecord));
    }
    const ZipArchive::Entry& replaced = after.entries()[1];
    EXPECT_EQ(after.contents("word/document.xml"), toBytes("<w:document/>"));
    EXPECT_EQ(replaced.method, 0);  // 13 bytes do not shrink under DEFLATE
    // The data descriptor is gone and flag bit 3 cleared in both headers.
    EXPECT_EQ(replaced.localRecord.upper, replaced.dataRange.upper);
    EXPECT_EQ(get16(*after.data(), replaced.localRecord.lower + 6) & 8, 0);
    EXPECT_EQ(get16(*after.data(), replaced.centralRecord.lower + 8) & 8, 0);
    EXPECT_EQ(get16(*after.data(), replaced.localRecord.lower + 12), 0x5678);  // date kept
    EXPECT_EQ(slice(*after.data(), after.endRecord()).size(), 22u + 12);
}

TEST(ZipArchiveWrite, MethodsOfReplacedEntries) {
    const ZipArchive archive = open(buildZip(threeParts).bytes);
    const ZipArchive after(
        archive.write({{"[Content_Types].xml", toBytes(longText)}, {"word/styles.xml", toBytes(longText)}}));
    EXPECT_EQ(after.entry("[Content_Types].xml")->method, 0);  // stored stays stored
    EXPECT_EQ(after.entry("word/styles.xml")->method, 8);
    EXPECT_LT(after.entry("word/styles.xml")->compressedSize, longText.size());
    EXPECT_EQ(after.contents("word/styles.xml"), toBytes(longText));
}

TEST(ZipArchiveWrite, AddedEntriesFollowInNameOrder) {
    const ZipArchive archive = open(buildZip(threeParts, "kept comment").bytes);
    const ZipArchive after(archive.write({{"z.xml", toBytes(longText)}, {"a.xml", toBytes("<a/>")}}));
    ASSERT_EQ(after.entries().size(), 5u);
    EXPECT_EQ(after.entries()[3].name, "a.xml");
    EXPECT_EQ(after.entries()[4].name, "z.xml");
    EXPECT_GT(after.entries()[3].localRecord.lower, after.entries()[2].localRecord.lower);
    EXPECT_EQ(after.contents("z.xml"), toBytes(longText));
    EXPECT_EQ(after.entries()[4].method, 8);
    const Bytes& out = *after.data();
    EXPECT_EQ(get16(out, after.entries()[3].centralRecord.lower + 12), 0);       // time
    EXPECT_EQ(get16(out, after.entries()[3].centralRecord.lower + 14), 0x0021);  // 1980-01-01
    EXPECT_EQ(get16(out, after.entries()[3].localRecord.lower + 12), 0x0021);
    EXPECT_EQ(asChars(viewOf(out, after.endRecord())).substr(22), "kept comment");

    // An archive without entries gains its first.
    const ZipArchive empty = open(buildZip({}).bytes);
    EXPECT_EQ(ZipArchive(empty.write({{"only", toBytes("x")}})).contents("only"), toBytes("x"));
}

TEST(ZipArchiveWrite, DuplicateNamesKeepTheirOwnLocalHeaders) {
    const ZipArchive archive = open(buildZip({{"dup", "first"}, {"other", "o"}, {"dup", "second"}}).bytes);
    const ZipArchive kept(archive.write({{"other", toBytes("changed")}}));
    EXPECT_NE(kept.entries()[0].localRecord, kept.entries()[2].localRecord);
    EXPECT_EQ(slice(*kept.data(), kept.entries()[2].dataRange), toBytes("second"));
    const ZipArchive both(archive.write({{"dup", toBytes("new")}}));
    EXPECT_NE(both.entries()[0].localRecord, both.entries()[2].localRecord);
    EXPECT_EQ(slice(*both.data(), both.entries()[2].dataRange), toBytes("new"));
}

TEST(ZipArchiveWrite, RefusesImagesThatWouldNeedZip64) {
    const ZipArchive archive = open(buildZip(threeParts).bytes);
    const auto writeError = [&](const ZipArchive::Replacements& replacing) {
        try {
            archive.write(replacing);
        } catch (const ZipError& error) {
            return error.code();
        }
        ADD_FAILURE() << "written";
        return ZipErrorCode::missingEntry;
    };
    EXPECT_EQ(writeError({{std::string(65536, 'n'), toBytes("x")}}), ZipErrorCode::zip64Unsupported);
    ZipArchive::Replacements many;
    for (int i = 0; i < 65532; ++i) many.emplace(std::to_string(i), ByteView());
    EXPECT_EQ(writeError(many), ZipErrorCode::zip64Unsupported);  // 65535 is the ZIP64 marker
    many.erase(many.begin());
    EXPECT_EQ(ZipArchive(archive.write(many)).entries().size(), 65534u);
}

}  // namespace
}  // namespace rovuvuz
