#pragma once

#include "graph/canvas.h"

#include <cstdint>
#include <cstdlib>

// The pixels of a one-pixel line, walked as runs along its major axis.
//
// A line from `from` to `to` covers max(|dx|, |dy|) pixels: step i = 0 ... D - 1 along the
// major axis, the end point itself excluded (so a line of length 0 paints nothing). The minor
// coordinate at step i is the start's plus i * d / D rounded half away from the start
// (Bresenham's choice), so a line and its reverse can differ only at exact ties.

namespace graph {

// `Length` pixels starting at (X, Y), going in `Dir` (+1 or -1) along x when `AlongX`, else
// along y; the first of them is pixel number `Index` of its line (used by dotted pens).
struct LineRun {
    int X = 0;
    int Y = 0;
    int Length = 0;
    bool AlongX = true;
    int Dir = 1;
    int Index = 0;

    // The run as a rectangle, Right and Bottom excluded.
    TRect Rect() const
    {
        const int first = AlongX ? X : Y;
        const int last = first + Dir * (Length - 1);
        const int lo = first < last ? first : last;
        const int hi = first < last ? last : first;
        if (AlongX)
            return {lo, Y, hi + 1, Y + 1};
        return {X, lo, X + 1, hi + 1};
    }
};

template <class RunFn> void WalkLine(TPoint from, TPoint to, RunFn&& run)
{
    const std::int64_t dx = std::int64_t{to.x} - from.x;
    const std::int64_t dy = std::int64_t{to.y} - from.y;
    const std::int64_t adx = dx < 0 ? -dx : dx;
    const std::int64_t ady = dy < 0 ? -dy : dy;
    if (adx == 0 && ady == 0)
        return;
    const bool alongX = adx >= ady;
    const std::int64_t major = alongX ? adx : ady;
    const std::int64_t minor = alongX ? ady : adx;
    const int majorDir = (alongX ? dx : dy) < 0 ? -1 : 1;
    const int minorDir = (alongX ? dy : dx) < 0 ? -1 : 1;
    const int majorStart = alongX ? from.x : from.y;
    const int minorStart = alongX ? from.y : from.x;

    auto report = [&](std::int64_t firstStep, std::int64_t count, std::int64_t minorOffset) {
        const int majorPos = majorStart + majorDir * static_cast<int>(firstStep);
        const int minorPos = minorStart + minorDir * static_cast<int>(minorOffset);
        LineRun r;
        r.X = alongX ? majorPos : minorPos;
        r.Y = alongX ? minorPos : majorPos;
        r.Length = static_cast<int>(count);
        r.AlongX = alongX;
        r.Dir = majorDir;
        r.Index = static_cast<int>(firstStep);
        run(r);
    };

    if (minor == 0) {
        report(0, major, 0);
        return;
    }
    // Minor offset t holds from the first step i with 2*i*minor + major >= (2*t) * major,
    // i.e. i >= ceil((2t - 1) * major / (2 * minor)).
    std::int64_t step = 0;
    for (std::int64_t t = 0; step < major; ++t) {
        const std::int64_t num = (2 * (t + 1) - 1) * major;
        const std::int64_t den = 2 * minor;
        std::int64_t next = (num + den - 1) / den;
        if (next > major)
            next = major;
        if (next > step)
            report(step, next - step, t);
        step = next > step ? next : step;
    }
}

} // namespace graph
