// Seeded random typing on every corpus document, through key events into a bridged view,
// in direct and tracked mode: after each flush the view shows exactly the engine's text,
// and the saved document reopens with that text.
#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>
#include <memory>
#include <random>

#include "RovuVuz/document/DocxDocument.h"
#include "TestEditHost.h"
#include "Tovin/text/StoryBridge.h"
#include "support/TestSupport.h"

namespace tovin::testing {
namespace {

using rovuvuz::BlockSnapshot;
using rovuvuz::DocxDocument;
using rovuvuz::EditMode;
using rovuvuz::StoryID;

// The body as the engine has it: every block's text joined by "\n", a table or opaque block
// as one object character.
QString engineText(DocxDocument& document) {
    QString text;
    bool first = true;
    for (const BlockSnapshot& block : document.snapshot(StoryID::body()).blocks) {
        if (!first) text += '\n';
        first = false;
        if (const auto* paragraph = std::get_if<rovuvuz::ParagraphSnapshot>(&block.value))
            text += QString::fromStdU16String(paragraph->text);
        else
            text += QChar(0xFFFC);
    }
    return text;
}

class RandomTyping : public ::testing::TestWithParam<std::tuple<std::filesystem::path, bool>> {};

TEST_P(RandomTyping, TheViewAlwaysShowsTheEnginesTextAndTheSavedFileKeepsIt) {
    const auto& [path, tracked] = GetParam();
    std::unique_ptr<DocxDocument> document;
    std::vector<BlockSnapshot> blocks;
    try {
        document = std::make_unique<DocxDocument>(
            std::make_shared<const rovuvuz::Bytes>(rovuvuz::testing::readFile(path)));
        blocks = document->snapshot(StoryID::body()).blocks;
    } catch (const std::exception& error) {
        GTEST_SKIP() << "the body does not open: " << error.what();
    }
    QTextEdit view;
    view.resize(600, 400);
    view.show();
    view.setFocus();
    TestEditHost host;
    if (tracked) host.mode = EditMode::trackedBy("Random", std::chrono::system_clock::now());
    StoryBridge bridge(document.get(), StoryID::body(), &view,
                       AttributedBuilder(document.get(), StoryID::body(), 500), &host);
    bridge.load(std::move(blocks));

    std::mt19937 random(std::hash<std::string>()(path.filename().string()) + tracked);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const QString letters = QString::fromUtf8("abc xyz,.é\xF0\x9F\x98\x80");
    // Edits cluster around a few places, as a writer's do, so that they meet each other.
    int focus = pick(0, view.document()->characterCount() - 1);
    for (int step = 0; step < 60; ++step) {
        const int length = view.document()->characterCount() - 1;
        if (pick(0, 9) == 0) focus = pick(0, length);
        QTextCursor cursor = view.textCursor();
        cursor.setPosition(std::clamp(focus + pick(-20, 20), 0, length));
        if (pick(0, 5) == 0)
            cursor.setPosition(std::clamp(cursor.position() + pick(-8, 8), 0, length),
                               QTextCursor::KeepAnchor);
        view.setTextCursor(cursor);
        std::string what;
        switch (pick(0, 4)) {
            case 0:
            case 1: {
                QString typed;
                for (int i = pick(1, 4); i > 0; --i) {
                    const int at = pick(0, int(letters.size()) - 1);
                    // The emoji is two code units typed as one.
                    typed +=
                        letters[at].isSurrogate() ? letters.mid(letters.size() - 2) : QString(letters[at]);
                }
                what = "type " + typed.toStdString();
                for (const QChar c : typed) {
                    if (c.unicode() < 0x80) {
                        QTest::keyClick(&view, char(c.unicode()));
                    } else if (!c.isLowSurrogate()) {
                        // What is not on the keyboard arrives as an input method's commit.
                        QInputMethodEvent commit;
                        commit.setCommitString(c.isHighSurrogate() ? letters.mid(letters.size() - 2)
                                                                   : QString(c));
                        QApplication::sendEvent(&view, &commit);
                    }
                }
                break;
            }
            case 2:
                what = "return";
                QTest::keyClick(&view, Qt::Key_Return);
                break;
            case 3:
                what = "backspace";
                QTest::keyClick(&view, Qt::Key_Backspace);
                break;
            default:
                what = "delete";
                QTest::keyClick(&view, Qt::Key_Delete);
                break;
        }
        QCoreApplication::processEvents();
        SCOPED_TRACE("step " + std::to_string(step) + ": " + what);
        ASSERT_FALSE(bridge.pending());
        ASSERT_EQ(bridge.viewText().toStdString(), bridge.entriesText().toStdString());
        ASSERT_EQ(bridge.entriesText().toStdString(), engineText(*document).toStdString());
    }

    DocxDocument reopened(document->data());
    EXPECT_EQ(engineText(reopened).toStdString(), engineText(*document).toStdString());
}

std::vector<std::tuple<std::filesystem::path, bool>> cases() {
    std::vector<std::tuple<std::filesystem::path, bool>> out;
    for (const auto& path : rovuvuz::testing::corpusFiles()) {
        out.emplace_back(path, false);
        out.emplace_back(path, true);
    }
    return out;
}

INSTANTIATE_TEST_SUITE_P(Corpus, RandomTyping, ::testing::ValuesIn(cases()), [](const auto& test) {
    return rovuvuz::testing::parameterName(std::get<0>(test.param)) +
           (std::get<1>(test.param) ? "_tracked" : "_direct");
});

}  // namespace
}  // namespace tovin::testing
