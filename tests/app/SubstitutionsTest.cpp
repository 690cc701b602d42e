// Smart quotes, smart dashes and text replacement: what each typed character calls for,
// then real typing in the body, each substitution undone alone by the next Undo, and the
// switches and list kept in the settings.
#include <QAction>
#include <QTableWidget>
#include <QTest>

#include "CommandTestSupport.h"
#include "Tovin/ReplacementsEditor.h"
#include "Tovin/editor/EditorSession.h"
#include "Tovin/text/Substitutions.h"

namespace tovin::testing {
namespace {

using Substitutions::Change;

std::optional<Change> after(const QString& before, Substitutions::Options options = {}) {
    if (options.replacements.empty()) options.replacements = {{"(c)", "\u00A9"}, {"teh", "the"}};
    return Substitutions::after(before, options);
}

TEST(SubstitutionRules, QuotesFollowTheirContext) {
    EXPECT_EQ(after("\""), (Change{0, 1, "\u201C"}));
    EXPECT_EQ(after("said \""), (Change{5, 6, "\u201C"}));
    EXPECT_EQ(after("(\""), (Change{1, 2, "\u201C"}));
    EXPECT_EQ(after("hi\""), (Change{2, 3, "\u201D"}));
    EXPECT_EQ(after("it'"), (Change{2, 3, "\u2019"}));
    EXPECT_EQ(after(" '"), (Change{1, 2, "\u2018"}));
    EXPECT_EQ(after("\u201Chi.\""), (Change{4, 5, "\u201D"}));
}

TEST(SubstitutionRules, TwoHyphensBetweenWordsBecomeADash) {
    EXPECT_EQ(after("well--s"), (Change{4, 6, "\u2014"}));
    EXPECT_EQ(after("well -- "), (Change{5, 7, "\u2013"}));
    EXPECT_EQ(after("--s"), std::nullopt);
    EXPECT_EQ(after("a-b"), std::nullopt);
    EXPECT_EQ(after("well---s"), std::nullopt);
}

TEST(SubstitutionRules, ReplacementsApplyToAWholeWordOnceItEnds) {
    EXPECT_EQ(after("(c) "), (Change{0, 3, "\u00A9"}));
    EXPECT_EQ(after("say teh,"), (Change{4, 7, "the"}));
    EXPECT_EQ(after("tehx "), std::nullopt);
    EXPECT_EQ(after("xteh "), std::nullopt);
    EXPECT_EQ(after("teh"), std::nullopt);
    Substitutions::Options off;
    off.quotes = off.dashes = off.replacement = false;
    off.replacements = {{"teh", "the"}};
    EXPECT_EQ(Substitutions::after(u"teh ", off), std::nullopt);
    EXPECT_EQ(Substitutions::after(u"\"", off), std::nullopt);
}

class SubstitutionsTest : public CommandTest {
  protected:
    void type(const QString& text) {
        QTest::keyClicks(editor->body(), text);
        settle();
        editor->session()->flushAll();
    }
    void undo() {
        editor->session()->undoStep();
        settle();
    }
};

TEST_F(SubstitutionsTest, TypingMakesTheSubstitutionsAndUndoRestoresWhatWasTyped) {
    open(plainParagraphs({""}));
    type("\"Hi,\" it's");
    EXPECT_EQ(texts(), QStringList{"\u201CHi,\u201D it\u2019s"});
    type(" well--s");
    EXPECT_EQ(texts(), QStringList{"\u201CHi,\u201D it\u2019s well\u2014s"});
    // The caret follows the shorter text: typing goes on after the dash's word.
    type("o");
    EXPECT_EQ(texts(), QStringList{"\u201CHi,\u201D it\u2019s well\u2014so"});
    undo();
    EXPECT_EQ(texts(), QStringList{"\u201CHi,\u201D it\u2019s well\u2014s"});

    open(plainParagraphs({""}));
    type("(c) ");
    EXPECT_EQ(texts(), QStringList{"\u00A9 "});
    // The next Undo takes back the replacement alone.
    undo();
    EXPECT_EQ(texts(), QStringList{"(c) "});
}

TEST_F(SubstitutionsTest, TheMenuSwitchesAreRememberedAndTurnEachOff) {
    open(plainParagraphs({""}));
    MainMenu::build().validate();
    QAction* quotes = MainMenu::build().action(Command::toggleAutomaticQuoteSubstitution);
    EXPECT_TRUE(quotes->isEnabled());
    EXPECT_TRUE(quotes->isChecked());
    run(Command::toggleAutomaticQuoteSubstitution);
    run(Command::toggleAutomaticDashSubstitution);
    MainMenu::build().validate();
    EXPECT_FALSE(quotes->isChecked());
    EXPECT_FALSE(Substitutions::current().quotes);
    EXPECT_FALSE(Substitutions::current().dashes);
    EXPECT_TRUE(Substitutions::current().replacement);
    type("\"a--b\"");
    EXPECT_EQ(texts(), QStringList{"\"a--b\""});
}

TEST_F(SubstitutionsTest, TheSettingsListEditsTheReplacementsTypingUses) {
    ReplacementsEditor list;
    const int rows = list.table()->rowCount();
    EXPECT_GT(rows, 0);
    list.addRow();
    list.table()->setItem(rows, 0, new QTableWidgetItem("btw"));
    list.table()->setItem(rows, 1, new QTableWidgetItem("by the way"));
    const auto stored = Substitutions::current().replacements;
    ASSERT_EQ(int(stored.size()), rows + 1);
    EXPECT_EQ(stored.back(), (std::pair<QString, QString>{"btw", "by the way"}));

    open(plainParagraphs({""}));
    type("btw ok");
    EXPECT_EQ(texts(), QStringList{"by the way ok"});

    list.table()->setCurrentCell(rows, 0);
    list.table()->clearSelection();
    list.removeSelectedRows();
    EXPECT_EQ(int(Substitutions::current().replacements.size()), rows);
}

}  // namespace
}  // namespace tovin::testing
