#include "cli/StreamOutput.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "cli/Commands.h"

namespace tovin::cli {

namespace {

// A connected stream socket at the socket file's path.
int connectedSocket(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        throw FileError(path, "cannot connect: the socket's path is too long");
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw FileError(path, std::string("cannot connect: ") + std::strerror(errno));
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        ::close(fd);
        throw FileError(path, std::string("cannot connect: ") + std::strerror(error));
    }
    return fd;
}

}  // namespace

bool isStreamTarget(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    return S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode) || S_ISSOCK(info.st_mode);
}

void writeStream(const std::string& path, rovuvuz::ByteView bytes) {
    struct stat info {};
    const bool socket = ::stat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
    const int fd = socket ? connectedSocket(path) : ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) throw FileError(path, std::string("cannot open: ") + std::strerror(errno));
    size_t written = 0;
    while (written < bytes.size()) {
        const size_t left = bytes.size() - written;
        // A socket whose reader went away reports EPIPE rather than ending the process.
        const ssize_t n = socket ? ::send(fd, bytes.data() + written, left, MSG_NOSIGNAL)
                                 : ::write(fd, bytes.data() + written, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : EIO;
            ::close(fd);
            throw FileError(path, std::string("cannot write: ") + std::strerror(error));
        }
        written += static_cast<size_t>(n);
    }
    if (::close(fd) != 0 && errno != EINTR)
        throw FileError(path, std::string("cannot write: ") + std::strerror(errno));
}

}  // namespace tovin::cli
