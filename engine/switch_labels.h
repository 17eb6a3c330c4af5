#pragma once

#include <array>

namespace engine {

// The texts of the switch labels Edit101 ... Edit106 on the circuit page, in the order of
// TSampleRec::Switch; the graph's switch rows and the schematic's gate inputs carry them too.
inline constexpr std::array<const char*, 6> kSwitchLabels{"HighA", "LowA",  "HighB",
                                                          "LowB",  "HighC", "LowC"};

} // namespace engine
