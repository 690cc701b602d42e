// Opening, saving, autosaving, reverting and closing documents as the user does, with
// alerts answered by the recording presenter.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextEdit>

#include "AppTestSupport.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/package/FileIO.h"
#include "Tovin/document/AutosaveInPlace.h"
#include "Tovin/document/DocumentController.h"
#include "Tovin/document/OpenedVersions.h"
#include "Tovin/document/TovinDocument.h"
#include "Tovin/editor/EditorSession.h"
#include "Tovin/editor/EditorWindowController.h"
#include "Tovin/platform/RecentDocuments.h"
#include "Tovin/platform/TabbedWindow.h"
#include "Tovin/platform/UserDefaults.h"
#include "Tovin/tables/TableAttachment.h"
#include "Tovin/tables/TableView.h"
#include "Tovin/text/TextProperties.h"
#include "support/TestSupport.h"

namespace tovin::testing {
namespace {

using DocumentControllerTest = AppTest;

// The text of every w:t of the main part, read with a plain pattern rather than the
// engine's parser; text boxes and alternate content are left out as the view leaves them.
QString textElements(rovuvuz::DocxDocument& docx) {
    const rovuvuz::SharedBytes part = docx.contents(docx.mainPart().rawValue);
    QString xml =
        QString::fromUtf8(reinterpret_cast<const char*>(part->data()), static_cast<qsizetype>(part->size()));
    xml.remove(QRegularExpression("<w:txbxContent\\b.*?</w:txbxContent>",
                                  QRegularExpression::DotMatchesEverythingOption));
    xml.remove(QRegularExpression("<mc:Fallback\\b.*?</mc:Fallback>",
                                  QRegularExpression::DotMatchesEverythingOption));
    xml.remove(
        QRegularExpression("<w:del\\b[^>]*>.*?</w:del>", QRegularExpression::DotMatchesEverythingOption));
    QString text;
    const QRegularExpression element("<w:t(?:\\s[^>]*)?>([^<]*)</w:t>");
    for (const auto& match : element.globalMatch(xml)) text += match.captured(1);
    text.replace("&lt;", "<")
        .replace("&gt;", ">")
        .replace("&quot;", "\"")
        .replace("&apos;", "'")
        .replace("&amp;", "&");
    return text;
}

// What a reader finds in the view: the text of each block without tracked deletions
// (shown struck through), and the cells' text of each table.
QString readerText(const QTextEdit& view) {
    QStringList lines;
    for (QTextBlock block = view.document()->begin(); block.isValid(); block = block.next()) {
        QString line;
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            const auto revision = revisionProperty(format, TextProperty::revision);
            if (revision && revision->kind == rovuvuz::RevisionKind::remove) continue;
            if (const auto* table = dynamic_cast<const TableAttachment*>(attachmentOf(format).get())) {
                line += table->view()->readerText();
                continue;
            }
            line += fragment.fragment().text();
        }
        lines << line;
    }
    return lines.join('\n');
}

QString withoutSeparators(QString text) {
    return text.remove(QRegularExpression(QStringLiteral("[\\n\\t\\x{2028}\\x{FFFC}]")));
}

// Changes the first paragraph's text to `text`, as an edit would.
void editFirstText(TovinDocument& document, const std::u16string& text) {
    const rovuvuz::StoryID body = rovuvuz::StoryID::body();
    const rovuvuz::StorySnapshot snapshot = document.docx()->snapshot(body);
    const rovuvuz::ParagraphSnapshot& first = *snapshot.paragraphs().front();
    document.docx()->replaceText(first.id, body, rovuvuz::TextRange{0, first.text.size()}, text,
                                 rovuvuz::EditMode::direct());
    document.updateChangeCount(TovinDocument::ChangeKind::done);
}

TEST_F(DocumentControllerTest, EveryCorpusFileOpensInAWindowShowingItsBodyText) {
    const auto files = rovuvuz::testing::corpusFiles();
    ASSERT_FALSE(files.empty());
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        TovinDocument* document = documents().openDocument(QString::fromStdString(file.string()));
        ASSERT_NE(document, nullptr);
        EditorWindowController* controller = EditorWindowController::of(document);
        ASSERT_NE(controller->window(), nullptr);
        EXPECT_TRUE(controller->window()->isVisible());
        EXPECT_EQ(controller->window()->currentPage(), controller->page());
        const StoryBridge* bridge = controller->session()->bodyBridge();
        EXPECT_EQ(bridge->viewText(), bridge->entriesText());
        EXPECT_EQ(withoutSeparators(readerText(*controller->textView())), textElements(*document->docx()));
        EXPECT_TRUE(documents().closeDocument(document));
        settle();
    }
    EXPECT_TRUE(presenter().alerts.empty());
    EXPECT_TRUE(TabbedWindow::all().isEmpty());
}

