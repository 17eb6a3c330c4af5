#include "engine/sample_log.h"

#include "engine/format_fixed.h"
#include "engine/log_fields.h"
#include "engine/number_forms.h"
#include "engine/sample_allocator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string_view>

namespace engine {

namespace {

constexpr int kTimePrecision = kLogTimeForm.Precision;
constexpr int kTimeDecimals = kLogTimeForm.Decimals;
constexpr int kAnglePrecision = kLogAngleForm.Precision;
constexpr int kAngleDecimals = kLogAngleForm.Decimals;
constexpr int kVoltagePrecision = kLogVoltageForm.Precision;
constexpr int kVoltageDecimals = kLogVoltageForm.Decimals;
constexpr int kVoltageColumns = 5; // A, B, C, Z, VBatt
constexpr int kSwitchColumns = 6;
constexpr int kColumns = 14;

constexpr std::string_view kLineEnd = "\r\n";

// The longest line any sample can give; a typical one is under 80 characters.
constexpr std::size_t kMaxLineLength =
    kIntegerMaxLength + (kColumns - 1) + kSwitchColumns * kIntegerMaxLength +
    FormatFixedMaxLength(kTimeDecimals) + FormatFixedMaxLength(kAngleDecimals) +
    kVoltageColumns * FormatFixedMaxLength(kVoltageDecimals) + kLineEnd.size();

// Lines are written into a block this large and the block appended to the text whole.
constexpr std::size_t kBlockBytes = std::size_t{64} << 10;

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
    return log_fields::WriteFixed<kVoltagePrecision, kVoltageDecimals>(p, value, separator);
}

char* WriteLine(char* p, std::size_t index, const TSampleRec& s, char separator)
{
    p = log_fields::WriteUnsigned(p, index);
    *p++ = '\t';
    p = log_fields::WriteFixed<kTimePrecision, kTimeDecimals>(p, s.Time, separator);
    *p++ = '\t';
    p = log_fields::WriteFixed<kAnglePrecision, kAngleDecimals>(p, s.Angle, separator);
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

// The extremes of one kind of field over the run.
struct FieldRange {
    float MaxMagnitude = 0;
    bool AnyNegative = false;
    bool AnyNaN = false;

    void Take(float v)
    {
        MaxMagnitude = std::max(MaxMagnitude, std::fabs(v));
        AnyNegative = AnyNegative || v < 0;
        AnyNaN = AnyNaN || std::isnan(v);
    }

    // The longest text of a field in this range: WriteFixed's fixed form for magnitudes it
    // writes itself (its digits grow with the magnitude), else the longest text there is.
    template <int Precision, int Decimals> std::size_t LongestText() const
    {
        constexpr double kLimit = static_cast<double>(log_fields::Pow10(Precision - Decimals));
        const double magnitude = MaxMagnitude;
        if (AnyNaN || !(magnitude < kLimit)) {
            return FormatFixedMaxLength(Decimals);
        }
        constexpr std::uint64_t kScale = log_fields::Pow10(Decimals);
        const auto units = static_cast<std::uint64_t>(std::ceil(magnitude * kScale));
        return (AnyNegative ? 1 : 0) + log_fields::DigitCount(units / kScale) + 1 + Decimals;
    }
};

// A bound of every line's length, from one quick pass over the samples, so that the text is
// reserved once and never moves: the log of a long run is hundreds of megabytes.
std::size_t LongestLine(const TSampleRec* samples, std::size_t count)
{
    FieldRange time;
    FieldRange angle;
    FieldRange voltage;
    bool switchDigits = true;
    for (std::size_t i = 0; i < count; ++i) {
        const TSampleRec& s = samples[i];
        time.Take(s.Time);
        angle.Take(s.Angle);
        for (const float v : s.PhaseV) {
            voltage.Take(v);
        }
        voltage.Take(s.VZero);
        voltage.Take(s.VBatt);
        for (const std::int32_t level : s.Switch) {
            switchDigits = switchDigits && level >= 0 && level <= 9;
        }
    }
    const std::size_t index = static_cast<std::size_t>(
        log_fields::DigitCount(count > 0 ? static_cast<std::uint64_t>(count - 1) : 0));
    const std::size_t length =
        index + (kColumns - 1) + kSwitchColumns * (switchDigits ? 1 : kIntegerMaxLength) +
        time.LongestText<kTimePrecision, kTimeDecimals>() +
        angle.LongestText<kAnglePrecision, kAngleDecimals>() +
        kVoltageColumns * voltage.LongestText<kVoltagePrecision, kVoltageDecimals>() +
        kLineEnd.size();
    return std::min(length, kMaxLineLength);
}

} // namespace

std::string BuildSampleLog(const SampleBuffer& run, char separator)
{
    // A count beyond the records held would read past the buffer.
    const std::size_t count = std::min<std::size_t>(
        static_cast<std::size_t>(std::max<std::int32_t>(run.SampleCount, 0)), run.Samples.size());
    const TSampleRec* samples = run.Samples.data();

    const std::string_view header = kSampleLogHeader;
    std::string text;
    text.reserve(header.size() + kLineEnd.size() + count * LongestLine(samples, count));
    AdviseHugePages(text.data(), text.capacity());
    text.append(header);
    text.append(kLineEnd);

    std::array<char, kBlockBytes> block;
    char* p = block.data();
    for (std::size_t i = 0; i < count; ++i) {
        if (static_cast<std::size_t>(block.data() + block.size() - p) < kMaxLineLength) {
            text.append(block.data(), p);
            p = block.data();
        }
        p = WriteLine(p, i, samples[i], separator);
    }
    text.append(block.data(), p);
    return text;
}

void SaveSampleLog(const std::string& path, const SampleBuffer& run, char separator)
{
    WriteFileBytes(path, BuildSampleLog(run, separator));
}

} // namespace engine
