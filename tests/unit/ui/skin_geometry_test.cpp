#include "ui/html/skin_geometry.h"

#include <gtest/gtest.h>

namespace zc {

namespace {

SkinPicture Picture(SkinAlign a, SkinVAlign v, int left, int top, int right, int bottom,
                    SkinMouseEvent e = SkinMouseEvent::None) {
    SkinPicture p;
    p.align = a;
    p.valign = v;
    p.left = left;
    p.top = top;
    p.right = right;
    p.bottom = bottom;
    p.mouseEvent = e;
    return p;
}

// A chat view with the user list beside it and the input box below both, drawn for 340 x 480.
SkinMainElements SideBySide() {
    SkinMainElements m;
    m.width = 340;
    m.height = 480;
    m.text = {78, 8, 186, 350};
    m.list = {78, 200, 132, 350};
    m.input = {436, 8, 324, 36};
    return m;
}

bool Overlap(const SkinRect& a, const SkinRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

TEST(SkinGeometry, PicturesCountFromTheEdgeTheyAreAnchoredTo) {
    const auto topLeft = Picture(SkinAlign::Left, SkinVAlign::Top, 10, 5, 40, 25);
    const auto bottomRight = Picture(SkinAlign::Right, SkinVAlign::Bottom, 30, 20, 6, 4);
    for (const auto& [w, h] : {std::pair{340, 480}, std::pair{800, 600}}) {
        EXPECT_EQ(PictureRect(topLeft, w, h), (SkinRect{10, 5, 40, 25})) << w;
        EXPECT_EQ(PictureRect(bottomRight, w, h), (SkinRect{w - 30, h - 20, w - 6, h - 4})) << w;
    }
    // Mixed anchoring: a strip along the bottom edge that starts at the left.
    EXPECT_EQ(PictureRect(Picture(SkinAlign::Left, SkinVAlign::Bottom, 0, 4, 4000, 0), 390, 590),
              (SkinRect{0, 586, 4000, 590}));
    // Edges written the other way round give the same rectangle.
    EXPECT_EQ(PictureRect(Picture(SkinAlign::Right, SkinVAlign::Top, 6, 25, 30, 5), 400, 300),
              (SkinRect{370, 5, 394, 25}));
}

TEST(SkinGeometry, ButtonsSitAtTheirCornerFromTheAnchoredEdges) {
    SkinButton b;
    b.left = 36;
    b.top = 4;
    EXPECT_EQ(ButtonOrigin(b, 390, 590), (SkinPoint{36, 4}));
    b.align = SkinAlign::Right;
    EXPECT_EQ(ButtonOrigin(b, 390, 590), (SkinPoint{354, 4}));
    EXPECT_EQ(ButtonOrigin(b, 500, 590), (SkinPoint{464, 4}));
    b.valign = SkinVAlign::Bottom;
    b.top = 40;
    EXPECT_EQ(ButtonOrigin(b, 500, 700), (SkinPoint{464, 660}));
}

TEST(SkinGeometry, ChatViewTakesTheExtraRoomWhileListAndInputFollowTheirEdges) {
    const SkinMainElements m = SideBySide();
    // At the skin's own size the rectangles are the ones written.
    EXPECT_EQ(ViewRect(m.text, m, 340, 480), (SkinRect{8, 78, 194, 428}));
    EXPECT_EQ(ViewRect(m.list, m, 340, 480), (SkinRect{200, 78, 332, 428}));
    EXPECT_EQ(ViewRect(m.input, m, 340, 480), (SkinRect{8, 436, 332, 472}));

    // 50 wider and 110 taller: the chat view grows both ways, the list keeps its width and
    // moves right, the input box stays one line high at the bottom and widens.
    EXPECT_EQ(ViewRect(m.text, m, 390, 590), (SkinRect{8, 78, 244, 538}));
    EXPECT_EQ(ViewRect(m.list, m, 390, 590), (SkinRect{250, 78, 382, 538}));
    EXPECT_EQ(ViewRect(m.input, m, 390, 590), (SkinRect{8, 546, 382, 582}));

    // At any size the three never overlap and keep the skin's margins to the window edge.
    for (int w : {340, 341, 390, 640, 1920})
        for (int h : {480, 590, 1080}) {
            const SkinRect text = ViewRect(m.text, m, w, h), list = ViewRect(m.list, m, w, h),
                           input = ViewRect(m.input, m, w, h);
            EXPECT_FALSE(Overlap(text, list) || Overlap(text, input) || Overlap(list, input)) << w << "x" << h;
            EXPECT_EQ(list.right, w - 8);
            EXPECT_EQ(input.bottom, h - 8);
            EXPECT_EQ(list.Width(), 132);
            EXPECT_EQ(input.Height(), 36);
        }
}

TEST(SkinGeometry, ListBelowTheChatWidensAndKeepsItsHeight) {
    SkinMainElements m;
    m.width = 300;
    m.height = 400;
    m.text = {40, 8, 284, 220};
    m.list = {268, 8, 284, 90};
    EXPECT_EQ(ViewRect(m.text, m, 500, 600), (SkinRect{8, 40, 492, 460}));
    EXPECT_EQ(ViewRect(m.list, m, 500, 600), (SkinRect{8, 468, 492, 558}));
    // A window below the skin's size squeezes a view to nothing rather than turning it over.
    const SkinRect squeezed = ViewRect(m.text, m, 100, 100);
    EXPECT_GE(squeezed.Width(), 0);
    EXPECT_GE(squeezed.Height(), 0);
}

TEST(SkinGeometry, TopmostPictureDecidesBetweenResizingAndMoving) {
    const std::vector<SkinPicture> pictures = {
        Picture(SkinAlign::Left, SkinVAlign::Top, 0, 0, 4000, 4000),  // surface: drag moves
        Picture(SkinAlign::Left, SkinVAlign::Top, 0, 0, 4, 4000, SkinMouseEvent::SizeLeft),
        Picture(SkinAlign::Right, SkinVAlign::Top, 4, 0, 0, 4000, SkinMouseEvent::SizeRight),
        Picture(SkinAlign::Left, SkinVAlign::Bottom, 0, 4, 4000, 0, SkinMouseEvent::SizeBottom),
        Picture(SkinAlign::Right, SkinVAlign::Bottom, 8, 8, 0, 0, SkinMouseEvent::SizeRightBottom),
    };
    const int w = 390, h = 590;
    EXPECT_EQ(HitTest(pictures, w, h, 200, 20), (SkinHit{SkinHitKind::Move, SkinMouseEvent::None, 0}));
    EXPECT_EQ(HitTest(pictures, w, h, 1, 300), (SkinHit{SkinHitKind::Size, SkinMouseEvent::SizeLeft, 1}));
    EXPECT_EQ(HitTest(pictures, w, h, 4, 300).kind, SkinHitKind::Move);
    EXPECT_EQ(HitTest(pictures, w, h, 389, 300).edge, SkinMouseEvent::SizeRight);
    EXPECT_EQ(HitTest(pictures, w, h, 100, 587).edge, SkinMouseEvent::SizeBottom);
    // The corner lies over both edges it touches.
    EXPECT_EQ(HitTest(pictures, w, h, 388, 588).edge, SkinMouseEvent::SizeRightBottom);
    EXPECT_EQ(HitTest(pictures, w, h, 382, 588).edge, SkinMouseEvent::SizeRightBottom);
    EXPECT_EQ(HitTest(pictures, w, h, 381, 588).edge, SkinMouseEvent::SizeBottom);
    // The edges follow the window when it grows.
    EXPECT_EQ(HitTest(pictures, 800, h, 798, 300).edge, SkinMouseEvent::SizeRight);
    EXPECT_EQ(HitTest(pictures, 800, h, 389, 300).kind, SkinHitKind::Move);
    // Outside every picture, or without pictures, a press does nothing.
    EXPECT_EQ(HitTest({pictures[1]}, w, h, 200, 20).kind, SkinHitKind::Nothing);
    EXPECT_EQ(HitTest({}, w, h, 0, 0).kind, SkinHitKind::Nothing);
}

TEST(SkinGeometry, DraggingAnEdgeStopsAtTheSkinSize) {
    const SkinMainElements m = SideBySide();
    const SkinRect start{10, 10, 400, 600};
    EXPECT_EQ(ResizeByDrag(start, SkinMouseEvent::SizeRightBottom, 30, 40, m), (SkinRect{10, 10, 430, 640}));
    EXPECT_EQ(ResizeByDrag(start, SkinMouseEvent::SizeLeftTop, -5, 7, m), (SkinRect{5, 17, 400, 600}));
    EXPECT_EQ(ResizeByDrag(start, SkinMouseEvent::SizeRight, -200, 99, m), (SkinRect{10, 10, 350, 600}));
    EXPECT_EQ(ResizeByDrag(start, SkinMouseEvent::SizeTop, 99, 500, m), (SkinRect{10, 120, 400, 600}));
    EXPECT_EQ(ResizeByDrag(start, SkinMouseEvent::SizeLeftBottom, 100, -300, m), (SkinRect{60, 10, 400, 490}));
    EXPECT_EQ(ResizeByDrag(start, SkinMouseEvent::None, 50, 50, m), start);
}

}  // namespace zc
