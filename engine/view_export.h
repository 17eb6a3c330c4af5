#pragma once

#include "engine/byte_file.h" // FileWriteError
#include "engine/channels.h"
#include "engine/chunked_text.h"
#include "engine/sample.h"
#include "engine/sample_window.h"
#include "engine/table_writer.h"

#include <string>

// The samples of the graph's view window with the derived channels of the selected view, as
// a table: a header, then one line per sample. As tab-separated text it has CR LF after every
// line as in the sample log and the user's separator; as CSV it follows RFC 4180.

namespace engine {

// The leading columns of the header; the channel names of the view follow, with their units.
inline constexpr const char* kViewExportHeader =
    "INDEX\tTIME (us)\tANGLE (deg)\tHA\tLA\tHB\tLB\tHC\tLC";

// The samples a view export covers: the view cut to the run's samples and to the rows of
// its channels. Empty when nothing of the view lies inside.
SampleWindow ExportedSamples(const SampleBuffer& run, const ChannelSet& result,
                             const SampleWindow& view);

// INDEX is the sample's index in the run (as in the log), time (10, 1) as in the log, angle
// (7, 4), the six switch levels, then the value of each channel of the view (7, 4): the digits
// in TSV; CSV and JSON give the exact values. The
// window is cut as ExportedSamples cuts it. In JSON: an array of records named by the
// header's columns.
void WriteViewTable(const SampleBuffer& run, const ChannelSet& result, const SampleWindow& view,
                    TableWriter& table, ChunkedText& out);

// The view's channels for a JSON document: an array of {"name", "unit", "color" as #RRGGBB,
// "data min (V)" and "data max (V)" over the samples of `view` (cut as ExportedSamples cuts
// it; null without one), "axis min (V)" and "axis max (V)", the plot's limits}.
void WriteChannelsJson(const SampleBuffer& run, const ChannelSet& result, const SampleWindow& view,
                       JsonWriter& json);

// The whole table of the view's samples; TSV with CR LF line ends.
std::string BuildViewExport(const SampleBuffer& run, const ChannelSet& result,
                            const SampleWindow& view, char separator,
                            TableFormat format = TableFormat::Tsv);

// Builds the text and writes it as the log is written. Throws FileWriteError.
void SaveViewExport(const std::string& path, const SampleBuffer& run, const ChannelSet& result,
                    const SampleWindow& view, char separator,
                    TableFormat format = TableFormat::Tsv);

} // namespace engine
