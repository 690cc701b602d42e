// Effective formats: what a snapshot pays to resolve the format of every paragraph and run
// of the 500-page body, beside a walk that copies every property bag's bytes once; and
// reading a styles part of 100,000 styles and resolving each, beside a scan of its bytes.
#include <cstring>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "BenchDocs.h"
#include "RovuVuz/document/DocumentInternals.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/format/Numbering.h"
#include "RovuVuz/format/Styles.h"

namespace tovin::bench {
namespace {

using rovuvuz::Inline;
using rovuvuz::PropertyBag;

struct OpenBody {
    std::unique_ptr<rovuvuz::DocxDocument> document;
    std::vector<rovuvuz::Paragraph*> paragraphs;
};

// The large document opened and its body parsed once per process.
OpenBody* openBody(benchmark::State& state) {
    static std::unique_ptr<OpenBody> body;
    if (body) return body.get();
    const BenchPart* part = benchPart(state, largeDocument, bodyPart);
    if (!part) return nullptr;
    body = std::make_unique<OpenBody>();
    body->document = std::make_unique<rovuvuz::DocxDocument>(part->archiveBytes);
    body->paragraphs = rovuvuz::DocumentInternals::story(*body->document, rovuvuz::StoryID::body()).paragraphs();
    return body.get();
}

template <typename Visit>
void forEachRun(const std::vector<Inline>& inlines, Visit&& visit) {
    for (const Inline& item : inlines) {
        if (const auto* run = std::get_if<std::unique_ptr<rovuvuz::Run>>(&item)) visit(**run);
        if (const auto* container = std::get_if<std::unique_ptr<rovuvuz::Container>>(&item))
            forEachRun((*container)->inlines, visit);
    }
}

// The snapshot's work with a warm sheet: every paragraph's format, its list label, and
// every run's format.
void EffectiveFormatsOfEveryRun(benchmark::State& state) {
    OpenBody* body = openBody(state);
    if (!body) return;
    const rovuvuz::StyleSheet& sheet = body->document->styles();
    const rovuvuz::Numbering& numbering = body->document->numbering();
    size_t runs = 0;
    for (auto _ : state) {
        runs = 0;
        rovuvuz::Numbering::Counter counter(numbering);
        for (const rovuvuz::Paragraph* paragraph : body->paragraphs) {
            const auto format = sheet.paragraphFormat(paragraph->props ? &*paragraph->props : nullptr);
            if (format.numbering)
                benchmark::DoNotOptimize(counter.next(*format.numbering, format.numberingLevel));
            forEachRun(paragraph->inlines, [&](const rovuvuz::Run& run) {
                benchmark::DoNotOptimize(sheet.runFormat(format.style, run.props ? &*run.props : nullptr));
                ++runs;
            });
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(runs * state.iterations()));
    state.counters["runs"] = static_cast<double>(runs);
}

// The floor: the same walk copying each paragraph's and run's property bytes once, the
// least work that reads every property a format depends on.
void PropertyCopyFloor(benchmark::State& state) {
    OpenBody* body = openBody(state);
    if (!body) return;
    std::string sink;
    const auto copy = [&](const PropertyBag& bag) {
        for (const PropertyBag::Child& child : bag.children) sink.append(child.bytes.chars());
    };
    size_t runs = 0;
    for (auto _ : state) {
        runs = 0;
        for (const rovuvuz::Paragraph* paragraph : body->paragraphs) {
            sink.clear();
            if (paragraph->props) copy(*paragraph->props);
            forEachRun(paragraph->inlines, [&](const rovuvuz::Run& run) {
                if (run.props) copy(*run.props);
                ++runs;
            });
            benchmark::DoNotOptimize(sink.data());
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(runs * state.iterations()));
}

// 100,000 styles: half in one basedOn chain, half in one basedOn cycle, each with a few
// properties.
const std::string& hugeStylesPart() {
    static const std::string part = [] {
        constexpr int count = 50000;
        std::string xml = "<w:styles xmlns:w=\"w\">";
        for (int i = 0; i < count; ++i) {
            for (const char* family : {"c", "y"}) {
                const int base = family[0] == 'c' ? i + 1 : (i + 1) % count;
                xml += "<w:style w:type=\"paragraph\" w:styleId=\"" + std::string(family) +
                       std::to_string(i) + "\"><w:basedOn w:val=\"" + family + std::to_string(base) +
                       "\"/><w:pPr><w:spacing w:after=\"" + std::to_string(i % 400) +
                       "\"/></w:pPr><w:rPr><w:b/><w:sz w:val=\"" + std::to_string(16 + i % 30) +
                       "\"/></w:rPr></w:style>";
            }
        }
        return xml + "</w:styles>";
    }();
    return part;
}

void HundredThousandStyles(benchmark::State& state) {
    const std::string& part = hugeStylesPart();
    for (auto _ : state) {
        const rovuvuz::StyleSheet sheet(rovuvuz::asBytes(part), std::nullopt);
        for (const auto& [id, style] : sheet.styles) {
            benchmark::DoNotOptimize(sheet.runFormat(id, nullptr));
            benchmark::DoNotOptimize(sheet.paragraphFormat(nullptr, id));
        }
    }
    setThroughput(state, part.size());
}

// The floor for reading the part at all: memchr over every "<".
void StylesTagScanFloor(benchmark::State& state) {
    const std::string& part = hugeStylesPart();
    for (auto _ : state) {
        size_t tags = 0;
        for (const char* at = part.data();
             (at = static_cast<const char*>(std::memchr(at, '<', part.data() + part.size() - at))); ++at)
            ++tags;
        benchmark::DoNotOptimize(tags);
    }
    setThroughput(state, part.size());
}

BENCHMARK(EffectiveFormatsOfEveryRun)->Unit(benchmark::kMillisecond);
BENCHMARK(PropertyCopyFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(HundredThousandStyles)->Unit(benchmark::kMillisecond);
BENCHMARK(StylesTagScanFloor)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tovin::bench
