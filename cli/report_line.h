#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

// The lines bldc-emu writes to standard error: "bldc-emu: " and one message each. Messages
// quote what the user typed; a newline or another control byte in it would split the line or
// hide part of it on a terminal, so such bytes are shown as escapes instead.

namespace cli {

// Writes "bldc-emu: <message>" and a newline, the message's control bytes escaped.
void Report(std::ostream& err, const std::string& message);
// The same for a message whose quotes are escaped already, in the same way.
void ReportEscaped(std::ostream& err, const std::string& message);

// `text` with "\n", "\r", "\t", "\\" and "\xHH" (other bytes below 0x20, and 0x7F) in place of
// the bytes they stand for. Bytes from 0x80 on, parts of non-ASCII characters, stay as they are.
std::string EscapeControlBytes(std::string_view text);

} // namespace cli
