#include "graph/polyline_reducer.h"

namespace graph {

void PolylineReducer::Start(TPoint start)
{
    start_ = start;
    points_.clear();
    columnX_ = start.x;
    lo_ = hi_ = last_ = lastEmittedY_ = start.y;
    loPainted_ = hiPainted_ = columnHasLines_ = false;
}

void PolylineReducer::Push(TPoint p)
{
    // A horizontal line continued in the same direction: the joint is painted by the second
    // line anyway, so one line from the first start does the same.
    const std::size_t n = points_.size();
    if (n >= 1) {
        const TPoint before = n >= 2 ? points_[n - 2] : start_;
        const TPoint joint = points_[n - 1];
        if (before.y == joint.y && joint.y == p.y &&
            ((before.x < joint.x && joint.x < p.x) || (before.x > joint.x && joint.x > p.x))) {
            points_[n - 1] = p;
            return;
        }
    }
    points_.push_back(p);
}

void PolylineReducer::StartColumn(TPoint p)
{
    CloseColumn();
    Push(p);
    columnX_ = p.x;
    lo_ = hi_ = last_ = lastEmittedY_ = p.y;
    loPainted_ = hiPainted_ = columnHasLines_ = false;
}

void PolylineReducer::Emit(int y)
{
    if (y == lastEmittedY_)
        return;
    Push({columnX_, y});
    lastEmittedY_ = y;
}

void PolylineReducer::CloseColumn()
{
    if (!columnHasLines_)
        return;
    // lo < hi here, and at most one extreme can be reached only by the last point.
    if (!hiPainted_) { // last_ == hi_
        Emit(lo_);
        Emit(hi_);
    } else if (!loPainted_) { // last_ == lo_
        Emit(hi_);
        Emit(lo_);
    } else if (last_ != hi_) {
        Emit(lo_);
        Emit(hi_);
        Emit(last_);
    } else {
        Emit(hi_);
        Emit(lo_);
        Emit(last_);
    }
    columnHasLines_ = false;
}

const std::vector<TPoint>& PolylineReducer::Finish()
{
    CloseColumn();
    return points_;
}

} // namespace graph
