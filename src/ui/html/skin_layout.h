#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/skin_elements.h"

namespace zc {

class DebugLog;

// Split at "B", then "G", then "R"; a missing letter gives 0 for its component, and each
// component keeps its low 8 bits.
SkinColour ParseSkinColour(std::string_view text);
std::string FormatSkinColour(SkinColour colour);

// The command of a button name; 0 for a name the program does not know.
int SkinButtonCommand(std::string_view name);

struct SkinLayout {
    SkinMainElements main;
    std::vector<SkinPicture> pictures;  // in drawing order: later ones lie on top
    std::vector<SkinButton> buttons;
};

// The three readings of skin.cfg, on its whole text. Sections switch at lines that begin with
// "["; a key counts only in its own section and only at the start of a line.
// Nullopt when the text gives no window size: such a file is not a skin layout.
std::optional<SkinMainElements> ParseMainElements(std::string_view text);
// Every picture and button completed by "SHOW=TRUE", in file order (files not checked).
std::vector<SkinPicture> ParsePictures(std::string_view text);
std::vector<SkinButton> ParseButtons(std::string_view text);

// A stable text form of a layout, one fact a line, for logs and comparisons.
std::string DescribeSkinLayout(const SkinLayout& layout);

}  // namespace zc
