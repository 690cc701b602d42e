// The document as a whole on the 500-page file: opening it, and a full cycle of opening,
// parsing the body, one edit and saving, each next to its floor in the same run.
//
// Opening reads only the central directory and two relationship parts, so it runs beside
// reading the file from disk. The save cycle runs beside the least work any such save
// does on these bytes: read the file, inflate the body part, check its CRC-32, walk its
// tags once, compress it again with zlib at level 6 and write an archive's worth of bytes
// to a file. The file is in the page cache after the first read, so reads cost memory
// bandwidth, not the disk; the writes are flushed to disk in both, as a save must be.
#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include <benchmark/benchmark.h>
#include <libdeflate.h>
#include <zlib.h>

#include "BenchDocs.h"
#include "RovuVuz/document/DocumentInternals.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/package/FileIO.h"

namespace tovin::bench {
namespace {

using rovuvuz::Bytes;

// A folder of its own under the system's temporary folder for the files the saves write,
// removed when the process ends.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tovin-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// The scratch folder, or nothing (and `state` skipped) when none could be made.
const std::filesystem::path* scratch(benchmark::State& state) {
    static ScratchFolder folder;
    if (folder.path().empty()) {
        state.SkipWithError("cannot make a temporary folder");
        return nullptr;
    }
    return &folder.path();
}

// --- opening ----------------------------------------------------------------------------

// The package from bytes already in memory: the central directory, the package
// relationships and the main part's relationships.
void DocumentOpen(benchmark::State& state) {
    const BenchPart* part = benchPart(state, largeDocument, bodyPart);
    if (!part) return;
    for (auto _ : state) {
        rovuvuz::DocxDocument document(part->archiveBytes);
        benchmark::DoNotOptimize(&document.relationships());
    }
    state.counters["archive"] = static_cast<double>(part->archiveBytes->size());
}

// Reading the same file with the engine's reader, the step before opening.
void DocumentReadFile(benchmark::State& state) {
    const auto path = documentPath(state, largeDocument);
    if (!path) return;
    size_t size = 0;
    for (auto _ : state) {
        const rovuvuz::SharedBytes bytes = rovuvuz::FileIO::read(*path);
        size = bytes->size();
        benchmark::DoNotOptimize(bytes->data());
    }
    state.counters["archive"] = static_cast<double>(size);
}

// --- editing and saving -----------------------------------------------------------------

// The edit: the first paragraph with a run holding text is marked dirty and its first
// text item becomes "edited". False when the story has no such paragraph.
bool editFirstText(rovuvuz::Story& story) {
    for (rovuvuz::Paragraph* paragraph : story.paragraphs()) {
        for (rovuvuz::Inline& item : paragraph->inlines) {
            auto* run = std::get_if<std::unique_ptr<rovuvuz::Run>>(&item);
            if (!run) continue;
            for (rovuvuz::RunItem& runItem : (*run)->items) {
                if (runItem.kind.type != rovuvuz::RunItem::Type::text) continue;
                paragraph->setDirty(true);
                runItem.kind = rovuvuz::RunItem::Kind::makeText(u"edited");
                story.touched = true;
                return true;
            }
        }
    }
    return false;
}

// Whether the saved file's body part carries the edit and differs from the original only
// by it: the written image read back, not trusted.
bool saveCarriesEdit(const std::filesystem::path& saved, const BenchPart& part) {
    const rovuvuz::ZipArchive archive(rovuvuz::FileIO::read(saved));
    const Bytes body = archive.contents(bodyPart);
    const std::string_view text = rovuvuz::asChars(body);
    return body != *part.contents && text.find(">edited<") != std::string_view::npos &&
           archive.entries().size() == part.archive.entries().size();
}

// Open the file, parse the body, make the edit, then save: `data()` (the image a caller
// asks for, e.g. to copy it elsewhere) and `write(path)` (the durable save, which builds
// and checks its own image) with the argument 1, `write(path)` alone with 0, which is
// what the editor's save does. The document is freed with the timer paused.
void DocumentOpenEditSave(benchmark::State& state) {
    const BenchPart* part = benchPart(state, largeDocument, bodyPart);
    const auto path = part ? documentPath(state, largeDocument) : std::nullopt;
    const std::filesystem::path* folder = path ? scratch(state) : nullptr;
    if (!folder) return;
    const bool withData = state.range(0) != 0;
    const std::filesystem::path target = *folder / "saved.docx";
    size_t imageSize = 0;
    for (auto _ : state) {
        auto document = rovuvuz::DocxDocument::open(*path);
        rovuvuz::Story& story = rovuvuz::DocumentInternals::story(*document, rovuvuz::StoryID::body());
        if (!editFirstText(story)) {
            state.SkipWithError("the body has no paragraph with text to edit");
            break;
        }
        rovuvuz::SharedBytes image;
        if (withData) {
            image = document->data();
            imageSize = image->size();
            benchmark::DoNotOptimize(image->data());
        }
        document->write(target);
        state.PauseTiming();
        image.reset();
        document.reset();
        state.ResumeTiming();
    }
    if (state.error_occurred()) return;
    if (!saveCarriesEdit(target, *part)) {
        state.SkipWithError("the saved file does not carry the edit");
        return;
    }
    setThroughput(state, part->contents->size());
    state.counters["saved"] = static_cast<double>(std::filesystem::file_size(target));
    if (withData) state.counters["image"] = static_cast<double>(imageSize);
}

// Reads a whole file into `out`, which is already its size; false on any failure.
bool readInto(const std::filesystem::path& path, Bytes& out) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::read(fd, out.data() + done, out.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    return done == out.size();
}

// Writes the pieces to the file one after another, then flushes it to disk when asked.
bool writePieces(const std::filesystem::path& path, std::initializer_list<rovuvuz::ByteView> pieces,
                 bool flush) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = true;
    for (rovuvuz::ByteView piece : pieces) {
        size_t done = 0;
        while (ok && done < piece.size()) {
            const ssize_t n = ::write(fd, piece.data() + done, piece.size() - done);
            if (n <= 0) ok = false;
            else done += static_cast<size_t>(n);
        }
    }
    if (ok && flush) ok = ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

// The floor of the save cycle on the same file. The body's compressed bytes are found at
// the offset the archive reader gave once, outside the loop; the bytes written are the
// archive before the body's data, the new compressed data and the archive after it, as
// many bytes as a real save writes (not a valid archive: no header is updated). With the
// argument 1 the file is flushed to disk (fsync), as the engine's save does (it also
// flushes the folder after its rename); 0 shows what the flush costs.
void DocumentSaveFloor(benchmark::State& state) {
    const BenchPart* part = benchPart(state, largeDocument, bodyPart);
    const auto path = part ? documentPath(state, largeDocument) : std::nullopt;
    const std::filesystem::path* folder = path ? scratch(state) : nullptr;
    if (!folder) return;
    const bool flush = state.range(0) != 0;
    const std::filesystem::path target = *folder / "floor.docx";
    const rovuvuz::Bytes& original = *part->archiveBytes;
    const size_t dataStart = static_cast<size_t>(part->compressed.data() - original.data());
    const size_t dataEnd = dataStart + part->compressed.size();
    const uint32_t expectedCRC = static_cast<uint32_t>(
        crc32_z(crc32(0, nullptr, 0), part->contents->data(), part->contents->size()));

    std::unique_ptr<libdeflate_decompressor, decltype(&libdeflate_free_decompressor)> decompressor(
        libdeflate_alloc_decompressor(), &libdeflate_free_decompressor);
    Bytes file(original.size());
    Bytes contents(part->contents->size());
    Bytes compressed;
    size_t compressedSize = 0;
    for (auto _ : state) {
        if (!readInto(*path, file)) {
            state.SkipWithError("cannot read the document");
            break;
        }
        size_t produced = 0;
        if (libdeflate_deflate_decompress(decompressor.get(), file.data() + dataStart, dataEnd - dataStart,
                                          contents.data(), contents.size(), &produced) != LIBDEFLATE_SUCCESS ||
            produced != contents.size()) {
            state.SkipWithError("libdeflate inflate failed");
            break;
        }
        const uLong crc = crc32_z(crc32(0, nullptr, 0), contents.data(), contents.size());
        if (crc != expectedCRC) {
            state.SkipWithError("CRC-32 mismatch");
            break;
        }
        const size_t tags = walkTags(contents);
        benchmark::DoNotOptimize(tags);
        compressedSize = zlibDeflate(contents, compressed);
        if (compressedSize == 0) {
            state.SkipWithError("zlib deflate failed");
            break;
        }
        const rovuvuz::ByteView whole(file);
        if (!writePieces(target,
                         {whole.first(dataStart), rovuvuz::ByteView(compressed.data(), compressedSize),
                          whole.subspan(dataEnd)},
                         flush)) {
            state.SkipWithError("cannot write the file");
            break;
        }
    }
    if (state.error_occurred()) return;
    setThroughput(state, part->contents->size());
    state.counters["saved"] = static_cast<double>(dataStart + compressedSize + (original.size() - dataEnd));
}

BENCHMARK(DocumentOpen)->Unit(benchmark::kMillisecond);
BENCHMARK(DocumentReadFile)->Unit(benchmark::kMillisecond);
BENCHMARK(DocumentOpenEditSave)->ArgName("data")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(DocumentSaveFloor)->ArgName("fsync")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tovin::bench
