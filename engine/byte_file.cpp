#include "engine/byte_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace engine {

namespace {

// Closes the file on every way out of the write.
class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle()
    {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    int Get() const { return fd_; }

    bool Close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

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

} // namespace

void WriteFileBytes(const std::string& path, std::string_view bytes)
{
    FileHandle file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (file.Get() < 0) {
        const int error = errno;
        throw LogWriteError("Cannot create file \"" + path + "\". " + SystemErrorReason(error));
    }
    if (!WriteAll(file.Get(), bytes)) {
        throw LogWriteError("Stream write error");
    }
    if (!file.Close()) {
        throw LogWriteError("Stream write error");
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
