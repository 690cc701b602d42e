#include "RovuVuz/package/FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace rovuvuz {

namespace {

std::string reasonFor(int errorNumber) {
    std::string reason;
    switch (errorNumber) {
        case ENOSPC: reason = "the disk is full"; break;
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

// Closes a descriptor when it leaves scope, unless released.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now, reporting the error a deferred write may surface only here.
    int close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

// Follows symbolic links (at most 40, as the kernel does) to the file they name.
std::filesystem::path resolveLinks(std::filesystem::path path) {
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, error))) return path;
        const std::filesystem::path target = std::filesystem::read_symlink(path, error);
        if (error) return path;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    throw FileError(path, ELOOP, "follow the links of");
}

void writeAll(int fd, ByteView bytes, const std::filesystem::path& temporary) {
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw FileError(temporary, n < 0 ? errno : ENOSPC, "write");
        written += static_cast<size_t>(n);
    }
}

mode_t permissionsFor(const std::filesystem::path& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) return info.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

void syncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;  // some file systems cannot open folders; the rename already happened
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

FileError::FileError(std::filesystem::path path, int errorNumber, const std::string& doing)
    : std::runtime_error("cannot " + doing + " " + path.string() + ": " + reasonFor(errorNumber)),
      path_(std::move(path)),
      errorNumber_(errorNumber),
      cause_("cannot " + doing + ": " + reasonFor(errorNumber)) {}

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

void writeAtomically(const std::filesystem::path& path, ByteView bytes) {
    const std::filesystem::path target = resolveLinks(path);
    const std::filesystem::path folder = target.parent_path();
    std::string pattern = (folder / ("." + target.filename().string() + ".tovin-XXXXXX")).string();
    Descriptor fd(::mkstemp(pattern.data()));
    if (fd.get() < 0) throw FileError(target, errno, "write");
    const std::filesystem::path temporary = pattern;
    try {
        if (::fchmod(fd.get(), permissionsFor(target)) != 0) throw FileError(temporary, errno, "set permissions of");
        writeAll(fd.get(), bytes, temporary);
        if (::fsync(fd.get()) != 0) throw FileError(temporary, errno, "flush");
        if (fd.close() != 0) throw FileError(temporary, errno, "write");
        if (::rename(temporary.c_str(), target.c_str()) != 0) throw FileError(target, errno, "replace");
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
    syncFolder(folder);
}

}  // namespace FileIO

}  // namespace rovuvuz
