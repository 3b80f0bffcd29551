#include "plugins/tipbubble/bubble_colours.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "plugin_test_support.h"

namespace fs = std::filesystem;
using tipbubble::BubbleColours;
using tipbubble::DecodeColour;

namespace {

BubbleColours Read(const std::string& skin, BubbleColours start = {}) {
    std::istringstream in(skin);
    tipbubble::ReadDialogColours(in, start);
    return start;
}

void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

struct TempRoot {
    fs::path dir = fs::temp_directory_path() / ("zc_bubble_" + std::to_string(::getpid()));
    TempRoot() { fs::create_directories(dir); }
    ~TempRoot() { fs::remove_all(dir); }
};

}  // namespace

TEST(BubbleColours, DecodesRedGreenBlueIntoTheLowThreeBytes) {
    EXPECT_EQ(DecodeColour("R0G0B255"), 0xFF0000u);
    EXPECT_EQ(DecodeColour("R255G128B0"), 0x0080FFu);
    EXPECT_EQ(DecodeColour("R1G2B3"), 0x030201u);
    // Only the low 8 bits of each part count.
    EXPECT_EQ(DecodeColour("R256G257B511"), 0xFF0100u);
    // A missing letter or a text without digits gives 0 for that part.
    EXPECT_EQ(DecodeColour("G9B9"), 0x090900u);
    EXPECT_EQ(DecodeColour("R9G9"), 0u) << "no B: the rest before it is empty too";
    EXPECT_EQ(DecodeColour("RxGyBz"), 0u);
    EXPECT_EQ(DecodeColour("R-1G0B0"), 0xFFu);
    EXPECT_EQ(DecodeColour("R0G0B-1"), 0xFF0000u);
    EXPECT_EQ(DecodeColour("R0G0B-1\r"), 0x010000u) << "a minus counts only when digits run to the end";
    EXPECT_EQ(DecodeColour("R12G34B56\r"), 0x38220Cu);
}

TEST(BubbleColours, ReadsOnlyAfterTheDialogLineAndTheLastValueWins) {
    const BubbleColours c = Read(
        "[MAIN]\n"
        "ALERTBGCOLOR=R1G1B1\n"
        "[DIALOG]\r\n"
        "ALERTBGCOLOR=R0G0B255\r\n"
        "ALERTTEXTCOLOR=R10G0B0\n"
        "[OTHER]\n"
        "ALERTHLIGHTCOLOR=R0G20B0\n"
        "ALERTTEXTCOLOR=R30G0B0\n");
    EXPECT_EQ(c.background, 0xFF0000u);
    EXPECT_EQ(c.text, 30u);
    EXPECT_EQ(c.highlight, 20u << 8);
}

TEST(BubbleColours, EmptyValuesAndMissingSectionsKeepTheColours) {
    BubbleColours start;
    start.background = 0x111111;
    start.text = 0x222222;
    start.highlight = 0x333333;
    BubbleColours c = Read("[DIALOG]\nALERTTEXTCOLOR=\nALERTBGCOLOR=R0G0B0\n", start);
    EXPECT_EQ(c.text, 0x222222u);
    EXPECT_EQ(c.background, 0u) << "a value of zeros is a value";
    EXPECT_EQ(c.highlight, 0x333333u);
    c = Read("ALERTBGCOLOR=R0G0B255\n[dialog]\nALERTBGCOLOR=R0G0B255\n", start);
    EXPECT_EQ(c.background, 0x111111u) << "the section line must match exactly";
}

TEST(BubbleColours, FollowsTheProfileToItsTheme) {
    TempRoot root;
    Write(root.dir / "system/zeltochat.ini", "[GLOBAL]\r\nPROFILE = work \r\n");
    Write(root.dir / "profiles/work.cfg", "[INFO]\nSKINSTHEME=def\n[global]\nskinstheme=night\n");
    Write(root.dir / "skins/skinthemes/def/skin.cfg", "[DIALOG]\nALERTBGCOLOR=R1G0B0\n");
    Write(root.dir / "skins/skinthemes/night/skin.cfg", "[DIALOG]\nALERTBGCOLOR=R2G0B0\n");
    BubbleColours c;
    ASSERT_TRUE(tipbubble::LoadBubbleColours(root.dir.string(), c));
    EXPECT_EQ(c.background, 2u);
    EXPECT_EQ(c.baseDirectory, root.dir.string() + "/");

    // No theme file: the colours stay as they were.
    Write(root.dir / "profiles/work.cfg", "[GLOBAL]\nSKINSTHEME=gone\n");
    EXPECT_FALSE(tipbubble::LoadBubbleColours(root.dir.string(), c));
    EXPECT_EQ(c.background, 2u);
    // A profile name may not lead out of the program folder.
    Write(root.dir / "system/zeltochat.ini", "[GLOBAL]\nPROFILE=../profiles/work\n");
    Write(root.dir / "skins/skinthemes/gone/skin.cfg", "[DIALOG]\nALERTBGCOLOR=R3G0B0\n");
    EXPECT_FALSE(tipbubble::LoadBubbleColours(root.dir.string(), c));
    EXPECT_EQ(c.background, 2u);
}

TEST(BubbleColours, BaseDirectoryIsTheRootWhenItIsCurrentElseTheExecutablesFolder) {
    TempRoot root;
    const fs::path before = fs::current_path();
    fs::current_path(root.dir);
    const std::string withoutSettings = tipbubble::FindBaseDirectory();
    Write(root.dir / "system/zeltochat.ini", "[GLOBAL]\n");
    const std::string withSettings = tipbubble::FindBaseDirectory();
    fs::current_path(before);
    EXPECT_EQ(withSettings, root.dir.string() + "/");
    EXPECT_EQ(withoutSettings, fs::read_symlink("/proc/self/exe").parent_path().string() + "/");
}

// The terminal client has no widgets; the bubble must leave the notification to others.
TEST(TipBubblePlugin, WithoutWidgetsReportsNotHandled) {
    int argc = 1;
    char name[] = "bubble_colours_test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    plugintest::Plugin plugin(ZC_PLUGIN_DIR "/tipbubble.so");
    auto info = plugin.Get<GetPluginInfoFn>("GetPluginInfo");
    ASSERT_NE(info, nullptr);
    PluginInfo pi{};
    int32_t flag = 0;
    info(&pi, &flag);
    EXPECT_EQ(pi.type, ZC_PLUGIN_NOTIFY);
    EXPECT_STREQ(pi.name, "Tip Bubble");
    EXPECT_STREQ(pi.version, "0.1");
    EXPECT_NE(std::string(pi.maker), "");
    EXPECT_EQ(flag, 1);
    // Only the two entry points: the chat then offers no run or setup item for it.
    EXPECT_FALSE(plugin.Has("GetPluginInit"));
    EXPECT_FALSE(plugin.Has("PluginHandler"));
    plugintest::FakeHost host;
    plugintest::Notification n(host, "Bob", "hi", 1);
    EXPECT_EQ(plugin.Show(n), 0);
}
