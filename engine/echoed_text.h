#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Text from a file quoted back in a message. A NUL byte would cut the message short where it
// becomes a C string, other control bytes would garble a terminal, bytes that are not UTF-8
// would show as replacement marks or not at all, and a 60 KB line would bury the rest.

namespace engine {

// Characters of an echo kept before it is cut with "...".
inline constexpr std::size_t kEchoCharacters = 40;

// `text` with "\\", "\n", "\r", "\t" and "\xHH" in place of a backslash, the control bytes
// (0x00 to 0x1F and 0x7F) and each byte that is not part of a valid UTF-8 character; cut after
// `maxCharacters` characters of `text` with "..." when longer.
std::string EchoedText(std::string_view text, std::size_t maxCharacters = kEchoCharacters);

} // namespace engine
