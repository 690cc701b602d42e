// The footer's counts: words as the platform breaks them, pages marked approximate, and a
// recount only of what changed.
#include <QLabel>
#include <QLocale>

#include "AppTestSupport.h"
#include "Tovin/editor/FooterBar.h"
#include "Tovin/text/WordCount.h"

namespace tovin::testing {
namespace {

TEST(FooterBarWords, PunctuationSpacesAndNumbersAreNotWordsOfTheirOwn) {
    struct Row {
        const char* name;
        QString text;
        int words;
    };
    const Row rows[] = {
        {"empty", "", 0},
        {"spaces only", "   \t ", 0},
        {"punctuation between words", "Hello, world!", 2},
        {"numbers count", "Chapter 12 of 300", 4},
        {"apostrophe and hyphen keep one word", "don't over-think", 3},
        {"paragraph separators", QString("one") + QChar(0x2029) + "two\nthree", 3},
        {"object characters are not words", QString("a ") + QChar(0xFFFC) + " b", 2},
        {"accented letters", QString::fromUtf8("café naïve"), 2},
    };
    for (const Row& row : rows) EXPECT_EQ(WordCount::of(row.text), row.words) << row.name;
}

// A recount breaks only what changed, and gives what counting the whole text gives.
TEST(FooterBarWords, ARecountBreaksOnlyChangedParagraphs) {
    WordCount count;
    QStringList paragraphs = {"One two three.", "Four five", "", "One two three."};
    EXPECT_EQ(count.count(paragraphs), 8);
    EXPECT_EQ(count.brokenLastTime(), 3);
    paragraphs[1] = "Four five six";
    EXPECT_EQ(count.count(paragraphs), WordCount::of(paragraphs.join('\n')));
    EXPECT_EQ(count.brokenLastTime(), 1);
    paragraphs.removeAt(0);
    EXPECT_EQ(count.count(paragraphs), 6);
    EXPECT_EQ(count.brokenLastTime(), 0);
}

TEST(FooterBarLabels, WordsOrPagesWithTheLocalesGrouping) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(FooterBar::countLabel(1234, std::nullopt), "1,234 WORDS");
    EXPECT_EQ(FooterBar::countLabel(0, std::nullopt), "0 WORDS");
    EXPECT_EQ(FooterBar::countLabel(99, 1), "1 PAGE (APPROXIMATE)");
    EXPECT_EQ(FooterBar::countLabel(99, 12), "12 PAGES (APPROXIMATE)");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(FooterBar::countLabel(1234, std::nullopt), "1.234 WORDS");
    QLocale::setDefault(QLocale::c());
}

using FooterBarTest = AppTest;

TEST_F(FooterBarTest, UpdatingWithTheSameTextCountsOnce) {
    FooterBar bar;
    const int before = bar.countsMade();
    bar.update({"three little", "words"}, false);
    bar.update({"three little", "words"}, true);
    EXPECT_EQ(bar.countsMade(), before + 1);
    EXPECT_EQ(bar.words(), 3);
    EXPECT_EQ(bar.right()->text(), "TRACK MY EDITS: ON");
    bar.update({"now four little", "words"}, false);
    EXPECT_EQ(bar.countsMade(), before + 2);
    EXPECT_EQ(bar.right()->text(), "TRACK MY EDITS: OFF");
    bar.setPages(2);
    bar.update({"now four little", "words"}, false);
    EXPECT_EQ(bar.left()->text(), "2 PAGES (APPROXIMATE)");
}

}  // namespace
}  // namespace tovin::testing
