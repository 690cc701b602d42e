// The body as styled text, as a window shows it: every block of the 500-page body built by
// the attributed builder into a QTextDocument, beside a floor measured in the same run: a
// QTextDocument filled with the same text through QTextCursor::insertText, one block per
// paragraph, no formats. Read the two together (--benchmark_filter=StyledBody); the goal
// is at most three times the floor. Both start from a snapshot taken before timing.
#include <benchmark/benchmark.h>

#include <QTextCursor>
#include <QTextDocument>
#include <cstdlib>
#include <memory>

#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/text/AttributedBuilder.h"
#include "Tovin/text/StoryText.h"
#include "bench/BenchDocs.h"
#include "bench/app/OffscreenApplication.h"

namespace tovin::bench {

namespace {

struct Body {
    std::unique_ptr<rovuvuz::DocxDocument> document;
    std::vector<rovuvuz::BlockSnapshot> blocks;
    std::vector<QString> texts;  // each block's text: a paragraph's, or U+FFFC
};

const Body* body(benchmark::State& state) {
    static std::unique_ptr<Body> loaded;
    if (!loaded) {
        const auto path = documentPath(state, largeDocument);
        if (!path) return nullptr;
        ensureApplication();
        loaded = std::make_unique<Body>();
        loaded->document = rovuvuz::DocxDocument::open(*path);
        loaded->blocks = loaded->document->snapshot(rovuvuz::StoryID::body()).blocks;
        for (const auto& block : loaded->blocks) {
            const auto* paragraph = std::get_if<rovuvuz::ParagraphSnapshot>(&block.value);
            loaded->texts.push_back(paragraph ? QString::fromStdU16String(paragraph->text)
                                              : QString(QChar(0xFFFC)));
        }
    }
    return loaded.get();
}

void StyledBodyFloor(benchmark::State& state) {
    const Body* shown = body(state);
    if (!shown) return;
    for (auto _ : state) {
        QTextDocument document;
        document.setUndoRedoEnabled(false);
        document.documentLayout();
        QTextCursor cursor(&document);
        cursor.beginEditBlock();
        bool first = true;
        for (const QString& text : shown->texts) {
            if (!first) cursor.insertBlock();
            first = false;
            cursor.insertText(text);
        }
        cursor.endEditBlock();
        benchmark::DoNotOptimize(document.characterCount());
    }
    state.counters["blocks"] = static_cast<double>(shown->texts.size());
}

void StyledBody(benchmark::State& state) {
    const Body* shown = body(state);
    if (!shown) return;
    for (auto _ : state) {
        // A fresh builder each time: its resolved formats and pictures are part of the work.
        const AttributedBuilder builder(shown->document.get(), rovuvuz::StoryID::body(), 585);
        QTextDocument document;
        document.setUndoRedoEnabled(false);
        StoryText::fill(document, shown->blocks, builder);
        benchmark::DoNotOptimize(document.characterCount());
    }
    state.counters["blocks"] = static_cast<double>(shown->texts.size());
}

}  // namespace

BENCHMARK(StyledBodyFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(StyledBody)->Unit(benchmark::kMillisecond);

}  // namespace tovin::bench
