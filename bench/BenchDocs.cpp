#include "BenchDocs.h"

#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>

#include <zlib.h>

namespace tovin::bench {

namespace {

rovuvuz::Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path.string());
    return rovuvuz::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

constexpr std::string_view unsetMessage =
    "TOVIN_BENCH_DOCS is not set (run `make bench`, or bench/make-docs.sh DIR)";

// A failed load is remembered too, so every benchmark reports the same reason without
// reading the file again.
struct Loaded {
    std::unique_ptr<BenchPart> part;
    std::string error;
};

Loaded load(std::string_view document, std::string_view partName) {
    const char* folder = std::getenv("TOVIN_BENCH_DOCS");
    if (folder == nullptr || *folder == '\0') return {nullptr, std::string(unsetMessage)};
    try {
        auto bytes = rovuvuz::share(readFile(std::filesystem::path(folder) / document));
        rovuvuz::ZipArchive archive(bytes);
        const rovuvuz::ZipArchive::Entry* entry = archive.entry(partName);
        if (entry == nullptr) return {nullptr, std::string(document) + " has no " + std::string(partName)};
        if (entry->method != 8) return {nullptr, std::string(partName) + " is not DEFLATE-compressed"};
        auto contents = rovuvuz::share(archive.contents(partName));
        const rovuvuz::ByteView compressed = rovuvuz::viewOf(*bytes, entry->dataRange);
        return {std::make_unique<BenchPart>(BenchPart{bytes, std::move(archive), contents, compressed}), {}};
    } catch (const std::exception& error) {
        return {nullptr, std::string(document) + ": " + error.what()};
    }
}

}  // namespace

const BenchPart* benchPart(benchmark::State& state, std::string_view document, std::string_view part) {
    static std::map<std::string, Loaded, std::less<>> cache;
    const std::string key = std::string(document) + "!" + std::string(part);
    auto found = cache.find(key);
    if (found == cache.end()) found = cache.emplace(key, load(document, part)).first;
    if (!found->second.part) {
        state.SkipWithError(found->second.error.c_str());
        return nullptr;
    }
    return found->second.part.get();
}

std::optional<std::filesystem::path> documentPath(benchmark::State& state, std::string_view document) {
    const char* folder = std::getenv("TOVIN_BENCH_DOCS");
    if (folder == nullptr || *folder == '\0') {
        state.SkipWithError(std::string(unsetMessage).c_str());
        return std::nullopt;
    }
    std::filesystem::path path = std::filesystem::path(folder) / document;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        state.SkipWithError(("no such document: " + path.string()).c_str());
        return std::nullopt;
    }
    return path;
}

size_t walkTags(rovuvuz::ByteView bytes) {
    const uint8_t* at = bytes.data();
    const uint8_t* end = at + bytes.size();
    size_t tags = 0;
    while (at < end) {
        const auto* open = static_cast<const uint8_t*>(std::memchr(at, '<', static_cast<size_t>(end - at)));
        if (!open) break;
        const auto* close = static_cast<const uint8_t*>(std::memchr(open, '>', static_cast<size_t>(end - open)));
        if (!close) break;
        ++tags;
        at = close + 1;
    }
    return tags;
}

size_t zlibDeflate(rovuvuz::ByteView input, rovuvuz::Bytes& out) {
    constexpr int rawDeflateWindowBits = -15;  // no zlib header or trailer
    constexpr int zlibMemLevel = 8;            // zlib's default
    z_stream stream{};
    if (deflateInit2(&stream, deflateLevel, Z_DEFLATED, rawDeflateWindowBits, zlibMemLevel,
                     Z_DEFAULT_STRATEGY) != Z_OK)
        return 0;
    out.resize(deflateBound(&stream, static_cast<uLong>(input.size())));
    stream.next_in = const_cast<Bytef*>(input.data());
    stream.avail_in = static_cast<uInt>(input.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    const int status = deflate(&stream, Z_FINISH);
    const size_t written = stream.total_out;
    deflateEnd(&stream);
    return status == Z_STREAM_END ? written : 0;
}

void setThroughput(benchmark::State& state, size_t bytesPerIteration) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(bytesPerIteration));
}

}  // namespace tovin::bench
