// Spelling: the dictionaries and the words they mark, found by each run's language; and in
// a real window, the context menu's guesses (one edit, direct or tracked, read back from the
// saved file), Ignore Spelling (this document only), Learn Spelling (every document, kept in
// the user's data folder and edited in Settings), and the menus of bands and table cells.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>

#include "AppTestSupport.h"
#include "EditorTestSupport.h"
#include "Tovin/LearnedWordsEditor.h"
#include "Tovin/SettingsView.h"
#include "Tovin/document/DocumentController.h"
#include "Tovin/document/EditorUndo.h"
#include "Tovin/platform/PersonalDictionary.h"
#include "Tovin/platform/Spelling.h"
#include "Tovin/platform/SpellingDictionaries.h"
#include "Tovin/platform/WordChecker.h"
#include "Tovin/tables/CellTextView.h"
#include "Tovin/tables/TableHost.h"
#include "Tovin/tables/TableView.h"
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
    SpellingDictionaries dictionaries({"/usr/share/hunspell"});
    WordChecker checker(dictionaries, PersonalDictionary::shared());
    QTextDocument document;
    document.setPlainText("good wrold");
    const QTextCharFormat before = document.begin().begin().fragment().charFormat();
    SpellingHighlighter highlighter(&document, checker);
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
    SpellingDictionaries dictionaries({"/usr/share/hunspell"});
    WordChecker checker(dictionaries, PersonalDictionary::shared());
    QTextEdit view;
    view.resize(400, 200);
    QStringList lines;
    for (int i = 0; i < 400; ++i) lines.append("good wrold");
    view.setPlainText(lines.join('\n'));
    SpellingHighlighter highlighter(view.document(), checker, &view);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    auto underlined = [&](const QTextBlock& block) { return !block.layout()->formats().isEmpty(); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return underlined(view.document()->firstBlock()); }));
    EXPECT_FALSE(underlined(view.document()->lastBlock()));

    view.moveCursor(QTextCursor::End);  // scrolls the last paragraph into view
    view.viewport()->repaint();
    EXPECT_TRUE(QTest::qWaitFor([&] { return underlined(view.document()->lastBlock()); }));
}

// A dictionary folder of the test's own: American English from the system, and a small
// French dictionary written here, so what is installed on the machine does not matter.
TEST(Spelling, EachRunIsCheckedInItsOwnLanguageAndOnlyWhereADictionaryIsInstalled) {
    QTemporaryDir folder;
    ASSERT_TRUE(QFile::link(aff, folder.filePath("en_US.aff")) &&
                QFile::link(dic, folder.filePath("en_US.dic")));
    SpellingDictionaries english({folder.path()});
    EXPECT_EQ(english.dictionaryName("en-US"), "en_US");
    EXPECT_EQ(english.dictionaryName("en"), "en_US") << "a bare language takes any of its regions";
    EXPECT_EQ(english.dictionaryName("en-GB"), "") << "another region's spelling is not this one's";
    EXPECT_EQ(english.dictionaryName("fr-FR"), "");
    EXPECT_EQ(english.dictionaryName(""), "en_US") << "no language stated: the user's, else American English";

    WordChecker checker(english, PersonalDictionary::shared());
    const QString text = "The qick fox. Le renard rapide saute.";
    const std::vector<WordChecker::LanguageRun> runs = {{0, "en-US"}, {14, "fr-FR"}};
    std::vector<Spelling::Miss> misses = checker.misspellings(text, runs);
    ASSERT_EQ(misses.size(), 1u) << "French is unchecked without its dictionary, not all red";
    EXPECT_EQ(text.mid(misses[0].start, misses[0].length), "qick");
    EXPECT_TRUE(checker.suggestions("renard", "fr-FR", 5).isEmpty());

    QFile frAff(folder.filePath("fr_FR.aff"));
    QFile frDic(folder.filePath("fr_FR.dic"));
    ASSERT_TRUE(frAff.open(QIODevice::WriteOnly) && frDic.open(QIODevice::WriteOnly));
    frAff.write("SET UTF-8\nTRY esainrtulodcpmvqfbghjxyzk\n");
    frDic.write("4\nLe\nrenard\nrapide\nsaute\n");
    frAff.close();
    frDic.close();
    SpellingDictionaries both({folder.path()});
    WordChecker withFrench(both, PersonalDictionary::shared());
    EXPECT_EQ(both.dictionaryName("fr"), "fr_FR");
    misses = withFrench.misspellings("The qick fox. Le renar rapide saute.", runs);
    ASSERT_EQ(misses.size(), 2u);
    EXPECT_EQ(misses[1].start, 17) << "the French word is checked in French";
    EXPECT_TRUE(withFrench.suggestions("renar", "fr-FR", 5).contains("renard"));
    EXPECT_TRUE(withFrench.isCorrect("fox", "en-US"));
    EXPECT_FALSE(withFrench.isCorrect("fox", "fr-FR"));
}

