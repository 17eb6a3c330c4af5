#pragma once

#include "engine/channels.h"
#include "engine/sample.h"

#include <iosfwd>
#include <stdexcept>
#include <string>

// The graph of a finished run as a PNG file, painted as the window paints it. Only this part
// of bldc-emu needs the Qt Gui library, and only while it runs (offscreen).

namespace cli {

struct GraphPicture {
    const engine::SampleBuffer& Run;
    const engine::ChannelSet& Result;
    int ViewStart = 0;
    int ViewLen = 0;
    std::string HeaderText; // the run summary, as the window's grid shows it
    int Width = 539;        // StringGrid1's outer size at the window's minimum size
    int Height = 470;
};

// A picture that cannot be made or written; the message is for the user.
class PictureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Renders and writes the picture; throws PictureError.
void WriteGraphPng(const std::string& path, const GraphPicture& picture);

// Renders the picture and writes its PNG bytes to `out`, whose state tells whether that
// worked; throws PictureError when it cannot be made.
void WriteGraphPng(std::ostream& out, const GraphPicture& picture);

} // namespace cli
