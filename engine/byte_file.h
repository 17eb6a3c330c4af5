#pragma once

#include "engine/temporary_files.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/types.h>

// Writing a finished block of bytes (a text or an encoded picture) to a file in one checked
// write: the sample log's way, shared by every export so that all of them fail with the same
// messages. Long exports that should not be held whole go through a ByteFileWriter piece by
// piece instead.

namespace engine {

// What every writer of a file throws. Its message is one of the window's two texts:
//   Cannot create file "<path>". <reason>
//   Stream write error
// the second without the file and the reason, which Detail() gives for a second line.
class FileWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;

    static FileWriteError CannotCreate(const std::string& path, int error);
    static FileWriteError StreamWrite(const std::string& path, int error);

    // "File "<path>": <reason>" for a write that failed after the file was opened; empty when
    // the message names both already.
    const std::string& Detail() const { return detail_; }
    // The message followed by the detail: "Stream write error. File "<path>": <reason>".
    std::string FullText() const;

private:
    std::string detail_;
};

// Creates or replaces the file at `path` and writes `bytes` with one write, unchanged. Throws
// FileWriteError. An existing plain file is replaced only once the new bytes are all written:
// a write that fails (a full disk) leaves it as it was. A new file keeps what was written
// before the failure.
void WriteFileBytes(const std::string& path, std::string_view bytes);

// A file created or replaced, written in pieces, with the same errors as WriteFileBytes.
//
// An existing file is refused when it cannot be opened for writing, as the shell's ">"
// refuses it (a read-only file, another user's file). A plain file with one name is written
// beside it under a temporary name, with its owner, group and mode, and takes its place in
// Close(); a writer destroyed before that leaves the old file as it was. Where that cannot
// keep the file what it was, it is written in place instead: a file with several names (hard
// links), a file whose owner or group this user cannot give to a new file, a folder that takes
// no new file, and, after the bytes are written, a file that cannot be renamed over (a file
// mounted over, another user's file in a sticky folder). Close() reports a failure of the last
// write.
class ByteFileWriter {
public:
    explicit ByteFileWriter(const std::string& path);
    ~ByteFileWriter();
    ByteFileWriter(const ByteFileWriter&) = delete;
    ByteFileWriter& operator=(const ByteFileWriter&) = delete;

    void Write(std::string_view bytes);
    void Close();

private:
    bool StartBeside(uid_t owner, gid_t group, mode_t mode);
    void CopyInPlace();

    int fd_ = -1;     // where the bytes go: the temporary file or the file itself
    int target_ = -1; // the existing file, open for writing, while the bytes go beside it
    std::string path_;
    TemporaryFile temporary_;
};

// The system's text for errno value `error`, with trailing blanks and periods removed.
std::string SystemErrorReason(int error);

} // namespace engine
