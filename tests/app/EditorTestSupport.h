// A fixture that opens a package as the application opens a file: a document, its window
// and editor, and the menu's handlers finding that editor as the current one. Refused edits
// are counted, with their reasons.
#pragma once

#include <QTextEdit>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "AppTestSupport.h"
#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/document/DocumentController.h"
#include "Tovin/document/EditSeam.h"
#include "Tovin/document/TovinDocument.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/editor/EditorWindowController.h"
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
        editor = EditorWindowController::of(document)->editor();
        ASSERT_NE(editor, nullptr);
        EditorWindowController::of(document)->showWindow();
        editor->body()->setFocus();
        QObject::connect(&editor->seam(), &EditSeam::refused, editor, [this](const QString& reason) {
            ++beeps;
            refusals << reason;
        });
        settle();
    }
    void open(const std::string& body, std::vector<std::pair<std::string, std::string>> extra = {},
              std::string_view rels = {}) {
        auto parts = rovuvuz::testing::minimalDocument(body, rels);
        parts.insert(parts.end(), extra.begin(), extra.end());
        open(rovuvuz::testing::makePackage(parts));
    }

    std::string part(const std::string& name) {
        const rovuvuz::SharedBytes bytes = document->docx()->partData(rovuvuz::PartName{name});
        return std::string(bytes->begin(), bytes->end());
    }

    rovuvuz::SharedBytes original;
    TovinDocument* document = nullptr;
    EditorViewController* editor = nullptr;
    // Refusals announced by the editor's seam (each beeps), with their reasons.
    int beeps = 0;
    QStringList refusals;

  private:
    int opened_ = 0;
};

}  // namespace tovin::testing
