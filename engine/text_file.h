#pragma once

#include <functional>
#include <utility>
#include <stdexcept>
#include <string>
#include <string_view>

// Writing a finished text to a file in one checked write: the sample log's way, shared by
// every export so that all of them fail with the same messages. Long exports that should not
// be held whole go through a TextFileWriter piece by piece instead.

namespace engine {

// "Cannot create file "<path>". <reason>" or "Stream write error". Named after the log, its
// first user; the other exports throw it too.
class LogWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Creates or replaces the file at `path` and writes `text` with one write. Throws
// LogWriteError; what was written before a write failure stays in the file.
void WriteTextFile(const std::string& path, std::string_view text);

// A file created or replaced on construction and written in pieces; the same errors as
// WriteTextFile. Close() reports a failure of the last write; the destructor only closes.
class TextFileWriter {
public:
    explicit TextFileWriter(const std::string& path);
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    void Write(std::string_view text);
    void Close();

private:
    int fd_;
};

// Where a long text goes piece by piece: a file, standard output, a string.
using TextSink = std::function<void(std::string_view)>;

// Text collected for a sink and handed over in pieces of about 64 KiB, so that a writer of a
// million samples never holds the whole text.
class ChunkedText {
public:
    explicit ChunkedText(TextSink sink) : sink_(std::move(sink)) {}

    std::string& Text() { return text_; }
    // Hands the text over once it has grown past a piece.
    void Pass()
    {
        if (text_.size() >= kPiece) {
            Flush();
        }
    }
    void Flush()
    {
        if (!text_.empty()) {
            sink_(text_);
            text_.clear();
        }
    }

private:
    static constexpr std::size_t kPiece = std::size_t{1} << 16;
    TextSink sink_;
    std::string text_;
};

// The system's text for errno value `error`, with trailing blanks and periods removed.
std::string SystemErrorReason(int error);

} // namespace engine
