#include "engine/byte_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

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

} // namespace

void WriteFileBytes(const std::string& path, std::string_view bytes)
{
    ByteFileWriter file(path);
    file.Write(bytes);
    file.Close();
}

ByteFileWriter::ByteFileWriter(const std::string& path)
    : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666))
{
    if (fd_ < 0) {
        const int error = errno;
        throw LogWriteError("Cannot create file \"" + path + "\". " + SystemErrorReason(error));
    }
}

ByteFileWriter::~ByteFileWriter()
{
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void ByteFileWriter::Write(std::string_view bytes)
{
    if (fd_ < 0 || !WriteAll(fd_, bytes)) {
        throw LogWriteError("Stream write error");
    }
}

void ByteFileWriter::Close()
{
    const int fd = fd_;
    fd_ = -1;
    // Some file systems report a failed write only when the file is closed.
    if (fd < 0 || ::close(fd) != 0) {
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
