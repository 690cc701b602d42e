// Documents with comments and tracked changes for the rail and ledger tests, made with
// the engine's own comment and edit calls or from XML literals, and a fixture that opens
// them in an editor window.
#pragma once

#include <QTextEdit>
#include <chrono>
#include <memory>
#include <string>

#include "AppTestSupport.h"
#include "RovuVuz/document/Comments.h"
#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/EditorWindowController.h"
#include "Tovin/TovinDocument.h"
#include "Tovin/editor/EditorActions.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/platform/DocumentController.h"
#include "support/TestSupport.h"

namespace tovin::testing {

inline const auto reviewDate = std::chrono::sys_days{std::chrono::year{2024} / 3 / 1} + std::chrono::hours{9};

inline const std::string commentRels =
    "<Relationship Id=\"rId8\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
    "comments\" Target=\"comments.xml\"/><Relationship Id=\"rId9\" "
    "Type=\"http://schemas.microsoft.com/office/2011/relationships/commentsExtended\" "
    "Target=\"commentsExtended.xml\"/>";

inline std::string commentsPart(const std::string& comments) {
    return "<w:comments xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
           "xmlns:w14=\"http://schemas.microsoft.com/office/word/2010/wordml\">" +
           comments + "</w:comments>";
}

// Paragraph identifiers after `from`, counting up, so that two runs make the same markup.
inline void countingParagraphIDs(uint32_t from = 0) {
    auto next = std::make_shared<uint32_t>(from);
    rovuvuz::Comments::setNumberSource([next] { return ++*next; });
}

class ReviewTest : public AppTest {
  protected:
    void open(const rovuvuz::SharedBytes& package) {
        original = package;
        document = nullptr;
        editor = nullptr;
        const QString name = QStringLiteral("review%1.docx").arg(++opened_);
        document = documents().openDocument(writeScratch(name, *package));
        ASSERT_NE(document, nullptr);
        editor = documents().windowController(document)->editor();
        ASSERT_NE(editor, nullptr);
        documents().windowController(document)->showWindow();
        editor->body()->setFocus();
        EditorActions::beep = [this] { ++beeps; };
        settle();
    }
    void open(const std::string& body, std::vector<std::pair<std::string, std::string>> extra = {},
              std::string_view rels = {}) {
        auto parts = rovuvuz::testing::minimalDocument(body, rels);
        parts.insert(parts.end(), extra.begin(), extra.end());
        open(rovuvuz::testing::makePackage(parts));
    }
    void TearDown() override {
        EditorActions::beep = [] {};
        AppTest::TearDown();
    }
    std::string part(const std::string& name) {
        const rovuvuz::SharedBytes bytes = document->docx()->partData(rovuvuz::PartName{name});
        return std::string(bytes->begin(), bytes->end());
    }

    rovuvuz::SharedBytes original;
    TovinDocument* document = nullptr;
    EditorViewController* editor = nullptr;
    int beeps = 0;

  private:
    int opened_ = 0;
};

}  // namespace tovin::testing
