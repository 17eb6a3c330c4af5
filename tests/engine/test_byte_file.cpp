// Replacing a file as the shell's ">" and editors do: what the file was (mode, owner, links)
// stays, what ">" refuses is refused, and nothing is left beside it when the write is cut
// short. Cases that need another user run in a child process that becomes user 65534.
#include "engine/byte_file.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace engine;

constexpr uid_t kOtherUser = 65534;

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// What writing `text` to `path` gives: "ok" or the error's full text.
std::string Replace(const fs::path& path, const std::string& text)
{
    try {
        WriteFileBytes(path.string(), text);
        return "ok";
    } catch (const FileWriteError& error) {
        return error.FullText();
    }
}

// Runs `body` in a child process, as user `uid` when given (root only), and hands back the
// text it returns; "skip" when the child could not be set up as asked.
std::string InChild(const std::function<std::string()>& body, int uid = -1)
{
    int link[2];
    if (::pipe(link) != 0) {
        return "no pipe";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(link[0]);
        std::string result = "skip";
        if (uid < 0 ||
            (::setgid(static_cast<gid_t>(uid)) == 0 && ::setuid(static_cast<uid_t>(uid)) == 0)) {
            result = body();
        }
        const ssize_t ignored = ::write(link[1], result.data(), result.size());
        static_cast<void>(ignored);
        ::_exit(0);
    }
    ::close(link[1]);
    std::string result;
    char buffer[256];
    for (ssize_t got; (got = ::read(link[0], buffer, sizeof buffer)) > 0;) {
        result.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(link[0]);
    ::waitpid(child, nullptr, 0);
    return result;
}

class ReplacedFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("bldc-replace-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
        fs::permissions(folder_, fs::perms::all); // 0777: any user may make files here
        path_ = folder_ / "out.txt";
        std::ofstream(path_) << "old";
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::size_t FilesInFolder() const
    {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(folder_), fs::directory_iterator()));
    }

    fs::path folder_;
    fs::path path_;
};

