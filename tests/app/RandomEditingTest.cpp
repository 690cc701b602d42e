// Seeded random editing of every corpus document in its window, with real key and mouse
// events: caret moves, selections of every kind (by keys, clicks, double-clicks, drags, Select
// All; across tables and inside their cells; across paragraph marks), typing, Return,
// Backspace, Delete, Cut, Paste, Undo and Redo. After every step each view's text equals
// the engine's; at the end the saved file reopens with that text.
//
// Each document is edited twice with the same steps, named by what a reader sees (the text
// without tracked deletions), once directly and once with Track My Edits: accepting every
// change of the tracked session gives the direct session's text, and rejecting them gives
// the original's. The tracked session then goes on as a reviewer, accepting and rejecting
// cards of the rail and undoing.
//
// TOVIN_RANDOM_STEPS sets the number of steps (200 by default), TOVIN_RANDOM_SEED the seed
// (by default one per document); a failure names the seed and the step, and TOVIN_RANDOM_LOG
// prints every step with what the reader then sees.
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>
#include <random>

#include "EditorTestSupport.h"
#include "RovuVuz/edit/StructuralEdit.h"
#include "Tovin/document/EditorUndo.h"
#include "Tovin/editor/EditorSession.h"
#include "Tovin/review/CommentRail.h"
#include "Tovin/tables/CellTextView.h"
#include "Tovin/tables/TableAttachment.h"
#include "Tovin/tables/TableHost.h"
#include "Tovin/tables/TableView.h"
#include "Tovin/text/StoryBridge.h"

namespace tovin::testing {
namespace {

using rovuvuz::BlockSnapshot;
using rovuvuz::ParagraphSnapshot;
using rovuvuz::StoryID;

constexpr QChar object(0xFFFC);

// What a reader sees of a bridge's text, and where each of its characters stands in the
// view: text in tracked deletions, paragraph marks marked deleted, and tables whose rows are
// all marked deleted (with the separator after them) are left out.
struct Reader {
    QString text;
    std::vector<int> view;  // per reader character
    int viewLength = 0;

