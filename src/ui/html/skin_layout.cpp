#include "ui/html/skin_layout.h"

#include <algorithm>
#include <array>
#include <functional>
#include <utility>

#include "base/text_helpers.h"
#include "platform/window_commands.h"

namespace zc {

namespace {

std::uint8_t Low8(int value) { return static_cast<std::uint8_t>(static_cast<unsigned>(value) & 0xFFu); }

// Calls onLine(section, line) for every line that is not a section line. The section is the
// text of the last section line up to its "]".
void ForEachKeyLine(std::string_view text, const std::function<void(std::string_view, std::string_view)>& onLine,
                    const std::function<void(std::string_view)>& onSection = nullptr) {
    std::string_view section;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        start = end + 1;
        if (!line.empty() && line.front() == '[') {
            const size_t close = line.find(']');
            section = close == std::string_view::npos ? line : line.substr(0, close + 1);
            if (onSection) onSection(section);
            continue;
        }
        onLine(section, line);
    }
}

// The value of key= at the start of line, or nullopt.
std::optional<std::string_view> KeyValue(std::string_view line, std::string_view key) {
    if (line.size() <= key.size() || line.substr(0, key.size()) != key || line[key.size()] != '=') return std::nullopt;
    return line.substr(key.size() + 1);
}

void ReadAlign(std::string_view value, SkinAlign& align) {
    if (value == "LEFT") align = SkinAlign::Left;
    else if (value == "RIGHT") align = SkinAlign::Right;
}

void ReadVAlign(std::string_view value, SkinVAlign& valign) {
    if (value == "TOP") valign = SkinVAlign::Top;
    else if (value == "BOTTOM") valign = SkinVAlign::Bottom;
}

constexpr std::array<std::pair<const char*, SkinMouseEvent>, 9> kMouseEvents = {{
    {"SIZERIGHTBOTTOM", SkinMouseEvent::SizeRightBottom},
    {"SIZERIGHTTOP", SkinMouseEvent::SizeRightTop},
    {"SIZELEFTBOTTOM", SkinMouseEvent::SizeLeftBottom},
    {"SIZELEFTTTOP", SkinMouseEvent::SizeLeftTop},  // three T, as skins write it
    {"SIZETOP", SkinMouseEvent::SizeTop},
    {"SIZEBOTTOM", SkinMouseEvent::SizeBottom},
    {"SIZELEFT", SkinMouseEvent::SizeLeft},
    {"SIZERIGHT", SkinMouseEvent::SizeRight},
    {"NONE", SkinMouseEvent::None},
}};

SkinMouseEvent MouseEventOf(std::string_view value) {
    for (const auto& [name, event] : kMouseEvents)
        if (value == name) return event;
    return SkinMouseEvent::None;
}

const char* MouseEventName(SkinMouseEvent event) {
    for (const auto& [name, e] : kMouseEvents)
        if (e == event) return name;
    return "NONE";
}

constexpr std::array<std::pair<const char*, WindowCommand>, 12> kButtonCommands = {{
    {"CLOSE", ID_CLOSE},
    {"MINIMIZE", ID_MINIMIZE},
    {"MAIN", ID_SHOW_MAIN},
    {"BOARD", ID_SHOW_BOARD},
    {"CONFERENCE", ID_SHOW_CONFERENCE},
    {"OPTIONS", ID_OPTIONS},
    {"REFRESH", ID_REFRESH},
    {"SMILES", ID_SMILES},
    {"CLEARCHAT", ID_CLEARCHAT},
    {"SOUNDTRIGGER", ID_SOUNDTRIGGER},
    {"PROFILE", ID_PROFILE_MENU},
    {"CHATMODE", ID_CHATMODE_MENU},
}};

// Which of a box's keys the file gave.
struct BoxKeys {
    bool top = false, left = false, width = false, height = false;
};

void SetBox(std::string_view line, std::string_view prefix, SkinBox& box, BoxKeys& seen) {
    const std::string p(prefix);
    auto set = [&](const char* key, int& value, bool& given) {
        const auto v = KeyValue(line, p + key);
        if (v) {
            value = ParseInt(*v);
            given = true;
        }
        return v.has_value();
    };
    set("TOP", box.top, seen.top) || set("LEFT", box.left, seen.left) || set("WIDTH", box.width, seen.width) ||
        set("HEIGHT", box.height, seen.height);
}

void KeepGiven(SkinBox& box, const BoxKeys& seen, const SkinBox& fallback) {
    if (!seen.top) box.top = fallback.top;
    if (!seen.left) box.left = fallback.left;
    if (!seen.width) box.width = fallback.width;
    if (!seen.height) box.height = fallback.height;
}

// A skin that leaves out a view's keys still gets a usable window: the chat at the left, the
// list at the right, the input along the bottom.
void FillMissingBoxes(SkinMainElements& m, const BoxKeys& text, const BoxKeys& list, const BoxKeys& input) {
    constexpr int kMargin = 8, kTop = 30, kInputHeight = 32;
    const int inputTop = std::max(kTop, m.height - kMargin - kInputHeight);
    const int viewHeight = std::max(1, inputTop - kMargin - kTop);
    const int listWidth = std::max(1, m.width / 3);
    const int listLeft = std::max(kMargin, m.width - kMargin - listWidth);
    KeepGiven(m.text, text, {kTop, kMargin, std::max(1, listLeft - 2 * kMargin), viewHeight});
    KeepGiven(m.list, list, {kTop, listLeft, listWidth, viewHeight});
    KeepGiven(m.input, input, {inputTop, kMargin, std::max(1, m.width - 2 * kMargin), kInputHeight});
}

// An empty colour keeps the one before, as it does for the alert bubble.
bool SetColour(std::string_view line, std::string_view key, SkinColour& colour) {
    if (auto v = KeyValue(line, key)) {
        if (!v->empty()) colour = ParseSkinColour(*v);
        return true;
    }
    return false;
}

}  // namespace

