// Every text the window puts into a part (typed and pasted text, comment text, link
// addresses, the author name from Settings) may hold characters XML cannot carry: what
// is saved still parses strictly, a vertical tab or form feed is a line break, a tab a
// tab, and the rest of the control characters are dropped.
#include <QClipboard>
#include <QGuiApplication>
#include <QTextCursor>
#include <QXmlStreamReader>

#include "EditorTestSupport.h"
#include "Tovin/commands/Command.h"
#include "Tovin/commands/MainMenu.h"
#include "Tovin/editor/EditorSession.h"
#include "Tovin/editor/InsertCommands.h"
#include "Tovin/editor/ReviewCommands.h"
#include "Tovin/platform/UserDefaults.h"

namespace tovin::testing {
namespace {

class TextIntoXmlTest : public EditorTest {
  protected:
    void select(int from, int to) {
        QTextCursor cursor = editor->body()->textCursor();
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        editor->body()->setTextCursor(cursor);
    }
    // Every XML part of the package as it would be saved is well-formed XML with its
    // namespaces declared, judged by Qt's XML reader rather than the engine's own check.
    void expectEveryPartWellFormed() {
        for (const rovuvuz::PartName& name : document->docx()->partNames()) {
            const std::string& text = name.rawValue;
            if (!text.ends_with(".xml") && !text.ends_with(".rels")) continue;
            SCOPED_TRACE(text);
            const rovuvuz::SharedBytes bytes = document->docx()->partData(name);
            QXmlStreamReader reader(QByteArray(reinterpret_cast<const char*>(bytes->data()),
                                               static_cast<qsizetype>(bytes->size())));
            while (!reader.atEnd()) reader.readNext();
            EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString() << " at line "
                                            << reader.lineNumber();
        }
    }
};

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

bool holdsControlCharacter(const std::string& xml) {
    for (const unsigned char c : xml)
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return true;
    return false;
}

TEST_F(TextIntoXmlTest, TypedPastedCommentLinkAndAuthorTextIsMadeWritable) {
    UserDefaults::setValue("authorName", QString::fromUtf8("Ada\x01 Love\x0blace"));
    open("<w:p><w:r><w:t>Base text</w:t></w:r></w:p>");
    document->setTrackChanges(true);

    // Typed, with a tracked insertion carrying the author's name.
    QTextCursor cursor = editor->body()->textCursor();
    cursor.setPosition(4);
    cursor.insertText(QString::fromUtf8("A\x0b" "B\x01" "C\x0c" "D\x1f"));
    settle();
    // Pasted.
    QGuiApplication::clipboard()->setText(QString::fromUtf8("P\x02Q\x0bR"));
    select(0, 0);
    editor->session()->paste();
    settle();
    // A comment and a link on the first word.
    select(0, 4);
    ReviewCommands::addComment(*editor, QString::fromUtf8("note\x0bline\x03 two\x1b"));
    select(0, 4);
    InsertCommands::setLink(*editor, QString::fromUtf8("https://example.com/a\x01" "b\x0b"));
    settle();
    EXPECT_EQ(beeps, 0) << refusals.join(" | ").toStdString();

    expectEveryPartWellFormed();
    const std::string bodyXml = part("word/document.xml");
    const std::string comments = part("word/comments.xml");
    EXPECT_FALSE(holdsControlCharacter(bodyXml));
    EXPECT_FALSE(holdsControlCharacter(comments));
    EXPECT_FALSE(holdsControlCharacter(part("word/_rels/document.xml.rels")));
    EXPECT_NE(bodyXml.find("w:author=\"Ada Love lace\""), std::string::npos);
    EXPECT_NE(comments.find("w:author=\"Ada Love lace\""), std::string::npos);
    // Vertical tab and form feed are line breaks in the text, in the body and in the comment.
    EXPECT_GE(count(bodyXml, "<w:br/>"), 3u);
    EXPECT_NE(comments.find("<w:br/>"), std::string::npos);
    EXPECT_TRUE(documents().saveDocument(document));
    EXPECT_TRUE(presenter().alerts.empty());
}

}  // namespace
}  // namespace tovin::testing
