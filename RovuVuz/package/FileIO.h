// Reading a package file into memory, and writing one so that the target is either the
// old file or the complete new one, never a mix: a temporary file in the same folder,
// every write checked, flushed to disk, renamed over the target, the folder flushed.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

#include "RovuVuz/xml/Bytes.h"

namespace rovuvuz {

class FileError : public std::runtime_error {
public:
    FileError(std::filesystem::path path, int errorNumber, const std::string& doing);

    const std::filesystem::path& path() const { return path_; }
    int errorNumber() const { return errorNumber_; }
    // The message without the path, for callers that name the file themselves
    // ("cannot open: no such file or folder").
    const std::string& cause() const { return cause_; }

private:
    std::filesystem::path path_;
    int errorNumber_;
    std::string cause_;
};

namespace FileIO {

// The whole file; throws FileError.
SharedBytes read(const std::filesystem::path& path);

// Replaces the file's contents atomically and durably. A symbolic link is followed, so
// the file it points at is replaced and the link stays; an existing file's permission
// bits are kept. On failure the target is untouched, no temporary file remains, and the
// error says why. Throws FileError.
void writeAtomically(const std::filesystem::path& path, ByteView bytes);

}  // namespace FileIO

}  // namespace rovuvuz
