// The body story of the benchmark documents: parsing word/document.xml into the node tree,
// freeing that tree, writing it back untouched, and the memory it holds.
//
// Every figure runs next to its floor or peer on the same bytes: the parse beside
// pugixml's parse (the peer) and the memchr walk over every tag (the floor); the untouched
// serialization beside a memcpy of the same size into a new buffer. Each runs on bench-500
// and bench-50 (the argument is the page count), so the cost of 500 pages against 50 can
// be read off. Construction and destruction are timed apart: each loop pauses the timer
// around the half it does not measure.
#include <malloc.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include "BenchDocs.h"
#include "RovuVuz/model/Nodes.h"
#include "RovuVuz/model/Serializer.h"
#include "RovuVuz/model/Story.h"

namespace tovin::bench {
namespace {

// "bench-500.docx" for an argument of 500.
std::string documentFor(const benchmark::State& state) {
    return "bench-" + std::to_string(state.range(0)) + ".docx";
}

const BenchPart* bodyOf(benchmark::State& state) {
    return benchPart(state, documentFor(state), bodyPart);
}

std::unique_ptr<rovuvuz::Story> parse(const BenchPart& part, rovuvuz::IdentityMint& mint) {
    return std::make_unique<rovuvuz::Story>(rovuvuz::PartName(bodyPart), part.contents, nullptr, mint);
}

void setPart(benchmark::State& state, const BenchPart& part) {
    setThroughput(state, part.contents->size());
    state.counters["part"] = static_cast<double>(part.contents->size());
}

// --- parsing ----------------------------------------------------------------------------

// From the part's bytes to the node tree; the tree is freed with the timer paused.
void StoryParse(benchmark::State& state) {
    const BenchPart* part = bodyOf(state);
    if (!part) return;
    rovuvuz::IdentityMint mint;
    size_t paragraphs = 0;
    for (auto _ : state) {
        auto story = parse(*part, mint);
        benchmark::DoNotOptimize(story->root.get());
        state.PauseTiming();
        paragraphs = story->paragraphs().size();
        story.reset();
        state.ResumeTiming();
    }
    setPart(state, *part);
    state.counters["paragraphs"] = static_cast<double>(paragraphs);
}

// Freeing a parsed tree; the parse that makes it runs with the timer paused.
void StoryDestroy(benchmark::State& state) {
    const BenchPart* part = bodyOf(state);
    if (!part) return;
    rovuvuz::IdentityMint mint;
    for (auto _ : state) {
        state.PauseTiming();
        auto story = parse(*part, mint);
        state.ResumeTiming();
        story.reset();
        benchmark::ClobberMemory();
    }
    setPart(state, *part);
}

// The peer: pugixml's default parse (it copies the buffer, unescapes entities and
// normalises line ends, as the story's text decoding does for text). Its document is
// freed with the timer paused, as the story's tree is.
void StoryPugixmlParse(benchmark::State& state) {
    const BenchPart* part = bodyOf(state);
    if (!part) return;
    const rovuvuz::Bytes& bytes = *part->contents;
    for (auto _ : state) {
        auto document = std::make_unique<pugi::xml_document>();
        const pugi::xml_parse_result result = document->load_buffer(bytes.data(), bytes.size(), pugi::parse_default);
        if (!result) {
            state.SkipWithError(result.description());
            break;
        }
        benchmark::DoNotOptimize(document->first_child().internal_object());
        state.PauseTiming();
        document.reset();
        state.ResumeTiming();
    }
    setPart(state, *part);
}

// The floor: one memchr walk over every tag, building nothing.
void StoryTagWalkFloor(benchmark::State& state) {
    const BenchPart* part = bodyOf(state);
    if (!part) return;
    size_t tags = 0;
    for (auto _ : state) {
        tags = walkTags(*part->contents);
        benchmark::DoNotOptimize(tags);
    }
    setPart(state, *part);
    state.counters["tags"] = static_cast<double>(tags);
}

// --- writing back -----------------------------------------------------------------------

// The untouched story written out: every paragraph copied from its preserved bytes. The
// output must equal the part, or the figure would measure a broken writer.
void StorySerialize(benchmark::State& state) {
    const BenchPart* part = bodyOf(state);
    if (!part) return;
    rovuvuz::IdentityMint mint;
    const auto story = parse(*part, mint);
    if (rovuvuz::Serializer::story(*story) != *part->contents) {
        state.SkipWithError("the untouched story does not serialize to the part's bytes");
        return;
    }
    for (auto _ : state) {
        const rovuvuz::Bytes bytes = rovuvuz::Serializer::story(*story);
        benchmark::DoNotOptimize(bytes.data());
    }
    setPart(state, *part);
}

// The floor: the part's bytes copied once into a new buffer of their size, as the writer
// must produce a new buffer too.
void StorySerializeFloor(benchmark::State& state) {
    const BenchPart* part = bodyOf(state);
    if (!part) return;
    const rovuvuz::Bytes& source = *part->contents;
    for (auto _ : state) {
        rovuvuz::Bytes bytes;
        bytes.reserve(source.size());
        bytes.insert(bytes.end(), source.begin(), source.end());  // one memmove
        benchmark::DoNotOptimize(bytes.data());
        benchmark::ClobberMemory();
    }
    setPart(state, *part);
}

// --- memory -----------------------------------------------------------------------------

// Bytes the allocator has handed out and not had back: the main arena's chunks in use plus
// the chunks it mapped on their own (large vectors). The benchmark runs on one thread.
double heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
}

// A "Vm…:  1234 kB" line of /proc/self/status, in bytes; 0 when it cannot be read.
double statusBytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) != 0) continue;
        return std::stod(line.substr(field.size() + 1)) * 1024.0;
    }
    return 0.0;
}

