// The archive layer over every real document of the corpus: each opens, each entry
// extracts with its CRC checked, and writing keeps untouched records byte for byte.
#include <gtest/gtest.h>

#include "RovuVuz/package/ZipArchive.h"
#include "support/TestSupport.h"

namespace rovuvuz {
namespace {

constexpr size_t centralOffsetField = 42;

Bytes slice(const Bytes& bytes, ByteRange range) {
    return Bytes(bytes.begin() + range.lower, bytes.begin() + range.upper);
}

class CorpusArchive : public ::testing::TestWithParam<std::filesystem::path> {};

TEST_P(CorpusArchive, OpensExtractsAndRewrites) {
    const ZipArchive archive(share(testing::readFile(GetParam())));
    ASSERT_FALSE(archive.entries().empty());
    for (const auto& entry : archive.entries()) EXPECT_NO_THROW(archive.contents(entry.name)) << entry.name;
    EXPECT_EQ(archive.write({}), archive.data());

    const std::string name =
        archive.entry("word/document.xml") ? "word/document.xml" : archive.entries()[0].name;
    const ZipArchive after(archive.write({{name, archive.contents(name)}}));
    ASSERT_EQ(after.entries().size(), archive.entries().size());
    const Bytes& before = *archive.data();
    for (size_t i = 0; i < archive.entries().size(); ++i) {
        const ZipArchive::Entry& old = archive.entries()[i];
        const ZipArchive::Entry& now = after.entries()[i];
        EXPECT_EQ(now.name, old.name);
        EXPECT_EQ(after.contents(now.name), archive.contents(old.name)) << now.name;
        if (old.name == name) continue;
        EXPECT_EQ(slice(*after.data(), now.localRecord), slice(before, old.localRecord)) << old.name;
        Bytes central = slice(*after.data(), now.centralRecord);
        Bytes expected = slice(before, old.centralRecord);
        ASSERT_EQ(central.size(), expected.size()) << old.name;
        std::copy_n(central.begin() + centralOffsetField, 4, expected.begin() + centralOffsetField);
        EXPECT_EQ(central, expected) << old.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusArchive, ::testing::ValuesIn(testing::corpusFiles()),
                         [](const auto& param) { return testing::parameterName(param.param); });

}  // namespace
}  // namespace rovuvuz
