#pragma once
#include <vector>

#include "ui/html/skin_layout.h"

namespace zc {

// Window client coordinates; right and bottom lie just outside.
struct SkinRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const SkinRect&) const = default;
};

// A picture's rectangle in a window of this size: with ALIGN=RIGHT its LEFT and RIGHT count
// from the right window edge, with VALIGN=BOTTOM its TOP and BOTTOM from the bottom edge.
SkinRect PictureRect(const SkinPicture& picture, int windowWidth, int windowHeight);

// Where a button's picture has its top-left corner.
struct SkinPoint {
    int x = 0, y = 0;
    bool operator==(const SkinPoint&) const = default;
};
SkinPoint ButtonOrigin(const SkinButton& button, int windowWidth, int windowHeight);

// A view rectangle of skin.cfg in a window of this size. The rectangle is given for the skin's
// own size; each of its edges keeps its distance to the window edge it is nearer to there, so
// a chat view beside a list widens with the window while the list only moves.
SkinRect ViewRect(const SkinBox& box, const SkinMainElements& main, int windowWidth, int windowHeight);

// What a press on the window's own surface (not a view, not a button) does.
enum class SkinHitKind { Nothing, Move, Size };
struct SkinHit {
    SkinHitKind kind = SkinHitKind::Nothing;
    SkinMouseEvent edge = SkinMouseEvent::None;  // the edge or corner for Size
    int picture = -1;                            // index of the picture that was hit
    bool operator==(const SkinHit&) const = default;
};

// The topmost picture under the point decides: its MOUSEEVENT resizes, NONE moves the window
// as if its caption were dragged. Outside every picture nothing happens.
SkinHit HitTest(const std::vector<SkinPicture>& pictures, int windowWidth, int windowHeight, int x, int y);

// The window's new rectangle (screen coordinates) after dragging an edge or corner by
// (dx, dy), never smaller than the skin's size.
SkinRect ResizeByDrag(const SkinRect& start, SkinMouseEvent edge, int dx, int dy, const SkinMainElements& main);

}  // namespace zc
