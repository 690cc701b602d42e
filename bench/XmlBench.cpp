// Parsing the body part of the 500-page document: XMLTree (alone, and with the strict
// check a save makes), pugixml on the same bytes as a peer, and a memchr walk over every
// tag as the floor no tag-level parser can beat.
#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include "BenchDocs.h"
#include "RovuVuz/xml/XMLCheck.h"
#include "RovuVuz/xml/XMLTree.h"

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

// What a save costs a replaced body part before it writes it: the same parse, then the
// strict check (XMLCheck) over the tree; its excess over XMLTreeParse is the check's cost.
void XMLTreeParseAndStrictCheck(benchmark::State& state) {
    const BenchPart* part = benchPart(state, largeDocument, bodyPart);
    if (!part) return;
    for (auto _ : state) {
        rovuvuz::XMLTree tree(part->contents);
        rovuvuz::XMLCheck::wellFormed(tree);
        benchmark::DoNotOptimize(tree.nodeCount());
    }
    setThroughput(state, part->contents->size());
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

// The memchr walk over every tag (walkTags in BenchDocs): the floor no tag-level parser
// can beat.
void TagScanFloor(benchmark::State& state) {
    const BenchPart* part = benchPart(state, largeDocument, bodyPart);
    if (!part) return;
    size_t tags = 0;
    for (auto _ : state) {
        tags = walkTags(*part->contents);
        benchmark::DoNotOptimize(tags);
    }
    setThroughput(state, part->contents->size());
    state.counters["tags"] = static_cast<double>(tags);
}

BENCHMARK(XMLTreeParse)->Unit(benchmark::kMillisecond);
BENCHMARK(XMLTreeParseAndStrictCheck)->Unit(benchmark::kMillisecond);
BENCHMARK(PugixmlParseDefault)->Unit(benchmark::kMillisecond);
BENCHMARK(PugixmlParseMinimal)->Unit(benchmark::kMillisecond);
BENCHMARK(TagScanFloor)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tovin::bench
