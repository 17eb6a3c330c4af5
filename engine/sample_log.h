#pragma once

#include "engine/sample.h"
#include "engine/byte_file.h" // FileWriteError, SystemErrorReason

#include <string>

// The tab-separated sample log ("log.txt"): a header line and one line per sample, CR LF after
// every line.

namespace engine {

inline constexpr const char* kSampleLogHeader =
    "INDEX\tTIME(us)\tANGLE(deg)\tHA\tLA\tHB\tLB\tHC\tLC\tA\tB\tC\tZ\tVBatt";

// The whole text of the log for the first SampleCount samples of `run`.
std::string BuildSampleLog(const SampleBuffer& run, char separator);

// Builds the text and writes it to `path` with one write, creating or replacing the file.
// Throws FileWriteError.
void SaveSampleLog(const std::string& path, const SampleBuffer& run, char separator);

} // namespace engine
