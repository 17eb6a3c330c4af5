#include "ui/graph_page/readout_placement.h"

#include <algorithm>
#include <array>
#include <optional>

namespace ui {

namespace {

// The free room of the screen on each side of the owner: right, left, below, above.
std::array<QRect, 4> RoomsAround(const QRect& owner, const QRect& screen)
{
    return {
        QRect(QPoint(owner.right() + 1, screen.top()), screen.bottomRight()),
        QRect(screen.topLeft(), QPoint(owner.left() - 1, screen.bottom())),
        QRect(QPoint(screen.left(), owner.bottom() + 1), screen.bottomRight()),
        QRect(screen.topLeft(), QPoint(screen.right(), owner.top() - 1)),
    };
}

// The frame placed in `room` at the owner's top (beside) or left (below, above) edge, moved
// only as far as needed to stay in the room.
QRect FrameIn(const QRect& room, const QSize& frameSize, const QRect& owner, bool beside,
              int scrollBar)
{
    QSize size = frameSize.boundedTo(room.size());
    if (size.height() < frameSize.height())
        size.setWidth(std::min(size.width() + scrollBar, room.width()));
    else if (size.width() < frameSize.width())
        size.setHeight(std::min(size.height() + scrollBar, room.height()));
    QPoint topLeft;
    if (beside) {
        const bool right = room.left() > owner.left();
        topLeft = {right ? room.left() : room.right() + 1 - size.width(), owner.top()};
    } else {
        const bool below = room.top() > owner.top();
        topLeft = {owner.left(), below ? room.top() : room.bottom() + 1 - size.height()};
    }
    topLeft.setX(std::clamp(topLeft.x(), room.left(), room.right() + 1 - size.width()));
    topLeft.setY(std::clamp(topLeft.y(), room.top(), room.bottom() + 1 - size.height()));
    return {topLeft, size};
}

QRect ClientOf(const QRect& frame, const QMargins& margins)
{
    return frame.marginsRemoved(margins);
}

} // namespace

QRect PlaceReadout(const ReadoutPlacementInput& input)
{
    const QRect& owner = input.OwnerFrame;
    const QRect& screen = input.Available;
    const QSize frameSize = input.Content.grownBy(input.Frame);
    const std::array<QRect, 4> rooms = RoomsAround(owner, screen);

    for (std::size_t i = 0; i < rooms.size(); ++i) {
        const QRect& room = rooms[i];
        if (room.width() >= frameSize.width() && room.height() >= frameSize.height())
            return ClientOf(FrameIn(room, frameSize, owner, i < 2, input.ScrollBarExtent),
                            input.Frame);
    }

    // No side holds all of it: the side that shows most, full width first.
    const QSize minimum = kMinimumReadout.grownBy(input.Frame);
    std::optional<QRect> best;
    long long bestScore = -1;
    for (std::size_t i = 0; i < rooms.size(); ++i) {
        const QRect& room = rooms[i];
        if (room.width() < minimum.width() || room.height() < minimum.height())
            continue;
        const QRect frame = FrameIn(room, frameSize, owner, i < 2, input.ScrollBarExtent);
        const bool fullWidth = frame.width() >= frameSize.width();
        const long long score =
            (fullWidth ? 1LL << 40 : 0) + static_cast<long long>(frame.width()) * frame.height();
        if (score > bestScore) {
            bestScore = score;
            best = frame;
        }
    }
    if (best)
        return ClientOf(*best, input.Frame);

    const QSize size = frameSize.boundedTo(screen.size());
    const QPoint topLeft(
        screen.right() + 1 - size.width(),
        std::clamp(owner.top(), screen.top(), screen.bottom() + 1 - size.height()));
    return ClientOf(QRect(topLeft, size), input.Frame);
}

} // namespace ui
