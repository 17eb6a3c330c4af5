#pragma once

#include "engine/sample.h"
#include "engine/sample_window.h"
#include "graph/canvas.h"

#include <cmath>
#include <cstdint>

// The plot mapping: where the graph draws a sample, a fractional sample position or an angle
// (x) and a value (y), and how many samples a stretch of pixels spans. The painter, its angle
// grid, the held reference, the comparator traces, the cursors, the pointer's readout, the
// zoom around the pointer and the pan all map through it, so a cursor line lies on the very
// edge or vertex the painter drew for its sample. The arithmetic is the platform's: the pixel
// spacing and the scale are stored as single, products are taken in long double, Round goes
// half to even (the held reference's angles excepted, see AngleAxis).

namespace graph {

// Round half to even, clamped into the int range first so that a huge or non-finite
// coordinate cannot overflow (a NaN gives 0).
int RoundPx(long double value);

// RoundPx of a value whose double form `approx` is cheap and whose long double form `exact()`
// is what the platform rounds. Adding and removing 1.5 * 2^52 rounds a double to the nearest
// integer, halves to even; that result stands unless `approx` lies so near a tie that its own
// rounding error could tip it, and only then is the long double form evaluated. Per-sample
// loops take this path.
template <class Exact> int RoundNearTie(double approx, Exact&& exact)
{
    if (std::fabs(approx) < 1048576.0) {
        const double rounded = (approx + 6755399441055744.0) - 6755399441055744.0;
        if (std::fabs(std::fabs(approx - rounded) - 0.5) > 1e-7)
            return static_cast<int>(rounded);
    }
    return RoundPx(exact());
}

// Angles along x: a view from angle a0 to a1 (its first and last sample's) over the columns
// left ... right - 1. Two roundings, each pinned by the pictures made with it: the angle grid
// stores its pixels per degree as single and rounds in long double half to even; the held
// reference keeps its scale in double and rounds halves away from zero. They can differ by a
// pixel at a tie or far along a long view.
class AngleAxis {
public:
    AngleAxis(float a0, float a1, int left, int right);

    float A0() const { return a0_; }
    float A1() const { return a1_; }
    int Left() const { return left_; }
    int Right() const { return right_; }
    // A positive, finite span over at least one column: only then do the X functions apply.
    bool Spread() const;
    // The angle grid's scale: single(width / (a1 - a0)); 0 unless Spread.
    float PxPerDeg() const { return pxPerDeg_; }

    // The angle grid's line at `angle`: Left + Round((angle - a0) * PxPerDeg).
    int GridX(float angle) const
    {
        return left_ + RoundPx((static_cast<long double>(angle) - a0_) * pxPerDeg_);
    }
    // The held reference's sample at `angle`: Left + lround((angle - a0) * width / (a1 - a0))
    // in double.
    int ReferenceX(float angle) const
    {
        return left_ +
               static_cast<int>(std::lround((static_cast<double>(angle) - a0_) * refPxPerDeg_));
    }

private:
    float a0_;
    float a1_;
    int left_;
    int right_;
    float pxPerDeg_ = 0;
    double refPxPerDeg_ = 0;
};

// Samples along x: a window of samples spread evenly over the pixel columns of column 1.
class PlotMapping {
public:
    // `window` over the columns left ... right - 1 (right excluded): W / Len pixels per sample.
    PlotMapping(const engine::SampleWindow& window, int left, int right);

    // The view window of `run` as the painter shows it in `column` (only its Left and Right
    // matter): cut to the records the run holds; a view with nothing of the run inside shows
    // the nearest single sample.
    static PlotMapping OfView(const engine::SampleBuffer& run, const engine::SampleWindow& view,
                              const TRect& column);