TEST_F(DocumentControllerTest, FilesThatAreNotWordDocumentsFailWithTheTwoTextsAndNoWindow) {
    const rovuvuz::Bytes real =
        readBytes(QString::fromStdString(rovuvuz::testing::corpusFiles().front().string()));
    const std::vector<std::pair<QString, rovuvuz::Bytes>> cases = {
        {"plain-text.docx", rovuvuz::toBytes("Dear colleague,\nplease find the minutes attached.\n")},
        {"empty.docx", {}},
        {"truncated.docx", rovuvuz::Bytes(real.begin(), real.begin() + static_cast<long>(real.size() / 2))},
        {"no-main-part.docx", *rovuvuz::testing::makePackage({{"[Content_Types].xml", "<Types/>"}})},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name.toStdString());
        presenter().alerts.clear();
        EXPECT_EQ(documents().openDocument(writeScratch(name, bytes)), nullptr);
        ASSERT_EQ(presenter().alerts.size(), 1u);
        EXPECT_EQ(presenter().alerts[0].text, QString::fromUtf8("Tovin can\u2019t open this file."));
        EXPECT_EQ(presenter().alerts[0].informativeText, "It is not a Word document, or it is damaged.");
        EXPECT_TRUE(documents().documents().isEmpty());
        EXPECT_TRUE(TabbedWindow::all().isEmpty());
    }
    // The detail names the file and gives the engine's reason; a package that needs ZIP64
    // (its end record's entry count set to the ZIP64 marker) says so.
    rovuvuz::Bytes zip64 = real;
    const size_t end =
        std::string_view(reinterpret_cast<const char*>(zip64.data()), zip64.size()).rfind("PK\x05\x06");
    ASSERT_NE(end, std::string_view::npos);
    zip64[end + 10] = zip64[end + 11] = 0xFF;
    for (const auto& [name, bytes] :
         std::vector<std::pair<QString, rovuvuz::Bytes>>{{"big.docx", zip64},
                                                         {"plain-text.docx", cases[0].second},
                                                         {"no-main-part.docx", cases[3].second}}) {
        SCOPED_TRACE(name.toStdString());
        presenter().alerts.clear();
        EXPECT_EQ(documents().openDocument(writeScratch(name, bytes)), nullptr);
        ASSERT_EQ(presenter().alerts.size(), 1u);
        const Alert& alert = presenter().alerts[0];
        EXPECT_EQ(alert.text, QString::fromUtf8("Tovin can\u2019t open this file."));
        EXPECT_EQ(alert.informativeText, "It is not a Word document, or it is damaged.");
        const QString named = QString::fromUtf8("\u201c") + name + QString::fromUtf8("\u201d: ");
        EXPECT_TRUE(alert.detailedText.startsWith(named)) << alert.detailedText.toStdString();
        EXPECT_GT(alert.detailedText.size(), named.size() + 10);
    }
    presenter().alerts.clear();
    documents().openDocument(writeScratch("big.docx", zip64));
    ASSERT_EQ(presenter().alerts.size(), 1u);
    EXPECT_TRUE(presenter().alerts[0].detailedText.contains("ZIP64 archives are not supported"))
        << presenter().alerts[0].detailedText.toStdString();

    // A file that cannot be read at all says why instead.
    presenter().alerts.clear();
    EXPECT_EQ(documents().openDocument(scratch("missing.docx")), nullptr);
    ASSERT_EQ(presenter().alerts.size(), 1u);
    EXPECT_TRUE(presenter().alerts[0].informativeText.contains("no such file", Qt::CaseInsensitive));
}

// A valid package whose main part is cut in half would show as an empty document, ready to
// be saved over the file: it fails to open like any damaged file, with the engine's reason.
TEST_F(DocumentControllerTest, AMainPartCutInHalfFailsToOpenWithTheEnginesReason) {
    std::string body;
    for (int i = 0; i < 40; ++i) body += "<w:p><w:r><w:t>Paragraph " + std::to_string(i) + "</w:t></w:r></w:p>";
    auto parts = rovuvuz::testing::minimalDocument(body);
    for (auto& [name, xml] : parts)
        if (name == "word/document.xml") xml.resize(xml.size() / 2);
    const QString path = writeScratch("halved.docx", *rovuvuz::testing::makePackage(parts));
    EXPECT_EQ(documents().openDocument(path), nullptr);
    ASSERT_EQ(presenter().alerts.size(), 1u);
    const Alert& alert = presenter().alerts[0];
    EXPECT_EQ(alert.text, QString::fromUtf8("Tovin can\u2019t open this file."));
    EXPECT_EQ(alert.informativeText, "It is not a Word document, or it is damaged.");
    EXPECT_TRUE(alert.detailedText.startsWith(QString::fromUtf8("\u201chalved.docx\u201d: word/document.xml: XML ")))
        << alert.detailedText.toStdString();
    EXPECT_TRUE(documents().documents().isEmpty());
    EXPECT_TRUE(TabbedWindow::all().isEmpty());
    EXPECT_FALSE(RecentDocuments::list().contains(path));
    EXPECT_TRUE(RecentDocuments::list().isEmpty());
}

