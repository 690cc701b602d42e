// Font family, size, colour and highlight from the Format menu, the Font panel and the
// format popover, across runs of different formats, outright and tracked.
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QTest>

#include "CommandTestSupport.h"
#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/editor/EditorSession.h"
#include "Tovin/editor/FontPanel.h"
#include "Tovin/editor/FormatCommands.h"
#include "Tovin/editor/FormatPopover.h"

namespace tovin::testing {
namespace {

// One paragraph of three runs: 10 pt, 14 pt bold, and unsized.
const std::string mixed =
    "<w:p><w:r><w:rPr><w:sz w:val=\"20\"/></w:rPr><w:t xml:space=\"preserve\">small </w:t></w:r>"
    "<w:r><w:rPr><w:b/><w:sz w:val=\"28\"/></w:rPr><w:t xml:space=\"preserve\">big </w:t></w:r>"
    "<w:r><w:t>plain</w:t></w:r></w:p>";

using FontCommandsTest = CommandTest;

TEST_F(FontCommandsTest, IncreaseAndDecreaseStepEveryRunByOnePointFromItsOwnSize) {
    open(mixed);
    select(0, 10);
    QTest::keyClick(editor->body(), Qt::Key_BracketRight, Qt::ControlModifier);
    settle();
    EXPECT_EQ(formatOf("small ").size, 11);
    EXPECT_EQ(formatOf("big ").size, 15);
    EXPECT_TRUE(formatOf("big ").bold);
    EXPECT_EQ(rovuvuz::testing::count(body(), "<w:sz w:val=\"22\"/>"), 1u);
    EXPECT_EQ(rovuvuz::testing::count(body(), "<w:sz w:val=\"30\"/>"), 1u);
    select(0, 10);
    run(Command::decreaseFontSize);
    run(Command::decreaseFontSize);
    EXPECT_EQ(formatOf("small ").size, 9);
    // A caret alone changes nothing and says so.
    select(3, 3);
    const std::string before = body();
    run(Command::increaseFontSize);
    EXPECT_EQ(body(), before);
    EXPECT_EQ(beeps, 1);
}

TEST_F(FontCommandsTest, ThePanelAppliesFamilySizeColourAndHighlightAsOneTrackedStep) {
    open(mixed);
    document->setTrackChanges(true);
    select(0, 10);
    FontPanel panel(FontPanel::documentFamilies(*editor), FormatCommands::formatAtSelection(*editor));
    panel.family()->setCurrentIndex(panel.family()->findData("Georgia"));
    if (panel.family()->currentIndex() < 0) {
        panel.family()->addItem("Georgia", "Georgia");
        panel.family()->setCurrentIndex(panel.family()->count() - 1);
    }
    panel.size()->setValue(18);
    panel.colour()->setCurrentIndex(panel.colour()->findData("C00000"));
    panel.highlight()->setCurrentIndex(panel.highlight()->findData("yellow"));
    ASSERT_EQ(panel.changes().size(), 4u);
    const int stepsBefore = editor->session()->undo().stack().count();
    FormatCommands::runFormats(*editor, panel.changes());
    settle();
    for (const char* text : {"small ", "big "}) {
        const rovuvuz::RunFormat format = formatOf(text);
        EXPECT_EQ(format.font, "Georgia") << text;
        EXPECT_EQ(format.size, 18) << text;
        EXPECT_EQ(format.color, "C00000") << text;
        EXPECT_EQ(format.highlight, "yellow") << text;
    }
    EXPECT_TRUE(formatOf("big ").bold);
    EXPECT_EQ(formatOf("plain").font, std::nullopt);
    EXPECT_EQ(rovuvuz::testing::count(body(), "w:ascii=\"Georgia\""), 2u);
    // Each changed run keeps what it was in a w:rPrChange.
    EXPECT_EQ(rovuvuz::testing::count(body(), "<w:rPrChange"), 2u);
    EXPECT_EQ(editor->session()->undo().stack().count(), stepsBefore + 1);
    editor->session()->undoStep();
    settle();
    EXPECT_EQ(formatOf("big ").size, 14);
}

TEST_F(FontCommandsTest, ThePanelOffersTheDocumentsFamiliesWithTheirStandIns) {
    open("<w:p><w:r><w:rPr><w:rFonts w:ascii=\"Calibri\" w:hAnsi=\"Calibri\"/></w:rPr><w:t>x</w:t></w:r></w:p>");
    const QStringList families = FontPanel::documentFamilies(*editor);
    EXPECT_EQ(families, QStringList{"Calibri"});
    FontPanel panel(families, std::nullopt);
    EXPECT_EQ(panel.family()->itemData(0).toString(), "Calibri");
    // A panel left as it opened changes nothing.
    select(0, 1);
    FontPanel same(families, FormatCommands::formatAtSelection(*editor));
    EXPECT_TRUE(same.changes().empty());
}

TEST_F(FontCommandsTest, ClearFormattingRemovesDirectRunFormattingOutright) {
    open(mixed);
    select(0, 15);
    ASSERT_TRUE(run(Command::clearFormatting));
    EXPECT_FALSE(formatOf("big ").bold);
    EXPECT_EQ(rovuvuz::testing::count(body(), "<w:sz "), 0u);
    EXPECT_EQ(rovuvuz::testing::count(body(), "<w:b/>"), 0u);
}

TEST_F(FontCommandsTest, ThePopoversSizeMenuSetsTheSizeOfTheSelection) {
    open(mixed);
    select(6, 9);
    editor->popover()->sync();
    ASSERT_TRUE(editor->popover()->isVisible());
    EXPECT_EQ(editor->popover()->sizeMenu()->currentText(), "14");
    // What picking "20" from the menu sends.
    Q_EMIT editor->popover()->sizeMenu()->textActivated("20");
    settle();
    EXPECT_EQ(formatOf("big").size, 20);
    EXPECT_EQ(formatOf("small ").size, 10);
}

}  // namespace
}  // namespace tovin::testing