// Sets VmHWM back to the current VmRSS, so the next reading is the peak since now.
bool resetPeakRSS() {
    std::FILE* file = std::fopen("/proc/self/clear_refs", "w");
    if (!file) return false;
    const bool written = std::fputs("5", file) >= 0;
    return std::fclose(file) == 0 && written;
}

// The heap the parsed story holds once built, beyond the part's bytes it shares (which it
// keeps alive; held_with_part counts them too), and the process's resident memory around
// one parse: VmRSS before and after, and VmHWM, the peak during the parse (the XML tree
// the parse builds and frees included) when the kernel let the peak be reset first. The
// heap figures hold in any run; the resident figures mean something only in a process of
// their own (--benchmark_filter=StoryMemory/pages:500), as memory earlier benchmarks freed
// stays mapped and the parse reuses it without growing VmRSS.
void StoryMemory(benchmark::State& state) {
    const BenchPart* part = bodyOf(state);
    if (!part) return;
    rovuvuz::IdentityMint mint;
    const double partSize = static_cast<double>(part->contents->size());
    double held = 0, rssBefore = 0, rssAfter = 0, peak = 0;
    bool peakReset = false;
    for (auto _ : state) {
        state.PauseTiming();
        peakReset = resetPeakRSS();
        rssBefore = statusBytes("VmRSS");
        const double heapBefore = heapInUse();
        state.ResumeTiming();
        auto story = parse(*part, mint);
        state.PauseTiming();
        held = heapInUse() - heapBefore;
        rssAfter = statusBytes("VmRSS");
        peak = statusBytes("VmHWM");
        story.reset();
        state.ResumeTiming();
    }
    state.counters["part"] = partSize;
    state.counters["held"] = held;
    state.counters["held_per_part"] = held / partSize;
    state.counters["held_with_part_per_part"] = (held + partSize) / partSize;
    state.counters["rss_before"] = rssBefore;
    state.counters["rss_after"] = rssAfter;
    state.counters["rss_growth_per_part"] = (rssAfter - rssBefore) / partSize;
    if (peakReset) {
        state.counters["hwm"] = peak;
        state.counters["peak_growth_per_part"] = (peak - rssBefore) / partSize;
    } else {
        state.counters["hwm_since_start"] = peak;
    }
}

void pageCounts(benchmark::internal::Benchmark* benchmark) {
    benchmark->ArgName("pages")->Arg(500)->Arg(50)->Unit(benchmark::kMillisecond);
}

BENCHMARK(StoryParse)->Apply(pageCounts);
BENCHMARK(StoryDestroy)->Apply(pageCounts);
BENCHMARK(StoryPugixmlParse)->Apply(pageCounts);
BENCHMARK(StoryTagWalkFloor)->Apply(pageCounts);
BENCHMARK(StorySerialize)->Apply(pageCounts);
BENCHMARK(StorySerializeFloor)->Apply(pageCounts);
BENCHMARK(StoryMemory)->Apply(pageCounts)->Iterations(1);

}  // namespace
}  // namespace tovin::bench
