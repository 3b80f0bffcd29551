#include "ui/html/skin_geometry.h"

#include <algorithm>
#include <utility>

namespace zc {

namespace {

// A pair of positions along one axis, counted from the far edge when anchored there.
std::pair<int, int> Span(int a, int b, bool fromFarEdge, int extent) {
    if (fromFarEdge) {
        a = extent - a;
        b = extent - b;
    }
    // A skin that writes its two edges the other way round means the same span.
    return {std::min(a, b), std::max(a, b)};
}

// An edge at pos in a skin of size designed keeps its distance to the nearer window edge.
int FollowNearerEdge(int pos, int designed, int actual) { return 2 * pos > designed ? pos + (actual - designed) : pos; }

}  // namespace

SkinRect PictureRect(const SkinPicture& p, int windowWidth, int windowHeight) {
    const auto [left, right] = Span(p.left, p.right, p.align == SkinAlign::Right, windowWidth);
    const auto [top, bottom] = Span(p.top, p.bottom, p.valign == SkinVAlign::Bottom, windowHeight);
    return {left, top, right, bottom};
}

SkinPoint ButtonOrigin(const SkinButton& b, int windowWidth, int windowHeight) {
    return {b.align == SkinAlign::Right ? windowWidth - b.left : b.left,
            b.valign == SkinVAlign::Bottom ? windowHeight - b.top : b.top};
}

SkinRect ViewRect(const SkinBox& box, const SkinMainElements& main, int windowWidth, int windowHeight) {
    SkinRect r;
    r.left = FollowNearerEdge(box.left, main.width, windowWidth);
    r.right = FollowNearerEdge(box.left + box.width, main.width, windowWidth);
    r.top = FollowNearerEdge(box.top, main.height, windowHeight);
    r.bottom = FollowNearerEdge(box.top + box.height, main.height, windowHeight);
    // A window below the skin's size would turn the view inside out.
    r.right = std::max(r.right, r.left);
    r.bottom = std::max(r.bottom, r.top);
    return r;
}

SkinHit HitTest(const std::vector<SkinPicture>& pictures, int windowWidth, int windowHeight, int x, int y) {
    for (int i = static_cast<int>(pictures.size()) - 1; i >= 0; --i) {
        if (!PictureRect(pictures[i], windowWidth, windowHeight).Contains(x, y)) continue;
        const SkinMouseEvent edge = pictures[i].mouseEvent;
        return {edge == SkinMouseEvent::None ? SkinHitKind::Move : SkinHitKind::Size, edge, i};
    }
    return {};
}

SkinRect ResizeByDrag(const SkinRect& start, SkinMouseEvent edge, int dx, int dy, const SkinMainElements& main) {
    SkinRect r = start;
    const bool left = edge == SkinMouseEvent::SizeLeft || edge == SkinMouseEvent::SizeLeftTop ||
                      edge == SkinMouseEvent::SizeLeftBottom;
    const bool right = edge == SkinMouseEvent::SizeRight || edge == SkinMouseEvent::SizeRightTop ||
                       edge == SkinMouseEvent::SizeRightBottom;
    const bool top = edge == SkinMouseEvent::SizeTop || edge == SkinMouseEvent::SizeLeftTop ||
                     edge == SkinMouseEvent::SizeRightTop;
    const bool bottom = edge == SkinMouseEvent::SizeBottom || edge == SkinMouseEvent::SizeLeftBottom ||
                        edge == SkinMouseEvent::SizeRightBottom;
    // The dragged edge stops where the window reaches its smallest size; the other stays put.
    if (left) r.left = std::min(start.left + dx, start.right - main.width);
    if (right) r.right = std::max(start.right + dx, start.left + main.width);
    if (top) r.top = std::min(start.top + dy, start.bottom - main.height);
    if (bottom) r.bottom = std::max(start.bottom + dy, start.top + main.height);
    return r;
}

}  // namespace zc
