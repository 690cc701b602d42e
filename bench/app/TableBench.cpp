// A long table opened in a text view: a body of one 1,000-row, three-column table shown by
// a shown 1000 × 800 view until every table view is placed and the cells on screen have
// their views, beside a floor measured in the same run: the same 3,000 cell texts as
// paragraphs in the same view. Read the two together (--benchmark_filter=LongTable); the
// counter `cellViews` is how many cells got a view of their own.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTextDocument>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/package/ZipArchive.h"
#include "Tovin/editor/ColumnTextView.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/tables/TableAttachment.h"
#include "Tovin/tables/TableHost.h"
#include "Tovin/tables/TableView.h"
#include "Tovin/text/StoryText.h"
#include "bench/app/OffscreenApplication.h"

namespace tovin::bench {

namespace {

constexpr int rows = 1000;
constexpr int columns = 3;

std::string cellText(int row, int column) {
    return "Row " + std::to_string(row) + " column " + std::to_string(column) + " of the long table";
}

std::string paragraph(const std::string& text) {
    return "<w:p><w:r><w:t>" + text + "</w:t></w:r></w:p>";
}

// A package holding a body, built the way the engine writes archives.
std::unique_ptr<rovuvuz::DocxDocument> documentWith(const std::string& body) {
    const std::string types =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types "
        "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"><Default Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/><Override "
        "PartName=\"/word/document.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></"
        "Types>";
    const std::string rels =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
        "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
        "Target=\"word/document.xml\"/></Relationships>";
    const std::string document =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:document "
        "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>" +
        body + "</w:body></w:document>";
    rovuvuz::Bytes empty = {0x50, 0x4B, 0x05, 0x06};
    empty.resize(22, 0);
    rovuvuz::ZipArchive::Replacements parts;
    const std::pair<std::string, std::string> entries[] = {
        {"[Content_Types].xml", types}, {"_rels/.rels", rels}, {"word/document.xml", document}};
    std::vector<rovuvuz::Bytes> kept;  // the replacements are views
    kept.reserve(std::size(entries));
    for (const auto& [name, contents] : entries) {
        kept.emplace_back(contents.begin(), contents.end());
        parts.emplace(name, kept.back());
    }
    return std::make_unique<rovuvuz::DocxDocument>(
        rovuvuz::ZipArchive(rovuvuz::share(std::move(empty))).write(parts));
}

struct Bodies {
    std::unique_ptr<rovuvuz::DocxDocument> table;
    std::unique_ptr<rovuvuz::DocxDocument> paragraphs;
};

const Bodies& bodies() {
    static std::unique_ptr<Bodies> made;
    if (made) return *made;
    ensureApplication();
    std::string table = "<w:tbl><w:tblGrid>";
    for (int c = 0; c < columns; ++c) table += "<w:gridCol w:w=\"3000\"/>";
    table += "</w:tblGrid>";
    std::string paragraphs;
    for (int r = 0; r < rows; ++r) {
        table += "<w:tr>";
        for (int c = 0; c < columns; ++c) {
            table += "<w:tc>" + paragraph(cellText(r, c)) + "</w:tc>";
            paragraphs += paragraph(cellText(r, c));
        }
        table += "</w:tr>";
    }
    table += "</w:tbl>";
    made = std::make_unique<Bodies>(Bodies{documentWith(table), documentWith(paragraphs)});
    return *made;
}

// Shows the body in a fresh view until it is laid out, its tables placed and the cells on
// screen built; returns how many cells have views.
int show(rovuvuz::DocxDocument& document, bool liveTables) {
    ColumnTextView view;
    view.resize(1000, 800);
    view.show();
    AttributedBuilder builder(&document, rovuvuz::StoryID::body(), 765);
    // Live tables have cell views in `view`; the others are laid out and drawn, without views.
    builder = TableAttachment::liveTables(builder, tovin::TableEditorRef(), liveTables ? &view : nullptr, 0);
    StoryText::fill(*view.document(), document.snapshot(rovuvuz::StoryID::body()).blocks, builder);
    benchmark::DoNotOptimize(view.document()->size());
    QApplication::processEvents();
    int cellViews = 0;
    for (TableView* table : TableHost::of(&view)->views()) {
        table->showVisibleCells();
        cellViews += table->viewCount();
    }
    return cellViews;
}

void LongTable(benchmark::State& state) {
    Bodies const& shown = bodies();
    int cellViews = 0;
    for (auto _ : state) cellViews = show(*shown.table, true);
    state.counters["cellViews"] = cellViews;
    state.counters["cells"] = rows * columns;
}

void LongTableFloorParagraphs(benchmark::State& state) {
    Bodies const& shown = bodies();
    for (auto _ : state) show(*shown.paragraphs, false);
}

}  // namespace

BENCHMARK(LongTableFloorParagraphs)->Unit(benchmark::kMillisecond);
BENCHMARK(LongTable)->Unit(benchmark::kMillisecond);

}  // namespace tovin::bench