TEST_F(ReplacedFile, KeepsModeOwnerAndHardLinks)
{
    ::chmod(path_.c_str(), 0640);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(path_.c_str(), kOtherUser, kOtherUser), 0);
    }
    ASSERT_EQ(Replace(path_, "new"), "ok");
    struct stat after {};
    ASSERT_EQ(::stat(path_.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(after.st_uid, root ? kOtherUser : ::geteuid());
    EXPECT_EQ(after.st_gid, root ? kOtherUser : ::getegid());
    EXPECT_EQ(ReadFile(path_), "new");

    // A second name sees the new text: the file was written in place, not renamed over.
    const fs::path second = folder_ / "second.txt";
    fs::create_hard_link(path_, second);
    ASSERT_EQ(Replace(path_, "linked"), "ok");
    EXPECT_EQ(ReadFile(second), "linked");
    EXPECT_EQ(fs::hard_link_count(path_), 2u);
    EXPECT_EQ(FilesInFolder(), 2u);
}

// What ">" refuses: an own read-only file and another user's file, in a folder anyone may
// write. Root may write both, as ">" lets it.
TEST_F(ReplacedFile, RefusesWhatTheShellRefuses)
{
    ::chmod(path_.c_str(), 0444);
    if (::geteuid() != 0) {
        EXPECT_EQ(Replace(path_, "new"),
                  "Cannot create file \"" + path_.string() + "\". Permission denied");
        EXPECT_EQ(ReadFile(path_), "old");
        GTEST_SKIP() << "another user's file needs root to set up";
    }
    EXPECT_EQ(Replace(path_, "root"), "ok");
    EXPECT_EQ(ReadFile(path_), "root");

    const fs::path own = folder_ / "own.txt";
    const std::string refusedOwn = InChild(
        [&] {
            std::ofstream(own) << "mine";
            ::chmod(own.c_str(), 0444);
            return Replace(own, "new");
        },
        static_cast<int>(kOtherUser));
    EXPECT_EQ(refusedOwn, "Cannot create file \"" + own.string() + "\". Permission denied");
    EXPECT_EQ(ReadFile(own), "mine");

    ::chmod(path_.c_str(), 0644);
    const std::string refusedOther =
        InChild([&] { return Replace(path_, "taken"); }, static_cast<int>(kOtherUser));
    EXPECT_EQ(refusedOther, "Cannot create file \"" + path_.string() + "\". Permission denied");
    EXPECT_EQ(ReadFile(path_), "root");
    EXPECT_EQ(FilesInFolder(), 2u);
}

// A file that cannot be renamed over, or whose owner a new file cannot take, is written in
// place; an append-only file is refused with the system's reason.
TEST_F(ReplacedFile, WritesInPlaceWhereTheRenameIsRefused)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to set up another user's file and a mount";
    }
    // Another user's 0666 file in a sticky folder (as /tmp is).
    fs::permissions(folder_, fs::perms::all | fs::perms::sticky_bit);
    ::chmod(path_.c_str(), 0666);
    EXPECT_EQ(InChild([&] { return Replace(path_, "sticky"); }, static_cast<int>(kOtherUser)),
              "ok");
    EXPECT_EQ(ReadFile(path_), "sticky");
    struct stat after {};
    ASSERT_EQ(::stat(path_.c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, 0u);

    // A file mounted over another, as a container's volume is: rename gives EBUSY.
    const fs::path source = folder_ / "mounted.txt";
    std::ofstream(source) << "source";
    const std::string mounted = InChild([&] {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount(source.c_str(), path_.c_str(), nullptr, MS_BIND, nullptr) != 0) {
            return std::string("skip");
        }
        return Replace(path_, "through the mount");
    });
    if (mounted != "skip") {
        EXPECT_EQ(mounted, "ok");
        EXPECT_EQ(ReadFile(source), "through the mount");
    }

    const fs::path appended = folder_ / "append-only.txt";
    std::ofstream(appended) << "kept";
    if (std::system(("chattr +a " + appended.string() + " 2>/dev/null").c_str()) == 0) {
        EXPECT_EQ(Replace(appended, "new"),
                  "Cannot create file \"" + appended.string() + "\". Operation not permitted");
        EXPECT_EQ(std::system(("chattr -a " + appended.string()).c_str()), 0);
        EXPECT_EQ(ReadFile(appended), "kept");
    }
    EXPECT_EQ(FilesInFolder(), 3u);
}

// A process ended by a signal in the middle of a long write leaves the old file alone and no
// temporary file beside it.
TEST_F(ReplacedFile, ASignalMidWriteRemovesTheTemporaryFile)
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            RemoveTemporaryFilesOnSignals();
            ByteFileWriter file(path_.string());
            file.Write(std::string(1 << 20, 'x'));
            const ssize_t ignored = ::write(ready[1], "w", 1);
            static_cast<void>(ignored);
            for (;;) {
                ::pause();
            }
        }
        ::close(ready[1]);
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
        EXPECT_EQ(FilesInFolder(), 2u) << "the new bytes go beside the file";
        ::kill(child, signal);
        int status = 0;
        // A child the signal does not end is ended after a while, so the test fails instead of
        // waiting for ever.
        for (int tries = 0; ::waitpid(child, &status, WNOHANG) == 0; ++tries) {
            if (tries == 500) {
                ::kill(child, SIGKILL);
            }
            ::usleep(10000);
        }
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
        EXPECT_EQ(FilesInFolder(), 1u) << signal;
        EXPECT_EQ(ReadFile(path_), "old");
    }
}

TEST(FileWrite, AFailedWriteNamesTheFileAndTheReason)
{
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    try {
        WriteFileBytes("/dev/full", "x");
        FAIL() << "no error";
    } catch (const FileWriteError& e) {
        EXPECT_STREQ(e.what(), "Stream write error");
        EXPECT_EQ(e.FullText(), "Stream write error. File \"/dev/full\": No space left on device");
    }
}

} // namespace
