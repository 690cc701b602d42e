// Writing a file so that a reader, a crash or a kill -9 only ever finds the old file or
// the complete new one, and an interrupted write leaves nothing behind for long.
//
// The new contents go into an unnamed file in the target's folder (O_TMPFILE), which the
// kernel frees if the process dies while writing. Complete and flushed, it is linked under
// a temporary name ".NAME.tovin-XXXXXX" and renamed over the target; only a process killed
// between the link and the rename (microseconds) leaves that name behind. File systems
// without unnamed files get a named temporary for the whole write, as before.
//
// Either way a temporary file is held under an exclusive advisory lock (flock) for as long
// as its writer lives, and each write first removes the temporaries of its target that no
// one holds locked. The lock rather than a process id in the name: the kernel drops it
// when the process dies however it dies, it cannot be mistaken for a later process that
// got the same id, and it holds across the process-id namespaces of containers sharing a
// folder. A cleaner can lock a named temporary in the instant between its creation and
// its writer's lock; the writer then finds its file unlinked (no links left) and starts
// again with a fresh one.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <random>
#include <string>

#include "RovuVuz/package/Descriptor.h"
#include "RovuVuz/package/FileIO.h"

namespace rovuvuz::FileIO {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view temporaryMarker = ".tovin-";
constexpr size_t suffixLength = 6;
constexpr int attempts = 100;

// Follows symbolic links (at most 40, as the kernel does) to the file they name.
fs::path resolveLinks(fs::path path) {
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error))) return path;
        const fs::path target = fs::read_symlink(path, error);
        if (error) return path;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    throw FileError(path, ELOOP, "follow the links of");
}

// Renaming over a folder, a device node, a FIFO or a socket would put a regular file in
// its place (a device node destroyed, a reader at the FIFO left waiting): refuse instead.
void requireReplaceable(const fs::path& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0 || S_ISREG(info.st_mode)) return;
    const char* what = S_ISDIR(info.st_mode)    ? "it is a folder"
                       : S_ISBLK(info.st_mode)  ? "it is a block device, not a file"
                       : S_ISCHR(info.st_mode)  ? "it is a character device, not a file"
                       : S_ISFIFO(info.st_mode) ? "it is a FIFO, not a file"
                       : S_ISSOCK(info.st_mode) ? "it is a socket, not a file"
                                                : "it is not a regular file";
    throw FileError(target, "replace", what);
}

std::string temporaryName(const fs::path& target) {
    static constexpr std::string_view characters =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<size_t> pick(0, characters.size() - 1);
    std::string name = "." + target.filename().string() + std::string(temporaryMarker);
    for (size_t i = 0; i < suffixLength; ++i) name += characters[pick(generator)];
    return (target.parent_path() / name).string();
}

void writeAll(int fd, ByteView bytes, const fs::path& target) {
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw FileError(target, n < 0 ? errno : ENOSPC, "write");
        written += static_cast<size_t>(n);
    }
}

mode_t permissionsFor(const fs::path& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) return info.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Permissions, contents, flushed to the disk; errors name the target.
void fill(int fd, ByteView bytes, const fs::path& target, mode_t mode) {
    if (::fchmod(fd, mode) != 0) throw FileError(target, errno, "set permissions of");
    writeAll(fd, bytes, target);
    if (::fsync(fd) != 0) throw FileError(target, errno, "write");
}

void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;  // some file systems cannot open folders; the rename already happened
    ::fsync(fd);
    ::close(fd);
}

std::string folderName(const fs::path& target) {
    return target.parent_path().empty() ? std::string(".") : target.parent_path().string();
}

// Gives a complete unnamed file a temporary name; nothing when it cannot be named (no
// /proc, and linking by descriptor needs a privilege).
std::optional<std::string> linkUnnamed(int fd, const fs::path& target) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < attempts; ++attempt) {
        const std::string name = temporaryName(target);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return name;
        if (errno == EEXIST) continue;
        if (::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) return name;
        if (errno == EEXIST) continue;
        return std::nullopt;
    }
    return std::nullopt;
}

void replaceTarget(const std::string& temporary, const fs::path& target) {
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throw FileError(target, error, "replace");
    }
}

// True when written; false when the file system has no unnamed files or the file could
// not be named, and the caller writes through a named temporary instead.
bool writeUnnamed(const fs::path& target, ByteView bytes, mode_t mode) {
    Descriptor fd(::open(folderName(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
    if (fd.get() < 0) return false;
    // Locked before it has a name, so that no cleaner ever sees it unlocked.
    if (::flock(fd.get(), LOCK_EX) != 0) return false;
    fill(fd.get(), bytes, target, mode);
    const auto name = linkUnnamed(fd.get(), target);
    if (!name) return false;
    replaceTarget(*name, target);
    return true;
}

// A new named temporary, locked, that is still linked (a cleaner may have removed it
// before the lock was taken).
std::pair<int, std::string> lockedTemporary(const fs::path& target) {
    for (int attempt = 0; attempt < attempts; ++attempt) {
        std::string name = temporaryName(target);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) throw FileError(target, errno, "write");
        struct stat info {};
        if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &info) == 0 && info.st_nlink > 0) return {fd, name};
        ::close(fd);
    }
    throw FileError(target, EEXIST, "make a temporary file for");
}

void writeNamed(const fs::path& target, ByteView bytes, mode_t mode) {
    auto [descriptor, name] = lockedTemporary(target);
    Descriptor fd(descriptor);
    try {
        fill(fd.get(), bytes, target, mode);
    } catch (...) {
        ::unlink(name.c_str());
        throw;
    }
    replaceTarget(name, target);
}

}  // namespace

bool isTemporaryOf(const fs::path& target, std::string_view fileName) {
    const std::string prefix = "." + target.filename().string() + std::string(temporaryMarker);
    return fileName.size() == prefix.size() + suffixLength && fileName.starts_with(prefix);
}

size_t removeStaleTemporaries(const fs::path& path) {
    size_t removed = 0;
    std::error_code error;
    const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
         !error && it != end; it.increment(error)) {
        const fs::path candidate = it->path();
        if (!isTemporaryOf(path, candidate.filename().string())) continue;
        Descriptor fd(::open(candidate.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
        struct stat opened {}, named {};
        if (fd.get() < 0 || ::fstat(fd.get(), &opened) != 0 || !S_ISREG(opened.st_mode)) continue;
        // A live writer holds its lock; a dead one's went with its process.
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) continue;
        if (::lstat(candidate.c_str(), &named) != 0 || named.st_ino != opened.st_ino ||
            named.st_dev != opened.st_dev)
            continue;
        if (::unlink(candidate.c_str()) == 0) ++removed;
    }
    return removed;
}

void writeAtomically(const fs::path& path, ByteView bytes, Temporary temporary) {
    const fs::path target = resolveLinks(path);
    requireReplaceable(target);
    removeStaleTemporaries(target);
    const mode_t mode = permissionsFor(target);
    if (temporary == Temporary::named || !writeUnnamed(target, bytes, mode)) writeNamed(target, bytes, mode);
    syncFolder(target.parent_path());
}

}  // namespace rovuvuz::FileIO
