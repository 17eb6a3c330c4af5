#pragma once

#include "engine/channels.h"
#include "engine/sample.h"
#include "engine/table_writer.h"
#include "engine/text_file.h" // LogWriteError

#include <cstdint>
#include <string>

// The samples of the graph's view window with the derived channels of the selected view, as
// a table: a header, then one line per sample. As tab-separated text it has CR LF after every
// line as in the sample log and the user's separator; as CSV it follows RFC 4180.

namespace engine {

// The leading columns of the header; the channel names of the view follow.
inline constexpr const char* kViewExportHeader =
    "INDEX\tTIME(us)\tANGLE(deg)\tHA\tLA\tHB\tLB\tHC\tLC";

// The samples a view export covers: the window cut to the run's samples and to the rows of
// its channels. Empty when nothing of the window lies inside.
struct ExportRange {
    std::int64_t First = 0;
    std::int64_t Count = 0;
    friend bool operator==(const ExportRange&, const ExportRange&) = default;
};
ExportRange ClampExportRange(const SampleBuffer& run, const ChannelSet& result, int viewStart,
                             int viewLen);

// INDEX is the sample's index in the run (as in the log), time (10, 1) and angle (7, 4) as in
// the log, the six switch levels, then the value of each channel of the view (7, 4). The
// range is cut to the run and the channel rows once more. In JSON: an array of records named
// by the header's columns.
void WriteViewTable(const SampleBuffer& run, const ChannelSet& result, ExportRange range,
                    TableWriter& table, ChunkedText& out);

// The whole table of the window's samples; TSV with CR LF line ends.
std::string BuildViewExport(const SampleBuffer& run, const ChannelSet& result, int viewStart,
                            int viewLen, char separator, TableFormat format = TableFormat::Tsv);

// Builds the text and writes it as the log is written. Throws LogWriteError.
void SaveViewExport(const std::string& path, const SampleBuffer& run, const ChannelSet& result,
                    int viewStart, int viewLen, char separator,
                    TableFormat format = TableFormat::Tsv);

} // namespace engine
