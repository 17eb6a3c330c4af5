#include "engine/commutation_sign.h"

#include <numbers>

namespace engine {
namespace {

constexpr double kBorderMargin = 1e-9;

} // namespace

CommutationSign::CommutationSign(double threshold) : threshold_(threshold)
{
    if (!(threshold > 0 && threshold < 1)) {
        return; // every sign from the cosine
    }
    const double a = std::acos(threshold);
    plusBelow_ = a - kBorderMargin;
    zeroFrom_ = a + kBorderMargin;
    zeroTo_ = std::numbers::pi - a - kBorderMargin;
    minusFrom_ = std::numbers::pi - a + kBorderMargin;
    regions_ = plusBelow_ > 0 && zeroFrom_ < zeroTo_;
}

} // namespace engine