    // A view position just after reader character r - 1 (0 for r = 0), and just before
    // reader character r (the view's end for r = size).
    int after(int r) const { return r == 0 ? 0 : view[size_t(r - 1)] + 1; }
    int before(int r) const { return r >= int(view.size()) ? viewLength : view[size_t(r)]; }
};

bool tableDeleted(const rovuvuz::TableSnapshot& table) {
    if (table.rows.empty() || table.rowRevisions.size() < table.rows.size()) return false;
    return std::all_of(table.rowRevisions.begin(), table.rowRevisions.end(),
                       [](const auto& row) { return row.revision.kind == rovuvuz::RevisionKind::remove; });
}

Reader readerOf(const StoryBridge& bridge) {
    Reader reader;
    int at = 0;
    const auto& entries = bridge.entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        bool separatorShown = true;
        if (const auto* p = std::get_if<ParagraphSnapshot>(&entries[i].block.value)) {
            for (const rovuvuz::Span& span : p->spans) {
                if (span.revision && span.revision->kind == rovuvuz::RevisionKind::remove) continue;
                for (size_t c = span.range.lower; c < span.range.upper && c < p->text.size(); ++c) {
                    reader.text += QChar(p->text[c]);
                    reader.view.push_back(at + int(c));
                }
            }
            separatorShown = !(p->markRevision && p->markRevision->kind == rovuvuz::RevisionKind::remove);
            at += int(p->text.size());
        } else {
            const auto* table = std::get_if<rovuvuz::TableSnapshot>(&entries[i].block.value);
            separatorShown = !(table && tableDeleted(*table));
            if (separatorShown) {
                reader.text += object;
                reader.view.push_back(at);
            }
            at += 1;
        }
        if (i + 1 < entries.size()) {
            if (separatorShown) {
                reader.text += '\n';
                reader.view.push_back(at);
            }
            at += 1;
        }
    }
    reader.viewLength = at;
    return reader;
}

// What a reader sees of a story's blocks, tables cell by cell (a cell's text between "[" and
// "]"), a table whose rows are all marked deleted left out.
QString readerOf(const std::vector<BlockSnapshot>& blocks, int depth = 0) {
    QString text;
    for (const BlockSnapshot& block : blocks) {
        if (const auto* p = std::get_if<ParagraphSnapshot>(&block.value)) {
            for (const rovuvuz::Span& span : p->spans)
                if (!span.revision || span.revision->kind != rovuvuz::RevisionKind::remove)
                    text += QString::fromStdU16String(p->text.substr(span.range.lower, span.range.size()));
            if (!(p->markRevision && p->markRevision->kind == rovuvuz::RevisionKind::remove)) text += '\n';
        } else if (const auto* table = std::get_if<rovuvuz::TableSnapshot>(&block.value)) {
            if (tableDeleted(*table) || depth > 8) continue;
            for (const auto& row : table->rows)
                for (const rovuvuz::CellSnapshot& cell : row) text += '[' + readerOf(cell.blocks, depth + 1) + ']';
            text += '\n';
        } else {
            text += object;
            text += '\n';
        }
    }
    return text;
}

// The reader position of a view position: how many reader characters stand before it.
int readerPosition(const Reader& reader, int view) {
    return int(std::lower_bound(reader.view.begin(), reader.view.end(), view) - reader.view.begin());
}

// The text a reader sees of a whole story: paragraphs' shown text, tables by their cells.
QString storyText(rovuvuz::DocxDocument& doc, const StoryID& story) {
    QString text;
    const rovuvuz::StorySnapshot snapshot = doc.snapshot(story);
    for (const ParagraphSnapshot* p : snapshot.paragraphs()) {
        for (const rovuvuz::Span& span : p->spans)
            if (!span.revision || span.revision->kind != rovuvuz::RevisionKind::remove)
                text += QString::fromStdU16String(p->text.substr(span.range.lower, span.range.size()));
        text += '\n';
    }
    return text;
}

// Every story but the comments, as a reader sees it after resolving every change one way.
QString resolvedText(const rovuvuz::SharedBytes& package, std::optional<bool> accept) {
    rovuvuz::DocxDocument doc(package);
    QString text;
    for (const StoryID& story : doc.storiesInOrder()) {
        if (story.kind == StoryID::Kind::comments) continue;
        try {
            if (accept)
                doc.apply(*accept ? rovuvuz::StructuralEdit{rovuvuz::StructuralEdit::AcceptAll{}}
                                  : rovuvuz::StructuralEdit{rovuvuz::StructuralEdit::RejectAll{}},
                          story, rovuvuz::EditMode::direct());
            text += QString::fromStdString(story.description()) + ":\n" + storyText(doc, story);
        } catch (const std::exception& error) {
            text += QString::fromStdString(story.description()) + ": " + error.what() + "\n";
        }
    }
    return text;
}

int steps() {
    const QByteArray value = qgetenv("TOVIN_RANDOM_STEPS");
    return value.isEmpty() ? 200 : value.toInt();
}

// One session of random steps. The first session of a document records the reader's
// selections its events made; the second replays them, so that both edit the same text.
class Session {
  public:
    struct Step {
        int from = 0, to = 0;  // the reader selection
        QString body;          // what the reader sees of the body after the step
    };

    Session(EditorViewController& editor, uint32_t seed, std::vector<Step>* record, bool replay)
        : editor_(editor), random_(seed), record_(record), replay_(replay) {}

    // One step: a way of moving or selecting, then an edit.
    std::string step(int index) {
        QTextEdit* view = pickView();
        StoryBridge* bridge = editor_.bridgeOf(view);
        if (!bridge) return "no bridge";
        std::string what = navigate(*view, *bridge);
        Reader reader = readerOf(*bridge);
        const QTextCursor cursor = view->textCursor();
        Step made{readerPosition(reader, cursor.selectionStart()), readerPosition(reader, cursor.selectionEnd()), {}};
        if (replay_) made = record_->at(size_t(index));
        what += " [" + std::to_string(made.from) + "," + std::to_string(made.to) + ")";
        what = (viewIndex_ ? "cell " + std::to_string(viewIndex_) + ": " : std::string()) + what + " " +
               edit(*view, *bridge, reader, made);
        made.body = readerOf(editor_.doc()->snapshot(StoryID::body()).blocks);
        if (!replay_) record_->push_back(made);
        return what;
    }
    // What the reader sees of the body after a step of the session recorded.
    QString recordedBody(int index) const { return record_->at(size_t(index)).body; }

