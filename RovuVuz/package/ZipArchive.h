// The ZIP container of a package: an immutable in-memory reader, and a writer that makes a
// new image in which every entry that was not replaced is copied byte for byte (same
// local header, same compressed bytes, same central record apart from its offset field).
//
// Only single-disk, non-ZIP64 archives are read; entries are stored (method 0) or raw
// DEFLATE (method 8). Every offset and size read from the file is checked against the
// bytes present, in 64-bit arithmetic, before it is used.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "RovuVuz/package/DeflateSplice.h"
#include "RovuVuz/xml/Bytes.h"

namespace rovuvuz {

enum class ZipErrorCode {
    unsupportedMethod,  // an entry's method is neither stored (0) nor DEFLATE (8)
    missingEntry,       // no entry of that name
    inflateFailed,      // the data did not inflate to the declared size (or the size is implausible)
    crcMismatch,        // the extracted bytes do not have the recorded CRC-32
    notAZip,            // no valid end-of-central-directory record
    truncated,          // a structure runs past the data, a signature is wrong, or records overlap
    zip64Unsupported,   // a ZIP64 marker value is present, or a written image would need ZIP64
};

class ZipError : public std::runtime_error {
public:
    // `detail` says where the structure went wrong (for truncated and zip64Unsupported);
    // it becomes part of what().
    ZipError(ZipErrorCode code, std::string entryName = {}, uint16_t method = 0, std::string detail = {});

    ZipErrorCode code() const { return code_; }
    // The entry concerned, for the per-entry cases.
    const std::string& entryName() const { return entryName_; }
    // The offending method, for unsupportedMethod.
    uint16_t method() const { return method_; }
    const std::string& detail() const { return detail_; }

private:
    ZipErrorCode code_;
    std::string entryName_;
    uint16_t method_;
    std::string detail_;
};

class ZipArchive {
public:
    struct Entry {
        std::string name;          // from the central record, UTF-8 with invalid sequences repaired
        uint16_t method = 0;       // from the central record
        uint32_t crc32 = 0;        // from the central record
        size_t compressedSize = 0;
        size_t uncompressedSize = 0;
        ByteRange centralRecord;   // 46 fixed bytes + name + extra + comment
        ByteRange localRecord;     // local header through the data and any data descriptor
        ByteRange dataRange;       // the compressed bytes
        bool operator==(const Entry&) const = default;
    };

    // New uncompressed contents by entry name, viewed, not owned: the caller keeps them
    // alive for the call. Ordered by name because added entries are written in name order.
    using Replacements = std::map<std::string, ByteView, std::less<>>;

    // An entry's contents as extracted and its recorded blocks, so that a replacement can
    // reuse the compressed data outside the stretch that changed.
    struct SpliceSource {
        const DeflateSplice::BlockMap* blocks = nullptr;
        ByteView oldContents;
    };
    using SpliceSources = std::map<std::string, SpliceSource, std::less<>>;

    // The largest uncompressed size any one entry may have. A real document part is far
    // smaller (a 500-page body is about 6 MB); larger declarations are zip bombs.
    static constexpr size_t maxEntrySize = size_t{512} << 20;

    // Indexes the archive; throws ZipError (notAZip, truncated, zip64Unsupported). Central
    // records whose local records share or overlap bytes are refused as truncated.
    explicit ZipArchive(SharedBytes data);

    const SharedBytes& data() const { return data_; }
    const std::vector<Entry>& entries() const { return entries_; }
    ByteRange endRecord() const { return endRecord_; }
    ByteRange centralDirectory() const { return centralDirectory_; }

    // The first entry of that name, or nullptr.
    const Entry* entry(std::string_view name) const;

    // Extracts one entry with its CRC checked; throws ZipError.
    Bytes contents(std::string_view name) const;
    // The same, recording the DEFLATE blocks of the entry in `blocks`, which stays empty
    // for a stored entry or a stream only the faster decoder takes.
    Bytes contents(std::string_view name, DeflateSplice::BlockMap& blocks) const;

    // A new archive image with the given entries replaced and the new names added after
    // every existing entry. With nothing to replace, returns the original buffer itself.
    // Throws ZipError(zip64Unsupported) when the image would need ZIP64: 65535 entries or
    // more, an offset or size of 0xFFFFFFFF or more, or a name longer than 65535 bytes.
    SharedBytes write(const Replacements& replacing) const;
    // The same, splicing the replaced entries named in `splicing` where the policy allows;
    // the others, and any splice that does not line up, are compressed whole.
    SharedBytes write(const Replacements& replacing, const SpliceSources& splicing,
                      const DeflateSplice::Policy& policy) const;

    // The ZIP format's CRC-32 (zlib's crc32 from 0) over the whole buffer.
    static uint32_t crc32(ByteView data);

private:
    Bytes extract(std::string_view name, DeflateSplice::BlockMap* blocks) const;

    SharedBytes data_;
    std::vector<Entry> entries_;
    std::map<std::string, size_t, std::less<>> index_;  // first entry of each name
    ByteRange endRecord_;
    ByteRange centralDirectory_;
};

}  // namespace rovuvuz
