// Lists: reading the numbering part, counting items into labels, number formats and
// bullets, and hostile numbers.
#include <gtest/gtest.h>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/format/Numbering.h"
#include "support/TestSupport.h"

using namespace rovuvuz;

namespace {

std::string part(std::string_view content) {
    return "<w:numbering xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">" +
           std::string(content) + "</w:numbering>";
}

std::string level(int ilvl, std::string_view format, std::string_view text, std::string_view more = "") {
    return "<w:lvl w:ilvl=\"" + std::to_string(ilvl) + "\"><w:numFmt w:val=\"" + std::string(format) +
           "\"/><w:lvlText w:val=\"" + std::string(text) + "\"/>" + std::string(more) + "</w:lvl>";
}

std::string abstractNum(std::string_view id, std::string_view levels) {
    return "<w:abstractNum w:abstractNumId=\"" + std::string(id) + "\">" + std::string(levels) +
           "</w:abstractNum>";
}

std::string num(std::string_view id, std::string_view abstract, std::string_view overrides = "") {
    return "<w:num w:numId=\"" + std::string(id) + "\"><w:abstractNumId w:val=\"" + std::string(abstract) +
           "\"/>" + std::string(overrides) + "</w:num>";
}

Numbering numbering(std::string_view content) {
    const std::string xml = part(content);
    return Numbering(asBytes(xml));
}

// The labels of a sequence of (numId, level) items.
std::vector<std::string> labels(const Numbering& numbering,
                                const std::vector<std::pair<std::string, int>>& items) {
    Numbering::Counter counter(numbering);
    std::vector<std::string> result;
    for (const auto& [id, at] : items) result.push_back(counter.next(NumberingID{id}, at).value_or("<none>"));
    return result;
}

using Labels = std::vector<std::string>;

}  // namespace

TEST(Numbering, ReadsLevelsListsAndOverrides) {
    const Numbering n = numbering(
        abstractNum("0", level(0, "upperRoman", "%1)",
                               "<w:start w:val=\"3\"/><w:pPr><w:ind w:start=\"720\" "
                               "w:hanging=\"360\"/></w:pPr>") +
                             "<w:lvl><w:start w:val=\"x\"/></w:lvl>") +
        "<w:abstractNum><w:lvl w:ilvl=\"0\"/></w:abstractNum>" + num("1", "0") +
        num("2", "0", "<w:lvlOverride w:ilvl=\"0\"><w:startOverride w:val=\"9\"/></w:lvlOverride>") +
        "<w:num w:numId=\"3\"/><w:numPicBullet w:numPicBulletId=\"0\"/>");
    EXPECT_EQ(n.abstracts.size(), 1u);
    EXPECT_EQ(n.nums.size(), 2u);  // numId 3 names no abstract definition
    // The later level 0 (no number given) replaced the first; its defaults stand.
    const Numbering::Level* first = n.level(NumberingID{"1"}, 0);
    ASSERT_TRUE(first);
    EXPECT_EQ(*first, Numbering::Level());
    EXPECT_EQ(n.nums.at("2").starts[0], 9);
    EXPECT_FALSE(n.level(NumberingID{"1"}, 1));
    EXPECT_FALSE(n.level(NumberingID{"9"}, 0));

    const Numbering indented =
        numbering(abstractNum("0", level(0, "decimal", "%1.",
                                         "<w:pPr><w:ind w:start=\"720\" w:hanging=\"360\"/></w:pPr>")) +
                  num("1", "0"));
    EXPECT_EQ(indented.level(NumberingID{"1"}, 0)->indentLeft, 36);
    EXPECT_EQ(indented.level(NumberingID{"1"}, 0)->hanging, 18);

    for (const char* broken : {"", "<w:numbering>", "not xml at all <"}) {
        const Numbering empty(asBytes(broken));
        EXPECT_TRUE(empty.nums.empty() && empty.abstracts.empty()) << broken;
    }
    EXPECT_EQ(labels(Numbering(std::nullopt), {{"1", 0}}), Labels{"<none>"});
}

TEST(Numbering, CountsLevelsAndRestartsDeeperOnes) {
    const Numbering n =
        numbering(abstractNum("0", level(0, "decimal", "%1.") + level(1, "lowerLetter", "%2)") +
                                       level(2, "decimal", "%1.%2.%3")) +
                  num("1", "0"));
    EXPECT_EQ(labels(n, {{"1", 0}, {"1", 0}, {"1", 0}}), (Labels{"1.", "2.", "3."}));
    EXPECT_EQ(labels(n, {{"1", 0}, {"1", 1}, {"1", 1}, {"1", 0}, {"1", 1}}),
              (Labels{"1.", "a)", "b)", "2.", "a)"}));
    EXPECT_EQ(labels(n, {{"1", 0}, {"1", 1}, {"1", 2}, {"1", 2}}), (Labels{"1.", "a)", "1.a.1", "1.a.2"}));
    // An item deeper than any before it shows the levels above as not yet started: one
    // below their start, which is 0 in decimal and nothing in letters.
    EXPECT_EQ(labels(n, {{"1", 2}}), (Labels{"0..1"}));

    const Numbering nested = numbering(abstractNum("0", level(1, "decimal", "%1.%2.")) + num("1", "0"));
    // Level 0 is not defined: it starts at 1 in decimal, and its placeholder is filled.
    EXPECT_EQ(labels(nested, {{"1", 1}, {"1", 1}}), (Labels{"0.1.", "0.2."}));
}

