// A theme's skin.cfg: its three readings and the colours in it.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "ui/html/skin_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    zc::SkinLayout layout;
    if (auto main = zc::ParseMainElements(text)) layout.main = *main;
    layout.pictures = zc::ParsePictures(text);
    layout.buttons = zc::ParseButtons(text);
    const std::string described = zc::DescribeSkinLayout(layout);
    ZC_FUZZ_CHECK(!described.empty(), "a layout with no description");

    // A colour written back reads as the same colour.
    const zc::SkinColour colour = zc::ParseSkinColour(text);
    ZC_FUZZ_CHECK(zc::ParseSkinColour(zc::FormatSkinColour(colour)) == colour, zc::FormatSkinColour(colour));
    return 0;
}
