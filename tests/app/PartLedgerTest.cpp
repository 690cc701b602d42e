// The part ledger: its ticks, count and tooltip as edits change which parts a save rewrites,
// and, over every corpus document, that the parts it names are exactly the ZIP entries a
// save changes.
#include <QLabel>
#include <QTest>
#include <random>
#include <set>

#include "ReviewTestSupport.h"
#include "RovuVuz/package/ZipArchive.h"
#include "Tovin/document/EditorUndo.h"
#include "Tovin/editor/FooterBar.h"
#include "Tovin/editor/ReviewCommands.h"
#include "Tovin/review/PartLedger.h"

namespace tovin::testing {
namespace {

using rovuvuz::StoryID;

// The entries whose stored bytes (local header and compressed data) differ between two
// packages, or that only the second has.
std::set<std::string> changedEntries(const rovuvuz::SharedBytes& before, const rovuvuz::SharedBytes& after) {
    const rovuvuz::ZipArchive old(before);
    const rovuvuz::ZipArchive saved(after);
    auto record = [](const rovuvuz::SharedBytes& bytes, const rovuvuz::ZipArchive::Entry& entry) {
        return std::string(bytes->begin() + entry.localRecord.lower,
                           bytes->begin() + entry.localRecord.upper);
    };
    std::set<std::string> changed;
    for (const auto& entry : saved.entries()) {
        const auto* was = old.entry(entry.name);
        if (!was || record(before, *was) != record(after, entry)) changed.insert(entry.name);
    }
    return changed;
}

std::set<std::string> rewritten(const PartLedger::Reading& reading) {
    std::set<std::string> names;
    for (size_t i = 0; i < reading.names.size(); ++i)
        if (reading.rewritten[i]) names.insert(reading.names[i]);
    return names;
}

class PartLedgerTest : public ReviewTest {
  protected:
    PartLedger& ledger() { return *editor->ledger(); }
    const PartLedger::Reading& reading() { return ledger().reading(); }
    void settleRefresh() {
        settle();
        editor->flushRefresh();
    }
};

TEST_F(PartLedgerTest, AnUneditedDocumentRewritesNothing) {
    open("<w:p><w:r><w:t>Hello</w:t></w:r></w:p>");
    EXPECT_EQ(reading().names,
              (std::vector<std::string>{"[Content_Types].xml", "_rels/.rels", "word/_rels/document.xml.rels",
                                        "word/document.xml"}));
    EXPECT_EQ(reading().rewritten, std::vector<bool>(4, false));
    EXPECT_EQ(ledger().count()->text(), "0 OF 4 PARTS");
    EXPECT_EQ(ledger().toolTip(), "Saving now writes the file back as it was.");
    EXPECT_EQ(ledger().ticks()->sizeHint(), QSize(16, 12));
    // It stands at the trailing end of the footer bar.
    EXPECT_EQ(ledger().parentWidget(), editor->footer());
    EXPECT_TRUE(ledger().isVisible());
    EXPECT_GT(ledger().x(), editor->footer()->right()->x());
}

TEST_F(PartLedgerTest, TypingMakesTheMainPartsTickTall) {
    open("<w:p><w:r><w:t>Hello</w:t></w:r></w:p>");
    QTest::keyClicks(editor->body(), "Oh ");
    ASSERT_TRUE(waitFor([&] { return ledger().count()->text() == "1 OF 4 PARTS"; }, 2000));
    EXPECT_EQ(reading().rewritten, (std::vector<bool>{false, false, false, true}));
    EXPECT_EQ(ledger().toolTip(),
              "Saving rewrites word/document.xml. Every other part goes back byte for byte.");
    // Undoing the typing brings the ledger back.
    editor->undo().undo();
    settleRefresh();
    EXPECT_EQ(ledger().count()->text(), "0 OF 4 PARTS");
}

TEST_F(PartLedgerTest, FolderEntriesGetNoTick) {
    auto parts = rovuvuz::testing::minimalDocument("<w:p/>");
    parts.insert(parts.begin() + 1, {"word/", ""});
    parts.push_back({"customXml/", ""});
    open(rovuvuz::testing::makePackage(parts));
    ASSERT_EQ(rovuvuz::ZipArchive(original).entries().size(), 6u);
    EXPECT_EQ(reading().names.size(), 4u);
    for (const std::string& name : reading().names) EXPECT_NE(name.back(), '/') << name;
    EXPECT_EQ(ledger().count()->text(), "0 OF 4 PARTS");
    EXPECT_EQ(ledger().ticks()->states().size(), 4u);
}

TEST_F(PartLedgerTest, AFirstCommentAddsTallTicksForThePartsTheSaveCreates) {
    open("<w:p><w:r><w:t>Hello world</w:t></w:r></w:p>");
    const size_t before = reading().names.size();
    QTextCursor cursor = editor->body()->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(5, QTextCursor::KeepAnchor);
    editor->body()->setTextCursor(cursor);
    ReviewCommands::addComment(*editor, "Nice");
    settleRefresh();
    const std::set<std::string> tall = rewritten(reading());
    EXPECT_TRUE(tall.count("word/comments.xml"));
    EXPECT_TRUE(tall.count("word/document.xml"));
    size_t added = 0;
    for (size_t i = before; i < reading().names.size(); ++i) {
        EXPECT_TRUE(reading().rewritten[i]) << reading().names[i];
        ++added;
    }
    EXPECT_GE(added, 1u);
    EXPECT_EQ(ledger().count()->text(),
              QStringLiteral("%1 OF %2 PARTS").arg(tall.size()).arg(before + added));
    EXPECT_TRUE(
        ledger().toolTip().startsWith("Saving rewrites [Content_Types].xml, word/_rels/document.xml.rels, "));
}

// Over every corpus document: a random edit, then the ledger's rewritten parts must be
// exactly the entries the save changes.
TEST_F(PartLedgerTest, TheLedgerNamesExactlyThePartsASaveChanges) {
    const auto files = rovuvuz::testing::corpusFiles();
    if (files.empty()) GTEST_SKIP() << "no corpus";
    std::mt19937 random(20261207);
    int checked = 0;
    for (const auto& path : files) {
        SCOPED_TRACE(path.filename().string());
        const rovuvuz::Bytes bytes = rovuvuz::testing::readFile(path);
        open(rovuvuz::share(rovuvuz::Bytes(bytes)));
        if (!editor) continue;
        EXPECT_EQ(rewritten(reading()), std::set<std::string>{});
        const int length = editor->body()->document()->characterCount() - 1;
        QTextCursor cursor = editor->body()->textCursor();
        const int at = length > 0 ? int(random() % unsigned(length)) : 0;
        cursor.setPosition(at);
        const int kind = int(random() % 3);
        if (kind == 2 && at < length) {
            cursor.setPosition(std::min(at + 4, length), QTextCursor::KeepAnchor);
            editor->body()->setTextCursor(cursor);
            ReviewCommands::addComment(*editor, "Checked");
        } else {
            document->setTrackChanges(kind == 1);
            editor->body()->setTextCursor(cursor);
            QTest::keyClicks(editor->body(), "xy");
        }
        settleRefresh();
        const std::set<std::string> named = rewritten(reading());
        const std::set<std::string> changed = changedEntries(original, document->docx()->data());
        EXPECT_EQ(named, changed) << "edit " << kind << " at " << at;
        ++checked;
    }
    EXPECT_EQ(checked, int(files.size()));
}

}  // namespace
}  // namespace tovin::testing
