// Reading a package file into memory, and writing one so that the target is either the
// old file or the complete new one, never a mix: a temporary file in the same folder,
// every write checked, flushed to disk, renamed over the target, the folder flushed
// (AtomicWrite.cpp).
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

#include "RovuVuz/xml/Bytes.h"

namespace rovuvuz {

class FileError : public std::runtime_error {
public:
    FileError(std::filesystem::path path, int errorNumber, const std::string& doing);
    // A cause that is no system error ("it is a block device"); errorNumber() is 0.
    FileError(std::filesystem::path path, const std::string& doing, const std::string& reason);

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

// How writeAtomically makes its temporary file. By default the new contents go into an
// unnamed file (O_TMPFILE) where the file system has them, which a process killed while
// writing cannot leave behind, and are named only once complete, for the rename; elsewhere
// into a named one, ".NAME.tovin-XXXXXX" beside the target. Tests force the named kind.
enum class Temporary { unnamedWhereSupported, named };

// Replaces the file's contents atomically and durably. A symbolic link is followed, so
// the file it points at is replaced and the link stays; an existing file's permission
// bits are kept. A target that exists and is no regular file (a folder, a device, a FIFO,
// a socket) is refused, never replaced. Temporary files that earlier writes of the same
// target left behind when their process died are removed first. On failure the target is
// untouched, no temporary file remains, and the error names the target and says why
// ("No space left on device"). Throws FileError.
void writeAtomically(const std::filesystem::path& path, ByteView bytes,
                     Temporary temporary = Temporary::unnamedWhereSupported);

// Removes the temporary files that writes of `path` left beside it when their process
// died (".NAME.tovin-XXXXXX" that no live writer holds locked); returns how many went.
// Never throws: what cannot be listed or opened is left alone.
size_t removeStaleTemporaries(const std::filesystem::path& path);

// The name pattern of the temporary files of a target: ".NAME.tovin-" and six characters.
bool isTemporaryOf(const std::filesystem::path& target, std::string_view fileName);

}  // namespace FileIO

}  // namespace rovuvuz
