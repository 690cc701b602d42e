// Keystroke latency in the middle of the largest benchmark document: a key event sent to
// the body view, the edit flushed to the engine and the view rebuilt, and the edited
// paragraph laid out. The floor is the same key events into a plain QTextEdit holding the
// same styled text with no bridge, measured in the same run. Prints p50 and p95 of each
// and their ratios.
//
//   TOVIN_BENCH_DOCS=build/bench-docs QT_QPA_PLATFORM=offscreen build/bench/tovin-typing-bench
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/package/FileIO.h"
#include "Tovin/BenchReport.h"
#include "Tovin/text/StoryBridge.h"
#include "Tovin/text/StoryText.h"

namespace {

using Clock = std::chrono::steady_clock;
using rovuvuz::StoryID;

constexpr int warmup = 20;
constexpr int keystrokes = 300;
const char* const typed = "the quick brown fox jumps over the lazy dog ";

using Figures = tovin::BenchReport::Percentiles;
using tovin::BenchReport::percentiles;

// A caret in the middle of the paragraph nearest the middle of the text.
void placeInTheMiddle(QTextEdit& view) {
    QTextBlock block = view.document()->findBlock(view.document()->characterCount() / 2);
    while (block.isValid() && block.length() < 40) block = block.next();
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + block.length() / 2);
    view.setTextCursor(cursor);
}

// Sends key presses, each timed until the event queue is empty (the flush has run) and the
// caret's paragraph is laid out.
std::vector<double> type(QTextEdit& view) {
    std::vector<double> micros;
    for (int i = 0; i < warmup + keystrokes; ++i) {
        const char c = typed[i % (sizeof("the quick brown fox jumps over the lazy dog ") - 1)];
        const auto start = Clock::now();
        QTest::keyClick(&view, c);
        QCoreApplication::processEvents();
        view.document()->documentLayout()->blockBoundingRect(view.textCursor().block());
        const auto end = Clock::now();
        if (i >= warmup) micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    return micros;
}

std::unique_ptr<QTextEdit> makeView() {
    auto view = std::make_unique<QTextEdit>();
    view->resize(900, 700);
    view->show();
    view->setFocus();
    view->document()->setUndoRedoEnabled(false);
    return view;
}

// Backspace at the start of a paragraph: joins it to the one before, or, tracked, marks
// the paragraph mark deleted.
std::vector<double> joins(QTextEdit& view) {
    std::vector<double> micros;
    for (int i = 0; i < 10; ++i) {
        QTextBlock block = view.textCursor().block().next();
        while (block.isValid() && block.length() < 40) block = block.next();
        QTextCursor cursor(block);
        view.setTextCursor(cursor);
        const auto start = Clock::now();
        QTest::keyClick(&view, Qt::Key_Backspace);
        QCoreApplication::processEvents();
        view.document()->documentLayout()->blockBoundingRect(view.textCursor().block());
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    return micros;
}

// A bridge's host that only says how to edit: direct, or tracked by "Bench".
struct BenchHost : tovin::EditHost {
    bool tracked = false;
    rovuvuz::EditMode editMode() const override {
        return tracked ? rovuvuz::EditMode::trackedBy("Bench", std::chrono::system_clock::now())
                       : rovuvuz::EditMode::direct();
    }
    bool mayEdit() const override { return true; }
    void willEdit(tovin::StoryBridge&) override {}
    void didEdit(tovin::StoryBridge&) override {}
    void refused(const QString&) override {}
};

Figures bridged(const std::filesystem::path& path, bool tracked, Figures* joined = nullptr) {
    rovuvuz::DocxDocument document(rovuvuz::FileIO::read(path));
    auto view = makeView();
    BenchHost host;
    host.tracked = tracked;
    tovin::StoryBridge bridge(&document, StoryID::body(), view.get(),
                              tovin::AttributedBuilder(&document, StoryID::body(), 612 * 1.25), &host);
    bridge.load(document.snapshot(StoryID::body()).blocks);
    placeInTheMiddle(*view);
    const Figures typing = percentiles(type(*view));
    if (joined) *joined = percentiles(joins(*view));
    return typing;
}

Figures floor(const std::filesystem::path& path, Figures* joined = nullptr) {
    rovuvuz::DocxDocument document(rovuvuz::FileIO::read(path));
    auto view = makeView();
    tovin::StoryText::fill(*view->document(), document.snapshot(StoryID::body()).blocks,
                           tovin::AttributedBuilder(&document, StoryID::body(), 612 * 1.25));
    placeInTheMiddle(*view);
    const Figures typing = percentiles(type(*view));
    if (joined) *joined = percentiles(joins(*view));
    return typing;
}

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    const char* folder = std::getenv("TOVIN_BENCH_DOCS");
    if (!folder) {
        std::fprintf(stderr, "TOVIN_BENCH_DOCS is not set (bench/make-docs.sh makes the documents)\n");
        return 1;
    }
    const std::filesystem::path path = std::filesystem::path(folder) / "bench-500.docx";
    if (!std::filesystem::exists(path)) {
        std::fprintf(stderr, "%s is missing\n", path.c_str());
        return 1;
    }
    // Floor first and again last, so that a machine growing busier shows in the floor too.
    Figures floorJoin;
    const Figures floorBefore = floor(path, &floorJoin);
    Figures directJoin, trackedJoin;
    const Figures direct = bridged(path, false, &directJoin);
    const Figures tracked = bridged(path, true, &trackedJoin);
    const Figures floorAfter = floor(path);
    const Figures plain{.p50 = std::max(floorBefore.p50, floorAfter.p50),
                        .p95 = std::max(floorBefore.p95, floorAfter.p95)};
    std::printf("keystroke latency in bench-500.docx, %d keys, microseconds\n", keystrokes);
    std::printf("%-22s %10s %10s\n", "", "p50", "p95");
    std::printf("%-22s %10.0f %10.0f\n", "floor (plain QTextEdit)", plain.p50, plain.p95);
    std::printf("%-22s %10.0f %10.0f   p95 %.2fx floor (goal 2x)\n", "bridge, direct", direct.p50, direct.p95,
                direct.p95 / plain.p95);
    std::printf("%-22s %10.0f %10.0f   p95 %.2fx floor (goal 3x)\n", "bridge, tracked", tracked.p50,
                tracked.p95, tracked.p95 / plain.p95);
    std::printf("%-22s %10.0f %10.0f   (10 joins)\n", "Backspace join, floor", floorJoin.p50, floorJoin.p95);
    std::printf("%-22s %10.0f %10.0f   (10 joins)\n", "Backspace join, direct", directJoin.p50,
                directJoin.p95);
    std::printf("%-22s %10.0f %10.0f   (10 joins)\n", "Backspace join, tracked", trackedJoin.p50,
                trackedJoin.p95);
    return 0;
}
