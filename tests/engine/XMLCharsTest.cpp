// What text from outside becomes before it is written, in element text and in attribute
// values (runs: WritableTextTest).
#include "RovuVuz/xml/XMLChars.h"

#include <gtest/gtest.h>

#include "RovuVuz/xml/XMLText.h"

namespace rovuvuz {
namespace {

TEST(XMLChars, ElementTextAndAttributeValuesKeepOnlyWhatXMLCarries) {
    struct Row {
        const char* name;
        std::string input, text, attribute;
    };
    const Row rows[] = {
        {"plain", "Ada King", "Ada King", "Ada King"},
        {"tab, LF, CR", "a\tb\nc\rd", "a\tb\nc\rd", "a b c d"},
        {"VT and FF", "a\vb\fc", "abc", "a b c"},
        {"other C0 controls", std::string("a\0\x01\x1F" "b", 5), "ab", "ab"},
        {"U+FFFE and U+FFFF", "a\xEF\xBF\xBE\xEF\xBF\xBF" "b", "ab", "ab"},
        {"invalid UTF-8", "a\xFF" "b", "a\xEF\xBF\xBD" "b", "a\xEF\xBF\xBD" "b"},
        {"encoded surrogate", "a\xED\xA0\x80", "a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD",
         "a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"U+FFFD itself, C1 and astral", "\xEF\xBF\xBD\xC2\x85\xF0\x9F\x98\x80", "\xEF\xBF\xBD\xC2\x85\xF0\x9F\x98\x80",
         "\xEF\xBF\xBD\xC2\x85\xF0\x9F\x98\x80"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(XMLChars::elementText(row.input), row.text) << row.name;
        EXPECT_EQ(XMLChars::attributeValue(row.input), row.attribute) << row.name;
        EXPECT_EQ(XMLChars::isWritableText(row.input), row.input == row.text) << row.name;
    }
}

// The escaping every written value passes through applies the same rule.
TEST(XMLChars, EscapingMakesTextWritableFirst) {
    EXPECT_EQ(XMLText::escapeText("A\v<B>\x01&"), "A&lt;B&gt;&amp;");
    EXPECT_EQ(XMLText::escapeAttribute("A\vB\t\"C\"\x02\xFF"), "A B &quot;C&quot;\xEF\xBF\xBD");
}

}  // namespace
}  // namespace rovuvuz
