#include "cli/destination.h"

#include "engine/byte_file.h"

#include <ostream>

namespace cli {

void Destination::WriteBytes(std::ostream& out, std::string_view bytes) const
{
    if (IsStandardOutput()) {
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    } else {
        engine::WriteFileBytes(path_, bytes);
    }
}

void Destination::WriteText(std::ostream& out,
                            const std::function<void(engine::ChunkedText&)>& write) const
{
    if (IsStandardOutput()) {
        engine::ChunkedText text([&out](std::string_view piece) {
            out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        });
        write(text);
        text.Flush();
        return;
    }
    engine::ByteFileWriter file(path_);
    engine::ChunkedText text([&file](std::string_view piece) { file.Write(piece); });
    write(text);
    text.Flush();
    file.Close();
}

} // namespace cli
