// The comment rail of a long review: a document of 2,000 paragraphs, each with a comment
// and a tracked insertion, opened in an editor. Measures opening (window content, rail and
// ledger included) and, per keystroke in the middle of the text, the rail's reload against
// the story bridge's own flush of that keystroke into the engine, in the same run. The text
// layout Qt defers after an edit is finished between the two and reported on its own. Prints
// p50 and p95 of each and the ratio of the rail to the flush (goal: under 3x).
//
//   QT_QPA_PLATFORM=offscreen build/bench/tovin-rail-bench [paragraphs]
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/package/ZipArchive.h"
#include "Tovin/BenchReport.h"
#include "Tovin/document/TovinDocument.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/review/CommentRail.h"
#include "Tovin/review/PartLedger.h"
#include "Tovin/text/StoryBridge.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int keystrokes = 60;
constexpr int warmup = 5;

double since(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

using Figures = tovin::BenchReport::Percentiles;
using tovin::BenchReport::percentiles;

// Each paragraph: plain text, a commented stretch, then a tracked insertion.
rovuvuz::SharedBytes reviewDocument(int paragraphs) {
    const std::string w = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";
    std::string body, comments;
    for (int i = 1; i <= paragraphs; ++i) {
        const std::string id = std::to_string(i);
        body +=
            "<w:p><w:r><w:t xml:space=\"preserve\">Paragraph " + id +
            " opens with plain words and then </w:t></w:r><w:commentRangeStart w:id=\"" + id +
            "\"/><w:r><w:t xml:space=\"preserve\">a commented stretch </w:t></w:r><w:commentRangeEnd "
            "w:id=\"" +
            id + "\"/><w:r><w:commentReference w:id=\"" + id + "\"/></w:r><w:ins w:id=\"" +
            std::to_string(paragraphs + i) +
            "\" w:author=\"Reviewer\" w:date=\"2024-03-01T09:00:00Z\"><w:r><w:t>with an insertion</w:t></w:r>"
            "</w:ins><w:r><w:t xml:space=\"preserve\"> and a plain end.</w:t></w:r></w:p>";
        comments +=
            "<w:comment w:id=\"" + id +
            "\" w:author=\"Commenter\" w:date=\"2024-03-02T10:00:00Z\"><w:p><w:r><w:t>Comment number " + id +
            " asks whether this stretch says what it means.</w:t></w:r></w:p></w:comment>";
    }
    const std::string types =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types "
        "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/word/document.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
        "<Override PartName=\"/word/comments.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.comments+xml\"/></"
        "Types>";
    const std::string packageRels =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
        "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
        "Target=\"word/document.xml\"/></Relationships>";
    const std::string documentRels =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
        "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/comments\" "
        "Target=\"comments.xml\"/></Relationships>";
    rovuvuz::ZipArchive::Replacements parts;
    const std::vector<std::pair<std::string, std::string>> contents = {
        {"[Content_Types].xml", types},
        {"_rels/.rels", packageRels},
        {"word/_rels/document.xml.rels", documentRels},
        {"word/document.xml", "<w:document " + w + "><w:body>" + body + "</w:body></w:document>"},
        {"word/comments.xml", "<w:comments " + w + ">" + comments + "</w:comments>"}};
    for (const auto& [name, text] : contents)
        parts.emplace(name, rovuvuz::ByteView(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    // An empty archive is just its end record.
    rovuvuz::Bytes empty = {0x50, 0x4B, 0x05, 0x06};
    empty.resize(22, 0);
    return rovuvuz::ZipArchive(rovuvuz::share(std::move(empty))).write(parts);
}

void placeInTheMiddle(QTextEdit& view) {
    const QTextBlock block = view.document()->findBlock(view.document()->characterCount() / 2);
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + 10);
    view.setTextCursor(cursor);
}

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    const int paragraphs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    const rovuvuz::SharedBytes package = reviewDocument(paragraphs);

    auto opening = Clock::now();
    tovin::TovinDocument document;
    document.read(package);
    tovin::EditorViewController editor(&document);
    editor.resize(1200, 900);
    editor.show();
    QCoreApplication::processEvents();
    const double openMs = since(opening) / 1000;
    const size_t cards = editor.rail()->cards().size();

    placeInTheMiddle(*editor.body());
    editor.body()->setFocus();
    std::vector<double> flushes, layouts, reloads, ledgers;
    for (int i = 0; i < warmup + keystrokes; ++i) {
        QTest::keyClick(editor.body(), 'a' + i % 26);
        auto start = Clock::now();
        editor.bodyBridge()->flush();
        const double flush = since(start);
        // The text layout Qt defers until asked: the rail asks for line positions, but the
        // work is the keystroke's, so it is finished (and reported) before the rail runs.
        start = Clock::now();
        editor.body()->document()->size();
        editor.body()->document()->documentLayout()->blockBoundingRect(editor.body()->textCursor().block());
        const double layout = since(start);
        start = Clock::now();
        editor.rail()->reload();
        const double reload = since(start);
        start = Clock::now();
        editor.ledger()->refresh();
        const double ledger = since(start);
        editor.flushRefresh();  // the refresh the keystroke scheduled, outside the timings
        QCoreApplication::processEvents();
        if (i < warmup) continue;
        flushes.push_back(flush);
        layouts.push_back(layout);
        reloads.push_back(reload);
        ledgers.push_back(ledger);
    }
    const Figures flush = percentiles(flushes);
    const Figures reload = percentiles(reloads);
    const Figures layout = percentiles(layouts);
    const Figures ledger = percentiles(ledgers);
    std::printf("comment rail of %d paragraphs (%zu cards), opened in %.0f ms\n", paragraphs, cards, openMs);
    std::printf("per keystroke, %d keys, microseconds %10s %10s\n", keystrokes, "p50", "p95");
    std::printf("%-36s %10.0f %10.0f\n", "bridge flush (floor)", flush.p50, flush.p95);
    std::printf("%-36s %10.0f %10.0f\n", "text layout Qt deferred", layout.p50, layout.p95);
    std::printf("%-36s %10.0f %10.0f   p50 %.2fx flush (goal under 3x)\n", "rail reload", reload.p50,
                reload.p95, reload.p50 / flush.p50);
    std::printf("%-36s %10.0f %10.0f   p50 %.2fx flush\n", "ledger refresh", ledger.p50, ledger.p95,
                ledger.p50 / flush.p50);
    return 0;
}