SkinColour ParseSkinColour(std::string_view text) {
    const std::string blue = ExtractField(text, "B", 1);
    const std::string beforeBlue = ExtractField(text, "B", 0);
    const std::string green = ExtractField(beforeBlue, "G", 1);
    const std::string beforeGreen = ExtractField(beforeBlue, "G", 0);
    const std::string red = ExtractField(beforeGreen, "R", 1);
    return {Low8(ParseInt(red)), Low8(ParseInt(green)), Low8(ParseInt(blue))};
}

std::string FormatSkinColour(SkinColour c) {
    return "R" + std::to_string(c.r) + "G" + std::to_string(c.g) + "B" + std::to_string(c.b);
}

int SkinButtonCommand(std::string_view name) {
    for (const auto& [n, command] : kButtonCommands)
        if (name == n) return command;
    return 0;
}

std::optional<SkinMainElements> ParseMainElements(std::string_view text) {
    SkinMainElements m;
    BoxKeys textKeys, listKeys, inputKeys;
    ForEachKeyLine(text, [&](std::string_view section, std::string_view line) {
        if (section == "[ALLSIZE]") {
            if (auto v = KeyValue(line, "ALLWIDTH")) m.width = ParseInt(*v);
            else if (auto v = KeyValue(line, "ALLHEIGHT")) m.height = ParseInt(*v);
        } else if (section == "[TEXT]") {
            SetBox(line, "TEXT", m.text, textKeys);
        } else if (section == "[LIST]") {
            SetBox(line, "LIST", m.list, listKeys);
        } else if (section == "[INPUT]") {
            SetBox(line, "INPUT", m.input, inputKeys);
            SetColour(line, "INPUTTEXTCOLOR", m.inputText) || SetColour(line, "INPUTBGCOLOR", m.inputBackground);
        } else if (section == "[MENU]") {
            SetColour(line, "MENUHLIGHTCOLOR", m.menuHighlight) || SetColour(line, "MENUBGCOLOR", m.menuBackground) ||
                SetColour(line, "MENULEFTCOLOR", m.menuLeft) || SetColour(line, "MENUTEXTCOLOR", m.menuText);
        } else if (section == "[DIALOG]") {
            SetColour(line, "ALERTBGCOLOR", m.alertBackground) || SetColour(line, "ALERTTEXTCOLOR", m.alertText) ||
                SetColour(line, "ALERTHLIGHTCOLOR", m.alertHighlight);
        }
    });
    if (m.width <= 0 || m.height <= 0) return std::nullopt;
    FillMissingBoxes(m, textKeys, listKeys, inputKeys);
    return m;
}

