#include "ui/html/skin_theme.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "base/debug_log.h"
#include "base/file_url.h"
#include "base/ini_file.h"
#include "ui/html/skin_host.h"

namespace zc {

namespace {

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::stringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return bytes.str();
}

bool IsFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

// Runs one pass: its opening line, the work, and its closing line. On failure the user sees
// the step's message before the closing line is written.
template <typename Work>
bool RunPass(SkinStep step, const std::string& cfg, SkinChrome& chrome, const DebugLog& log, Work work) {
    const std::string name = std::string(":::") + SkinStepName(step) + "...";
    log.Write(name);
    const std::optional<std::string> text = ReadWholeFile(cfg);
    if (!text || !work(*text)) {
        chrome.ShowSkinError(SkinStepMessage(step));
        log.Write(name + "FALSE");
        return false;
    }
    log.Write(name + "OK");
    return true;
}

}  // namespace

std::string SkinThemeDir(const std::string& theme) { return "skins/skinthemes/" + theme; }

std::string SkinConfigPath(const std::string& theme) { return SkinThemeDir(theme) + "/skin.cfg"; }

SkinStyles ReadSkinStyles(const std::string& profilePath) {
    const SkinChoice choice = ReadSkinChoice(profilePath);
    SkinStyles s;
    s.theme = choice.theme;
    s.textStyle = choice.textStyle;
    const std::string cfg = SkinConfigPath(s.theme);
    s.listStyle = ValueOrDefault(ReadIniValue(cfg, "GLOBAL", "SKINSTYLELIST"), "list.css");
    s.boardStyle = ValueOrDefault(ReadIniValue(cfg, "GLOBAL", "SKINSTYLEBOARD"), "board.css");
    return s;
}

std::string SmilesStyleSheet(const SkinStyles& styles) {
    return IsFile(SkinThemeDir(styles.theme) + "/smiles.css") ? "smiles.css" : styles.listStyle;
}

std::string StyleSheetHref(const std::string& programFolder, const std::string& theme, const std::string& file) {
    // The folder is the file system's (UTF-8), the theme and file names are the chat's code page.
    return PercentEncodedPath(programFolder + SystemText(SkinThemeDir(theme) + "/" + file));
}

std::string StyleSheetLink(const std::string& programFolder, const std::string& theme, const std::string& file) {
    return "<LINK href=\"" + StyleSheetHref(programFolder, theme, file) + "\" type=text/css rel=stylesheet>";
}

const char* SkinStepName(SkinStep step) {
    switch (step) {
        case SkinStep::MainElement: return "InitMainElement";
        case SkinStep::GraphixElement: return "InitGraphixElement";
        case SkinStep::ActionElement: return "InitActionElement";
        case SkinStep::None: break;
    }
    return "";
}

const char* SkinStepMessage(SkinStep step) {
    switch (step) {
        case SkinStep::MainElement: return "Corrupt or missing file skin.cfg. Exit.";
        case SkinStep::GraphixElement: return "Corrupt or missing file skin.cfg";
        case SkinStep::ActionElement: return "Corrupt or missing skin.cfg";
        case SkinStep::None: break;
    }
    return "";
}

SkinLayoutResult ReadSkinLayout(const std::string& theme, SkinChrome& chrome, const DebugLog& log) {
    SkinLayoutResult result;
    const std::string dir = SkinThemeDir(theme) + "/";
    const std::string cfg = SkinConfigPath(theme);
    auto present = [&log](const std::string& path) {
        if (IsFile(path)) return true;
        log.Write(":::ERROR file " + path + " not found");
        return false;
    };

    if (!RunPass(SkinStep::MainElement, cfg, chrome, log, [&](const std::string& text) {
            std::optional<SkinMainElements> main = ParseMainElements(text);
            if (!main) return false;
            result.layout.main = *main;
            chrome.SetMainElements(*main);
            return true;
        })) {
        result.failed = SkinStep::MainElement;
        return result;
    }

    if (!RunPass(SkinStep::GraphixElement, cfg, chrome, log, [&](const std::string& text) {
            for (SkinPicture& p : ParsePictures(text)) {
                if (!present(dir + p.fileName)) continue;
                chrome.AddPicture(p, dir + p.fileName);
                result.layout.pictures.push_back(std::move(p));
            }
            return true;
        })) {
        result.failed = SkinStep::GraphixElement;
        return result;
    }

    if (!RunPass(SkinStep::ActionElement, cfg, chrome, log, [&](const std::string& text) {
            for (SkinButton& b : ParseButtons(text)) {
                // Without its picture a button still works, shown by its name.
                chrome.AddButton(b, present(dir + b.fileName) ? dir + b.fileName : std::string());
                result.layout.buttons.push_back(std::move(b));
            }
            return true;
        })) {
        result.failed = SkinStep::ActionElement;
        return result;
    }

    chrome.FinishLayout();
    return result;
}

bool SkinThemeUsable(const std::string& theme) {
    const std::optional<std::string> text = ReadWholeFile(SkinConfigPath(theme));
    return text && ParseMainElements(*text).has_value();
}

SkinThemeResult ApplySkinTheme(const std::string& profilePath, bool noSmilesStartup, SkinPages& pages,
                               SkinChrome& chrome, const DebugLog& log) {
    SkinThemeResult result;
    chrome.RemoveSkinElements();
    pages.RecreateMainViews();

    result.styles = ReadSkinStyles(profilePath);

    if (noSmilesStartup) {
        log.Write(":::PrepareSmilesList...");
        pages.PrepareSmilesList(result.styles);
    }
    log.Write(":::PrepareMainText...");
    pages.PrepareMainText(result.styles);
    log.Write(":::PrepareUserList...");
    pages.PrepareUserList(result.styles);

    SkinLayoutResult layout = ReadSkinLayout(result.styles.theme, chrome, log);
    result.layout = std::move(layout.layout);
    if (!layout.Ok()) {
        result.failed = layout.failed;
        log.Write(":::CRITICAL ERROR: Previous function return error. Run MainExit");
        return result;
    }
    pages.StartLayoutTimer(result.layout.main);
    pages.ShowMainPage();
    return result;
}

WindowParams RaiseToSkinMinimum(WindowParams params, const SkinMainElements& main) {
    // The stored values are screen coordinates; they are compared with the skin's size as
    // they are, and the window's own minimum size keeps it from shrinking further.
    params.bottom = std::max(params.bottom, main.height);
    params.right = std::max(params.right, main.width);
    return params;
}

}  // namespace zc
