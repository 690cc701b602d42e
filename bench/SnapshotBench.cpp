// What the editor asks for on every open and after every change: the body's snapshot.
// Read beside StoryParse (run both with --benchmark_filter='StoryParse|Snapshot'): the
// snapshot of an already parsed body should cost no more than twice its parse.
#include <benchmark/benchmark.h>

#include "RovuVuz/document/DocxDocument.h"
#include "BenchDocs.h"

namespace tovin::bench {

namespace {

void SnapshotBody(benchmark::State& state) {
    const std::string name = "bench-" + std::to_string(state.range(0)) + ".docx";
    const auto path = documentPath(state, name);
    if (!path) return;
    auto document = rovuvuz::DocxDocument::open(*path);
    // Parse the body and read styles and numbering once, as opening the window does.
    document->snapshot(rovuvuz::StoryID::body());
    size_t paragraphs = 0;
    for (auto _ : state) {
        const rovuvuz::StorySnapshot snapshot = document->snapshot(rovuvuz::StoryID::body());
        paragraphs = snapshot.paragraphs().size();
        benchmark::DoNotOptimize(paragraphs);
    }
    state.counters["paragraphs"] = static_cast<double>(paragraphs);
    setThroughput(state, document->contents("word/document.xml")->size());
}

}  // namespace

BENCHMARK(SnapshotBody)->Arg(50)->Arg(500)->ArgName("pages")->Unit(benchmark::kMillisecond);

}  // namespace tovin::bench