std::vector<SkinPicture> ParsePictures(std::string_view text) {
    std::vector<SkinPicture> pictures;
    std::optional<SkinPicture> open;  // the element being written, until its SHOW=
    ForEachKeyLine(
        text,
        [&](std::string_view section, std::string_view line) {
            if (section != "[IMG]" || !open) return;
            SkinPicture& p = *open;
            if (auto v = KeyValue(line, "ALIGN")) ReadAlign(*v, p.align);
            else if (auto v = KeyValue(line, "FILENAME")) p.fileName = std::string(*v);
            else if (auto v = KeyValue(line, "MASK")) {
                if (!v->empty()) p.mask = ParseSkinColour(*v);
            } else if (auto v = KeyValue(line, "TOP")) p.top = ParseInt(*v);
            else if (auto v = KeyValue(line, "LEFT")) p.left = ParseInt(*v);
            else if (auto v = KeyValue(line, "RIGHT")) p.right = ParseInt(*v);
            else if (auto v = KeyValue(line, "BOTTOM")) p.bottom = ParseInt(*v);
            else if (auto v = KeyValue(line, "TRANSPARENT")) p.transparent = std::string(*v);
            else if (auto v = KeyValue(line, "VALIGN")) ReadVAlign(*v, p.valign);
            else if (auto v = KeyValue(line, "MOUSEEVENT")) p.mouseEvent = MouseEventOf(*v);
            else if (auto v = KeyValue(line, "SHOW")) {
                if (*v == "TRUE") pictures.push_back(std::move(p));
                open.reset();
            }
        },
        [&](std::string_view section) {
            // A new [IMG] starts afresh; any other section abandons an unfinished element.
            open.reset();
            if (section == "[IMG]") open.emplace();
        });
    return pictures;
}

std::vector<SkinButton> ParseButtons(std::string_view text) {
    std::vector<SkinButton> buttons;
    std::optional<SkinButton> open;
    ForEachKeyLine(
        text,
        [&](std::string_view section, std::string_view line) {
            if (section != "[BUTTON]" || !open) return;
            SkinButton& b = *open;
            if (auto v = KeyValue(line, "FILENAME")) b.fileName = std::string(*v);
            else if (auto v = KeyValue(line, "NAME")) b.name = std::string(*v);
            else if (auto v = KeyValue(line, "TOP")) b.top = ParseInt(*v);
            else if (auto v = KeyValue(line, "LEFT")) b.left = ParseInt(*v);
            else if (auto v = KeyValue(line, "VALIGN")) ReadVAlign(*v, b.valign);
            else if (auto v = KeyValue(line, "ALIGN")) ReadAlign(*v, b.align);
            else if (auto v = KeyValue(line, "SHOW")) {
                if (*v == "TRUE") {
                    b.command = SkinButtonCommand(b.name);
                    buttons.push_back(std::move(b));
                }
                open.reset();
            }
        },
        [&](std::string_view section) {
            open.reset();
            if (section == "[BUTTON]") open.emplace();
        });
    return buttons;
}

std::string DescribeSkinLayout(const SkinLayout& layout) {
    const SkinMainElements& m = layout.main;
    std::string out;
    auto line = [&out](const std::string& text) { out += text + "\n"; };
    auto box = [](const SkinBox& b) {
        return "top " + std::to_string(b.top) + " left " + std::to_string(b.left) + " width " +
               std::to_string(b.width) + " height " + std::to_string(b.height);
    };
    auto align = [](SkinAlign a, SkinVAlign v) {
        return std::string(a == SkinAlign::Left ? "LEFT" : "RIGHT") + "/" + (v == SkinVAlign::Top ? "TOP" : "BOTTOM");
    };
    line("size " + std::to_string(m.width) + "x" + std::to_string(m.height));
    line("text " + box(m.text));
    line("list " + box(m.list));
    line("input " + box(m.input) + " colours " + FormatSkinColour(m.inputText) + " on " +
         FormatSkinColour(m.inputBackground));
    line("menu highlight " + FormatSkinColour(m.menuHighlight) + " background " + FormatSkinColour(m.menuBackground) +
         " left " + FormatSkinColour(m.menuLeft) + " text " + FormatSkinColour(m.menuText));
    line("alert background " + FormatSkinColour(m.alertBackground) + " text " + FormatSkinColour(m.alertText) +
         " highlight " + FormatSkinColour(m.alertHighlight));
    for (const SkinPicture& p : layout.pictures) {
        line("picture " + p.fileName + " " + align(p.align, p.valign) + " left " + std::to_string(p.left) + " top " +
             std::to_string(p.top) + " right " + std::to_string(p.right) + " bottom " + std::to_string(p.bottom) +
             " mask " + (p.mask ? FormatSkinColour(*p.mask) : std::string("-")) + " transparent " +
             (p.transparent.empty() ? std::string("-") : p.transparent) + " mouse " + MouseEventName(p.mouseEvent));
    }
    for (const SkinButton& b : layout.buttons) {
        line("button " + b.name + " " + b.fileName + " " + align(b.align, b.valign) + " left " +
             std::to_string(b.left) + " top " + std::to_string(b.top) + " command " + std::to_string(b.command));
    }
    return out;
}

}  // namespace zc