class SpellingMenuTest : public EditorTest {
  protected:
    void SetUp() override {
        EditorTest::SetUp();
        // Learned words go to a data folder of this test's own.
        ASSERT_TRUE(data_.isValid());
        previousData_ = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", data_.path().toLocal8Bit());
        PersonalDictionary::shared().reload();
    }
    void TearDown() override {
        qputenv("XDG_DATA_HOME", previousData_);
        PersonalDictionary::shared().reload();
        EditorTest::TearDown();
    }

    static std::string run(const std::string& text, const std::string& language = "en-US") {
        return "<w:r><w:rPr><w:lang w:val=\"" + language + "\"/></w:rPr><w:t xml:space=\"preserve\">" + text +
               "</w:t></w:r>";
    }
    static std::string paragraph(const std::string& runs) { return "<w:p>" + runs + "</w:p>"; }

    // The middle of `word`'s first occurrence in the view, in viewport coordinates.
    static QPoint pointAt(QTextEdit* view, const QString& word) {
        const int at = view->toPlainText().indexOf(word);
        EXPECT_GE(at, 0) << word.toStdString();
        QTextCursor cursor(view->document());
        cursor.setPosition(at + int(word.size()) / 2);
        return view->cursorRect(cursor).center();
    }
    // Whether the highlighter has underlined `word` (its first occurrence) in the view.
    static bool underlined(QTextEdit* view, const QString& word) {
        const int at = view->toPlainText().indexOf(word);
        if (at < 0) return false;
        const QTextBlock block = view->document()->findBlock(at);
        for (const QTextLayout::FormatRange& range : block.layout()->formats())
            if (range.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline &&
                range.start <= at - block.position() &&
                range.start + range.length >= at - block.position() + word.size())
                return true;
        return false;
    }
    // Right-clicks `word` in the view and clicks the item titled `choose` of the menu that
    // opens (or closes it when `choose` is empty); returns the menu's item titles.
    QStringList rightClick(QTextEdit* view, const QString& word, const QString& choose = {}) {
        const QPoint at = pointAt(view, word);
        QStringList titles;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            QAction* chosen = nullptr;
            for (QAction* action : menu->actions()) {
                // Titles as shown, without their mnemonics' ampersands.
                const QString title = QString(action->text()).remove(u'&');
                titles << (action->isSeparator() ? QStringLiteral("|") : title);
                if (!choose.isEmpty() && title == choose) chosen = action;
            }
            if (chosen)
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(chosen).center());
            else
                menu->close();
        });
        // What a right-click delivers to the view.
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, view->viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(view->viewport(), &event);
        settle();
        return titles;
    }
    // The main part as the saved file holds it.
    std::string saved() {
        EXPECT_TRUE(documents().saveDocument(document));
        const auto reopened = rovuvuz::DocxDocument::open(document->filePath().toStdString());
        const rovuvuz::SharedBytes bytes = reopened->partData(rovuvuz::PartName{"word/document.xml"});
        return std::string(bytes->begin(), bytes->end());
    }

  private:
    QTemporaryDir data_;
    QByteArray previousData_;
};

