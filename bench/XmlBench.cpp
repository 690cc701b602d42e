// Parsing the body part of the 500-page document: XMLTree, pugixml on the same bytes as
// a peer, and a memchr walk over every tag as the floor no tag-level parser can beat.
#include <cstring>

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include "BenchDocs.h"
#include "RovuVuz/XMLTree.h"

namespace tovin::bench {
namespace {

// The engine's parser over the shared buffer: no copy, one flat node array.
void XMLTreeParse(benchmark::State& state) {
    const BenchPart* part = benchPart(state, largeDocument, bodyPart);
    if (!part) return;
    size_t nodes = 0;
    for (auto _ : state) {
        rovuvuz::XMLTree tree(part->contents);
        nodes = tree.nodeCount();
        benchmark::DoNotOptimize(nodes);
    }
    setThroughput(state, part->contents->size());
    state.counters["nodes"] = static_cast<double>(nodes);
}

// pugixml copies the buffer, then parses the copy in place into linked nodes with their
// attributes. parse_default also unescapes entities and normalises line ends, which
// XMLTree leaves until a value is asked for; parse_minimal turns that off (and drops
// comments, CDATA and processing instructions, which this part has none of), so the two
// runs bracket what a comparable tree costs in pugixml.
void pugixmlParse(benchmark::State& state, unsigned options) {
    const BenchPart* part = benchPart(state, largeDocument, bodyPart);
    if (!part) return;
    const rovuvuz::Bytes& bytes = *part->contents;
    for (auto _ : state) {
        pugi::xml_document document;
        const pugi::xml_parse_result result = document.load_buffer(bytes.data(), bytes.size(), options);
        if (!result) {
            state.SkipWithError(result.description());
            break;
        }
        benchmark::DoNotOptimize(document.first_child().internal_object());
    }
    setThroughput(state, bytes.size());
}

void PugixmlParseDefault(benchmark::State& state) {
    pugixmlParse(state, pugi::parse_default);
}
void PugixmlParseMinimal(benchmark::State& state) {
    pugixmlParse(state, pugi::parse_minimal);
}

// Finds every "<" and the ">" after it with memchr: the least work that still visits each
// tag once. It is not a parser (a ">" inside an attribute value ends the tag early) and
// builds nothing, so it bounds from below what tokenizing the part can cost.
void TagScanFloor(benchmark::State& state) {
    const BenchPart* part = benchPart(state, largeDocument, bodyPart);
    if (!part) return;
    const auto* begin = part->contents->data();
    const auto* end = begin + part->contents->size();
    size_t tags = 0;
    for (auto _ : state) {
        tags = 0;
        const uint8_t* at = begin;
        while (at < end) {
            const auto* open =
                static_cast<const uint8_t*>(std::memchr(at, '<', static_cast<size_t>(end - at)));
            if (!open) break;
            const auto* close =
                static_cast<const uint8_t*>(std::memchr(open, '>', static_cast<size_t>(end - open)));
            if (!close) break;
            ++tags;
            at = close + 1;
        }
        benchmark::DoNotOptimize(tags);
    }
    setThroughput(state, part->contents->size());
    state.counters["tags"] = static_cast<double>(tags);
}

BENCHMARK(XMLTreeParse)->Unit(benchmark::kMillisecond);
BENCHMARK(PugixmlParseDefault)->Unit(benchmark::kMillisecond);
BENCHMARK(PugixmlParseMinimal)->Unit(benchmark::kMillisecond);
BENCHMARK(TagScanFloor)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tovin::bench
