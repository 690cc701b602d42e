// The archive's two costs on the 500-page document: saving with word/document.xml
// replaced (the part is recompressed, every other entry copied), and extracting that
// part. Each runs next to its floor on the same bytes: for the save, compressing the part
// alone plus one memcpy of the whole archive; for extraction, a bare inflate. The two
// DEFLATE encoders run side by side at level 6 with their output sizes, which is what the
// engine's choice of libdeflate rests on.
#include <cstring>
#include <memory>

#include <benchmark/benchmark.h>
#include <libdeflate.h>
#include <zlib.h>

#include "BenchDocs.h"
#include "RovuVuz/package/ZipArchive.h"

namespace tovin::bench {
namespace {

// Raw DEFLATE (no zlib header or trailer), as ZIP stores it. Both encoders run at
// deflateLevel, the engine's level (BenchDocs.h).
constexpr int rawDeflateWindowBits = -15;

void setCompressed(benchmark::State& state, size_t compressed, size_t original) {
    state.counters["compressed"] = static_cast<double>(compressed);
    state.counters["ratio"] = static_cast<double>(compressed) / static_cast<double>(original);
}

// A libdeflate compressor at one level with an output buffer sized for the worst case.
class LibdeflateEncoder {
  public:
    LibdeflateEncoder(int level, size_t inputSize)
        : compressor_(libdeflate_alloc_compressor(level), &libdeflate_free_compressor) {
        if (compressor_) out_.resize(libdeflate_deflate_compress_bound(compressor_.get(), inputSize));
    }
    bool valid() const { return compressor_ != nullptr; }
    // The compressed size, or 0 when the output did not fit.
    size_t compress(rovuvuz::ByteView input) {
        return libdeflate_deflate_compress(compressor_.get(), input.data(), input.size(), out_.data(),
                                           out_.size());
    }
    const uint8_t* data() const { return out_.data(); }

