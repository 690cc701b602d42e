// A fixture for the editor's commands on an opened document: selecting, running a command
// as its menu item or key would, and reading back the engine's paragraphs and part bytes.
#pragma once

#include <QAction>
#include <QTest>
#include <QTextEdit>
#include <string>
#include <vector>

#include "EditorTestSupport.h"
#include "Tovin/commands/MainMenu.h"
#include "support/TestSupport.h"

namespace tovin::testing {

class CommandTest : public EditorTest {
  protected:
    void select(int from, int to) {
        QTextCursor cursor = editor->body()->textCursor();
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        editor->body()->setTextCursor(cursor);
    }
    // Triggers the menu item as a key press would; answers whether it was enabled.
    bool run(Command command) {
        MainMenu& menu = MainMenu::build();
        menu.validate();
        QAction* action = menu.action(command);
        const bool enabled = action->isEnabled();
        action->trigger();
        settle();
        return enabled;
    }
    std::string body() { return part("word/document.xml"); }
    std::vector<rovuvuz::ParagraphSnapshot> paragraphs() {
        std::vector<rovuvuz::ParagraphSnapshot> out;
        // The snapshot owns what its paragraph list points at: it is kept for the loop.
        const rovuvuz::StorySnapshot story = document->docx()->snapshot(rovuvuz::StoryID::body());
        for (const auto* p : story.paragraphs()) out.push_back(*p);
        return out;
    }
    QStringList texts() {
        QStringList out;
        for (const auto& p : paragraphs()) out << QString::fromStdU16String(p.text);
        return out;
    }
    // The format of the first span showing exactly `text`.
    rovuvuz::RunFormat formatOf(const QString& text) {
        for (const auto& p : paragraphs()) {
            for (const rovuvuz::Span& span : p.spans) {
                if (QString::fromStdU16String(p.text.substr(span.range.lower, span.range.size())) == text)
                    return span.format;
            }
        }
        ADD_FAILURE() << "no span " << text.toStdString();
        return {};
    }
};

// Paragraphs of plain runs, one per text.
inline std::string plainParagraphs(const std::vector<std::string>& texts) {
    std::string body;
    for (const std::string& text : texts) body += "<w:p><w:r><w:t xml:space=\"preserve\">" + text + "</w:t></w:r></w:p>";
    return body;
}

}  // namespace tovin::testing
