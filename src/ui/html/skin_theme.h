#pragma once
#include <string>

#include "base/settings.h"
#include "ui/html/skin_layout.h"

namespace zc {

class DebugLog;
class SkinChrome;
class SkinPages;

// The theme and the style sheet of every page.
struct SkinStyles {
    std::string theme = "def";
    std::string textStyle = "text.css";    // chat pages
    std::string listStyle = "list.css";    // user list (and smiles, without a smiles.css)
    std::string boardStyle = "board.css";  // board page
};

std::string SkinThemeDir(const std::string& theme);    // "skins/skinthemes/<theme>"
std::string SkinConfigPath(const std::string& theme);  // ".../skin.cfg"

// SKINSTHEME and SKINSTYLETEXT of the profile, SKINSTYLELIST and SKINSTYLEBOARD of the
// theme's skin.cfg, each with its default for an empty value or a single blank.
SkinStyles ReadSkinStyles(const std::string& profilePath);

// "smiles.css" when the theme folder holds one, otherwise the list sheet.
std::string SmilesStyleSheet(const SkinStyles& styles);

// The href of a style sheet: pages are loaded from memory and have no base of their own.
std::string StyleSheetHref(const std::string& programFolder, const std::string& theme, const std::string& file);
// The LINK element every page carries for its style sheet.
std::string StyleSheetLink(const std::string& programFolder, const std::string& theme, const std::string& file);

enum class SkinStep { None, MainElement, GraphixElement, ActionElement };

// "InitMainElement", "InitGraphixElement", "InitActionElement".
const char* SkinStepName(SkinStep step);
// The message the user sees when that step finds no usable skin.cfg.
const char* SkinStepMessage(SkinStep step);

struct SkinLayoutResult {
    SkinStep failed = SkinStep::None;
    SkinLayout layout;
    bool Ok() const { return failed == SkinStep::None; }
};

// The three passes over the theme's skin.cfg, each reading the file anew and logging
// ":::<step>..." and ":::<step>...OK" or "...FALSE". What they find goes to the chrome as it
// is read; pictures whose file is missing are logged and left out, buttons are logged and kept
// with an empty path (the window shows their name).
SkinLayoutResult ReadSkinLayout(const std::string& theme, SkinChrome& chrome, const DebugLog& log);

// Whether the theme's skin.cfg can be read and gives a window size: a theme that passes is
// applied without failing.
bool SkinThemeUsable(const std::string& theme);

struct SkinThemeResult {
    SkinStep failed = SkinStep::None;
    SkinStyles styles;
    SkinLayout layout;
    bool Ok() const { return failed == SkinStep::None; }
};

// Applies the profile's theme in its fixed order: elements and views away, style sheets,
// smiles page (only when it is kept from start-up), main chat page, user list shell, the
// window layout with timer 1, then the main chat page in front. A failed pass has shown its
// message and logged the critical error; the caller ends the program.
SkinThemeResult ApplySkinTheme(const std::string& profilePath, bool noSmilesStartup, SkinPages& pages,
                               SkinChrome& chrome, const DebugLog& log);

// The stored window rectangle with its right and bottom raised to the skin's size.
WindowParams RaiseToSkinMinimum(WindowParams params, const SkinMainElements& main);

}  // namespace zc
