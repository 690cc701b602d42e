// The spelling dictionary and the words it marks in a paragraph's text.
#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>

#include "AppTestSupport.h"
#include "Tovin/platform/Spelling.h"
#include "Tovin/text/SpellingHighlighter.h"

namespace tovin::testing {
namespace {

const QString aff = QStringLiteral("/usr/share/hunspell/en_US.aff");
const QString dic = QStringLiteral("/usr/share/hunspell/en_US.dic");

TEST(Spelling, MarksMisspeltWordsOnlyByTheirRanges) {
    Spelling spelling(aff, dic);
    ASSERT_TRUE(spelling.isAvailable()) << "hunspell-en-us is installed by scripts/setup.sh";
    EXPECT_TRUE(spelling.isCorrect("hello"));
    EXPECT_FALSE(spelling.isCorrect("helo"));
    EXPECT_TRUE(spelling.suggestions("helo").contains("hello"));
    // Apostrophes in either form, numbers, punctuation and object characters are not marked.
    const QString text =
        QString("The qick fox doesn") + QChar(0x2019) + "t jumpp over 42 dogs, " + QChar(0xFFFC) + " wrold.";
    const std::vector<Spelling::Miss> misses = spelling.misspellings(text);
    QStringList marked;
    for (const Spelling::Miss& miss : misses) marked << text.mid(miss.start, miss.length);
    ASSERT_EQ(misses.size(), 3u) << marked.join(",").toStdString();
    EXPECT_EQ(text.mid(misses[0].start, misses[0].length), "qick");
    EXPECT_EQ(text.mid(misses[1].start, misses[1].length), "jumpp");
    EXPECT_EQ(text.mid(misses[2].start, misses[2].length), "wrold");
}

TEST(Spelling, AMissingDictionaryMarksNothing) {
    Spelling spelling("/nonexistent/xx.aff", "/nonexistent/xx.dic");
    EXPECT_FALSE(spelling.isAvailable());
    EXPECT_TRUE(spelling.isCorrect("helo"));
    EXPECT_TRUE(spelling.misspellings("helo wrold").empty());
}

// The underline is drawn from the layout: the document's own character formats, which the
// engine's text is compared against, stay as they were.
TEST(Spelling, TheHighlighterUnderlinesWithoutChangingTheDocumentsFormats) {
    Spelling spelling(aff, dic);
    QTextDocument document;
    document.setPlainText("good wrold");
    const QTextCharFormat before = document.begin().begin().fragment().charFormat();
    SpellingHighlighter highlighter(&document, spelling);
    highlighter.rehighlight();
    const QList<QTextLayout::FormatRange> ranges = document.begin().layout()->formats();
    ASSERT_EQ(ranges.size(), 1);
    EXPECT_EQ(ranges[0].start, 5);
    EXPECT_EQ(ranges[0].length, 5);
    EXPECT_EQ(ranges[0].format.underlineStyle(), QTextCharFormat::SpellCheckUnderline);
    EXPECT_EQ(document.begin().begin().fragment().charFormat(), before);
}

// With a view, a long text is checked where it is shown: the first paragraph at once, the
// last one only once the view has scrolled down to it.
TEST(Spelling, AViewChecksWhatItShowsAndTheRestAsItComesIntoView) {
    Spelling spelling(aff, dic);
    QTextEdit view;
    view.resize(400, 200);
    QStringList lines;
    for (int i = 0; i < 400; ++i) lines.append("good wrold");
    view.setPlainText(lines.join('\n'));
    SpellingHighlighter highlighter(view.document(), spelling, &view);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    auto underlined = [&](const QTextBlock& block) { return !block.layout()->formats().isEmpty(); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return underlined(view.document()->firstBlock()); }));
    EXPECT_FALSE(underlined(view.document()->lastBlock()));

    view.moveCursor(QTextCursor::End);  // scrolls the last paragraph into view
    view.viewport()->repaint();
    EXPECT_TRUE(QTest::qWaitFor([&] { return underlined(view.document()->lastBlock()); }));
}

}  // namespace
}  // namespace tovin::testing