    // The rail's cards: accept or reject one, or undo.
    std::string review() {
        std::vector<RailCard*> cards;
        editor_.flushRefresh();
        for (RailCard* card : editor_.rail()->cards())
            if (!card->isComment()) cards.push_back(card);
        if (cards.empty() || pick(0, 4) == 0) {
            keys(editor_.body(), "Ctrl+Z");
            return "undo";
        }
        RailCard* card = cards[size_t(pick(0, int(cards.size()) - 1))];
        const bool accept = pick(0, 1) == 0;
        for (QToolButton* button : card->actionButtons())
            if (button->text() == (accept ? "Accept" : "Reject")) QTest::mouseClick(button, Qt::LeftButton);
        settle();
        return accept ? "accept a card" : "reject a card";
    }

  private:
    static void settle() {
        for (int i = 0; i < 5; ++i) {
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    void keys(QWidget* target, const char* sequence) {
        QTest::keySequence(target, QKeySequence(QString::fromLatin1(sequence)));
        settle();
    }

    // The body most of the time, else a cell of a table the reader still sees.
    QTextEdit* pickView() {
        viewIndex_ = 0;
        if (pick(0, 3) != 0) return editor_.body();
        std::vector<std::pair<TableView*, TableGeometry::Place>> cells;
        for (TableView* table : TableHost::of(editor_.body())->views()) {
            if (!table->attachment() || tableDeleted(table->attachment()->table())) continue;
            for (const TableView::Cell& cell : table->cells())
                if (!cell.place.continues) cells.emplace_back(table, cell.place);
        }
        if (cells.empty()) return editor_.body();
        viewIndex_ = pick(1, int(cells.size()));
        const auto& [table, place] = cells[size_t(viewIndex_ - 1)];
        QTextEdit* view = table->focusCell(size_t(place.row), size_t(place.column));
        return view ? view : editor_.body();
    }

    QPoint pointAt(QTextEdit& view, int position) {
        QTextCursor cursor(view.document());
        cursor.setPosition(std::clamp(position, 0, view.document()->characterCount() - 1));
        const QRect caret = view.cursorRect(cursor);
        return {caret.left() + 1, caret.center().y()};
    }

    std::string navigate(QTextEdit& view, StoryBridge& bridge) {
        view.setFocus();
        const Reader reader = readerOf(bridge);
        const int n = int(reader.text.size());
        const int r = pick(0, n);
        QTextCursor cursor = view.textCursor();
        cursor.setPosition(reader.after(r));
        view.setTextCursor(cursor);
        QWidget* viewport = view.viewport();
        switch (pick(0, 11)) {
            case 0:
                QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, pointAt(view, reader.after(pick(0, n))));
                return "click";
            case 1:
                QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
                QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
                return "shift right ×2";
            case 2:
                QTest::keyClick(&view, Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
                return "word by keys";
            case 3:
                QTest::keyClick(&view, Qt::Key_Down, Qt::ShiftModifier);
                return "line by keys";
            case 4:
                QTest::keyClick(&view, Qt::Key_Down, Qt::ControlModifier | Qt::ShiftModifier);
                return "paragraph by keys";
            case 5:
                QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier,
                                  pointAt(view, reader.after(std::min(n, r + pick(1, 40)))));
                return "shift-click";
            case 6:
                QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, pointAt(view, reader.after(r)) + QPoint(2, 0));
                return "double-click";
            case 7: {
                const QPoint start = pointAt(view, reader.after(r));
                const QPoint end = pointAt(view, reader.after(std::min(n, r + pick(1, 30))));
                QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, start);
                QTest::mouseMove(viewport, end);
                QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, end);
                return "drag";
            }
            case 8:
                if (pick(0, 5) == 0) {
                    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
                    return "select all";
                }
                QTest::keyClick(&view, Qt::Key_End, Qt::ShiftModifier);
                return "to the line's end";
            case 9:
                QTest::keyClick(&view, Qt::Key_Up);
                return "up";
            case 10:
                QTest::keyClick(&view, Qt::Key_Left, Qt::ControlModifier);
                return "word left";
            default:
                return "caret";
        }
    }

    // The selection the step names, as the view shows it; then one edit.
    std::string edit(QTextEdit& view, StoryBridge& bridge, const Reader& reader, const Step& step) {
        const int n = int(reader.text.size());
        const int from = std::min(step.from, n), to = std::min(step.to, n);
        const int kind = pick(0, 10);
        // A caret's Backspace removes the reader's character before it, Delete the one after
        // it, whatever deleted text stands between.
        QTextCursor cursor = view.textCursor();
        if (from == to) {
            cursor.setPosition(kind == 4 ? reader.after(from) : reader.before(from));
        } else {
            cursor.setPosition(reader.after(from));
            cursor.setPosition(reader.after(to), QTextCursor::KeepAnchor);
        }
        view.setTextCursor(cursor);
        test_clock_ += std::chrono::milliseconds(pick(100, 1500));
        // Text typed or pasted over the same text changes nothing in a direct session, while a
        // tracked one records it deleted and inserted (another undo step): never the same.
        const QString selected = reader.text.mid(from, to - from);
        auto unlike = [&](QString text) {
            while (!selected.isEmpty() && text == selected) text += 'k';
            return text;
        };
        switch (kind) {
            case 0:
            case 1:
            case 2: {
                const QString letters = QStringLiteral("abcde fghij");
                QString typed;
                for (int i = pick(1, 5); i > 0; --i) typed += letters[pick(0, int(letters.size()) - 1)];
                typed = unlike(typed);
                QTest::keyClicks(&view, typed);
                if (pick(0, 4) == 0) {
                    QInputMethodEvent commit;
                    commit.setCommitString(QString::fromUtf8("é"));
                    QApplication::sendEvent(&view, &commit);
                    typed += "é";
                }
                settle();
                return "type " + typed.toStdString();
            }
            case 3:
                if (selected == "\n") return "nothing";  // Return over a paragraph mark: the same text
                keys(&view, "Return");
                return "return";
            case 4:
                keys(&view, "Backspace");
                return "backspace";
            case 5:
                keys(&view, "Delete");
                return "delete";
            case 6:
                keys(&view, "Ctrl+X");
                return "cut";
            case 7:
                // What is pasted is the test's, so that both sessions paste the same text.
                QGuiApplication::clipboard()->setText(unlike(pick(0, 1) ? "pasted" : "two\nlines"));
                keys(&view, "Ctrl+V");
                return "paste";
            case 8:
                keys(&view, "Ctrl+Z");
                return "undo";
            case 9:
                keys(&view, "Ctrl+Shift+Z");
                return "redo";
            default:
                (void)bridge;
                return "nothing";
        }
    }

  public:
    std::chrono::milliseconds test_clock_{0};

  private:
    EditorViewController& editor_;
    std::mt19937 random_;
    std::vector<Step>* record_;
    bool replay_;
    int viewIndex_ = 0;
};