TEST(Numbering, StartValuesAndSeparateLists) {
    const std::string levels =
        level(0, "decimal", "%1.", "<w:start w:val=\"3\"/>") + level(1, "decimal", "%2.");
    const Numbering n = numbering(
        abstractNum("0", levels) + num("1", "0") + num("2", "0") +
        num("5", "0", "<w:lvlOverride w:ilvl=\"0\"><w:startOverride w:val=\"5\"/></w:lvlOverride>"));
    EXPECT_EQ(labels(n, {{"5", 0}, {"5", 0}}), (Labels{"5.", "6."}));
    // Two lists on one abstract definition count on their own.
    EXPECT_EQ(labels(n, {{"1", 0}, {"2", 0}, {"1", 0}, {"2", 0}}), (Labels{"3.", "3.", "4.", "4."}));
    EXPECT_EQ(labels(n, {{"7", 0}, {"1", 0}}), (Labels{"<none>", "3."}));

    // A list may start at 0 and then counts 0, 1, 2.
    const Numbering zero =
        numbering(abstractNum("0", level(0, "decimal", "%1", "<w:start w:val=\"0\"/>")) + num("1", "0"));
    EXPECT_EQ(labels(zero, {{"1", 0}, {"1", 0}, {"1", 0}}), (Labels{"0", "1", "2"}));
}

