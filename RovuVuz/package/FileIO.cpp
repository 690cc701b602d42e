#include "RovuVuz/package/FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "RovuVuz/package/Descriptor.h"

namespace rovuvuz {

namespace {

std::string reasonFor(int errorNumber) {
    std::string reason;
    switch (errorNumber) {
        // The system's own words, which people search for.
        case ENOSPC: reason = "No space left on device"; break;
        case EDQUOT: reason = "the disk quota is exhausted"; break;
        case EACCES:
        case EPERM: reason = "permission denied"; break;
        case EROFS: reason = "the folder is on a read-only file system"; break;
        case ENOENT: reason = "no such file or folder"; break;
        case EISDIR: reason = "it is a folder"; break;
        case EFBIG: reason = "the file is too large"; break;
        default: reason = std::strerror(errorNumber); break;
    }
    return reason;
}

}  // namespace

FileError::FileError(std::filesystem::path path, int errorNumber, const std::string& doing)
    : std::runtime_error("cannot " + doing + " " + path.string() + ": " + reasonFor(errorNumber)),
      path_(std::move(path)),
      errorNumber_(errorNumber),
      cause_("cannot " + doing + ": " + reasonFor(errorNumber)) {}

FileError::FileError(std::filesystem::path path, const std::string& doing, const std::string& reason)
    : std::runtime_error("cannot " + doing + " " + path.string() + ": " + reason),
      path_(std::move(path)),
      errorNumber_(0),
      cause_("cannot " + doing + ": " + reason) {}

namespace FileIO {

SharedBytes read(const std::filesystem::path& path) {
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) throw FileError(path, errno, "open");
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) throw FileError(path, errno, "read");
    if (S_ISDIR(info.st_mode)) throw FileError(path, EISDIR, "open");
    Bytes bytes;
    bytes.reserve(info.st_size > 0 ? static_cast<size_t>(info.st_size) : 0);
    uint8_t chunk[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw FileError(path, errno, "read");
        if (n == 0) break;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return share(std::move(bytes));
}

}  // namespace FileIO

}  // namespace rovuvuz