class RandomEditing : public EditorTest, public ::testing::WithParamInterface<std::filesystem::path> {
  protected:
    // Every view's text is the engine's: the body, the bands and the table cells shown.
    void expectInSync(const std::string& where) {
        for (QTextEdit* view : editor->findChildren<QTextEdit*>()) {
            StoryBridge* bridge = editor->bridgeOf(view);
            if (!bridge || !view->isVisibleTo(editor)) continue;
            ASSERT_FALSE(bridge->pending()) << where;
            ASSERT_EQ(bridge->viewText().toStdString(), bridge->entriesText().toStdString()) << where;
        }
        StoryBridge* body = editor->bodyBridge();
        QStringList blocks;
        for (const BlockSnapshot& block : document->docx()->snapshot(StoryID::body()).blocks) {
            const auto* p = std::get_if<ParagraphSnapshot>(&block.value);
            blocks << (p ? QString::fromStdU16String(p->text) : QString(object));
        }
        ASSERT_EQ(body->entriesText().toStdString(), blocks.join('\n').toStdString()) << where;
    }

    // Opens the document; false when it cannot be edited in a window.
    bool openCorpus(const std::filesystem::path& path) {
        try {
            rovuvuz::DocxDocument probe(std::make_shared<const rovuvuz::Bytes>(rovuvuz::testing::readFile(path)));
            probe.snapshot(StoryID::body());
        } catch (const std::exception&) {
            return false;
        }
        open(std::make_shared<const rovuvuz::Bytes>(rovuvuz::testing::readFile(path)));
        return document != nullptr;
    }

