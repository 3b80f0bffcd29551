#include "ui/html/skin_layout.h"

#include <gtest/gtest.h>

namespace zc {

TEST(SkinColour, SplitsAtBlueThenGreenThenRed) {
    EXPECT_EQ(ParseSkinColour("R255G0B0"), (SkinColour{255, 0, 0}));
    EXPECT_EQ(ParseSkinColour("R0G0B255"), (SkinColour{0, 0, 255}));
    EXPECT_EQ(ParseSkinColour("R12G34B56"), (SkinColour{12, 34, 56}));
    // Only the low 8 bits of each component count.
    EXPECT_EQ(ParseSkinColour("R256G511B-1"), (SkinColour{0, 255, 255}));
    // A missing letter leaves its component at 0; the rest still reads.
    EXPECT_EQ(ParseSkinColour("G7B9"), (SkinColour{0, 7, 9}));
    EXPECT_EQ(ParseSkinColour("R7G9"), (SkinColour{0, 0, 0}));
    // Written in another order, everything before the first B is lost to blue.
    EXPECT_EQ(ParseSkinColour("B1G2R3"), (SkinColour{0, 0, 1}));
    EXPECT_EQ(FormatSkinColour({1, 2, 3}), "R1G2B3");
}

TEST(SkinMainElements, NeedsAWindowSizeAndReadsKeysOnlyInTheirSection) {
    EXPECT_FALSE(ParseMainElements(""));
    EXPECT_FALSE(ParseMainElements("[ALLSIZE]\nALLWIDTH=300\n"));
    EXPECT_FALSE(ParseMainElements("[ALLSIZE]\nALLWIDTH=300\nALLHEIGHT=-5\n"));
    // The size written under another section does not count.
    EXPECT_FALSE(ParseMainElements("[TEXT]\nALLWIDTH=300\nALLHEIGHT=200\n"));

    const auto m = ParseMainElements(
        "[ALLSIZE]\r\nALLWIDTH=320\r\nALLHEIGHT=400\r\n"
        "[LIST]\r\nTEXTTOP=9\r\nLISTTOP=11\r\n"
        "[TEXT]\r\nTEXTTOP=12\r\n"
        "[INPUT]\r\nINPUTBGCOLOR=\r\nINPUTTEXTCOLOR=R1G2B3\r\n");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->width, 320);
    EXPECT_EQ(m->height, 400);
    EXPECT_EQ(m->text.top, 12);
    EXPECT_EQ(m->list.top, 11);
    EXPECT_EQ(m->inputText, (SkinColour{1, 2, 3}));
    // An empty colour keeps the default rather than turning black.
    EXPECT_EQ(m->inputBackground, (SkinColour{255, 255, 255}));
}

TEST(SkinMainElements, MissingViewKeysGetALayoutThatFitsTheWindow) {
    const auto m = ParseMainElements("[ALLSIZE]\nALLWIDTH=300\nALLHEIGHT=240\n[TEXT]\nTEXTTOP=50\n");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->text.top, 50);  // what is given stays
    for (const SkinBox* box : {&m->text, &m->list, &m->input}) {
        EXPECT_GT(box->width, 0);
        EXPECT_GT(box->height, 0);
        EXPECT_LE(box->left + box->width, 300);
        EXPECT_LE(box->top + box->height, 240);
    }
    EXPECT_LE(m->text.left + m->text.width, m->list.left);
    EXPECT_LE(m->list.top + m->list.height, m->input.top);
}

