#include "engine/sample_log.h"

#include "engine/format_fixed.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace engine {

namespace {

constexpr int kTimePrecision = 10;
constexpr int kTimeDecimals = 1;
constexpr int kAnglePrecision = 7;
constexpr int kAngleDecimals = 4;
constexpr int kVoltagePrecision = 5;
constexpr int kVoltageDecimals = 3;
constexpr int kVoltageColumns = 5; // A, B, C, Z, VBatt
constexpr int kSwitchColumns = 6;
constexpr int kColumns = 14;

constexpr std::string_view kLineEnd = "\r\n";

// The longest line any sample can give; a typical one is under 80 characters.
constexpr std::size_t kMaxLineLength =
    kIntegerMaxLength + (kColumns - 1) + kSwitchColumns * kIntegerMaxLength +
    FormatFixedMaxLength(kTimeDecimals) + FormatFixedMaxLength(kAngleDecimals) +
    kVoltageColumns * FormatFixedMaxLength(kVoltageDecimals) + kLineEnd.size();
constexpr std::size_t kTypicalLineLength = 80;

char* WriteSwitch(char* p, std::int32_t level)
{
    // Switch levels are 0 or 1; anything else still comes out as its plain decimal text.
    if (level >= 0 && level <= 9) {
        *p++ = static_cast<char>('0' + level);
        return p;
    }
    return FormatIntegerTo(p, level);
}

char* WriteVoltage(char* p, float value, char separator)
{
    *p++ = '\t';
    return FormatFixedTo(p, value, kVoltagePrecision, kVoltageDecimals, separator);
}

char* WriteLine(char* p, std::int64_t index, const TSampleRec& s, char separator)
{
    p = FormatIntegerTo(p, index);
    *p++ = '\t';
    p = FormatFixedTo(p, s.Time, kTimePrecision, kTimeDecimals, separator);
    *p++ = '\t';
    p = FormatFixedTo(p, s.Angle, kAnglePrecision, kAngleDecimals, separator);
    for (const std::int32_t level : s.Switch) {
        *p++ = '\t';
        p = WriteSwitch(p, level);
    }
    for (const float v : s.PhaseV) {
        p = WriteVoltage(p, v, separator);
    }
    // The star point comes before the battery, the reverse of the record's order.
    p = WriteVoltage(p, s.VZero, separator);
    p = WriteVoltage(p, s.VBatt, separator);
    std::memcpy(p, kLineEnd.data(), kLineEnd.size());
    return p + kLineEnd.size();
}

} // namespace

std::string BuildSampleLog(const SampleBuffer& run, char separator)
{
    // A count beyond the records held would read past the buffer.
    const std::size_t count = std::min<std::size_t>(
        static_cast<std::size_t>(std::max<std::int32_t>(run.SampleCount, 0)), run.Samples.size());

    const std::string_view header = kSampleLogHeader;
    std::string text;
    text.reserve(header.size() + kLineEnd.size() + count * kTypicalLineLength);
    text.append(header);
    text.append(kLineEnd);

    char line[kMaxLineLength];
    for (std::size_t i = 0; i < count; ++i) {
        const char* end = WriteLine(line, static_cast<std::int64_t>(i), run.Samples[i], separator);
        text.append(line, static_cast<std::size_t>(end - line));
    }
    return text;
}

void SaveSampleLog(const std::string& path, const SampleBuffer& run, char separator)
{
    WriteFileBytes(path, BuildSampleLog(run, separator));
}

} // namespace engine
