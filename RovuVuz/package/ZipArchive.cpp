#include "RovuVuz/package/ZipArchive.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <new>
#include <numeric>
#include <optional>

#include "RovuVuz/xml/Utf8.h"

namespace rovuvuz {

namespace {

// Record layouts from PKWARE's APPNOTE.TXT. Offsets are from the record's signature.

// 4.3.7 Local file header.
namespace localHeader {
constexpr uint32_t signature = 0x04034b50;
constexpr size_t fixedSize = 30;
constexpr size_t versionNeeded = 4;
constexpr size_t flags = 6;
constexpr size_t method = 8;
constexpr size_t time = 10;
constexpr size_t date = 12;
constexpr size_t crc = 14;
constexpr size_t compressedSize = 18;
constexpr size_t uncompressedSize = 22;
constexpr size_t nameLength = 26;
constexpr size_t extraLength = 28;
}  // namespace localHeader

// 4.3.12 Central directory file header.
namespace centralHeader {
constexpr uint32_t signature = 0x02014b50;
constexpr size_t fixedSize = 46;
constexpr size_t versionMadeBy = 4;
constexpr size_t versionNeeded = 6;
constexpr size_t flags = 8;
constexpr size_t method = 10;
constexpr size_t time = 12;
constexpr size_t date = 14;
constexpr size_t crc = 16;
constexpr size_t compressedSize = 20;
constexpr size_t uncompressedSize = 24;
constexpr size_t nameLength = 28;
constexpr size_t extraLength = 30;
constexpr size_t commentLength = 32;
constexpr size_t diskNumberStart = 34;
constexpr size_t internalAttributes = 36;
constexpr size_t externalAttributes = 38;
constexpr size_t localHeaderOffset = 42;
}  // namespace centralHeader

// 4.3.16 End of central directory record.
namespace endHeader {
constexpr uint32_t signature = 0x06054b50;
constexpr size_t fixedSize = 22;
constexpr size_t entriesOnDisk = 8;
constexpr size_t totalEntries = 10;
constexpr size_t directorySize = 12;
constexpr size_t directoryOffset = 16;
constexpr size_t commentLength = 20;
constexpr size_t maxCommentLength = 0xFFFF;
}  // namespace endHeader

// 4.3.9 Data descriptor: CRC and both sizes, optionally preceded by a signature.
namespace dataDescriptor {
constexpr uint32_t signature = 0x08074b50;
constexpr size_t sizeWithSignature = 16;
constexpr size_t sizeWithoutSignature = 12;
}  // namespace dataDescriptor

// 4.4.4 General purpose bit 3: sizes and CRC follow the data in a descriptor.
constexpr uint16_t flagDataDescriptor = 0x0008;
constexpr uint16_t methodStored = 0;
constexpr uint16_t methodDeflated = 8;
// 4.4.3: version 2.0 is the minimum for DEFLATE.
constexpr uint16_t versionDeflate = 20;
// MS-DOS date for 1980-01-01 (year 0, month 1, day 1), the earliest date the field holds.
constexpr uint16_t dosDate1980 = 0x0021;
// 4.4.1.4 / 4.5.3: these values in a 16- or 32-bit field mean "look in the ZIP64 record".
constexpr uint16_t zip64Marker16 = 0xFFFF;
constexpr uint32_t zip64Marker32 = 0xFFFFFFFF;

// A raw DEFLATE stream expands at most 1032:1 (one 258-byte match per two bits); the
// constant covers the block headers of a tiny stream.
constexpr uint64_t maxDeflateRatio = 1032;
constexpr uint64_t deflateSlack = 1024;
// libdeflate's level 7 compresses a 500-page body about 1% smaller than zlib's level 6
// and still 1.3 times as fast (bench/ZipBench.cpp); level 6 is faster again but larger.
constexpr int compressionLevel = 7;

[[noreturn]] void fail(ZipErrorCode code, std::string detail, std::string entryName = {}) {
    throw ZipError(code, std::move(entryName), 0, std::move(detail));
}

// Every field of the file is read through these two; an offset past the data is a
// truncated archive, whatever the caller checked before.
uint16_t readLE16(ByteView bytes, uint64_t offset) {
    if (offset > bytes.size() || bytes.size() - offset < 2)
        fail(ZipErrorCode::truncated, "a field lies past the end of the data");
    return static_cast<uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

uint32_t readLE32(ByteView bytes, uint64_t offset) {
    if (offset > bytes.size() || bytes.size() - offset < 4)
        fail(ZipErrorCode::truncated, "a field lies past the end of the data");
    return static_cast<uint32_t>(bytes[offset]) | static_cast<uint32_t>(bytes[offset + 1]) << 8 |
           static_cast<uint32_t>(bytes[offset + 2]) << 16 | static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

void putLE16(Bytes& out, size_t offset, uint16_t value) {
    out[offset] = static_cast<uint8_t>(value);
    out[offset + 1] = static_cast<uint8_t>(value >> 8);
}

void putLE32(Bytes& out, size_t offset, uint32_t value) {
    putLE16(out, offset, static_cast<uint16_t>(value));
    putLE16(out, offset + 2, static_cast<uint16_t>(value >> 16));
}

void appendBytes(Bytes& out, ByteView bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

// The end record is the last 22+ bytes; its comment may itself contain the signature, so
// a candidate counts only when its comment length reaches exactly to the end of the data.
std::optional<uint64_t> findEndRecord(ByteView bytes) {
    const uint64_t n = bytes.size();
    if (n < endHeader::fixedSize) return std::nullopt;
    const uint64_t highest = n - endHeader::fixedSize;
    const uint64_t lowest = highest > endHeader::maxCommentLength ? highest - endHeader::maxCommentLength : 0;
    for (uint64_t p = highest + 1; p-- > lowest;) {
        if (readLE32(bytes, p) != endHeader::signature) continue;
        if (p + endHeader::fixedSize + readLE16(bytes, p + endHeader::commentLength) == n) return p;
    }
    return std::nullopt;
}

// Reads the central record at `offset` and locates its local record. `limit` is where the
// end record starts: central records may not run into it.
ZipArchive::Entry readEntry(ByteView bytes, uint64_t offset, uint64_t limit, size_t position) {
    const std::string which = "central record " + std::to_string(position);
    if (offset + centralHeader::fixedSize > bytes.size() ||
        readLE32(bytes, offset) != centralHeader::signature)
        fail(ZipErrorCode::truncated, which + " is missing or runs past the end of the data");

    ZipArchive::Entry entry;
    // Only the low byte of the flags matters here (bit 3, the data descriptor).
    const uint8_t flags = bytes[offset + centralHeader::flags];
    entry.method = readLE16(bytes, offset + centralHeader::method);
    entry.crc32 = readLE32(bytes, offset + centralHeader::crc);
    const uint32_t compressedSize = readLE32(bytes, offset + centralHeader::compressedSize);
    const uint32_t uncompressedSize = readLE32(bytes, offset + centralHeader::uncompressedSize);
    const uint64_t nameLength = readLE16(bytes, offset + centralHeader::nameLength);
    const uint64_t extraLength = readLE16(bytes, offset + centralHeader::extraLength);
    const uint64_t commentLength = readLE16(bytes, offset + centralHeader::commentLength);
    const uint64_t localOffset = readLE32(bytes, offset + centralHeader::localHeaderOffset);
    if (compressedSize == zip64Marker32 || uncompressedSize == zip64Marker32 || localOffset == zip64Marker32)
        fail(ZipErrorCode::zip64Unsupported, which + " holds a ZIP64 size or offset");
    entry.compressedSize = compressedSize;
    entry.uncompressedSize = uncompressedSize;

    const uint64_t next = offset + centralHeader::fixedSize + nameLength + extraLength + commentLength;
    if (next > limit) fail(ZipErrorCode::truncated, which + " runs into the end record");
    entry.name = utf8::repaired(bytes.subspan(offset + centralHeader::fixedSize, nameLength));

    if (localOffset + localHeader::fixedSize > bytes.size() ||
        readLE32(bytes, localOffset) != localHeader::signature)
        fail(ZipErrorCode::truncated, "the local header is missing or damaged", entry.name);
    // The local header's own name and extra lengths may differ from the central record's;
    // the sizes come from the central record, since a local one may be zero (bit 3).
    const uint64_t dataStart = localOffset + localHeader::fixedSize +
                               readLE16(bytes, localOffset + localHeader::nameLength) +
                               readLE16(bytes, localOffset + localHeader::extraLength);
    const uint64_t dataEnd = dataStart + compressedSize;
    uint64_t localEnd = dataEnd;
    if (flags & flagDataDescriptor) {
        const bool signed_ =
            dataEnd + 4 <= bytes.size() && readLE32(bytes, dataEnd) == dataDescriptor::signature;
        localEnd += signed_ ? dataDescriptor::sizeWithSignature : dataDescriptor::sizeWithoutSignature;
    }
    if (localEnd > bytes.size())
        fail(ZipErrorCode::truncated, "the data runs past the end of the archive", entry.name);

    entry.centralRecord = {offset, next};
    entry.localRecord = {localOffset, localEnd};
    entry.dataRange = {dataStart, dataEnd};
    return entry;
}

// Two central records sharing one local record would be written back as two copies of it,
// and overlapping records cannot both be copied verbatim; neither comes from a sane writer.
void checkLocalRecordsDisjoint(const std::vector<ZipArchive::Entry>& entries) {
    std::vector<const ZipArchive::Entry*> byStart;
    byStart.reserve(entries.size());
    for (const auto& entry : entries) byStart.push_back(&entry);
    std::stable_sort(byStart.begin(), byStart.end(),
                     [](auto* a, auto* b) { return a->localRecord.lower < b->localRecord.lower; });
    for (size_t i = 1; i < byStart.size(); ++i)
        if (byStart[i]->localRecord.lower < byStart[i - 1]->localRecord.upper)
            fail(ZipErrorCode::truncated, "the local records of '" + byStart[i - 1]->name + "' and '" +
                                              byStart[i]->name + "' overlap");
}

// The two DEFLATE calls, kept small so the codec can be swapped.

// Decodes a raw DEFLATE stream (RFC 1951) that must fill `out` exactly.
bool inflateRaw(ByteView in, std::span<uint8_t> out) {
    thread_local std::unique_ptr<libdeflate_decompressor, decltype(&libdeflate_free_decompressor)>
        decompressor(libdeflate_alloc_decompressor(), &libdeflate_free_decompressor);
    if (!decompressor) throw std::bad_alloc();
    size_t produced = 0;
    const auto result = libdeflate_deflate_decompress(decompressor.get(), in.data(), in.size(), out.data(),
                                                      out.size(), &produced);
    return result == LIBDEFLATE_SUCCESS && produced == out.size();
}

// Encodes `in` as raw DEFLATE in at most `limit` bytes; empty when it does not fit.
Bytes deflateRaw(ByteView in, size_t limit) {
    thread_local std::unique_ptr<libdeflate_compressor, decltype(&libdeflate_free_compressor)> compressor(
        libdeflate_alloc_compressor(compressionLevel), &libdeflate_free_compressor);
    if (!compressor) throw std::bad_alloc();
    if (limit == 0) return {};
    Bytes out(limit);
    out.resize(libdeflate_deflate_compress(compressor.get(), in.data(), in.size(), out.data(), out.size()));
    return out;
}

// With `blocks`, zlib decodes and records the block starts; a stream it refuses is tried
// again with libdeflate, without a record.
Bytes inflate(ByteView compressed, size_t size, const std::string& name,
              DeflateSplice::BlockMap* blocks = nullptr) {
    if (size == 0) return {};
    // Refuse before allocating: a declared size the bytes present could never produce is
    // a zip bomb or a damaged record.
    if (size > ZipArchive::maxEntrySize || size > compressed.size() * maxDeflateRatio + deflateSlack)
        throw ZipError(ZipErrorCode::inflateFailed, name);
    Bytes out(size);
    if (blocks && DeflateSplice::inflateRecording(compressed, out, *blocks)) return out;
    if (!inflateRaw(compressed, out)) throw ZipError(ZipErrorCode::inflateFailed, name);
    return out;
}

struct Compressed {
    uint16_t method = methodStored;
    Bytes deflated;               // empty when stored: the payload is then the input itself
    std::optional<uint32_t> crc;  // of the input, when already known

    ByteView payload(ByteView input) const { return method == methodStored ? input : ByteView(deflated); }
};

// DEFLATE only when it saves at least one byte; otherwise the entry is stored.
Compressed compress(ByteView input, bool preferStored) {
    if (preferStored || input.empty()) return {};
    Bytes deflated = deflateRaw(input, input.size() - 1);
    if (deflated.empty()) return {};
    return {methodDeflated, std::move(deflated), std::nullopt};
}

// A splice when it lines up and still saves a byte; otherwise the whole is compressed.
Compressed compress(ByteView input, ByteView original, const ZipArchive::Entry& entry,
                    const ZipArchive::SpliceSource* source, const DeflateSplice::Policy& policy) {
    if (source && source->blocks && entry.method == methodDeflated) {
        const ByteView oldStream = original.subspan(entry.dataRange.lower, entry.dataRange.size());
        auto spliced = DeflateSplice::splice(oldStream, *source->blocks, source->oldContents, input, policy);
        if (spliced && spliced->deflated.size() < input.size())
            return {methodDeflated, std::move(spliced->deflated), spliced->crc};
    }
    return compress(input, entry.method == methodStored);
}

// The image has no ZIP64 records, so every 32-bit field must hold its value and must not
// hold the ZIP64 marker, which a reader would take as "look elsewhere".
uint32_t fit32(uint64_t value, const char* what, const std::string& name = {}) {
    if (value >= zip64Marker32)
        fail(ZipErrorCode::zip64Unsupported, std::string(what) + " would need ZIP64", name);
    return static_cast<uint32_t>(value);
}

struct NewData {
    uint16_t method;
    uint32_t crc;
    uint32_t compressedSize;
    uint32_t uncompressedSize;
};

NewData describe(const Compressed& compressed, ByteView contents, const std::string& name) {
    return {compressed.method, compressed.crc ? *compressed.crc : ZipArchive::crc32(contents),
            fit32(compressed.payload(contents).size(), "the compressed size", name),
            fit32(contents.size(), "the uncompressed size", name)};
}

// Rewrites one local record with new contents, keeping the original header's version,
// time, date, name and extra field. The data descriptor is dropped with its flag.
NewData appendReplacedLocal(Bytes& out, ByteView original, const ZipArchive::Entry& entry, ByteView contents,
                            const ZipArchive::SpliceSource* source, const DeflateSplice::Policy& policy) {
    const Compressed compressed = compress(contents, original, entry, source, policy);
    const NewData info = describe(compressed, contents, entry.name);
    const size_t header = out.size();
    appendBytes(out,
                original.subspan(entry.localRecord.lower, entry.dataRange.lower - entry.localRecord.lower));
    putLE16(out, header + localHeader::flags,
            readLE16(out, header + localHeader::flags) & static_cast<uint16_t>(~flagDataDescriptor));
    putLE16(out, header + localHeader::method, info.method);
    putLE32(out, header + localHeader::crc, info.crc);
    putLE32(out, header + localHeader::compressedSize, info.compressedSize);
    putLE32(out, header + localHeader::uncompressedSize, info.uncompressedSize);
    appendBytes(out, compressed.payload(contents));
    return info;
}

struct AddedEntry {
    std::string_view name;
    uint32_t offset;
    NewData info;
};

AddedEntry appendAddedLocal(Bytes& out, const std::string& name, ByteView contents) {
    if (name.size() > 0xFFFF)
        fail(ZipErrorCode::zip64Unsupported, "the name is longer than 65535 bytes", name);
    const Compressed compressed = compress(contents, false);
    const AddedEntry added{name, fit32(out.size(), "a local header offset", name),
                           describe(compressed, contents, name)};
    const size_t header = out.size();
    out.resize(header + localHeader::fixedSize);
    putLE32(out, header, localHeader::signature);
    putLE16(out, header + localHeader::versionNeeded, versionDeflate);
    putLE16(out, header + localHeader::flags, 0);
    putLE16(out, header + localHeader::method, added.info.method);
    putLE16(out, header + localHeader::time, 0);
    putLE16(out, header + localHeader::date, dosDate1980);
    putLE32(out, header + localHeader::crc, added.info.crc);
    putLE32(out, header + localHeader::compressedSize, added.info.compressedSize);
    putLE32(out, header + localHeader::uncompressedSize, added.info.uncompressedSize);
    putLE16(out, header + localHeader::nameLength, static_cast<uint16_t>(name.size()));
    putLE16(out, header + localHeader::extraLength, 0);
    appendBytes(out, asBytes(name));
    appendBytes(out, compressed.payload(contents));
    return added;
}

const ZipArchive::SpliceSource* splicingOf(const ZipArchive::SpliceSources& splicing, std::string_view name) {
    const auto found = splicing.find(name);
    return found == splicing.end() ? nullptr : &found->second;
}

// Copies a central record, pointing it at its new local header and, for a replaced entry,
// describing the new data.
void appendCentral(Bytes& out, ByteView original, const ZipArchive::Entry& entry, uint32_t localOffset,
                   const std::optional<NewData>& replaced) {
    const size_t record = out.size();
    appendBytes(out, original.subspan(entry.centralRecord.lower, entry.centralRecord.size()));
    putLE32(out, record + centralHeader::localHeaderOffset, localOffset);
    if (!replaced) return;
    putLE16(out, record + centralHeader::flags,
            readLE16(out, record + centralHeader::flags) & static_cast<uint16_t>(~flagDataDescriptor));
    putLE16(out, record + centralHeader::method, replaced->method);
    putLE32(out, record + centralHeader::crc, replaced->crc);
    putLE32(out, record + centralHeader::compressedSize, replaced->compressedSize);
    putLE32(out, record + centralHeader::uncompressedSize, replaced->uncompressedSize);
}

void appendAddedCentral(Bytes& out, const AddedEntry& added) {
    const size_t record = out.size();
    out.resize(record + centralHeader::fixedSize);
    putLE32(out, record, centralHeader::signature);
    putLE16(out, record + centralHeader::versionMadeBy, versionDeflate);
    putLE16(out, record + centralHeader::versionNeeded, versionDeflate);
    putLE16(out, record + centralHeader::flags, 0);
    putLE16(out, record + centralHeader::method, added.info.method);
    putLE16(out, record + centralHeader::time, 0);
    putLE16(out, record + centralHeader::date, dosDate1980);
    putLE32(out, record + centralHeader::crc, added.info.crc);
    putLE32(out, record + centralHeader::compressedSize, added.info.compressedSize);
    putLE32(out, record + centralHeader::uncompressedSize, added.info.uncompressedSize);
    putLE16(out, record + centralHeader::nameLength, static_cast<uint16_t>(added.name.size()));
    putLE16(out, record + centralHeader::extraLength, 0);
    putLE16(out, record + centralHeader::commentLength, 0);
    putLE16(out, record + centralHeader::diskNumberStart, 0);
    putLE16(out, record + centralHeader::internalAttributes, 0);
    putLE32(out, record + centralHeader::externalAttributes, 0);
    putLE32(out, record + centralHeader::localHeaderOffset, added.offset);
    appendBytes(out, asBytes(added.name));
}

std::string summary(ZipErrorCode code, const std::string& name, uint16_t method) {
    const std::string entry = "entry '" + name + "'";
    switch (code) {
        case ZipErrorCode::unsupportedMethod:
            return entry + " uses compression method " + std::to_string(method) +
                   " (only stored and DEFLATE are supported)";
        case ZipErrorCode::missingEntry:
            return "no entry named '" + name + "' in the archive";
        case ZipErrorCode::inflateFailed:
            return entry + " did not inflate to its declared size";
        case ZipErrorCode::crcMismatch:
            return entry + " does not match its recorded CRC-32";
        case ZipErrorCode::notAZip:
            return "not a ZIP archive (no end-of-central-directory record)";
        case ZipErrorCode::truncated:
            return name.empty() ? "damaged ZIP archive" : "damaged ZIP archive at " + entry;
        case ZipErrorCode::zip64Unsupported:
            return name.empty() ? "ZIP64 archives are not supported" : "ZIP64 is not supported, at " + entry;
    }
    return "ZIP error";
}

std::string message(ZipErrorCode code, const std::string& name, uint16_t method, const std::string& detail) {
    std::string text = summary(code, name, method);
    if (!detail.empty()) text += " (" + detail + ")";
    return text;
}

}  // namespace

ZipError::ZipError(ZipErrorCode code, std::string entryName, uint16_t method, std::string detail)
    : std::runtime_error(message(code, entryName, method, detail)),
      code_(code),
      entryName_(std::move(entryName)),
      method_(method),
      detail_(std::move(detail)) {}

ZipArchive::ZipArchive(SharedBytes data) : data_(data ? std::move(data) : share({})) {
    const ByteView bytes(*data_);
    const std::optional<uint64_t> end = findEndRecord(bytes);
    if (!end) throw ZipError(ZipErrorCode::notAZip);

    const uint16_t count = readLE16(bytes, *end + endHeader::totalEntries);
    const uint64_t directorySize = readLE32(bytes, *end + endHeader::directorySize);
    const uint64_t directoryOffset = readLE32(bytes, *end + endHeader::directoryOffset);
    if (directoryOffset == zip64Marker32 || count == zip64Marker16)
        fail(ZipErrorCode::zip64Unsupported, "the end record holds a ZIP64 marker");
    if (directoryOffset + directorySize > *end)
        fail(ZipErrorCode::truncated, "the central directory runs into the end record");

    // Each record takes at least 46 bytes, so the declared count cannot drive the
    // reservation past what the data could hold.
    entries_.reserve(
        std::min<uint64_t>(count, (*end - std::min(*end, directoryOffset)) / centralHeader::fixedSize));
    uint64_t offset = directoryOffset;
    for (size_t i = 0; i < count; ++i) {
        entries_.push_back(readEntry(bytes, offset, *end, i));
        offset = entries_.back().centralRecord.upper;
    }
    checkLocalRecordsDisjoint(entries_);

    for (size_t i = 0; i < entries_.size(); ++i) index_.try_emplace(entries_[i].name, i);
    endRecord_ = {*end, bytes.size()};
    centralDirectory_ = {directoryOffset, directoryOffset + directorySize};
}

const ZipArchive::Entry* ZipArchive::entry(std::string_view name) const {
    const auto found = index_.find(name);
    return found == index_.end() ? nullptr : &entries_[found->second];
}

Bytes ZipArchive::contents(std::string_view name) const {
    return extract(name, nullptr);
}

Bytes ZipArchive::contents(std::string_view name, DeflateSplice::BlockMap& blocks) const {
    blocks = {};
    return extract(name, &blocks);
}

Bytes ZipArchive::extract(std::string_view name, DeflateSplice::BlockMap* blocks) const {
    const Entry* found = entry(name);
    if (!found) throw ZipError(ZipErrorCode::missingEntry, std::string(name));
    const ByteView slice = viewOf(*data_, found->dataRange);
    Bytes result;
    switch (found->method) {
        case methodDeflated:
            result = inflate(slice, found->uncompressedSize, found->name, blocks);
            break;
        case methodStored:
            result.assign(slice.begin(), slice.end());
            break;
        default:
            throw ZipError(ZipErrorCode::unsupportedMethod, found->name, found->method);
    }
    // A recorded stream's CRC was taken while it was inflated.
    const uint32_t crc = blocks && !blocks->empty() ? blocks->crc : crc32(result);
    if (crc != found->crc32) throw ZipError(ZipErrorCode::crcMismatch, found->name);
    return result;
}

SharedBytes ZipArchive::write(const Replacements& replacing) const {
    return write(replacing, {}, DeflateSplice::Policy{.enabled = false});
}

SharedBytes ZipArchive::write(const Replacements& replacing, const SpliceSources& splicing,
                              const DeflateSplice::Policy& policy) const {
    if (replacing.empty()) return data_;
    const ByteView original(*data_);

    size_t reserve = original.size();
    for (const auto& [name, contents] : replacing) reserve += contents.size();
    Bytes out;
    out.reserve(reserve);

    // Local records go out in file order; bytes before the first one (a stub) survive,
    // while gaps between records and the old directory do not.
    std::vector<size_t> byStart(entries_.size());
    std::iota(byStart.begin(), byStart.end(), size_t{0});
    std::stable_sort(byStart.begin(), byStart.end(), [this](size_t a, size_t b) {
        return entries_[a].localRecord.lower < entries_[b].localRecord.lower;
    });
    if (!byStart.empty()) appendBytes(out, original.first(entries_[byStart.front()].localRecord.lower));

    // Keyed by entry index, not name, so that two records of one name keep their own
    // local headers.
    std::vector<uint32_t> newOffset(entries_.size());
    std::vector<std::optional<NewData>> replaced(entries_.size());
    for (size_t i : byStart) {
        const Entry& e = entries_[i];
        newOffset[i] = fit32(out.size(), "a local header offset", e.name);
        const auto replacement = replacing.find(e.name);
        if (replacement == replacing.end())
            appendBytes(out, viewOf(*data_, e.localRecord));
        else
            // Blocks are recorded for the entry its name finds, the first of that name.
            replaced[i] = appendReplacedLocal(out, original, e, replacement->second,
                                              index_.at(e.name) == i ? splicingOf(splicing, e.name) : nullptr,
                                              policy);
    }

    std::vector<AddedEntry> added;
    for (const auto& [name, contents] : replacing)
        if (!index_.contains(name)) added.push_back(appendAddedLocal(out, name, contents));
    if (entries_.size() + added.size() >= zip64Marker16)
        fail(ZipErrorCode::zip64Unsupported, "65535 or more entries would need ZIP64");

    const uint32_t directoryStart = fit32(out.size(), "the central directory offset");
    for (size_t i = 0; i < entries_.size(); ++i)
        appendCentral(out, original, entries_[i], newOffset[i], replaced[i]);
    for (const AddedEntry& addition : added) appendAddedCentral(out, addition);
    const uint32_t directorySize = fit32(out.size() - directoryStart, "the central directory size");

    const size_t end = out.size();
    appendBytes(out, viewOf(*data_, endRecord_));
    const auto count = static_cast<uint16_t>(entries_.size() + added.size());
    putLE16(out, end + endHeader::entriesOnDisk, count);
    putLE16(out, end + endHeader::totalEntries, count);
    putLE32(out, end + endHeader::directorySize, directorySize);
    putLE32(out, end + endHeader::directoryOffset, directoryStart);
    return share(std::move(out));
}

uint32_t ZipArchive::crc32(ByteView data) {
    // libdeflate's CRC-32 is zlib's, computed several times faster.
    return libdeflate_crc32(0, data.data(), data.size());
}

}  // namespace rovuvuz