    // One session; its saved package.
    rovuvuz::SharedBytes session(const std::filesystem::path& path, bool tracked, uint32_t seed,
                                 std::vector<Session::Step>& record) {
        if (!openCorpus(path)) return nullptr;
        document->setTrackChanges(tracked);
        Session run(*editor, seed, &record, tracked);
        editor->undo().setClock([&run] { return std::chrono::steady_clock::time_point() + run.test_clock_; });
        for (int i = 0; i < steps(); ++i) {
            const std::string what = run.step(i);
            const std::string where = (tracked ? "tracked" : "direct") + std::string(" step ") + std::to_string(i) +
                                      ": " + what + " (seed " + std::to_string(seed) + ")";
            expectInSync(where);
            if (::testing::Test::HasFatalFailure()) return nullptr;
            if (qEnvironmentVariableIsSet("TOVIN_RANDOM_LOG"))
                std::cerr << where << "\n   "
                          << readerOf(document->docx()->snapshot(StoryID::body()).blocks)
                                 .replace('\n', QChar(0xB6))
                                 .toStdString()
                          << "\n   view: " << editor->bodyBridge()->viewText().replace('\n', QChar(0xB6)).toStdString()
                          << " caret " << editor->body()->textCursor().position() << " undo "
                          << editor->undo().stack().index() << " refusals "
                          << refusals.join('|').toStdString() << "\n";
            // The tracked session shows the reader what the direct one showed.
            if (tracked) {
                const QString shown = readerOf(document->docx()->snapshot(StoryID::body()).blocks);
                if (shown != run.recordedBody(i)) {
                    auto marked = [](QString text) { return text.replace('\n', QChar(0xB6)).toStdString(); };
                    ADD_FAILURE() << where << "\n tracked: " << marked(shown)
                                  << "\n direct:  " << marked(run.recordedBody(i));
                    return nullptr;
                }
            }
        }
        const rovuvuz::SharedBytes saved = document->docx()->data();
        expectReopens(saved);
        if (tracked) {
            // The reviewer's turn, on the window: cards accepted and rejected, undone.
            for (int i = 0; i < steps() / 10; ++i) {
                const std::string what = run.review();
                expectInSync("review " + std::to_string(i) + ": " + what + " (seed " + std::to_string(seed) + ")");
                if (::testing::Test::HasFatalFailure()) return nullptr;
            }
            expectReopens(document->docx()->data());
        }
        return saved;
    }

    // The saved file reopens with the text the window shows.
    void expectReopens(const rovuvuz::SharedBytes& saved) {
        rovuvuz::DocxDocument again(saved);
        const rovuvuz::StorySnapshot body = again.snapshot(StoryID::body());
        QStringList blocks;
        for (const BlockSnapshot& block : body.blocks) {
            const auto* p = std::get_if<ParagraphSnapshot>(&block.value);
            blocks << (p ? QString::fromStdU16String(p->text) : QString(object));
        }
        EXPECT_EQ(blocks.join('\n').toStdString(), editor->bodyBridge()->entriesText().toStdString())
            << "the saved file reopens with the text the window shows";
    }
};

TEST_P(RandomEditing, TheViewsFollowTheEngineAndTrackedEditsResolveToTheDirectOnes) {
    const std::filesystem::path& path = GetParam();
    const QByteArray given = qgetenv("TOVIN_RANDOM_SEED");
    const uint32_t seed = given.isEmpty() ? uint32_t(std::hash<std::string>()(path.filename().string()))
                                          : uint32_t(given.toULong());
    std::vector<Session::Step> record;
    const rovuvuz::SharedBytes direct = session(path, false, seed, record);
    if (HasFatalFailure()) return;
    if (!direct) GTEST_SKIP() << "the body does not open";
    const rovuvuz::SharedBytes opened = std::make_shared<const rovuvuz::Bytes>(rovuvuz::testing::readFile(path));
    const rovuvuz::SharedBytes tracked = session(path, true, seed, record);
    if (HasFatalFailure() || !tracked) return;
    EXPECT_EQ(resolvedText(tracked, true).toStdString(), resolvedText(direct, true).toStdString())
        << "accepting every tracked change gives the direct edits (seed " << seed << ")";
    EXPECT_EQ(resolvedText(tracked, false).toStdString(), resolvedText(opened, false).toStdString())
        << "rejecting every tracked change gives the original (seed " << seed << ")";
}

INSTANTIATE_TEST_SUITE_P(Corpus, RandomEditing, ::testing::ValuesIn(rovuvuz::testing::corpusFiles()),
                         [](const auto& test) { return rovuvuz::testing::parameterName(test.param); });

}  // namespace
}  // namespace tovin::testing
