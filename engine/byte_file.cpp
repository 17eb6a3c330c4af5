#include "engine/byte_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <optional>
#include <vector>

namespace engine {

namespace {

bool WriteAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        // A write that makes no progress would loop for ever: treat it as a failure.
        if (written <= 0) {
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// A file that can be replaced by renaming a new one over it without anyone noticing: a plain
// file with one name. Links, devices and the like are written in place, as before.
std::optional<mode_t> ReplaceableMode(const std::string& path)
{
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_nlink != 1) {
        return std::nullopt;
    }
    return status.st_mode & 07777;
}

// "<path>.XXXXXX" created beside `path` with `mode`; -1 when the folder takes no new file.
int CreateTemporary(const std::string& path, mode_t mode, std::string& name)
{
    std::vector<char> pattern(path.begin(), path.end());
    for (const char c : std::string_view(".XXXXXX")) {
        pattern.push_back(c);
    }
    pattern.push_back('\0');
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    name = pattern.data();
    ::fchmod(fd, mode);
    return fd;
}

} // namespace

void WriteFileBytes(const std::string& path, std::string_view bytes)
{
    ByteFileWriter file(path);
    file.Write(bytes);
    file.Close();
}

ByteFileWriter::ByteFileWriter(const std::string& path) : path_(path)
{
    if (const std::optional<mode_t> mode = ReplaceableMode(path)) {
        fd_ = CreateTemporary(path, *mode, temporary_);
    }
    // A new file, or a folder that takes no temporary one: the file itself, as always.
    if (fd_ < 0) {
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    }
    if (fd_ < 0) {
        const int error = errno;
        throw FileWriteError("Cannot create file \"" + path + "\". " + SystemErrorReason(error));
    }
}

ByteFileWriter::~ByteFileWriter()
{
    if (fd_ >= 0) {
        ::close(fd_);
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
    }
}

void ByteFileWriter::Write(std::string_view bytes)
{
    if (fd_ < 0 || !WriteAll(fd_, bytes)) {
        throw FileWriteError("Stream write error");
    }
}

void ByteFileWriter::Close()
{
    const int fd = fd_;
    fd_ = -1;
    // Some file systems report a failed write only when the file is closed.
    if (fd < 0 || ::close(fd) != 0) {
        throw FileWriteError("Stream write error");
    }
    if (!temporary_.empty()) {
        if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
            throw FileWriteError("Stream write error");
        }
        temporary_.clear();
    }
}

std::string SystemErrorReason(int error)
{
    std::string reason = std::strerror(error);
    const auto last = reason.find_last_not_of(" .");
    reason.erase(last == std::string::npos ? 0 : last + 1);
    return reason;
}

} // namespace engine
