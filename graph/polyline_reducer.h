#pragma once

#include "graph/canvas.h"

#include <vector>

// Builds a polyline (a MoveTo to the start point, then LineTo to each point in turn) while
// dropping the points that cannot change a pixel, so that a trace of a million samples in a
// few hundred pixel columns costs a few points per column.
//
// With the end point of every line excluded, a run of consecutive points on one pixel column
// x, Q0 ... Qm, paints the pixels from its lowest to its highest y, except an extreme that
// the run only reaches at Qm (the pixel at Qm is then painted by the next line, if any, as
// before). Lines into Q0 and out of Qm are kept as they are, so it is enough to replace the
// run by Q0, the two extremes in a suitable order and Qm, with repeated points dropped.
// Consecutive equal points are dropped too (a line of length 0 paints nothing), and so is
// the joint of two horizontal lines that continue in one direction.

namespace graph {

class PolylineReducer {
public:
    explicit PolylineReducer(TPoint start = {}) { Start(start); }

    // Starts a new polyline at `start` (the MoveTo point), forgetting the points so far.
    void Start(TPoint start);
    // A LineTo to `p`.
    void Add(TPoint p)
    {
        if (p.x != columnX_) {
            StartColumn(p);
            return;
        }
        if (p.y == last_)
            return;
        // The previous last point now starts a line of its own.
        loPainted_ = loPainted_ || last_ == lo_;
        hiPainted_ = hiPainted_ || last_ == hi_;
        if (p.y < lo_) {
            lo_ = p.y;
            loPainted_ = false;
        }
        if (p.y > hi_) {
            hi_ = p.y;
            hiPainted_ = false;
        }
        last_ = p.y;
        columnHasLines_ = true;
    }
    // The kept LineTo points, complete once Finish has been called.
    const std::vector<TPoint>& Finish();

    TPoint StartPoint() const { return start_; }

private:
    void StartColumn(TPoint p);
    void Push(TPoint p);
    void CloseColumn();
    void Emit(int y);

    TPoint start_{};
    std::vector<TPoint> points_;
    int columnX_ = 0;
    int lo_ = 0;
    int hi_ = 0;
    int last_ = 0;
    int lastEmittedY_ = 0;
    // Whether the extreme occurs before the column's last point (it is then painted).
    bool loPainted_ = false;
    bool hiPainted_ = false;
    bool columnHasLines_ = false;
};

} // namespace graph
