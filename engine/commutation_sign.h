#pragma once

#include <cmath>

// Whether a phase conducts, and towards which rail, from its commutation cosine: +1 when the
// cosine exceeds the conduction threshold, -1 when it is below minus the threshold, 0 in
// between (equality floats the phase).
//
// Over one turn the cosine crosses the two thresholds at four angles, +-a and +-(pi - a) with
// a = acos(threshold). An argument that lies clearly inside one of the three regions decides
// the sign without the cosine; one within a hair of a border (1e-9 rad, while every error of
// the reduction, of acos and of the library's cosine is below 1e-11 for the arguments taken
// here) gets the cosine itself and the exact comparison. The sign is therefore always the one
// the cosine gives, at the cost of one cosine in some hundred million steps instead of every
// step.

namespace engine {

class CommutationSign {
public:
    explicit CommutationSign(double threshold);

    int operator()(double x) const
    {
        if (regions_ && std::fabs(x) < kReducedUpTo) {
            // x - n 2 pi with n the nearest whole number of turns, by the round-to-nearest
            // of adding and removing 1.5 * 2^52.
            constexpr double kShift = 0x1.8p52;
            const double turns = (x * kTurnsPerRadian + kShift) - kShift;
            const double y = std::fabs(x - turns * kTwoPi);
            if (y < plusBelow_) {
                return 1;
            }
            if (y > zeroFrom_ && y < zeroTo_) {
                return 0;
            }
            if (y > minusFrom_) {
                return -1;
            }
        }
        const double c = std::cos(x);
        if (std::fabs(c) > threshold_) {
            return c > 0 ? 1 : -1;
        }
        return 0;
    }

private:
    static constexpr double kTwoPi = 6.283185307179586;
    static constexpr double kTurnsPerRadian = 0.15915494309189535;
    // Up to here the reduction's error stays below 1e-11 rad.
    static constexpr double kReducedUpTo = 1e4;

    double threshold_;
    bool regions_ = false;
    double plusBelow_ = 0;
    double zeroFrom_ = 0;
    double zeroTo_ = 0;
    double minusFrom_ = 0;
};

} // namespace engine
