// The sample log against a line built field by field with the slow exact reference: records of
// any bit pattern (every float, NaN and infinity, any switch level), stale records past the
// count, and any separator. The log writes its fixed-point columns on its own where it can, so
// this keeps that writer honest.
//
// Input: byte 0 the separator, byte 1 how many of the records are stale (past SampleCount),
// then 64 bytes per record.
#include "engine/sample_log.h"
#include "tests/support/format_fixed_reference.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string ExpectedLine(std::size_t index, const engine::TSampleRec& s, char separator)
{
    const auto fixed = [separator](float v, int p, int d) {
        return '\t' + reference::FormatFixed(v, p, d, separator);
    };
    std::string line = std::to_string(index);
    line += fixed(s.Time, 10, 1);
    line += fixed(s.Angle, 7, 4);
    for (const std::int32_t level : s.Switch) {
        line += '\t' + std::to_string(level);
    }
    for (const float v : s.PhaseV) {
        line += fixed(v, 5, 3);
    }
    line += fixed(s.VZero, 5, 3);
    line += fixed(s.VBatt, 5, 3);
    return line + "\r\n";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2) {
        return 0;
    }
    const char separator = static_cast<char>(data[0]);
    const std::size_t records = (size - 2) / sizeof(engine::TSampleRec);
    const std::size_t stale = std::min<std::size_t>(data[1], records);
    engine::SampleBuffer run;
    run.Samples.resize(records);
    if (records > 0) {
        std::memcpy(run.Samples.data(), data + 2, records * sizeof(engine::TSampleRec));
    }
    run.SampleCount = static_cast<std::int32_t>(records - stale);

    std::string expected = std::string(engine::kSampleLogHeader) + "\r\n";
    for (std::size_t i = 0; i < records - stale; ++i) {
        expected += ExpectedLine(i, run.Samples[i], separator);
    }
    const std::string log = engine::BuildSampleLog(run, separator);
    if (log != expected) {
        std::size_t at = 0;
        while (at < log.size() && at < expected.size() && log[at] == expected[at]) {
            ++at;
        }
        const std::size_t from =
            expected.rfind('\n', at) == std::string::npos ? 0 : expected.rfind('\n', at) + 1;
        std::fprintf(stderr, "log differs at byte %zu\n  got      \"%s\"\n  expected \"%s\"\n", at,
                     log.substr(from, 160).c_str(), expected.substr(from, 160).c_str());
        std::abort();
    }
    return 0;
}
