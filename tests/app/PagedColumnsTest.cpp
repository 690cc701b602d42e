// Text columns of different widths (w:cols w:equalWidth="0"): each column's text is set at
// that column's width and stands at its place across the body; nothing is drawn in the space
// between them. Read back from the drawn page's pixels.
#include <gtest/gtest.h>

#include "PageDrawingSupport.h"

using namespace tovin;
using namespace tovin::pagestest;

namespace {

// Letter paper with one-inch margins: a body of 9360 twentieths of a point, as a wide first
// column of 6000, a space of 720 and a narrow second column of 2640.
constexpr int left = 1440, wide = 6000, space = 720, narrow = 2640;

int display(int twips) {
    return qRound(twips / 20.0 * displayScale);
}

std::string unequalColumns() {
    const std::string words =
        "Columns of different widths set each line at the width of the column it stands in, "
        "never at the narrowest one alone.";
    std::string body;
    for (int i = 0; i < 60; ++i) body += paragraph(run("Paragraph " + std::to_string(i) + ". " + words));
    return body + "<w:sectPr><w:pgSz w:w=\"12240\" w:h=\"15840\"/><w:pgMar w:top=\"1440\" w:right=\"1440\" "
                  "w:bottom=\"1440\" w:left=\"1440\" w:header=\"720\" w:footer=\"720\" w:gutter=\"0\"/>"
                  "<w:cols w:num=\"2\" w:space=\"720\" w:equalWidth=\"0\"><w:col w:w=\"" +
           std::to_string(wide) + "\" w:space=\"" + std::to_string(space) + "\"/><w:col w:w=\"" +
           std::to_string(narrow) + "\"/></w:cols></w:sectPr>";
}

}  // namespace

TEST(PagedColumns, UnequalColumnsSetTheirTextAtTheirOwnWidths) {
    auto doc = open(unequalColumns());
    const PageLayout layout(*doc);
    ASSERT_GE(layout.pages().size(), 2u);
    for (int page = 0; page + 1 < static_cast<int>(layout.pages().size()); ++page) {
        const QImage image = picture(layout, page);
        const int top = 0, height = image.height();
        const QRect first(display(left), top, display(wide), height);
        const QRect gap(display(left + wide) + 2, top, display(space) - 4, height);
        const QRect second(display(left + wide + space), top, display(narrow), height);
        const QRect firstInk = ink(image, first.adjusted(-display(left), 0, 0, 0));
        const QRect secondInk = ink(image, second.adjusted(0, 0, display(left), 0));
        SCOPED_TRACE(page);
        // The wide column's lines reach well past the narrow column's width, and start at
        // the left margin.
        ASSERT_FALSE(firstInk.isEmpty());
        EXPECT_GT(firstInk.right(), display(left + narrow) + display(wide - narrow) / 2);
        EXPECT_GE(firstInk.left(), display(left) - 1);
        // Nothing in the space between the columns; the narrow column's text stays in it.
        EXPECT_TRUE(ink(image, gap).isEmpty());
        ASSERT_FALSE(secondInk.isEmpty());
        EXPECT_GE(secondInk.left(), second.left() - 1);
        EXPECT_LE(secondInk.right(), second.right() + 1);
    }
}
