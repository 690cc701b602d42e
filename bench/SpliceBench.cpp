// Saving after one word changed in the middle of the 500-page body, with the changed
// stretch spliced into the old DEFLATE stream, next to compressing the whole body as a
// save otherwise does, in the same run:
//
// - SpliceBody / CompressBodyWhole: the compression step alone, the splice (middle
//   compressed by zlib, kept blocks copied, CRC combined) beside libdeflate at the
//   engine's level over the whole body plus its CRC-32;
// - ZipWriteSpliced beside ZipWriteReplacingDocument (ZipBench.cpp): the archive image;
// - DocumentOpenEditMiddleSave/splice:1 and /splice:0: open, parse, one-word edit in the
//   middle paragraph, durable save, beside DocumentSaveFloor (DocumentBench.cpp).
#include <unistd.h>
#include <zlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>
#include <libdeflate.h>

#include "BenchDocs.h"
#include "RovuVuz/package/DeflateSplice.h"
#include "RovuVuz/document/DocumentInternals.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/package/FileIO.h"
#include "RovuVuz/edit/InlineOps.h"
#include "RovuVuz/edit/TextEdit.h"

namespace tovin::bench {
namespace {

using rovuvuz::Bytes;

// libdeflate's level in ZipArchive.cpp.
constexpr int engineLevel = 7;

// The body with the first word of the paragraph text nearest its middle replaced: the
// old contents, their block map and the new contents.
struct MiddleEdit {
    rovuvuz::DeflateSplice::BlockMap blocks;
    Bytes before;
    Bytes after;
};

const MiddleEdit* middleEdit(benchmark::State& state) {
    static std::unique_ptr<MiddleEdit> edit;
    const BenchPart* part = benchPart(state, largeDocument, bodyPart);
    if (!part) return nullptr;
    if (!edit) {
        edit = std::make_unique<MiddleEdit>();
        edit->before = part->archive.contents(bodyPart, edit->blocks);
        const std::string_view text = rovuvuz::asChars(edit->before);
        const size_t at = text.find("<w:t>", text.size() / 2) + 5;
        edit->after = edit->before;
        const std::string_view word = "edited";
        edit->after.erase(edit->after.begin() + static_cast<ptrdiff_t>(at),
                          edit->after.begin() + static_cast<ptrdiff_t>(text.find_first_of(" <", at)));
        edit->after.insert(edit->after.begin() + static_cast<ptrdiff_t>(at), word.begin(), word.end());
    }
    if (edit->blocks.empty()) {
        state.SkipWithError("the body's blocks were not recorded");
        return nullptr;
    }
    return edit.get();
}

void SpliceBody(benchmark::State& state) {
    const BenchPart* part = benchPart(state, largeDocument, bodyPart);
    const MiddleEdit* edit = part ? middleEdit(state) : nullptr;
    if (!edit) return;
    std::optional<rovuvuz::DeflateSplice::Spliced> spliced;
    for (auto _ : state) {
        spliced =
            rovuvuz::DeflateSplice::splice(part->compressed, edit->blocks, edit->before, edit->after, {});
        if (!spliced) {
            state.SkipWithError("the edit was not spliced");
            return;
        }
        benchmark::DoNotOptimize(spliced->deflated.data());
    }
    state.counters["recompressed"] = static_cast<double>(spliced->recompressed);
    state.counters["compressed"] = static_cast<double>(spliced->deflated.size());
    state.counters["blocks"] = static_cast<double>(edit->blocks.blocks.size());
}

void CompressBodyWhole(benchmark::State& state) {
    const BenchPart* part = benchPart(state, largeDocument, bodyPart);
    const MiddleEdit* edit = part ? middleEdit(state) : nullptr;
    if (!edit) return;
    std::unique_ptr<libdeflate_compressor, decltype(&libdeflate_free_compressor)> compressor(
        libdeflate_alloc_compressor(engineLevel), &libdeflate_free_compressor);
    Bytes out(libdeflate_deflate_compress_bound(compressor.get(), edit->after.size()));
    size_t size = 0;
    for (auto _ : state) {
        size = libdeflate_deflate_compress(compressor.get(), edit->after.data(), edit->after.size(),
                                           out.data(), out.size());
        benchmark::DoNotOptimize(crc32_z(crc32(0, nullptr, 0), edit->after.data(), edit->after.size()));
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["recompressed"] = static_cast<double>(edit->after.size());
    state.counters["compressed"] = static_cast<double>(size);
}

void ZipWriteSpliced(benchmark::State& state) {
    const BenchPart* part = benchPart(state, largeDocument, bodyPart);
    const MiddleEdit* edit = part ? middleEdit(state) : nullptr;
    if (!edit) return;
    const std::string name(bodyPart);
    const rovuvuz::ZipArchive::Replacements replacing{{name, edit->after}};
    const rovuvuz::ZipArchive::SpliceSources splicing{{name, {&edit->blocks, edit->before}}};
    rovuvuz::SharedBytes image;
    for (auto _ : state) {
        image = part->archive.write(replacing, splicing, {});
        benchmark::DoNotOptimize(image->data());
    }
    if (rovuvuz::ZipArchive(image).contents(bodyPart) != edit->after) {
        state.SkipWithError("the written archive does not give the part back");
        return;
    }
    setThroughput(state, edit->after.size());
    state.counters["archive"] = static_cast<double>(image->size());
}

// The first word of the paragraph with text nearest the middle of the body becomes
// "edited"; false when the body has no such paragraph.
bool editMiddleWord(rovuvuz::DocxDocument& document) {
    const std::vector<rovuvuz::Paragraph*> paragraphs =
        rovuvuz::DocumentInternals::story(document, rovuvuz::StoryID::body()).paragraphs();
    for (size_t i = paragraphs.size() / 2; i < paragraphs.size(); ++i) {
        const std::u16string text = rovuvuz::InlineOps::visibleText(paragraphs[i]->inlines);
        const size_t space = text.find(u' ');
        if (space == std::u16string::npos || space == 0) continue;
        document.replaceText(paragraphs[i]->id, rovuvuz::StoryID::body(), {0, space}, u"edited",
                             rovuvuz::EditMode::direct());
        return true;
    }
    return false;
}

void DocumentOpenEditMiddleSave(benchmark::State& state) {
    const auto path = documentPath(state, largeDocument);
    if (!path) return;
    const bool splice = state.range(0) != 0;
    const std::filesystem::path target = std::filesystem::temp_directory_path() /
                                         ("tovin-bench-splice-" + std::to_string(::getpid()) + ".docx");
    for (auto _ : state) {
        auto document = rovuvuz::DocxDocument::open(*path);
        document->setSplicePolicy({.enabled = splice});
        if (!editMiddleWord(*document)) {
            state.SkipWithError("the body has no paragraph with two words");
            break;
        }
        document->write(target);
        state.PauseTiming();
        document.reset();
        state.ResumeTiming();
    }
    if (!state.error_occurred()) {
        state.counters["saved"] = static_cast<double>(std::filesystem::file_size(target));
        const rovuvuz::ZipArchive saved(rovuvuz::FileIO::read(target));
        if (rovuvuz::asChars(saved.contents(bodyPart)).find(">edited ") == std::string_view::npos)
            state.SkipWithError("the saved file does not carry the edit");
    }
    std::error_code ignored;
    std::filesystem::remove(target, ignored);
}

BENCHMARK(SpliceBody)->Unit(benchmark::kMillisecond);
BENCHMARK(CompressBodyWhole)->Unit(benchmark::kMillisecond);
BENCHMARK(ZipWriteSpliced)->Unit(benchmark::kMillisecond);
BENCHMARK(DocumentOpenEditMiddleSave)->ArgName("splice")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tovin::bench