  private:
    std::unique_ptr<libdeflate_compressor, decltype(&libdeflate_free_compressor)> compressor_;
    rovuvuz::Bytes out_;
};

// --- saving -----------------------------------------------------------------------------

void ZipWriteReplacingDocument(benchmark::State& state) {
    const BenchPart* part = benchPart(state, largeDocument, bodyPart);
    if (!part) return;
    // The same bytes as new contents: the archive cannot know they are unchanged, so it
    // recompresses the part exactly as it would after an edit.
    const rovuvuz::ZipArchive::Replacements replacing{{std::string(bodyPart), *part->contents}};
    rovuvuz::SharedBytes image;
    for (auto _ : state) {
        image = part->archive.write(replacing);
        benchmark::DoNotOptimize(image->data());
    }
    // A figure for a save that loses the part would mean nothing: read the last image back.
    if (image && rovuvuz::ZipArchive(image).contents(bodyPart) != *part->contents) {
        state.SkipWithError("the written archive does not give the part back");
        return;
    }
    setThroughput(state, part->contents->size());
    state.counters["archive"] = image ? static_cast<double>(image->size()) : 0.0;
}

// What any save must do at least: compress the changed part once and move the whole
// archive's bytes once. The encoder is zlib, the reference; the same floor with the
// engine's own encoder follows, so the archive's own overhead can be read off too.
template <typename Compress>
void writeFloor(benchmark::State& state, const BenchPart& part, Compress compress) {
    const rovuvuz::Bytes& archive = *part.archiveBytes;
    rovuvuz::Bytes copy(archive.size());
    size_t size = 0;
    for (auto _ : state) {
        size = compress();
        if (size == 0) {
            state.SkipWithError("deflate failed");
            break;
        }
        std::memcpy(copy.data(), archive.data(), archive.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    setThroughput(state, part.contents->size());
    setCompressed(state, size, part.contents->size());
}

void ZipWriteFloor(benchmark::State& state) {
    const BenchPart* part = benchPart(state, largeDocument, bodyPart);
    if (!part) return;
    rovuvuz::Bytes compressed;
    writeFloor(state, *part, [&] { return zlibDeflate(*part->contents, compressed); });
}

void ZipWriteFloorLibdeflate(benchmark::State& state) {
    const BenchPart* part = benchPart(state, largeDocument, bodyPart);
    if (!part) return;
    LibdeflateEncoder encoder(deflateLevel, part->contents->size());
    if (!encoder.valid()) {
        state.SkipWithError("libdeflate compressor allocation failed");
        return;
    }
    writeFloor(state, *part, [&] { return encoder.compress(*part->contents); });
}

void DeflateZlib(benchmark::State& state) {
    const BenchPart* part = benchPart(state, largeDocument, bodyPart);
    if (!part) return;
    rovuvuz::Bytes compressed;
    size_t size = 0;
    for (auto _ : state) {
        size = zlibDeflate(*part->contents, compressed);
        if (size == 0) {
            state.SkipWithError("zlib deflate failed");
            break;
        }
        benchmark::DoNotOptimize(compressed.data());
    }
    setThroughput(state, part->contents->size());
    setCompressed(state, size, part->contents->size());
}

// Levels above the engine's are measured too: if one of them matched zlib's ratio at
// level 6 and were still faster, it would be the better choice.
void DeflateLibdeflate(benchmark::State& state) {
    const BenchPart* part = benchPart(state, largeDocument, bodyPart);
    if (!part) return;
    LibdeflateEncoder encoder(static_cast<int>(state.range(0)), part->contents->size());
    if (!encoder.valid()) {
        state.SkipWithError("libdeflate has no such level");
        return;
    }
    size_t size = 0;
    for (auto _ : state) {
        size = encoder.compress(*part->contents);
        if (size == 0) {
            state.SkipWithError("libdeflate compress failed");
            break;
        }
        benchmark::DoNotOptimize(encoder.data());
    }
    setThroughput(state, part->contents->size());
    setCompressed(state, size, part->contents->size());
}

// --- extracting -------------------------------------------------------------------------

// Inflate, CRC-32 check and the new buffer, as a caller gets the part.
void ZipContentsDocument(benchmark::State& state) {
    const BenchPart* part = benchPart(state, largeDocument, bodyPart);
    if (!part) return;
    for (auto _ : state) {
        const rovuvuz::Bytes contents = part->archive.contents(bodyPart);
        benchmark::DoNotOptimize(contents.data());
    }
    setThroughput(state, part->contents->size());
}

void InflateLibdeflate(benchmark::State& state) {
    const BenchPart* part = benchPart(state, largeDocument, bodyPart);
    if (!part) return;
    std::unique_ptr<libdeflate_decompressor, decltype(&libdeflate_free_decompressor)> decompressor(
        libdeflate_alloc_decompressor(), &libdeflate_free_decompressor);
    rovuvuz::Bytes out(part->contents->size());
    for (auto _ : state) {
        size_t produced = 0;
        if (libdeflate_deflate_decompress(decompressor.get(), part->compressed.data(),
                                          part->compressed.size(), out.data(), out.size(),
                                          &produced) != LIBDEFLATE_SUCCESS ||
            produced != out.size()) {
            state.SkipWithError("libdeflate inflate failed");
            break;
        }
        benchmark::DoNotOptimize(out.data());
    }
    setThroughput(state, out.size());
}

void InflateZlib(benchmark::State& state) {
    const BenchPart* part = benchPart(state, largeDocument, bodyPart);
    if (!part) return;
    rovuvuz::Bytes out(part->contents->size());
    for (auto _ : state) {
        z_stream stream{};
        if (inflateInit2(&stream, rawDeflateWindowBits) != Z_OK) {
            state.SkipWithError("zlib inflateInit2 failed");
            break;
        }
        stream.next_in = const_cast<Bytef*>(part->compressed.data());
        stream.avail_in = static_cast<uInt>(part->compressed.size());
        stream.next_out = out.data();
        stream.avail_out = static_cast<uInt>(out.size());
        const int status = inflate(&stream, Z_FINISH);
        const size_t produced = stream.total_out;
        inflateEnd(&stream);
        if (status != Z_STREAM_END || produced != out.size()) {
            state.SkipWithError("zlib inflate failed");
            break;
        }
        benchmark::DoNotOptimize(out.data());
    }
    setThroughput(state, out.size());
}

// The CRC-32 that contents() checks, alone, to show its share of extraction.
void Crc32Zlib(benchmark::State& state) {
    const BenchPart* part = benchPart(state, largeDocument, bodyPart);
    if (!part) return;
    const rovuvuz::Bytes& bytes = *part->contents;
    for (auto _ : state) {
        uLong crc = crc32(0, bytes.data(), static_cast<uInt>(bytes.size()));
        benchmark::DoNotOptimize(crc);
    }
    setThroughput(state, bytes.size());
}

BENCHMARK(ZipWriteReplacingDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(ZipWriteFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(ZipWriteFloorLibdeflate)->Unit(benchmark::kMillisecond);
BENCHMARK(DeflateZlib)->Unit(benchmark::kMillisecond);
BENCHMARK(DeflateLibdeflate)->DenseRange(deflateLevel, 9)->Unit(benchmark::kMillisecond);
BENCHMARK(ZipContentsDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(InflateLibdeflate)->Unit(benchmark::kMillisecond);
BENCHMARK(InflateZlib)->Unit(benchmark::kMillisecond);
BENCHMARK(Crc32Zlib)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tovin::bench