TEST_F(DocumentControllerTest, DocumentsOpenAsTabsAndAnOpenFileIsOnlyBroughtForward) {
    const QString first = writeScratch("first.docx", documentWithParagraphs({"One"}));
    const QString second = writeScratch("second.docx", documentWithParagraphs({"Two"}));
    TovinDocument* a = documents().openDocument(first);
    TovinDocument* b = documents().openDocument(second);
    ASSERT_TRUE(a && b);
    TabbedWindow* window = EditorWindowController::of(a)->window();
    EXPECT_EQ(EditorWindowController::of(b)->window(), window);
    EXPECT_EQ(window->pages().size(), 2);
    EXPECT_EQ(documents().currentDocument(), b);

    // Through another spelling of the same path.
    EXPECT_EQ(documents().openDocument(
                  QFileInfo(first).dir().filePath("../" + QFileInfo(first).dir().dirName() + "/first.docx")),
              a);
    EXPECT_EQ(documents().documents().size(), 2);
    EXPECT_EQ(documents().currentDocument(), a);
    EXPECT_EQ(window->windowTitle(), "first.docx[*]");
    EXPECT_EQ(RecentDocuments::list(), (QStringList{second, first}));  // bringing forward is not opening
}

TEST_F(DocumentControllerTest, SavingAnUneditedDocumentWritesTheBytesItWasOpenedFrom) {
    for (const auto& file : rovuvuz::testing::corpusFiles()) {
        SCOPED_TRACE(file.filename().string());
        const rovuvuz::Bytes original = readBytes(QString::fromStdString(file.string()));
        const QString copy = writeScratch(QString::fromStdString(file.filename().string()), original);
        TovinDocument* document = documents().openDocument(copy);
        ASSERT_NE(document, nullptr);
        ASSERT_TRUE(documents().saveDocument(document));
        EXPECT_TRUE(readBytes(copy) == original);
        documents().closeDocument(document);
    }
    EXPECT_TRUE(presenter().alerts.empty());
}

TEST_F(DocumentControllerTest, AutosaveWritesEditsInPlaceAndRevertToGoesBackToTheOpenedFile) {
    const rovuvuz::Bytes original = documentWithParagraphs({"Draft", "Second paragraph"});
    const QString path = writeScratch("minutes.docx", original);
    TovinDocument* document = documents().openDocument(path);
    ASSERT_NE(document, nullptr);
    EXPECT_FALSE(EditorWindowController::of(document)->window()->isWindowModified());

    editFirstText(*document, u"Final");
    EXPECT_TRUE(EditorWindowController::of(document)->window()->isWindowModified());
    ASSERT_TRUE(waitFor([&] { return !document->isDocumentEdited(); }));
    EXPECT_TRUE(presenter().alerts.empty());
    EXPECT_FALSE(EditorWindowController::of(document)->window()->isWindowModified());

    // The file is a complete package with the edit, written without leftovers.
    const rovuvuz::Bytes saved = readBytes(path);
    EXPECT_FALSE(saved == original);
    TovinDocument reread;
    reread.read(rovuvuz::share(saved));
    const rovuvuz::StorySnapshot body = reread.docx()->snapshot(rovuvuz::StoryID::body());
    ASSERT_EQ(body.paragraphs().size(), 2u);
    EXPECT_EQ(body.paragraphs()[0]->text, u"Final");
    EXPECT_EQ(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"minutes.docx"});

    // The file as opened was kept before it was overwritten, and Revert To restores it.
    ASSERT_TRUE(OpenedVersions::kept(path).has_value());
    EXPECT_TRUE(**OpenedVersions::kept(path) == original);
    presenter().answers = {0};  // "Revert"
    ASSERT_TRUE(documents().revertDocument(document));
    EXPECT_EQ(presenter().alerts.back().buttons, (QStringList{"Revert", "Cancel"}));
    EXPECT_TRUE(readBytes(path) == original);
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_EQ(EditorWindowController::of(document)->textView()->toPlainText(), "Draft\nSecond paragraph");
}

