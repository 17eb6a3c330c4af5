#include "cli/cli_png.h"

// bldc-emu built without the window's libraries: everything but the picture works.

namespace cli {
namespace {

constexpr const char* kUnavailable = "this bldc-emu was built without the graph renderer (Qt Gui)";

} // namespace

void WriteGraphPng(const Destination&, std::ostream&, const graph::GraphPaintParams&,
                   graph::GridSize, const graph::HeldReference&)
{
    throw PictureError(kUnavailable);
}

} // namespace cli
