// The fast fixed-point format against the slow exact reference, for floats, doubles and long
// doubles of any magnitude, any precision and decimals (clamped as documented) and any
// separator; the pointer form must stay inside the room that FormatFixedMaxLength promises.
//
// Input: byte 0 the kind (bits 0-1: float, double, long double, integer) and whether the long
// double may take the whole exponent range (bit 2), byte 1 the precision and byte 2 the
// decimals (both signed), byte 3 the separator, then the value's bytes.
#include "engine/format_fixed.h"
#include "tests/support/format_fixed_reference.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

void Fail(const char* what, long double value, int precision, int decimals, const std::string& got,
          const std::string& expected)
{
    std::fprintf(stderr, "%s: value %.21Lg P %d D %d\n  got      \"%s\"\n  expected \"%s\"\n", what,
                 value, precision, decimals, got.c_str(), expected.c_str());
    std::abort();
}

template <typename T> T Read(const std::uint8_t* data)
{
    T value;
    std::memcpy(&value, data, sizeof value);
    return value;
}

// A long double from a 64-bit mantissa and an exponent: every finite value, including the
// subnormals, and never an encoding the x87 format does not define.
long double MakeLongDouble(const std::uint8_t* data, bool wholeRange)
{
    const auto mantissa = Read<std::uint64_t>(data);
    const auto raw = Read<std::int16_t>(data + 8);
    // The reference's whole expansion is slow at the extremes; most inputs stay within
    // the double range, where the fast format switches between its integer paths.
    const int exponent = wholeRange ? raw % 16500 - 64 : raw % 1100 - 64;
    const long double value = std::ldexp(static_cast<long double>(mantissa), exponent);
    return (data[9] & 0x80) != 0 ? -value : value;
}

template <typename Value> void Compare(Value value, int precision, int decimals, char separator)
{
    const std::string expected =
        reference::FormatFixed(static_cast<long double>(value), precision, decimals, separator);
    std::string appended = "prefix";
    engine::AppendFormatFixed(appended, value, precision, decimals, separator);
    if (appended.compare(0, 6, "prefix") != 0 || appended.substr(6) != expected)
        Fail("AppendFormatFixed", value, precision, decimals, appended, expected);

    // Exactly the promised room on the heap, so that one byte too many is an overflow.
    const std::size_t room = engine::FormatFixedMaxLength(decimals);
    const auto buffer = std::make_unique<char[]>(room);
    const char* end = engine::FormatFixedTo(buffer.get(), value, precision, decimals, separator);
    const std::string written(buffer.get(), static_cast<std::size_t>(end - buffer.get()));
    if (written != expected)
        Fail("FormatFixedTo", value, precision, decimals, written, expected);
}

void CompareInteger(std::int64_t value)
{
    const std::string expected = std::to_string(value);
    const auto buffer = std::make_unique<char[]>(engine::kIntegerMaxLength);
    const char* end = engine::FormatIntegerTo(buffer.get(), value);
    const std::string written(buffer.get(), static_cast<std::size_t>(end - buffer.get()));
    if (written != expected || engine::FormatInteger(value) != expected)
        Fail("FormatInteger", static_cast<long double>(value), 0, 0, written, expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    const int kind = data[0] & 3;
    const bool wholeRange = (data[0] & 4) != 0;
    const int precision = static_cast<std::int8_t>(data[1]);
    const int decimals = static_cast<std::int8_t>(data[2]);
    const char separator = static_cast<char>(data[3]);
    const std::uint8_t* value = data + 4;
    const std::size_t bytes = size - 4;
    switch (kind) {
    case 0:
        if (bytes >= sizeof(float))
            Compare(Read<float>(value), precision, decimals, separator);
        break;
    case 1:
        if (bytes >= sizeof(double))
            Compare(Read<double>(value), precision, decimals, separator);
        break;
    case 2:
        if (bytes >= 10)
            Compare(MakeLongDouble(value, wholeRange), precision, decimals, separator);
        break;
    default:
        if (bytes >= sizeof(std::int64_t))
            CompareInteger(Read<std::int64_t>(value));
        break;
    }
    return 0;
}
