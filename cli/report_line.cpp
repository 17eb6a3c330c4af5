#include "cli/report_line.h"

#include <ostream>

namespace cli {

std::string EscapeControlBytes(std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '\n':
            escaped += "\\n";
            break;
        case '\r':
            escaped += "\\r";
            break;
        case '\t':
            escaped += "\\t";
            break;
        case '\\':
            // Doubled, so that an escape in a message always stands for a control byte.
            escaped += "\\\\";
            break;
        default:
            if (byte < 0x20 || byte == 0x7F) {
                escaped += "\\x";
                escaped += kHex[byte >> 4];
                escaped += kHex[byte & 0xF];
            } else {
                escaped += c;
            }
        }
    }
    return escaped;
}

void Report(std::ostream& err, const std::string& message)
{
    err << "bldc-emu: " << EscapeControlBytes(message) << '\n';
}

void ReportEscaped(std::ostream& err, const std::string& message)
{
    err << "bldc-emu: " << message << '\n';
}

} // namespace cli
