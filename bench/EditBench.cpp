// One keystroke's engine work beside what the editor does next with it: a paragraph's
// snapshot. Each iteration types one character into a paragraph in the middle of the body
// and takes it out again (in tracked mode, deleting one's own insertion leaves no trace),
// so the paragraph stays the same size however long the loop runs; the time per iteration
// is two edits. Goal: an edit costs no more than twice the paragraph's snapshot, and does
// not grow with the document (compare pages:50 and pages:500).
#include <benchmark/benchmark.h>

#include "BenchDocs.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/TextEdit.h"

namespace tovin::bench {

namespace {

using namespace rovuvuz;

struct Target {
    std::unique_ptr<DocxDocument> document;
    ParagraphID paragraph;
};

// The document with its body parsed, and the first paragraph with text past the middle.
std::optional<Target> openTarget(benchmark::State& state) {
    const auto path = documentPath(state, "bench-" + std::to_string(state.range(0)) + ".docx");
    if (!path) return std::nullopt;
    Target target{DocxDocument::open(*path), {}};
    const StorySnapshot body = target.document->snapshot(StoryID::body());
    const auto paragraphs = body.paragraphs();
    for (size_t i = paragraphs.size() / 2; i < paragraphs.size(); ++i) {
        if (paragraphs[i]->text.size() > 20) {
            target.paragraph = paragraphs[i]->id;
            return target;
        }
    }
    state.SkipWithError("no paragraph with text");
    return std::nullopt;
}

void typeAndUndo(benchmark::State& state, const EditMode& mode) {
    auto target = openTarget(state);
    if (!target) return;
    DocxDocument& document = *target->document;
    for (auto _ : state) {
        document.replaceText(target->paragraph, StoryID::body(), TextRange{5, 5}, u"x", mode);
        document.replaceText(target->paragraph, StoryID::body(), TextRange{5, 6}, u"", mode);
    }
}

void EditKeystrokeDirect(benchmark::State& state) { typeAndUndo(state, EditMode::direct()); }

void EditKeystrokeTracked(benchmark::State& state) {
    typeAndUndo(state, EditMode::trackedBy("Bench", std::chrono::system_clock::time_point(std::chrono::seconds(0))));
}

void EditParagraphSnapshot(benchmark::State& state) {
    auto target = openTarget(state);
    if (!target) return;
    for (auto _ : state) {
        const ParagraphSnapshot snapshot = target->document->snapshot(target->paragraph, StoryID::body());
        benchmark::DoNotOptimize(snapshot.text.data());
    }
}

}  // namespace

BENCHMARK(EditKeystrokeDirect)->Arg(50)->Arg(500)->ArgName("pages")->Unit(benchmark::kMicrosecond);
BENCHMARK(EditKeystrokeTracked)->Arg(50)->Arg(500)->ArgName("pages")->Unit(benchmark::kMicrosecond);
BENCHMARK(EditParagraphSnapshot)->Arg(50)->Arg(500)->ArgName("pages")->Unit(benchmark::kMicrosecond);

}  // namespace tovin::bench