    const engine::SampleWindow& Window() const { return window_; }
    int First() const { return window_.Start; }
    int Len() const { return window_.Len; }
    int Left() const { return left_; }
    int Right() const { return right_; }
    float PxPerSample() const { return pxPerSample_; }
    // The angles of the window's first and last sample (0 unless made by OfView).
    float FirstAngle() const { return firstAngle_; }
    float LastAngle() const { return lastAngle_; }
    bool Contains(int sample) const { return window_.Contains(sample); }

    // Nothing to spread out: fewer than two samples, or (for a view of a run) no angle span.
    // The painter then draws each trace as one flat line and no angle grid; the cursors and
    // the pointer have no sample to point at.
    bool Flat() const { return flat_; }

    // The x of run sample `sample` where a switch trace draws its edge and a cursor its line:
    // Round((sample - First) * pxPerSample + Left).
    int X(int sample) const
    {
        // As in PlotX, the product is exact in a double; Left is whole, so adding it changes
        // the rounding only at an exact half, where halves to even can tip the other way.
        const std::int64_t j = std::int64_t{sample} - window_.Start;
        if (j >= 0 && j < (1 << 29)) {
            const double px = static_cast<double>(j) * pxPerSample_;
            if (px < 1048576.0) {
                const double rounded = (px + 6755399441055744.0) - 6755399441055744.0;
                if (std::fabs(px - rounded) != 0.5)
                    return left_ + static_cast<int>(rounded);
            }
        }
        return RoundPx(static_cast<long double>(sample - window_.Start) * pxPerSample_ + left_);
    }
    // The x of the window's j-th sample in the analog plot: Left + Round(j * pxPerSample).
    // It differs from X(First + j) only where j * pxPerSample is an exact half and Left is odd.
    int PlotX(int j) const
    {
        // Below 2^29 samples j * pxPerSample is exact in a double, so the double's own
        // rounding trick gives the platform's result without a long double product.
        if (j < (1 << 29)) {
            const double px = j * static_cast<double>(pxPerSample_);
            if (px < 1048576.0)
                return left_ + static_cast<int>((px + 6755399441055744.0) - 6755399441055744.0);
        }
        return left_ + RoundPx(static_cast<long double>(j) * pxPerSample_);
    }
    // The x of a fractional sample position (a sample index plus a fraction):
    // Round((position - First) * pxPerSample + Left).
    int XOfPosition(double position) const
    {
        return RoundPx(static_cast<long double>(position - window_.Start) * pxPerSample_ + left_);
    }
    // The angles of the window's first and last sample over the columns.
    AngleAxis Angles() const { return {firstAngle_, lastAngle_, left_, right_}; }

    // The samples `px` pixels span, unrounded: px / pxPerSample.
    long double SamplesAcross(long double px) const { return px / pxPerSample_; }
    // The whole samples a drag of `dx` pixels moves the window by: Round(dx / pxPerSample).
    // Only for a mapping with a positive pxPerSample.
    int PanSamples(int dx) const { return RoundPx(SamplesAcross(dx)); }
    // The sample whose x lies nearest to `x`, within the window; of samples sharing one
    // pixel column the one whose unrounded position is nearest.
    int SampleAt(int x) const;

private:
    engine::SampleWindow window_;
    int left_;
    int right_;
    float pxPerSample_;
    float firstAngle_ = 0;
    float lastAngle_ = 0;
    bool flat_;
};

// Values along y: the vertical scale of the analog plot in the cell from top to bottom
// (excluded).
struct PlotScale {
    float MinValue = 0;
    float MaxValue = 0;
    float YScale = 0; // 0 for an empty or unusable range: every value then lies at the bottom
    int Baseline = 0; // y of MinValue: 12 pixels above the lower edge

    // Baseline + Round((MinValue - value) * YScale).
    int Y(float value) const
    {
        return Baseline + RoundNearTie((static_cast<double>(MinValue) - value) * YScale, [&] {
                   return (static_cast<long double>(MinValue) - value) * YScale;
               });
    }
};

PlotScale ComputePlotScale(float minValue, float maxValue, int top, int bottom);

} // namespace graph
