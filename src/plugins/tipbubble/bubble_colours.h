#pragma once
// The bubble's colours, read from the alert colours of the user's skin theme. No Qt here, so
// the reading rules can be tested on their own.
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>

namespace tipbubble {

// Colours hold red in bits 0-7, green in 8-15 and blue in 16-23.
struct BubbleColours {
    std::string baseDirectory;  // with a trailing '/'
    std::uint32_t background = 0;
    std::uint32_t text = 0;
    std::uint32_t highlight = 0;
};

// "R255G128B0" -> 0x0080FF; a missing letter or number gives 0 for that part.
std::uint32_t DecodeColour(std::string_view text);

// Reads the three alert colours from the lines after "[DIALOG]"; an empty value keeps a colour.
void ReadDialogColours(std::istream& skin, BubbleColours& colours);

// One value of an ini file; "" when the file, section or key is missing.
std::string ReadIniString(const std::string& file, std::string_view section, std::string_view key);

// Follows the settings file to the profile, its theme and the theme's skin file. False, with the
// colours untouched, when the skin file cannot be opened.
bool LoadBubbleColours(const std::string& baseDirectory, BubbleColours& colours);

// The chat's program folder: the current directory when it holds the settings file (the chat
// makes its root the current directory), else the folder of the running executable.
std::string FindBaseDirectory();

}  // namespace tipbubble
