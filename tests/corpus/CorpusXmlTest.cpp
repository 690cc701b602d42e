// Every XML part of every corpus document parses, writes back byte for byte, and slices
// each element to exactly its own markup.
#include <gtest/gtest.h>

#include "RovuVuz/package/ZipArchive.h"
#include "RovuVuz/xml/XMLTree.h"
#include "support/TestSupport.h"

namespace rovuvuz {
namespace {

bool isXmlPart(std::string_view name) {
    return name.ends_with(".xml") || name.ends_with(".rels");
}

class CorpusXml : public ::testing::TestWithParam<std::filesystem::path> {};

TEST_P(CorpusXml, EveryXmlPartParsesAndSlicesBackExactly) {
    const ZipArchive archive(share(testing::readFile(GetParam())));
    size_t parts = 0;
    for (const ZipArchive::Entry& entry : archive.entries()) {
        if (!isXmlPart(entry.name)) continue;
        SCOPED_TRACE(entry.name);
        const SharedBytes bytes = share(archive.contents(entry.name));
        try {
            const XMLTree tree(bytes);
            ++parts;
            EXPECT_EQ(tree.serialize(), *bytes);
            EXPECT_NO_THROW(tree.checkInvariants());
            for (size_t index = 0; index < tree.nodeCount(); ++index) {
                const int node = static_cast<int>(index);
                if (tree.kind(node) != XMLTree::Kind::element) continue;
                const std::string_view raw = asChars(tree.raw(node));
                const std::string open = "<" + std::string(tree.nameView(node));
                ASSERT_TRUE(raw.starts_with(open) && raw.ends_with(">")) << "node " << node << ": " << raw;
                // The name ends where the tag's own syntax says it does.
                const char after = raw[open.size()];
                ASSERT_TRUE(after == '>' || after == '/' || after == ' ' || after == '\t' || after == '\r' ||
                            after == '\n')
                    << "node " << node;
            }
        } catch (const XMLError& error) {
            ADD_FAILURE() << error.what();
        }
    }
    EXPECT_GT(parts, 0u) << "a package without XML parts";
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusXml, ::testing::ValuesIn(testing::corpusFiles()),
                         [](const auto& row) { return testing::parameterName(row.param); });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CorpusXml);

}  // namespace
}  // namespace rovuvuz
