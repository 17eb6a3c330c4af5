#pragma once

// A standard stream closed when bldc-emu starts gets a stand-in before anything is opened:
// otherwise the next file the program opens takes its number, and text meant for standard
// output lands in that file. Standard output gets /dev/full, so that writing to it fails and is
// reported as writing to a closed one should be; standard input and error get /dev/null.

namespace cli {

void ReserveClosedStandardStreams();

} // namespace cli
