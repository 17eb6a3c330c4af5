#pragma once

#include "engine/params.h"

#include <thread>

// The runs the speed figures are measured on.

namespace bench {

// The longest run the track bars reach: 60 A at 10 % duty, 1,141,841 steps.
inline engine::TParams LongestTrackBarRun()
{
    engine::TParams p = engine::DefaultParams();
    p[engine::MaxCurrent] = 60;
    p[engine::PwmDuty] = 10;
    return p;
}

inline int Cores()
{
    return static_cast<int>(std::max(std::thread::hardware_concurrency(), 1u));
}

} // namespace bench
