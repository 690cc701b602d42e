// Fuzz target for ZipArchive: any bytes either open or fail with ZipError; every entry
// extracts or fails with ZipError; and an archive that opens can be written with one
// entry replaced, re-opened, and still holds every untouched local record byte for byte.
// Every deflated entry is also extracted with its blocks recorded and replaced by an edit
// of itself, spliced: the splice either declines or inflates to exactly the edit.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "RovuVuz/package/ZipArchive.h"

using namespace rovuvuz;

namespace {

bool sameBytes(const Bytes& a, ByteRange ra, const Bytes& b, ByteRange rb) {
    return ra.size() == rb.size() &&
           std::equal(a.begin() + ra.lower, a.begin() + ra.upper, b.begin() + rb.lower);
}

// Checks what write() promises, aborting on any violation so the fuzzer reports it.
void checkRewrite(const ZipArchive& archive, const std::string& name, const Bytes& replacement) {
    SharedBytes written;
    try {
        written = archive.write({{name, replacement}});
    } catch (const ZipError& error) {
        if (error.code() != ZipErrorCode::zip64Unsupported) std::abort();
        return;
    }
    std::optional<ZipArchive> reopened;
    try {
        reopened.emplace(written);
    } catch (const ZipError&) {
        std::abort();
    }
    const auto& before = archive.entries();
    const auto& after = reopened->entries();
    const bool added = archive.entry(name) == nullptr;
    if (after.size() != before.size() + (added ? 1 : 0)) std::abort();
    for (size_t i = 0; i < before.size(); ++i) {
        if (after[i].name != before[i].name) std::abort();
        if (before[i].name == name) continue;
        if (!sameBytes(*archive.data(), before[i].localRecord, *written, after[i].localRecord)) std::abort();
    }
    try {
        if (reopened->contents(name) != replacement) std::abort();
    } catch (const ZipError&) {
        std::abort();
    }
}

// An edit in the middle of the contents, spliced into the entry's own stream.
void checkSplice(const ZipArchive& archive, const ZipArchive::Entry& entry) {
    DeflateSplice::BlockMap blocks;
    Bytes contents;
    try {
        contents = archive.contents(entry.name, blocks);
    } catch (const ZipError&) {
        return;
    }
    if (blocks.empty()) return;
    if (blocks.blocks.size() > DeflateSplice::BlockMap::maxBlocks || blocks.size != contents.size())
        std::abort();
    Bytes edited = contents;
    const size_t at = edited.size() / 2;
    edited.insert(edited.begin() + static_cast<ptrdiff_t>(at), {'<', 'e', '/', '>'});
    const DeflateSplice::Policy policy{.minimumSize = 0, .maximumShare = 1.0};
    const ByteView stream = viewOf(*archive.data(), entry.dataRange);
    const auto spliced = DeflateSplice::splice(stream, blocks, contents, edited, policy);
    if (!spliced) return;
    if (spliced->crc != ZipArchive::crc32(edited)) std::abort();
    // Read back through the archive writer and reader, which inflate it.
    const SharedBytes image =
        archive.write({{entry.name, ByteView(edited)}}, {{entry.name, {&blocks, contents}}}, policy);
    try {
        if (ZipArchive(image).contents(entry.name) != edited) std::abort();
    } catch (const ZipError&) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::optional<ZipArchive> archive;
    try {
        archive.emplace(share(Bytes(data, data + size)));
    } catch (const ZipError&) {
        return 0;
    }
    for (const auto& entry : archive->entries()) {
        try {
            archive->contents(entry.name);
        } catch (const ZipError&) {
        }
        if (entry.method == 8) checkSplice(*archive, entry);
    }
    // Some of the input, twice over, so that the replacement usually compresses.
    Bytes replacement(data, data + std::min<size_t>(size, 512));
    replacement.insert(replacement.end(), data, data + std::min<size_t>(size, 512));
    const std::string name = archive->entries().empty() ? "added.xml" : archive->entries().front().name;
    checkRewrite(*archive, name, replacement);
    return 0;
}