TEST(SkinPictures, ShowCompletesAnElementAndLaterKeysChangeNothing) {
    const auto pictures = ParsePictures(
        "[IMG]\nFILENAME=a.png\nTOP=5\nSHOW=TRUE\nTOP=99\nFILENAME=b.png\nSHOW=TRUE\n"
        "[IMG]\nFILENAME=hidden.png\nSHOW=true\n"
        "[IMG]\nFILENAME=c.png\nMOUSEEVENT=SIZELEFTTOP\nSHOW=TRUE\n"
        "[IMG]\nFILENAME=d.png\nMOUSEEVENT=SIZELEFTTTOP\nVALIGN=BOTTOM\nALIGN=RIGHT\nSHOW=TRUE\n"
        "[IMG]\nFILENAME=unfinished.png\n[IMG]\nFILENAME=e.png\nSHOW=TRUE\n");
    ASSERT_EQ(pictures.size(), 4u);
    EXPECT_EQ(pictures[0].fileName, "a.png");
    EXPECT_EQ(pictures[0].top, 5);
    // Only the spelling with three T means the top-left corner.
    EXPECT_EQ(pictures[1].fileName, "c.png");
    EXPECT_EQ(pictures[1].mouseEvent, SkinMouseEvent::None);
    EXPECT_EQ(pictures[2].mouseEvent, SkinMouseEvent::SizeLeftTop);
    EXPECT_EQ(pictures[2].align, SkinAlign::Right);
    EXPECT_EQ(pictures[2].valign, SkinVAlign::Bottom);
    EXPECT_EQ(pictures[3].fileName, "e.png");
}

TEST(SkinPictures, MaskCutsTheWindowShapeOnlyWhenTransparentIsTrue) {
    const auto pictures = ParsePictures(
        "[IMG]\nFILENAME=a\nMASK=R255G0B255\nTRANSPARENT=TRUE\nSHOW=TRUE\n"
        "[IMG]\nFILENAME=b\nMASK=R255G0B255\nTRANSPARENT=1\nSHOW=TRUE\n"
        "[IMG]\nFILENAME=c\nTRANSPARENT=TRUE\nMASK=\nSHOW=TRUE\n");
    ASSERT_EQ(pictures.size(), 3u);
    EXPECT_TRUE(pictures[0].CutsWindowShape());
    EXPECT_EQ(pictures[0].mask, (SkinColour{255, 0, 255}));
    EXPECT_FALSE(pictures[1].CutsWindowShape());
    EXPECT_FALSE(pictures[2].mask.has_value());
    EXPECT_FALSE(pictures[2].CutsWindowShape());
}

TEST(SkinButtons, OnlyShownButtonsExistAndCarryTheirCommand) {
    const auto buttons = ParseButtons(
        "[BUTTON]\nNAME=CLOSE\nFILENAME=x.png\nSHOW=TRUE\nNAME=OPTIONS\n"
        "[BUTTON]\nNAME=MINIMIZE\nFILENAME=m.png\nSHOW=FALSE\n"
        "[BUTTON]\nNAME=CONFERENCE\nFILENAME=c.png\nALIGN=RIGHT\nVALIGN=BOTTOM\nLEFT=40\nTOP=30\nSHOW=TRUE\n"
        "[BUTTON]\nNAME=Close\nFILENAME=x.png\nSHOW=TRUE\n"
        "[IMG]\nNAME=BOARD\nFILENAME=b.png\nSHOW=TRUE\n");
    ASSERT_EQ(buttons.size(), 3u);
    EXPECT_EQ(buttons[0].name, "CLOSE");
    EXPECT_EQ(buttons[0].command, 32809);
    EXPECT_EQ(buttons[1].command, 32820);
    EXPECT_EQ(buttons[1].align, SkinAlign::Right);
    EXPECT_EQ(buttons[1].valign, SkinVAlign::Bottom);
    EXPECT_EQ(buttons[1].left, 40);
    EXPECT_EQ(buttons[1].top, 30);
    // Names are matched exactly; an unknown one sends nothing.
    EXPECT_EQ(buttons[2].command, 0);

    const std::pair<const char*, int> commands[] = {
        {"MINIMIZE", 32810}, {"MAIN", 32818},    {"BOARD", 32819},        {"OPTIONS", 32780},
        {"REFRESH", 32805},  {"SMILES", 32813},  {"CLEARCHAT", 32783},    {"SOUNDTRIGGER", 32839},
        {"PROFILE", 32840},  {"CHATMODE", 32792}, {"", 0},
    };
    for (const auto& [name, command] : commands) EXPECT_EQ(SkinButtonCommand(name), command) << name;
}

}  // namespace zc
