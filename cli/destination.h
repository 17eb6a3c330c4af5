#pragma once

#include "engine/chunked_text.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <utility>

// Where an output of bldc-emu goes: a file, or standard output for the name "-".

namespace cli {

// The file name that stands for standard output in every option that writes a file.
inline constexpr std::string_view kStandardOutput = "-";
// And for standard input in --load.
inline constexpr std::string_view kStandardInput = "-";

class Destination {
public:
    Destination() = default;
    Destination(std::string path) : path_(std::move(path)) {} // NOLINT: a file name is one

    const std::string& Path() const { return path_; }
    bool IsStandardOutput() const { return path_ == kStandardOutput; }

    // Writes `bytes` to `out` for standard output, else creates or replaces the file with one
    // write. Throws engine::FileWriteError.
    void WriteBytes(std::ostream& out, std::string_view bytes) const;
    // Writes the text `write` hands on piece by piece, so the whole text is never held. A file
    // is replaced only once it is complete. Throws engine::FileWriteError.
    void WriteText(std::ostream& out, const std::function<void(engine::ChunkedText&)>& write) const;

    friend bool operator==(const Destination& destination, std::string_view path)
    {
        return destination.path_ == path;
    }

private:
    std::string path_;
};

} // namespace cli
