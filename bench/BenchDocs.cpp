#include "BenchDocs.h"

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>

namespace tovin::bench {

namespace {

rovuvuz::Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path.string());
    return rovuvuz::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A failed load is remembered too, so every benchmark reports the same reason without
// reading the file again.
struct Loaded {
    std::unique_ptr<BenchPart> part;
    std::string error;
};

Loaded load(std::string_view document, std::string_view partName) {
    const char* folder = std::getenv("TOVIN_BENCH_DOCS");
    if (folder == nullptr || *folder == '\0')
        return {nullptr, "TOVIN_BENCH_DOCS is not set (run `make bench`, or bench/make-docs.sh DIR)"};
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

void setThroughput(benchmark::State& state, size_t bytesPerIteration) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(bytesPerIteration));
}

}  // namespace tovin::bench