TEST_F(DocumentControllerTest, AFailedSaveIsReportedAndLosesNothing) {
    // Tests run as root, where permissions do not stop writes: the document's folder is
    // moved away and a regular file takes its name, so every write under it fails.
    QDir(scratch("")).mkdir("reports");
    const rovuvuz::Bytes original = documentWithParagraphs({"Budget"});
    const QString path = writeScratch("reports/budget.docx", original);
    TovinDocument* document = documents().openDocument(path);
    ASSERT_NE(document, nullptr);
    ASSERT_TRUE(QDir(scratch("")).rename("reports", "moved"));
    writeBytes(scratch("reports"), rovuvuz::toBytes("not a folder"));

    editFirstText(*document, u"Budget 2025");
    ASSERT_TRUE(waitFor([&] { return !presenter().alerts.empty(); }));
    EXPECT_EQ(presenter().alerts[0].text,
              QString::fromUtf8("Tovin couldn\u2019t save \u201Cbudget.docx\u201D."));
    EXPECT_TRUE(presenter().alerts[0].informativeText.contains("not a directory", Qt::CaseInsensitive))
        << presenter().alerts[0].informativeText.toStdString();
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_TRUE(readBytes(scratch("moved/budget.docx")) == original);

    // Save fails too, without a second alert for the same run of failures; closing asks,
    // and "Keep Open" keeps the edits open.
    EXPECT_FALSE(documents().saveDocument(document));
    EXPECT_EQ(presenter().alerts.size(), 1u);
    presenter().answers = {0};
    EXPECT_FALSE(documents().closeDocument(document));
    EXPECT_EQ(presenter().alerts.back().buttons, (QStringList{"Keep Open", "Close Without Saving"}));
    ASSERT_TRUE(documents().documents().contains(document));

    // The edits are still there to be saved somewhere else.
    TovinDocument* copy = documents().duplicateDocument(document, scratch("moved/budget copy.docx"));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(EditorWindowController::of(copy)->textView()->toPlainText(), "Budget 2025");
}

TEST_F(DocumentControllerTest, AnotherEditorsLockFileOffersReadOnly) {
    for (const QString lock : {".~lock.contract.docx#", "~$ntract.docx"}) {
        SCOPED_TRACE(lock.toStdString());
        const QString path = writeScratch("contract.docx", documentWithParagraphs({"Terms"}));
        writeBytes(scratch(lock), rovuvuz::toBytes("locked by someone"));

        presenter().answers = {2};  // "Cancel"
        EXPECT_EQ(documents().openDocument(path), nullptr);
        ASSERT_EQ(presenter().alerts.back().buttons,
                  (QStringList{"Open Read-Only", "Open Anyway", "Cancel"}));
        EXPECT_TRUE(presenter().alerts.back().text.contains("is open in another application"));

        presenter().answers = {0};  // "Open Read-Only"
        TovinDocument* document = documents().openDocument(path);
        ASSERT_NE(document, nullptr);
        EXPECT_TRUE(document->isReadOnly());
        EXPECT_EQ(EditorWindowController::of(document)->page()->windowTitle(), "contract.docx (read-only)");
        editFirstText(*document, u"Changed");
        EXPECT_FALSE(documents().saveDocument(document));
        EXPECT_TRUE(readBytes(path) == documentWithParagraphs({"Terms"}));
        // Edits a read-only document holds are never dropped without asking.
        presenter().alerts.clear();
        presenter().answers = {1};  // "Discard Changes"
        EXPECT_TRUE(documents().closeDocument(document));
        ASSERT_EQ(presenter().alerts.size(), 1u);
        EXPECT_EQ(presenter().alerts.back().buttons,
                  (QStringList{QString::fromUtf8("Duplicate…"), "Discard Changes", "Cancel"}));
        EXPECT_TRUE(readBytes(path) == documentWithParagraphs({"Terms"}));
        QFile::remove(scratch(lock));
        settle();
    }
}

TEST_F(DocumentControllerTest, WindowsOpenAtQuitAreRestoredAndClosedOnesAreNot) {
    const DocumentWindow::Factory makeWindow = [](TovinDocument* document, DocumentController& controller) {
        return new EditorWindowController(document, controller);
    };
    const QString first = writeScratch("a.docx", documentWithParagraphs({"A"}));
    const QString second = writeScratch("b.docx", documentWithParagraphs({"B"}));
    const QString third = writeScratch("c.docx", documentWithParagraphs({"C"}));
    documents().openDocument(first);
    documents().openDocument(second);
    documents().closeDocument(documents().openDocument(third));
    ASSERT_TRUE(documents().terminate());
    settle();
    EXPECT_EQ(UserDefaults::value("restorableDocuments").toStringList(), (QStringList{first, second}));

    DocumentController relaunched(makeWindow);
    relaunched.restoreWindows();
    ASSERT_EQ(relaunched.documents().size(), 2);
    EXPECT_EQ(relaunched.documents()[0]->filePath(), first);

    // The user's choice not to keep windows wins over the registered default.
    DocumentController again(makeWindow);
    UserDefaults::setValue("NSQuitAlwaysKeepsWindows", false);
    again.restoreWindows();
    EXPECT_TRUE(again.documents().isEmpty());
}

}  // namespace
}  // namespace tovin::testing
