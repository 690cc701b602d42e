// Writing a file in place: targets that are no regular file are refused, temporary files
// of dead writers are removed by the next write, and a writer killed at any moment leaves
// the old file or the complete new one.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <thread>

#include "RovuVuz/package/FileIO.h"
#include "support/TestSupport.h"

using namespace rovuvuz;
namespace fs = std::filesystem;

namespace {

struct Folder {
    fs::path path;
    explicit Folder(const std::string& name)
        : path(fs::temp_directory_path() / ("tovin-" + name + "-" + std::to_string(::getpid()))) {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~Folder() { fs::remove_all(path); }

    std::vector<std::string> temporariesOf(const fs::path& target) const {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(path))
            if (FileIO::isTemporaryOf(target, entry.path().filename().string()))
                found.push_back(entry.path().filename().string());
        return found;
    }
};

Bytes filled(size_t size, uint8_t seed) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 12));
    return bytes;
}

void writeFile(const fs::path& path, std::string_view text) {
    FileIO::writeAtomically(path, asBytes(text));
}

}  // namespace

TEST(AtomicWrite, TargetsThatAreNoRegularFileAreRefusedAndKept) {
    Folder folder("refuse");
    fs::create_directory(folder.path / "dir");
    ASSERT_EQ(::mkfifo((folder.path / "fifo").c_str(), 0600), 0);
    // A character device behind a link: a null device node of the test's own where it may
    // make one (root), so that a writer that replaced it could not take the system's
    // /dev/null with it; else /dev/null, which only root could replace (root that cannot
    // make one links to a folder instead).
    const fs::path device = folder.path / "null";
    const bool ownDevice = ::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0;
    const bool deviceRow = ownDevice || ::geteuid() != 0;
    fs::create_symlink(ownDevice ? device : deviceRow ? fs::path("/dev/null") : folder.path / "dir",
                       folder.path / "null-link");
    fs::create_symlink("dir", folder.path / "dir-link");
    struct Row {
        const char* name;
        std::string reason;
    };
    for (const Row& row : {Row{"dir", "it is a folder"}, Row{"fifo", "it is a FIFO"},
                           Row{"null-link", deviceRow ? "it is a character device" : "it is a folder"},
                           Row{"dir-link", "it is a folder"}}) {
        const fs::path target = folder.path / row.name;
        try {
            writeFile(target, "x");
            ADD_FAILURE() << row.name << " replaced";
        } catch (const FileError& error) {
            EXPECT_NE(error.cause().find(row.reason), std::string::npos) << error.what();
        }
    }
    EXPECT_TRUE(fs::is_directory(folder.path / "dir"));
    EXPECT_TRUE(fs::is_fifo(folder.path / "fifo"));
    if (deviceRow) {
        EXPECT_TRUE(fs::is_character_file(fs::canonical(folder.path / "null-link")));
    }
    EXPECT_TRUE(folder.temporariesOf(folder.path / "fifo").empty());
}

TEST(AtomicWrite, TheNextWriteRemovesTemporariesOfDeadWritersOnly) {
    Folder folder("stale");
    const fs::path target = folder.path / "a.docx";
    const std::vector<std::string> names = {".a.docx.tovin-AAAAAA", ".a.docx.tovin-BBBBBB", ".b.docx.tovin-CCCCCC",
                                            ".a.docx.tovin-DDDDDDD", "a.docx.tovin-EEEEEE"};
    for (const std::string& name : names) writeFile(folder.path / name, "left");
    // A writer still at work holds its temporary locked.
    const int live = ::open((folder.path / names[1]).c_str(), O_RDONLY);
    ASSERT_EQ(::flock(live, LOCK_EX), 0);
    writeFile(target, "new");
    EXPECT_FALSE(fs::exists(folder.path / names[0])) << "a dead writer's temporary stays";
    for (size_t i = 1; i < names.size(); ++i) EXPECT_TRUE(fs::exists(folder.path / names[i])) << names[i];
    ::close(live);
    EXPECT_EQ(FileIO::removeStaleTemporaries(target), 1u);
    EXPECT_EQ(folder.temporariesOf(target), std::vector<std::string>{});
}

// A child writes a large file in place over and over, with an unnamed or a named
// temporary; the parent kills it with SIGKILL at random moments. Every round the target is
// the old or the complete new contents, and once the next write has started no temporary
// is left. TOVIN_KILL_ROUNDS sets the rounds per kind (20 by default).
TEST(AtomicWrite, AWriterKilledAtAnyMomentLeavesOldOrNewAndTheNextWriteCleansUp) {
    const char* rounds = std::getenv("TOVIN_KILL_ROUNDS");
    const int roundCount = rounds ? std::atoi(rounds) : 20;
    constexpr size_t size = 24 << 20;
    const Bytes first = filled(size, 1), second = filled(size, 2);
    std::mt19937 random(20240301);

    for (const FileIO::Temporary kind : {FileIO::Temporary::unnamedWhereSupported, FileIO::Temporary::named}) {
        Folder folder("kill");
        const fs::path target = folder.path / "big.docx";
        FileIO::writeAtomically(target, first, kind);
        // How long one write takes here, so that the kills fall all over it.
        const auto started = std::chrono::steady_clock::now();
        FileIO::writeAtomically(target, second, kind);
        FileIO::writeAtomically(target, first, kind);
        const auto cycle = std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - started);
        int leftBehind = 0;
        for (int round = 0; round < roundCount; ++round) {
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                try {
                    for (int n = 0;; ++n) FileIO::writeAtomically(target, n % 2 ? first : second, kind);
                } catch (...) {
                }
                std::_Exit(3);
            }
            std::this_thread::sleep_for(std::chrono::microseconds(
                std::uniform_int_distribution<int64_t>(0, 2 * cycle.count())(random)));
            ::kill(child, SIGKILL);
            int status = 0;
            ::waitpid(child, &status, 0);
            ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself: " << status;

            const Bytes now = rovuvuz::testing::readFile(target);
            ASSERT_TRUE(now == first || now == second) << "round " << round << ": a mix of " << now.size() << " bytes";
            if (!folder.temporariesOf(target).empty()) ++leftBehind;
            // The next write starts by removing what the killed one left.
            FileIO::writeAtomically(target, now, kind);
            ASSERT_EQ(folder.temporariesOf(target), std::vector<std::string>{}) << "round " << round;
        }
        std::cout << (kind == FileIO::Temporary::named ? "named" : "unnamed") << " temporary: " << roundCount
                  << " kills during writes of " << cycle.count() / 2000 << " ms, " << leftBehind
                  << " left a temporary until the next write\n";
        // Only the instant between naming a complete unnamed file and the rename can
        // leave one behind.
        if (kind == FileIO::Temporary::unnamedWhereSupported) {
            const int probe = ::open(folder.path.c_str(), O_TMPFILE | O_WRONLY, 0600);
            if (probe >= 0) {
                EXPECT_LE(leftBehind * 10, roundCount);
                ::close(probe);
            }
        }
    }
}
