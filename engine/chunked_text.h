#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

// A long text handed on piece by piece, so that a writer of a million samples never holds the
// whole text.

namespace engine {

// Where the pieces go: a file, standard output, a string.
using TextSink = std::function<void(std::string_view)>;

// Text collected for a sink and handed over in pieces of about 64 KiB.
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

} // namespace engine