TEST_F(SpellingMenuTest, AGuessReplacesTheMisspeltWordAsOneEditDirectOrTracked) {
    for (const bool tracked : {false, true}) {
        SCOPED_TRACE(tracked ? "tracked" : "direct");
        open(paragraph(run("The qick brown fox")));
        document->setTrackChanges(tracked);
        QTextEdit* body = editor->body();
        ASSERT_TRUE(waitFor([&] { return underlined(body, "qick"); }));
        EXPECT_FALSE(underlined(body, "brown"));
        const int steps = editor->undo().stack().count();

        const QStringList titles = rightClick(body, "qick", "quick");
        // Up to five guesses, then Ignore and Learn, then the editing commands.
        const int ignoreAt = int(titles.indexOf("Ignore Spelling"));
        ASSERT_GE(ignoreAt, 1) << titles.join(",").toStdString();
        EXPECT_LE(ignoreAt, 5);
        EXPECT_TRUE(titles.mid(0, ignoreAt).contains("quick"));
        EXPECT_EQ(titles.value(ignoreAt + 1), "Learn Spelling");
        EXPECT_EQ(titles.value(ignoreAt + 2), "|");

        EXPECT_EQ(beeps, 0) << refusals.join(' ').toStdString();
        EXPECT_EQ(editor->undo().stack().count(), steps + 1);
        const std::string xml = saved();
        if (!tracked) {
            EXPECT_NE(xml.find(">The quick brown fox<"), std::string::npos) << xml;
            EXPECT_EQ(xml.find("qick"), std::string::npos);
            EXPECT_EQ(xml.find("<w:ins "), std::string::npos);
        } else {
            EXPECT_NE(xml.find("<w:delText>qick</w:delText>"), std::string::npos) << xml;
            EXPECT_EQ(rovuvuz::testing::count(xml, "<w:ins "), 1u) << xml;
            EXPECT_NE(xml.find(">quick</w:t>"), std::string::npos) << xml;
        }
        EXPECT_NE(xml.find("w:val=\"en-US\""), std::string::npos) << "the word keeps its run's language";
        // Tracked, the old word stays in view as deleted text, which is not checked.
        EXPECT_TRUE(waitFor([&] { return !underlined(body, "qick"); }));

        editor->undo().stack().undo();
        settle();
        EXPECT_NE(part("word/document.xml").find(">The qick brown fox<"), std::string::npos);
    }
}

TEST_F(SpellingMenuTest, IgnoreClearsTheWordInThisDocumentOnly) {
    open(paragraph(run("A wrold apart")));
    TovinDocument* first = document;
    EditorViewController* firstEditor = editor;
    open(paragraph(run("Another wrold")));
    EditorViewController* second = editor;
    ASSERT_TRUE(waitFor(
        [&] { return underlined(firstEditor->body(), "wrold") && underlined(second->body(), "wrold"); }));

    rightClick(firstEditor->body(), "wrold", "Ignore Spelling");
    EXPECT_TRUE(waitFor([&] { return !underlined(firstEditor->body(), "wrold"); }));
    EXPECT_TRUE(underlined(second->body(), "wrold")) << "ignoring is for the one document";
    EXPECT_TRUE(rightClick(firstEditor->body(), "wrold").indexOf("Ignore Spelling") < 0)
        << "an ignored word has no spelling items";
    EXPECT_FALSE(first->isDocumentEdited()) << "ignoring a word is not an edit";
    EXPECT_FALSE(QFile::exists(PersonalDictionary::path()));
}

TEST_F(SpellingMenuTest, LearnedWordsAreKeptForEveryDocumentAndEditedInSettings) {
    open(paragraph(run("Tovinesque prose")));
    EditorViewController* first = editor;
    ASSERT_TRUE(waitFor([&] { return underlined(first->body(), "Tovinesque"); }));
    rightClick(first->body(), "Tovinesque", "Learn Spelling");
    EXPECT_TRUE(waitFor([&] { return !underlined(first->body(), "Tovinesque"); }));
    EXPECT_FALSE(document->isDocumentEdited());

    // Kept in the user's data folder, and read from there again (as a new session would).
    QFile file(PersonalDictionary::path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "Tovinesque\n");
    file.close();
    PersonalDictionary::shared().reload();
    open(paragraph(run("More Tovinesque prose, and a mispelt one")));
    ASSERT_TRUE(waitFor([&] { return underlined(editor->body(), "mispelt"); }));
    EXPECT_FALSE(underlined(editor->body(), "Tovinesque")) << "a second document knows the word";

    // Settings lists the word; removing it there marks it again, adding one there learns it.
    std::unique_ptr<QWidget> window(SettingsView::makeWindow(nullptr));
    auto* settings = qobject_cast<SettingsView*>(window.get());
    ASSERT_NE(settings, nullptr);
    window->show();
    QListWidget* list = settings->learnedWords()->list();
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "Tovinesque");
    list->setCurrentRow(0);
    QPushButton* remove = nullptr;
    QPushButton* add = nullptr;
    for (QPushButton* button : settings->learnedWords()->findChildren<QPushButton*>()) {
        if (button->accessibleName() == "Remove Word") remove = button;
        if (button->accessibleName() == "Add Word") add = button;
    }
    ASSERT_TRUE(remove && add);
    QTest::mouseClick(remove, Qt::LeftButton);
    EXPECT_EQ(list->count(), 0);
    EXPECT_TRUE(waitFor([&] { return underlined(editor->body(), "Tovinesque"); }));

    QTest::mouseClick(add, Qt::LeftButton);
    settle();
    auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(field, nullptr) << "the new row is being edited";
    QTest::keyClicks(field, "mispelt");
    QTest::keyClick(field, Qt::Key_Return);
    settle();
    EXPECT_EQ(PersonalDictionary::shared().words(), QStringList{"mispelt"});
    EXPECT_TRUE(waitFor([&] { return !underlined(editor->body(), "mispelt"); }));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "mispelt\n");
    file.close();

    // A data folder that cannot be made (a file stands in its way, which stops root too):
    // the word is known for the session, and the footer says it was not kept.
    const QString blocked = writeScratch("blocked", rovuvuz::Bytes{'x'});
    qputenv("XDG_DATA_HOME", (blocked + "/data").toLocal8Bit());
    open(paragraph(run("Zorbleflax")));
    ASSERT_TRUE(waitFor([&] { return underlined(editor->body(), "Zorbleflax"); }));
    const int before = beeps;
    rightClick(editor->body(), "Zorbleflax", "Learn Spelling");
    EXPECT_EQ(beeps, before + 1);
    ASSERT_FALSE(refusals.isEmpty());
    EXPECT_TRUE(refusals.last().contains(PersonalDictionary::path())) << refusals.last().toStdString();
    EXPECT_TRUE(waitFor([&] { return !underlined(editor->body(), "Zorbleflax"); }));
}

