#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

// Writing a finished block of bytes (a text or an encoded picture) to a file in one checked
// write: the sample log's way, shared by every export so that all of them fail with the same
// messages. Long exports that should not be held whole go through a ByteFileWriter piece by
// piece instead.

namespace engine {

// "Cannot create file "<path>". <reason>" or "Stream write error": what every writer of a
// file throws.
class FileWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Creates or replaces the file at `path` and writes `bytes` with one write, unchanged. Throws
// FileWriteError. An existing plain file is replaced only once the new bytes are all written:
// a write that fails (a full disk) leaves it as it was. A new file keeps what was written
// before the failure.
void WriteFileBytes(const std::string& path, std::string_view bytes);

// A file created or replaced, written in pieces, with the same errors as WriteFileBytes. An
// existing plain file is written beside it under a temporary name and takes its place in
// Close(); a writer destroyed before that leaves the old file as it was. Close() reports a
// failure of the last write.
class ByteFileWriter {
public:
    explicit ByteFileWriter(const std::string& path);
    ~ByteFileWriter();
    ByteFileWriter(const ByteFileWriter&) = delete;
    ByteFileWriter& operator=(const ByteFileWriter&) = delete;

    void Write(std::string_view bytes);
    void Close();

private:
    int fd_ = -1;
    std::string path_;
    std::string temporary_; // empty: writing `path_` itself
};

// The system's text for errno value `error`, with trailing blanks and periods removed.
std::string SystemErrorReason(int error);

} // namespace engine
