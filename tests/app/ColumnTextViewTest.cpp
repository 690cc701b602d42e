// The body's column view: where the column stands in the view, and where list labels are
// drawn beside their paragraphs without being part of the text.
#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextFrame>
#include <QTextLayout>

#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/editor/ColumnTextView.h"
#include "Tovin/text/AttributedBuilder.h"
#include "Tovin/text/ListLabels.h"
#include "support/TestSupport.h"

namespace tovin::testing {
namespace {

// Resize events reach a widget once it is shown.
void showAt(ColumnTextView& view, int width, int height) {
    view.resize(width, height);
    view.show();
    QCoreApplication::processEvents();
}

std::vector<rovuvuz::BlockSnapshot> bodyBlocks(rovuvuz::DocxDocument& document) {
    return document.snapshot(rovuvuz::StoryID::body()).blocks;
}

// A numbered list of two items with a 36-point left indent hanging by 18, then a plain
// paragraph.
std::unique_ptr<rovuvuz::DocxDocument> listDocument() {
    const std::string numbering =
        "<?xml version=\"1.0\"?><w:numbering "
        "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
        "<w:abstractNum w:abstractNumId=\"0\"><w:lvl w:ilvl=\"0\"><w:start w:val=\"1\"/><w:numFmt "
        "w:val=\"decimal\"/>"
        "<w:lvlText w:val=\"%1.\"/><w:pPr><w:ind w:left=\"720\" "
        "w:hanging=\"360\"/></w:pPr></w:lvl></w:abstractNum>"
        "<w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num></w:numbering>";
    const std::string item =
        "<w:p><w:pPr><w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"1\"/></w:numPr></w:pPr>";
    const std::string body = item + "<w:r><w:t>Bold item</w:t></w:r></w:p>" + item +
                             "<w:r><w:t>Second</w:t></w:r></w:p><w:p><w:r><w:t>Plain</w:t></w:r></w:p>";
    auto parts =
        rovuvuz::testing::minimalDocument(body, rovuvuz::testing::rel("rId3", "numbering", "numbering.xml"));
    parts.emplace_back("word/numbering.xml", numbering);
    return std::make_unique<rovuvuz::DocxDocument>(rovuvuz::testing::makePackage(parts));
}

TEST(ColumnTextViewGeometry, TheColumnIsCentredAndNarrowsWithTheView) {
    ColumnTextView view;
    view.setColumnWidth(600);
    showAt(view, 1000, 600);
    const qreal wide = view.viewport()->width();
    ASSERT_GT(wide, 900);
    EXPECT_DOUBLE_EQ(view.visibleColumnWidth(), 600);
    EXPECT_DOUBLE_EQ(view.columnX(), std::floor((wide - 600) / 2));
    EXPECT_DOUBLE_EQ(view.document()->rootFrame()->frameFormat().leftMargin(), view.columnX());

    view.setRailWidth(268);
    showAt(view, 800, 600);
    EXPECT_DOUBLE_EQ(view.visibleColumnWidth(), view.viewport()->width() - 268 - 64);
    EXPECT_DOUBLE_EQ(view.columnX(), 32);

    view.setRailWidth(0);
    showAt(view, 150, 600);
    EXPECT_DOUBLE_EQ(view.visibleColumnWidth(), 160);
    EXPECT_DOUBLE_EQ(view.columnX(), 32);
}

TEST(ColumnTextViewLabels, LabelsEndBeforeTheIndentOnTheFirstBaselineOutsideTheText) {
    auto document = listDocument();
    ColumnTextView view;
    showAt(view, 900, 600);
    view.showBlocks(bodyBlocks(*document), AttributedBuilder(document.get(), rovuvuz::StoryID::body(), 600));
    view.document()->documentLayout()->documentSize();

    EXPECT_EQ(view.document()->toPlainText(), "Bold item\nSecond\nPlain");
    const QTextBlock first = view.document()->begin();
    const QTextLayout* layout = first.layout();
    ASSERT_GT(layout->lineCount(), 0);
    // The first line starts at the left indent: the hanging space is the label's.
    EXPECT_DOUBLE_EQ(layout->lineAt(0).x(), 45);

    const auto placed = ListLabels::placement(first, Qt::black);
    ASSERT_TRUE(placed);
    EXPECT_EQ(placed->label, "1.");
    const qreal width = QFontMetricsF(placed->font).horizontalAdvance("1.");
    EXPECT_NEAR(placed->baseline.x() + width, layout->position().x() + 45 - ListLabels::gap, 1e-6);
    EXPECT_NEAR(placed->baseline.y(), layout->position().y() + layout->lineAt(0).ascent(), 1e-6);
    EXPECT_EQ(ListLabels::placement(first.next(), Qt::black)->label, "2.");
    EXPECT_FALSE(ListLabels::placement(first.next().next(), Qt::black));

    // The label is drawn in the hanging space, which the text leaves empty.
    QImage image(view.viewport()->size(), QImage::Format_RGB32);
    view.viewport()->render(&image);
    auto inkIn = [&](const QTextBlock& block) {
        const qreal top = block.layout()->position().y() - view.verticalScrollBar()->value();
        const QRect hanging(qRound(block.layout()->position().x() + 45 - 30), qRound(top), 24,
                            qRound(block.layout()->lineAt(0).height()));
        int dark = 0;
        for (int y = hanging.top(); y <= hanging.bottom(); ++y)
            for (int x = hanging.left(); x <= hanging.right(); ++x)
                if (image.valid(x, y) && qGray(image.pixel(x, y)) < 128) ++dark;
        return dark;
    };
    EXPECT_GT(inkIn(first), 0);
    EXPECT_GT(inkIn(first.next()), 0);
}

TEST(ColumnTextViewLabels, AnEmptyOrUnreadableBodyShowsNothingAndDoesNotCrash) {
    ColumnTextView view;
    showAt(view, 600, 400);
    view.showBlocks({}, AttributedBuilder(nullptr, rovuvuz::StoryID::body(), 500));
    EXPECT_TRUE(view.document()->toPlainText().isEmpty());
    QImage image(view.viewport()->size(), QImage::Format_RGB32);
    view.viewport()->render(&image);
}

}  // namespace
}  // namespace tovin::testing
