#pragma once

#include "engine/channels.h"
#include "engine/params.h"
#include "engine/sample.h"

namespace engine {

// The engine's buffers: the parameter set, the samples of the last run and the channels of
// the selected view. One instance lives as long as the window; the window only reads them.
struct EngineState {
    TParams Params;
    SampleBuffer Run;
    ChannelSet Result;
};

} // namespace engine
