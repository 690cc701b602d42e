// Finds the benchmark documents and hands out the parts the benchmarks measure.
//
// The documents live in the folder named by the environment variable TOVIN_BENCH_DOCS
// (bench/make-docs.sh makes them; `make bench` sets the variable). Each document is read
// and its parts extracted once per process, so a benchmark's timed loop sees only the
// work it measures.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <benchmark/benchmark.h>

#include "RovuVuz/package/ZipArchive.h"
#include "RovuVuz/xml/Bytes.h"

namespace tovin::bench {

// The largest document, about 500 pages: the one the per-part benchmarks use.
inline constexpr std::string_view largeDocument = "bench-500.docx";
inline constexpr std::string_view bodyPart = "word/document.xml";

struct BenchPart {
    rovuvuz::SharedBytes archiveBytes;  // the whole .docx
    rovuvuz::ZipArchive archive;
    rovuvuz::SharedBytes contents;  // the part, inflated
    rovuvuz::ByteView compressed;   // the part's raw DEFLATE bytes inside archiveBytes
};

// The named part of the named document in TOVIN_BENCH_DOCS. When the variable is unset
// or the document cannot be read, marks `state` skipped with the reason and returns
// nullptr; the caller must then return without entering its timed loop.
const BenchPart* benchPart(benchmark::State& state, std::string_view document, std::string_view part);

// The path of the named document in TOVIN_BENCH_DOCS, for benchmarks that read the file
// themselves. When the variable is unset or the file is missing, marks `state` skipped
// and returns nothing.
std::optional<std::filesystem::path> documentPath(benchmark::State& state, std::string_view document);

// Finds every "<" and the ">" after it with memchr and returns how many tags it saw: the
// least work that still visits each tag once. It is not a parser (a ">" inside an
// attribute value ends the tag early) and builds nothing, so it bounds from below what
// tokenizing a part can cost.
size_t walkTags(rovuvuz::ByteView bytes);

// The zlib level of the reference floors (the engine itself uses libdeflate, see ZipArchive.cpp).
inline constexpr int deflateLevel = 6;

// Raw DEFLATE (as ZIP stores it) with zlib at deflateLevel into `out`, which is resized to
// zlib's bound; returns the compressed size, or 0 when zlib fails.
size_t zlibDeflate(rovuvuz::ByteView input, rovuvuz::Bytes& out);

// Reports bytes_per_second for a loop that handled `bytesPerIteration` bytes each time.
void setThroughput(benchmark::State& state, size_t bytesPerIteration);

}  // namespace tovin::bench