TEST(Numbering, NumberFormats) {
    struct Row {
        int64_t n;
        std::string_view format;
        std::string_view expected;
    };
    const Row rows[] = {
        {1, "upperLetter", "A"},      {26, "upperLetter", "Z"},
        {27, "upperLetter", "AA"},    {28, "upperLetter", "BB"},
        {53, "lowerLetter", "aaa"},   {0, "lowerLetter", ""},
        {14, "lowerRoman", "xiv"},    {1994, "upperRoman", "MCMXCIV"},
        {4000, "upperRoman", "MMMM"}, {3999, "upperRoman", "MMMCMXCIX"},
        {0, "upperRoman", ""},        {-3, "lowerRoman", ""},
        {7, "decimalZero", "07"},     {12, "decimalZero", "12"},
        {0, "decimalZero", "00"},     {-4, "decimalZero", "-4"},
        {42, "decimal", "42"},        {42, "ordinal", "42nd"},
        {-1, "decimal", "-1"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Numbering::format(row.n, row.format), row.expected) << row.n << " " << row.format;
}

TEST(Numbering, BulletsAndUnnumberedLevels) {
    struct Row {
        std::string_view written;
        std::string_view shown;
    };
    const Row rows[] = {
        {"\uF0B7", "\u2022"}, {"\u2022", "\u2022"}, {"\uF0A7", "\u25AA"}, {"\uF06E", "\u25AA"},
        {"o", "\u25E6"},      {"\uF0D8", "\u27A2"}, {"\uF0FC", "\u2713"}, {"", "\u2022"},
        {"\uF076", "\u2022"}, {"\uF0FF", "\u2022"}, {"\uF100", "\uF100"}, {"-", "-"},
        {"\u2013", "\u2013"},
    };
    for (const Row& row : rows) EXPECT_EQ(Numbering::bullet(row.written), row.shown) << row.written;

    const Numbering n =
        numbering(abstractNum("0", level(0, "bullet", "\uF0B7") + level(1, "none", "%2.")) + num("1", "0"));
    EXPECT_EQ(labels(n, {{"1", 0}, {"1", 1}, {"1", 0}}), (Labels{"\u2022", "", "\u2022"}));
}

TEST(Numbering, HostileLevelsAndNumbersStayBounded) {
    // A level numbered outside 0…8 is no level, in the file and when asked for.
    const Numbering outside = numbering(
        abstractNum("0", level(12, "decimal", "%1.") + level(-1, "decimal", "%1.") + level(0, "x", "%1")) +
        num("1", "0", "<w:lvlOverride w:ilvl=\"12\"><w:startOverride w:val=\"4\"/></w:lvlOverride>"));
    for (int at : {-1, 9, 12, 1 << 30}) EXPECT_FALSE(outside.level(NumberingID{"1"}, at)) << at;
    EXPECT_EQ(labels(outside, {{"1", 12}, {"1", -1}, {"1", 0}}), (Labels{"<none>", "<none>", "1"}));

    // Counters are 64-bit past a start of 2^31 - 1, and labels stop growing.
    const Numbering huge = numbering(
        abstractNum("0", level(0, "decimal", "%1", "<w:start w:val=\"2147483647\"/>") +
                             level(1, "lowerLetter", "%2", "<w:start w:val=\"2147483647\"/>") +
                             level(2, "upperRoman", "%3", "<w:start w:val=\"2147483647\"/>") +
                             level(3, "decimal", std::string(5000, 'x') + "%4" + std::string(200, '%') + "%1",
                                   "<w:start w:val=\"99999999999999999999\"/>")) +
        num("1", "0"));
    const Labels got = labels(huge, {{"1", 0}, {"1", 0}, {"1", 1}, {"1", 2}, {"1", 3}});
    EXPECT_EQ(got[0], "2147483647");
    EXPECT_EQ(got[1], "2147483648");
    EXPECT_EQ(got[2], std::string(Numbering::longestNumber, 'w'));  // (2^31 - 2) mod 26 is 22
    EXPECT_EQ(got[3], std::string(Numbering::longestNumber, 'M'));
    EXPECT_EQ(got[4], std::string(Numbering::longestLabel, 'x'));  // the unreadable start counts from 1
    EXPECT_EQ(Numbering::letters(int64_t(1) << 62).size(), Numbering::longestNumber);
    EXPECT_EQ(Numbering::roman(INT64_MAX).size(), Numbering::longestNumber);
    // The limit counts characters, so a multi-byte character is not cut in half.
    EXPECT_EQ(Numbering::bullet(std::string(100, 'o')).size(), 100u);
    const Numbering wide =
        numbering(abstractNum("0", level(0, "bullet", std::string(300, 'o'))) + num("1", "0"));
    EXPECT_EQ(labels(wide, {{"1", 0}})[0], std::string(Numbering::longestLabel, 'o'));
    std::string accents;
    for (int i = 0; i < 100; ++i) accents += "\u00E9";
    const Numbering accented = numbering(abstractNum("0", level(0, "decimal", accents)) + num("1", "0"));
    EXPECT_EQ(labels(accented, {{"1", 0}})[0], accents.substr(0, 2 * Numbering::longestLabel));
}

TEST(Numbering, TheDocumentReadsItsNumberingPart) {
    const std::string rel =
        "<Relationship Id=\"rId3\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/numbering\" "
        "Target=\"numbering.xml\"/>";
    auto parts = rovuvuz::testing::minimalDocument("<w:p/>", rel);
    parts.emplace_back("word/numbering.xml",
                       part(abstractNum("0", level(0, "decimal", "%1.")) + num("4", "0")));
    DocxDocument document(rovuvuz::testing::makePackage(parts));
    EXPECT_TRUE(document.numbering().level(NumberingID{"4"}, 0));
    EXPECT_EQ(&document.numbering(), &document.numbering());

    DocxDocument missing(rovuvuz::testing::makePackage(rovuvuz::testing::minimalDocument("<w:p/>", rel)));
    EXPECT_TRUE(missing.numbering().nums.empty());
}

// Labels counted without snapshotting text run through paragraphs and table cells (nested
// ones too) in the order the story's snapshot counts them.
TEST(Numbering, AStorysLabelsCountAsItsSnapshotDoes) {
    const std::string rel =
        "<Relationship Id=\"rId3\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/numbering\" "
        "Target=\"numbering.xml\"/>";
    const std::string item = "<w:p><w:pPr><w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"4\"/></w:numPr></w:pPr>"
                             "<w:r><w:t>item</w:t></w:r></w:p>";
    auto cell = [](const std::string& content) { return "<w:tc>" + content + "</w:tc>"; };
    const std::string nested = "<w:tbl><w:tr>" + cell(item) + "</w:tr></w:tbl>";
    const std::string body = item + "<w:tbl><w:tr>" + cell(item + nested + "<w:p/>") + cell(item) +
                             "</w:tr><w:tr>" + cell(item) + "</w:tr></w:tbl><w:p/>" + item;
    auto parts = rovuvuz::testing::minimalDocument(body, rel);
    parts.emplace_back("word/numbering.xml",
                       part(abstractNum("0", level(0, "decimal", "%1.")) + num("4", "0")));
    DocxDocument document(rovuvuz::testing::makePackage(parts));
    const StorySnapshot snapshot = document.snapshot(StoryID::body());
    std::map<ParagraphID, std::string> fromSnapshot;
    for (const ParagraphSnapshot* p : snapshot.paragraphs())
        if (p->listLabel) fromSnapshot.emplace(p->id, *p->listLabel);
    const std::map<ParagraphID, std::string> counted = document.listLabels(StoryID::body());
    EXPECT_EQ(counted, fromSnapshot);
    std::vector<std::string> labels;
    for (const ParagraphSnapshot* p : snapshot.paragraphs())
        if (counted.contains(p->id)) labels.push_back(counted.at(p->id));
    EXPECT_EQ(labels, (std::vector<std::string>{"1.", "2.", "3.", "4.", "5.", "6."}));
}
