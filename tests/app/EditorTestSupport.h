// A fixture that opens a package as the application opens a file: a document, its window
// and editor, and the menu's handlers finding that editor as the current one. Refused edits
// are counted rather than beeped.
#pragma once

#include <QTextEdit>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "AppTestSupport.h"
#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/EditorWindowController.h"
#include "Tovin/TovinDocument.h"
#include "Tovin/editor/EditorActions.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/platform/DocumentController.h"
#include "support/TestSupport.h"

namespace tovin::testing {

class EditorTest : public AppTest {
  protected:
    void open(const rovuvuz::SharedBytes& package) {
        original = package;
        document = nullptr;
        editor = nullptr;
        const QString name = QStringLiteral("doc%1.docx").arg(++opened_);
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
