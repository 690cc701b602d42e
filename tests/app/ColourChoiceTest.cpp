// "More Colours…" of the format bar and the Font panel: Qt's colour dialog, answered here
// as a user would, writes the chosen text colour as it is and the nearest named highlight;
// the saved package is read back.
#include <QAction>
#include <QColorDialog>
#include <QComboBox>
#include <QMenu>
#include <QTimer>
#include <QToolButton>

#include "CommandTestSupport.h"
#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/editor/ColourChoice.h"
#include "Tovin/editor/EditorSession.h"
#include "Tovin/editor/FontPanel.h"
#include "Tovin/editor/FormatCommands.h"
#include "Tovin/editor/FormatPopover.h"

namespace tovin::testing {
namespace {

using rovuvuz::testing::count;

class ColourChoiceTest : public CommandTest {
  protected:
    // Answers the next colour dialog with `colour`, or cancels it without one; `seen` is the
    // colour the dialog opened with.
    void answer(std::optional<QColor> colour) {
        QTimer::singleShot(0, qApp, [this, colour] {
            auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
            if (!dialog) return answer(colour);  // not open yet
            seen = dialog->currentColor();
            if (!colour) return dialog->reject();
            dialog->setCurrentColor(*colour);
            dialog->accept();
        });
    }
    void chooseMore(QToolButton* button) {
        for (QAction* action : button->menu()->actions())
            if (action->text() == ColourChoice::moreTitle()) action->trigger();
        settle();
    }
    // word/document.xml of the package as saved and read back.
    std::string savedBody() {
        rovuvuz::DocxDocument saved(document->docx()->checkedData());
        const rovuvuz::SharedBytes bytes = saved.partData(rovuvuz::PartName{"word/document.xml"});
        return std::string(bytes->begin(), bytes->end());
    }
    std::optional<QColor> seen;
};

TEST_F(ColourChoiceTest, EveryNamedHighlightIsItsOwnNearestAndOtherColoursFindTheirNeighbour) {
    for (const auto& [title, name] : ColourChoice::highlights()) {
        const std::optional<QColor> shown = ColourChoice::colourOf(name);
        ASSERT_TRUE(shown) << name;
        EXPECT_EQ(ColourChoice::nearestHighlight(*shown), name);
        EXPECT_EQ(ColourChoice::highlightTitle(name), QString::fromUtf8(title));
    }
    EXPECT_EQ(ColourChoice::nearestHighlight(QColor(250, 235, 40)), "yellow");
    EXPECT_EQ(ColourChoice::nearestHighlight(QColor(20, 20, 110)), "darkBlue");
    EXPECT_EQ(ColourChoice::nearestHighlight(QColor(230, 30, 220)), "magenta");
    EXPECT_EQ(ColourChoice::nearestHighlight(QColor(170, 170, 175)), "lightGray");
    EXPECT_EQ(ColourChoice::hex(QColor(0x1e, 0x90, 0xab)), "1E90AB");
    EXPECT_EQ(ColourChoice::colourOf("1e90ab"), QColor(0x1e, 0x90, 0xab));
    EXPECT_FALSE(ColourChoice::colourOf("auto"));
}

TEST_F(ColourChoiceTest, TheFormatBarsMoreColoursWritesAnyTextColourAndTheNearestHighlightTracked) {
    open(
        "<w:p><w:r><w:rPr><w:color w:val=\"00B050\"/></w:rPr><w:t xml:space=\"preserve\">green </w:t></w:r>"
        "<w:r><w:t>plain</w:t></w:r></w:p>");
    document->setTrackChanges(true);
    select(0, 5);
    editor->popover()->sync();
    const int stepsBefore = editor->session()->undo().stack().count();
    answer(QColor(0x1e, 0x90, 0xab));
    chooseMore(editor->popover()->colourButton());
    // The dialog opens on the selection's own colour.
    EXPECT_EQ(seen, QColor(0x00, 0xb0, 0x50));
    EXPECT_EQ(formatOf("green").color, "1E90AB");
    EXPECT_EQ(editor->session()->undo().stack().count(), stepsBefore + 1);

    select(0, 5);
    answer(QColor(20, 20, 110));
    chooseMore(editor->popover()->highlightButton());
    EXPECT_EQ(formatOf("green").highlight, "darkBlue");

    const std::string saved = savedBody();
    EXPECT_EQ(count(saved, "<w:color w:val=\"1E90AB\"/>"), 1u);
    EXPECT_EQ(count(saved, "<w:highlight w:val=\"darkBlue\"/>"), 1u);
    EXPECT_EQ(count(saved, "<w:shd"), 0u);
    // Tracked: the run's first properties are kept once.
    EXPECT_EQ(count(saved, "<w:rPrChange"), 1u);
    EXPECT_EQ(formatOf("plain").color, std::nullopt);

    // Cancelling changes nothing and adds no step.
    select(0, 5);
    const int stepsNow = editor->session()->undo().stack().count();
    answer(std::nullopt);
    chooseMore(editor->popover()->colourButton());
    EXPECT_EQ(formatOf("green").color, "1E90AB");
    EXPECT_EQ(editor->session()->undo().stack().count(), stepsNow);
}

TEST_F(ColourChoiceTest, TheFontPanelsMoreColoursBecomesItsChoiceAndCancellingKeepsTheOneBefore) {
    open("<w:p><w:r><w:rPr><w:highlight w:val=\"yellow\"/></w:rPr><w:t>marked</w:t></w:r></w:p>");
    select(0, 6);
    FontPanel panel(FontPanel::documentFamilies(*editor), FormatCommands::formatAtSelection(*editor));
    QComboBox* colour = panel.colour();
    const int more = colour->findText(ColourChoice::moreTitle());
    ASSERT_EQ(more, colour->count() - 1);
    answer(QColor(0x12, 0x34, 0x56));
    Q_EMIT colour->activated(more);
    settle();
    EXPECT_EQ(colour->currentData().toString(), "123456");
    EXPECT_EQ(colour->currentText(), "#123456");

    QComboBox* highlight = panel.highlight();
    EXPECT_EQ(highlight->currentData().toString(), "yellow");
    answer(std::nullopt);
    Q_EMIT highlight->activated(highlight->count() - 1);
    settle();
    EXPECT_EQ(seen, QColor(0xff, 0xff, 0x00));
    EXPECT_EQ(highlight->currentData().toString(), "yellow");
    // A colour the panel's short list lacks is added under its name.
    answer(QColor(0, 100, 100));
    Q_EMIT highlight->activated(highlight->count() - 1);
    settle();
    EXPECT_EQ(highlight->currentData().toString(), "darkCyan");
    EXPECT_EQ(highlight->currentText(), "Teal");

    FormatCommands::runFormats(*editor, panel.changes());
    settle();
    const std::string saved = savedBody();
    EXPECT_EQ(count(saved, "<w:color w:val=\"123456\"/>"), 1u);
    EXPECT_EQ(count(saved, "<w:highlight w:val=\"darkCyan\"/>"), 1u);
    EXPECT_EQ(count(saved, "yellow"), 0u);
}

}  // namespace
}  // namespace tovin::testing
