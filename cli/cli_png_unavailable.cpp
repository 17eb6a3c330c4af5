#include "cli/cli_png.h"

// bldc-emu built without the window's libraries: everything but the picture works.

namespace cli {

void WriteGraphPng(const std::string&, const graph::GraphPaintParams&, graph::GridSize)
{
    throw PictureError("this bldc-emu was built without the graph renderer (Qt Gui)");
}

} // namespace cli