TEST_F(SpellingMenuTest, AFrenchRunIsNotMarkedWithoutAFrenchDictionary) {
    if (!SpellingDictionaries::shared().dictionaryName("fr-FR").isEmpty())
        GTEST_SKIP() << "a French dictionary is installed here";
    open(paragraph(run("The qick fox")) +
         paragraph(run("Le renard rapide saute par-dessus le chien", "fr-FR")));
    ASSERT_TRUE(waitFor([&] { return underlined(editor->body(), "qick"); }));
    for (const QString word : {"renard", "rapide", "saute", "dessus", "chien"})
        EXPECT_FALSE(underlined(editor->body(), word)) << word.toStdString();
    EXPECT_LT(rightClick(editor->body(), "renard").indexOf("Ignore Spelling"), 0);
}

// The header band and a table cell: the same items, a cell's above its table commands, and
// a guess replaces the word in the band's or the cell's own story.
TEST_F(SpellingMenuTest, BandAndCellMenusStartWithTheGuesses) {
    const std::string header =
        "<w:hdr xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">" +
        paragraph(run("Runing head")) + "</w:hdr>";
    open("<w:tbl><w:tblGrid><w:gridCol w:w=\"4000\"/></w:tblGrid><w:tr><w:tc>" +
             paragraph(run("celll text")) + "</w:tc></w:tr></w:tbl>" + paragraph(run("Below")) +
             "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rIdH\"/></w:sectPr>",
         {{"word/header1.xml", header}}, rovuvuz::testing::rel("rIdH", "header", "header1.xml"));
    QTextEdit* band = editor->headerBand();
    ASSERT_NE(band, nullptr);
    ASSERT_TRUE(waitFor([&] { return underlined(band, "Runing"); }));
    QStringList titles = rightClick(band, "Runing", "Running");
    EXPECT_EQ(titles.value(int(titles.indexOf("Ignore Spelling")) + 2), "|")
        << titles.join(",").toStdString();

    TableView* table = TableHost::of(editor->body())->views().at(0);
    table->ensureViews(QRectF(0, 0, table->width(), table->height()));
    CellTextView* cell = table->cells().at(0).view;
    ASSERT_NE(cell, nullptr);
    cell->show();
    ASSERT_TRUE(waitFor([&] { return underlined(cell, "celll"); }));
    titles = rightClick(cell, "celll", "cell");
    const int ignoreAt = int(titles.indexOf("Ignore Spelling"));
    ASSERT_GE(ignoreAt, 1) << titles.join(",").toStdString();
    EXPECT_EQ(titles.value(ignoreAt + 2), "|");
    EXPECT_EQ(titles.value(ignoreAt + 3), "Insert Row Above");
    EXPECT_EQ(beeps, 0) << refusals.join(' ').toStdString();
    const std::string xml = saved();
    EXPECT_NE(xml.find(">cell text</w:t>"), std::string::npos) << xml;
    const auto reopened = rovuvuz::DocxDocument::open(document->filePath().toStdString());
    const rovuvuz::SharedBytes bytes = reopened->partData(rovuvuz::PartName{"word/header1.xml"});
    EXPECT_NE(std::string(bytes->begin(), bytes->end()).find(">Running head</w:t>"), std::string::npos);
}

}  // namespace
}  // namespace tovin::testing
