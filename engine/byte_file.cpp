#include "engine/byte_file.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace engine {

namespace {

// Returns 0, or the errno value of the failure.
int WriteAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            return errno;
        }
        // A write that makes no progress would loop for ever: treat it as a full device.
        if (written == 0) {
            return ENOSPC;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

void CloseIfOpen(int& fd)
{
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

} // namespace

FileWriteError FileWriteError::CannotCreate(const std::string& path, int error)
{
    return FileWriteError("Cannot create file \"" + path + "\". " + SystemErrorReason(error));
}

FileWriteError FileWriteError::StreamWrite(const std::string& path, int error)
{
    FileWriteError result("Stream write error");
    result.detail_ = "File \"" + path + "\": " + SystemErrorReason(error);
    return result;
}

std::string FileWriteError::FullText() const
{
    return detail_.empty() ? std::string(what()) : std::string(what()) + ". " + detail_;
}

void WriteFileBytes(const std::string& path, std::string_view bytes)
{
    ByteFileWriter file(path);
    file.Write(bytes);
    file.Close();
}

ByteFileWriter::ByteFileWriter(const std::string& path) : path_(path)
{
    struct stat existing {};
    // Links, devices, pipes and new files are opened as they always were.
    if (::lstat(path.c_str(), &existing) != 0 || !S_ISREG(existing.st_mode)) {
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd_ < 0) {
            throw FileWriteError::CannotCreate(path, errno);
        }
        return;
    }
    // The file itself must take writing, as the shell's ">" checks it: the system decides,
    // for root too. It stays open for writing in place when the new file cannot replace it.
    target_ = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (target_ < 0 || ::fstat(target_, &existing) != 0) {
        const int error = errno;
        CloseIfOpen(target_);
        throw FileWriteError::CannotCreate(path, error);
    }
    if (existing.st_nlink == 1 &&
        StartBeside(existing.st_uid, existing.st_gid, existing.st_mode & 07777)) {
        return;
    }
    if (::ftruncate(target_, 0) != 0) {
        const int error = errno;
        CloseIfOpen(target_);
        throw FileWriteError::CannotCreate(path, error);
    }
    fd_ = target_;
    target_ = -1;
}

// A new file beside the old one with its owner, group and mode; false where this user cannot
// make such a file.
bool ByteFileWriter::StartBeside(uid_t owner, gid_t group, mode_t mode)
{
    const int fd = temporary_.Create(path_ + ".XXXXXX");
    if (fd < 0) {
        return false;
    }
    struct stat made {};
    const bool owned = ::fstat(fd, &made) == 0 && ((made.st_uid == owner && made.st_gid == group) ||
                                                   ::fchown(fd, owner, group) == 0);
    // After the owner: a change of owner clears the set-user-ID and set-group-ID bits.
    if (!owned || ::fchmod(fd, mode) != 0) {
        ::close(fd);
        ::unlink(temporary_.Name().c_str());
        temporary_.Forget();
        return false;
    }
    fd_ = fd;
    return true;
}

ByteFileWriter::~ByteFileWriter()
{
    CloseIfOpen(fd_);
    CloseIfOpen(target_);
    if (!temporary_.Name().empty()) {
        ::unlink(temporary_.Name().c_str());
        temporary_.Forget();
    }
}

void ByteFileWriter::Write(std::string_view bytes)
{
    if (fd_ < 0) {
        throw FileWriteError::StreamWrite(path_, EBADF);
    }
    if (const int error = WriteAll(fd_, bytes)) {
        throw FileWriteError::StreamWrite(path_, error);
    }
}

void ByteFileWriter::Close()
{
    const int fd = fd_;
    fd_ = -1;
    if (fd < 0) {
        throw FileWriteError::StreamWrite(path_, EBADF);
    }
    // Some file systems report a failed write only when the file is closed.
    if (::close(fd) != 0) {
        throw FileWriteError::StreamWrite(path_, errno);
    }
    if (temporary_.Name().empty()) {
        return;
    }
    if (::rename(temporary_.Name().c_str(), path_.c_str()) != 0) {
        CopyInPlace();
        ::unlink(temporary_.Name().c_str());
    }
    temporary_.Forget();
    CloseIfOpen(target_);
}

// The file cannot be renamed over (a file mounted over another, another user's file in a
// sticky folder): the finished bytes are copied into it instead.
void ByteFileWriter::CopyInPlace()
{
    const int source = ::open(temporary_.Name().c_str(), O_RDONLY | O_CLOEXEC);
    int error = source < 0 ? errno : 0;
    if (error == 0 && ::ftruncate(target_, 0) != 0) {
        error = errno;
    }
    std::array<char, 1 << 16> buffer{};
    while (error == 0) {
        const ssize_t got = ::read(source, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            error = got < 0 ? errno : 0;
            break;
        }
        error = WriteAll(target_, std::string_view(buffer.data(), static_cast<std::size_t>(got)));
    }
    if (source >= 0) {
        ::close(source);
    }
    const int target = target_;
    target_ = -1;
    if (::close(target) != 0 && error == 0) {
        error = errno;
    }
    if (error != 0) {
        throw FileWriteError::StreamWrite(path_, error);
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
