#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace zc {

// What a skin gives the window frame to show, as read from the theme's skin.cfg.

// A colour of skin.cfg, written "R<red>G<green>B<blue>".
struct SkinColour {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const SkinColour&) const = default;
};

// A view rectangle as skin.cfg gives it, at the skin's own window size.
struct SkinBox {
    int top = 0, left = 0, width = 0, height = 0;
    bool operator==(const SkinBox&) const = default;
};

// Pass 1: sizes and colours.
struct SkinMainElements {
    // The size the layout is drawn for; also the smallest the window may become.
    int width = 0, height = 0;
    SkinBox text, list, input;
    SkinColour inputText{0, 0, 0}, inputBackground{255, 255, 255};
    SkinColour menuHighlight{49, 106, 197}, menuBackground{255, 255, 255}, menuLeft{240, 240, 240}, menuText{0, 0, 0};
    SkinColour alertBackground{255, 255, 225}, alertText{0, 0, 0}, alertHighlight{49, 106, 197};
};

enum class SkinAlign { Left, Right };
enum class SkinVAlign { Top, Bottom };

// Which window edge or corner a drag on a picture resizes; None makes it a move area.
enum class SkinMouseEvent {
    None,
    SizeRightBottom,
    SizeRightTop,
    SizeLeftBottom,
    SizeLeftTop,
    SizeTop,
    SizeBottom,
    SizeLeft,
    SizeRight
};

// Pass 2: one picture of the window. Its picture is drawn scaled to its rectangle, so a
// strip of one pixel can paint a whole bar; what lies beyond the window is cut off.
struct SkinPicture {
    std::string fileName;
    SkinAlign align = SkinAlign::Left;
    SkinVAlign valign = SkinVAlign::Top;
    std::optional<SkinColour> mask;  // pixels of this colour are not drawn
    int top = 0, left = 0, right = 0, bottom = 0;
    // "TRUE": the mask pixels are also cut out of the window's shape (rounded corners);
    // any other value only leaves them undrawn.
    std::string transparent;
    SkinMouseEvent mouseEvent = SkinMouseEvent::None;

    bool CutsWindowShape() const { return mask.has_value() && transparent == "TRUE"; }
};

// Pass 3: one button, a child window showing its picture at its natural size.
struct SkinButton {
    std::string fileName;
    std::string name;
    int top = 0, left = 0;
    SkinAlign align = SkinAlign::Left;
    SkinVAlign valign = SkinVAlign::Top;
    int command = 0;  // what a click sends to the main window
};

}  // namespace zc
