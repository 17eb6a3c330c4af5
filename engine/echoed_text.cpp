#include "engine/echoed_text.h"

namespace engine {

namespace {

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the valid UTF-8 character at the start of `text`, or 0 when its first byte
// starts none (an overlong form, a surrogate, beyond U+10FFFF, cut short).
std::size_t CharacterLength(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF; // the allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (!IsContinuation(byte(i))) {
            return 0;
        }
    }
    return length;
}

void AppendHex(std::string& out, unsigned char byte)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
}

} // namespace

std::string EchoedText(std::string_view text, std::size_t maxCharacters)
{
    std::string out;
    std::size_t characters = 0;
    while (!text.empty()) {
        if (characters++ == maxCharacters) {
            out += "...";
            break;
        }
        const auto byte = static_cast<unsigned char>(text[0]);
        const std::size_t length = CharacterLength(text);
        if (byte == '\\') {
            out += "\\\\";
        } else if (byte == '\n') {
            out += "\\n";
        } else if (byte == '\r') {
            out += "\\r";
        } else if (byte == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte == 0x7F || length == 0) {
            AppendHex(out, byte);
        } else {
            out.append(text.substr(0, length));
            text.remove_prefix(length);
            continue;
        }
        text.remove_prefix(1);
    }
    return out;
}

} // namespace engine
