#include "engine/sample_log.h"

#include "engine/format_fixed.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>

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

// Closes the file on every way out of the export.
class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle()
    {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    int Get() const { return fd_; }

    bool Close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        // A write that makes no progress would loop for ever: treat it as a failure.
        if (written <= 0) {
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
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
    const std::string text = BuildSampleLog(run, separator);

    FileHandle file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (file.Get() < 0) {
        const int error = errno;
        throw LogWriteError("Cannot create file \"" + path + "\". " + SystemErrorReason(error));
    }
    // What was written before a failure stays in the file.
    if (!WriteAll(file.Get(), text)) {
        throw LogWriteError("Stream write error");
    }
    if (!file.Close()) {
        throw LogWriteError("Stream write error");
    }
}

std::string SystemErrorReason(int error)
{
    std::string reason = std::strerror(error);
    const auto last = reason.find_last_not_of(" .");
    reason.erase(last == std::string::npos ? 0 : last + 1);
    return reason;
}

} // namespace engine
