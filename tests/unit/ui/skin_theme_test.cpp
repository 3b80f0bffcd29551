#include "ui/html/skin_theme.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <utility>

#include "base/debug_log.h"
#include "support/fakes.h"
#include "support/temp_root.h"
#include "ui/html/skin_geometry.h"
#include "ui/html/skin_host.h"

namespace zc {
using namespace zc::test;

namespace {

// One list of what happened, log lines included where they were written.
struct Events {
    explicit Events(const DebugLog& log) : log_(log) {}
    void Add(const std::string& what) {
        TakeLog();
        list.push_back(what);
    }
    void TakeLog() {
        const std::string text = ReadFileBytes(log_.CurrentFilePath());
        for (size_t end; (end = text.find("\r\n", seen_)) != std::string::npos; seen_ = end + 2)
            list.push_back("log " + text.substr(seen_ + 9, end - seen_ - 9));  // drops "HH:MM:SS "
    }
    std::string Text() {
        TakeLog();
        std::string out;
        for (const auto& e : list) out += e + "\n";
        return out;
    }
    std::vector<std::string> list;

private:
    const DebugLog& log_;
    size_t seen_ = 0;
};

class RecordingChrome : public SkinChrome {
public:
    explicit RecordingChrome(Events& events) : ev_(events) {}
    void RemoveSkinElements() override { Call("chrome RemoveSkinElements"); }
    void ShowSkinError(const std::string& text) override { Call("chrome ShowSkinError " + text); }
    void SetMainElements(const SkinMainElements& m) override {
        Call("chrome SetMainElements " + std::to_string(m.width) + "x" + std::to_string(m.height));
    }
    void AddPicture(const SkinPicture&, const std::string& path) override { Call("chrome AddPicture " + path); }
    void AddButton(const SkinButton& b, const std::string& path) override {
        Call("chrome AddButton " + b.name + " " + path);
    }
    void FinishLayout() override { Call("chrome FinishLayout"); }
    // Runs once, right after the call whose text starts with the given one.
    void After(const std::string& call, std::function<void()> action) {
        afterCall_ = call;
        action_ = std::move(action);
    }

private:
    void Call(const std::string& what) {
        ev_.Add(what);
        if (action_ && what.rfind(afterCall_, 0) == 0) std::exchange(action_, nullptr)();
    }
    Events& ev_;
    std::string afterCall_;
    std::function<void()> action_;
};

class RecordingPages : public SkinPages {
public:
    explicit RecordingPages(Events& events) : ev_(events) {}
    void RecreateMainViews() override { ev_.Add("pages RecreateMainViews"); }
    void PrepareSmilesList(const SkinStyles& s) override {
        ev_.Add("pages PrepareSmilesList " + s.theme + "/" + SmilesStyleSheet(s));
    }
    void PrepareMainText(const SkinStyles& s) override { ev_.Add("pages PrepareMainText " + s.theme + "/" + s.textStyle); }
    void PrepareUserList(const SkinStyles& s) override { ev_.Add("pages PrepareUserList " + s.theme + "/" + s.listStyle); }
    void StartLayoutTimer(const SkinMainElements& m) override {
        ev_.Add("pages StartLayoutTimer " + std::to_string(m.width) + "x" + std::to_string(m.height));
    }
    void ShowMainPage() override { ev_.Add("pages ShowMainPage"); }

private:
    Events& ev_;
};

struct Rig {
    FakeClock clock;
    DebugLog log{clock, ""};
    Events events{log};
    RecordingChrome chrome{events};
    RecordingPages pages{events};
};

// What the reader made of a theme: its result, the calls and log lines in order, the layout.
std::string ReadTheme(const std::string& theme) {
    Rig rig;
    const SkinLayoutResult r = ReadSkinLayout(theme, rig.chrome, rig.log);
    std::string out = std::string("result ") + (r.Ok() ? "OK" : SkinStepName(r.failed)) + "\n" + rig.events.Text();
    if (r.Ok()) out += "layout:\n" + DescribeSkinLayout(r.layout);
    return out;
}

// A golden case folder becomes a theme of that name.
void InstallCase(const TempRoot& root, const std::string& name) {
    namespace fs = std::filesystem;
    fs::create_directories(root.Path() + "skins/skinthemes");
    fs::copy(GoldenPath("skin/" + name), root.Path() + SkinThemeDir(name), fs::copy_options::recursive);
}

std::vector<std::string> Without(std::vector<std::string> list, const std::vector<std::string>& prefixes) {
    std::erase_if(list, [&](const std::string& e) {
        return std::any_of(prefixes.begin(), prefixes.end(), [&](const std::string& p) { return e.rfind(p, 0) == 0; });
    });
    return list;
}

// Width and height from a PNG's header; zero when the file is no PNG.
std::pair<int, int> PngSize(const std::string& path) {
    const std::string b = ReadFileBytes(path);
    if (b.size() < 24 || b.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || b.compare(12, 4, "IHDR") != 0) return {0, 0};
    auto be32 = [&b](size_t at) {
        return int((unsigned char)b[at] << 24 | (unsigned char)b[at + 1] << 16 | (unsigned char)b[at + 2] << 8 |
                   (unsigned char)b[at + 3]);
    };
    return {be32(16), be32(20)};
}

}  // namespace

TEST(SkinReader, GoldenLayouts) {
    for (const std::string name : {"rules", "no_size"}) {
        TempRoot root(false);
        InstallCase(root, name);
        EXPECT_EQ(ReadTheme(name), ReadGolden("skin/" + name + ".expected")) << name;
    }
}

TEST(SkinReader, ShippedThemesReadWithoutFailureOrMissingFiles) {
    for (const std::string theme : {"def", "dark"}) {
        TempRoot root;
        const std::string read = ReadTheme(theme);
        EXPECT_EQ(read, ReadGolden("skin/" + theme + ".expected")) << theme;
        EXPECT_EQ(read.find(":::ERROR"), std::string::npos) << theme;
    }
}

TEST(SkinReader, MissingConfigFailsTheFirstPass) {
    TempRoot root(false);
    Rig rig;
    const SkinLayoutResult r = ReadSkinLayout("nosuch", rig.chrome, rig.log);
    EXPECT_EQ(r.failed, SkinStep::MainElement);
    EXPECT_EQ(rig.events.Text(),
              "log :::InitMainElement...\n"
              "chrome ShowSkinError Corrupt or missing file skin.cfg. Exit.\n"
              "log :::InitMainElement...FALSE\n");
}

TEST(SkinThemes, ShipEverythingTheirPagesAndTheBubbleUse) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> sheets = {
        {"text.css", {"copyright", "myname", "username", "usernameover", "time", "system", "urllink", "image",
                      "mymessage", "private", "alert", "alertread", "alertexist", "sound", "notify", "enteruser",
                      "exituser", "changemode", "smilesalias"}},
        {"list.css", {"groupname", "myname", "username", "userimage", "myimage", "chatmode", "chatmodefocus"}},
        {"board.css", {"catname", "catnamefocus", "deletemessage", "message", "time", "username", "usernameover",
                       "urllink"}},
        {"smiles.css", {"TEXT_SMILES", "category", "smiles"}},
    };
    for (const std::string theme : {"def", "dark"}) {
        TempRoot root;
        const std::string dir = SkinThemeDir(theme) + "/";
        for (const auto& [sheet, classes] : sheets) {
            const std::string css = root.Read(dir + sheet);
            for (const std::string& c : classes) {
                // A rule for the class itself, not only for a longer name that starts with it.
                bool found = false;
                for (size_t at = css.find("." + c); at != std::string::npos && !found; at = css.find("." + c, at + 1)) {
                    const char next = at + c.size() + 1 < css.size() ? css[at + c.size() + 1] : ' ';
                    found = !(std::isalnum(static_cast<unsigned char>(next)) || next == '_' || next == '-');
                }
                EXPECT_TRUE(found) << theme << "/" << sheet << " has no rule for ." << c;
            }
        }

        // The bubble reads from the exact line "[DIALOG]" to the end of the file.
        const std::string cfg = root.Read(SkinConfigPath(theme));
        const size_t dialog = cfg.find("\n[DIALOG]\n");
        ASSERT_NE(dialog, std::string::npos) << theme;
        for (const char* key : {"\nALERTBGCOLOR=R", "\nALERTTEXTCOLOR=R", "\nALERTHLIGHTCOLOR=R"}) {
            EXPECT_GT(cfg.find(key), dialog) << theme << key;
            EXPECT_NE(cfg.find(key), std::string::npos) << theme << key;
        }

        root.Write("profiles/default.cfg", "[GLOBAL]\nSKINSTHEME=" + theme + "\n");
        const SkinStyles styles = ReadSkinStyles("profiles/default.cfg");
        EXPECT_EQ(styles.listStyle, "list.css");
        EXPECT_EQ(styles.boardStyle, "board.css");

        // Pictures drawn at their own size must be exactly that size; buttons must be PNGs.
        for (const SkinPicture& p : ParsePictures(cfg)) {
            const auto [w, h] = PngSize(dir + p.fileName);
            ASSERT_GT(w, 0) << theme << "/" << p.fileName;
            const SkinRect r = PictureRect(p, 390, 590);
            if (r.Width() < 1000) {
                EXPECT_EQ(w, r.Width()) << theme << "/" << p.fileName;
            }
            if (r.Height() < 1000) {
                EXPECT_EQ(h, r.Height()) << theme << "/" << p.fileName;
            }
        }
        for (const SkinButton& b : ParseButtons(cfg)) {
            EXPECT_GT(PngSize(dir + b.fileName).first, 0) << theme << "/" << b.fileName;
            EXPECT_NE(b.command, 0) << theme << "/" << b.name;
        }
    }
}

TEST(SkinTheme, StylesComeFromProfileAndThemeWithTheirDefaults) {
    TempRoot root(false);
    root.Write("profiles/p.cfg", "[GLOBAL]\r\nSKINSTHEME= \r\nSKINSTYLETEXT=chat.css\r\n");
    root.Write("skins/skinthemes/def/skin.cfg", "[GLOBAL]\nSKINSTYLELIST=people.css\nSKINSTYLEBOARD= \n");
    SkinStyles s = ReadSkinStyles("profiles/p.cfg");
    EXPECT_EQ(s.theme, "def");
    EXPECT_EQ(s.textStyle, "chat.css");
    EXPECT_EQ(s.listStyle, "people.css");
    EXPECT_EQ(s.boardStyle, "board.css");
    EXPECT_EQ(SmilesStyleSheet(s), "people.css");
    root.Write("skins/skinthemes/def/smiles.css", "");
    EXPECT_EQ(SmilesStyleSheet(s), "smiles.css");
    EXPECT_EQ(StyleSheetHref("/opt/zc/", s.theme, s.listStyle), "/opt/zc/skins/skinthemes/def/people.css");

    // A theme without skin.cfg still names the default sheets.
    root.Write("profiles/p.cfg", "[GLOBAL]\nSKINSTHEME=gone\n");
    s = ReadSkinStyles("profiles/p.cfg");
    EXPECT_EQ(s.theme, "gone");
    EXPECT_EQ(s.textStyle, "text.css");
    EXPECT_EQ(s.listStyle, "list.css");
    EXPECT_EQ(SmilesStyleSheet(s), "list.css");
}

TEST(SkinTheme, AppliesInItsFixedOrder) {
    for (const bool keepSmiles : {true, false}) {
        TempRoot root;
        root.Write("profiles/default.cfg", "[GLOBAL]\nSKINSTHEME=dark\n");
        Rig rig;
        const SkinThemeResult r = ApplySkinTheme("profiles/default.cfg", keepSmiles, rig.pages, rig.chrome, rig.log);
        ASSERT_TRUE(r.Ok());
        EXPECT_EQ(r.styles.theme, "dark");
        EXPECT_EQ(r.layout.main.width, 340);
        rig.events.TakeLog();
        std::vector<std::string> expected = {
            "chrome RemoveSkinElements",
            "pages RecreateMainViews",
            "log :::PrepareSmilesList...",
            "pages PrepareSmilesList dark/smiles.css",
            "log :::PrepareMainText...",
            "pages PrepareMainText dark/text.css",
            "log :::PrepareUserList...",
            "pages PrepareUserList dark/list.css",
            "log :::InitMainElement...",
            "chrome SetMainElements 340x480",
            "log :::InitMainElement...OK",
            "log :::InitGraphixElement...",
            "log :::InitGraphixElement...OK",
            "log :::InitActionElement...",
            "log :::InitActionElement...OK",
            "chrome FinishLayout",
            "pages StartLayoutTimer 340x480",
            "pages ShowMainPage",
        };
        if (!keepSmiles) expected.erase(expected.begin() + 2, expected.begin() + 4);
        EXPECT_EQ(Without(rig.events.list, {"chrome AddPicture", "chrome AddButton"}), expected) << keepSmiles;
        // Pictures go to the chrome during their pass, buttons during theirs.
        const auto& ev = rig.events.list;
        const auto at = [&ev](const std::string& e) { return std::find(ev.begin(), ev.end(), e) - ev.begin(); };
        EXPECT_LT(at("log :::InitGraphixElement..."), at("chrome AddPicture skins/skinthemes/dark/surface.png"));
        EXPECT_LT(at("chrome AddPicture skins/skinthemes/dark/corner_br.png"), at("log :::InitGraphixElement...OK"));
        EXPECT_LT(at("log :::InitActionElement..."), at("chrome AddButton CLOSE skins/skinthemes/dark/btn_close.png"));
        EXPECT_LT(at("chrome AddButton OPTIONS skins/skinthemes/dark/btn_options.png"),
                  at("log :::InitActionElement...OK"));
    }
}

TEST(SkinTheme, EachFailedPassShowsItsMessageAndStopsTheRest) {
    struct Case {
        const char* breakAfter;  // the chrome call after which skin.cfg disappears
        SkinStep step;
        std::vector<std::string> tail;
    };
    const std::vector<Case> cases = {
        {"", SkinStep::MainElement,
         {"log :::InitMainElement...", "chrome ShowSkinError Corrupt or missing file skin.cfg. Exit.",
          "log :::InitMainElement...FALSE"}},
        {"chrome SetMainElements", SkinStep::GraphixElement,
         {"log :::InitMainElement...OK", "log :::InitGraphixElement...",
          "chrome ShowSkinError Corrupt or missing file skin.cfg", "log :::InitGraphixElement...FALSE"}},
        {"chrome AddPicture", SkinStep::ActionElement,
         {"log :::InitGraphixElement...OK", "log :::InitActionElement...",
          "chrome ShowSkinError Corrupt or missing skin.cfg", "log :::InitActionElement...FALSE"}},
    };
    for (const Case& c : cases) {
        TempRoot root;
        Rig rig;
        const std::string cfg = SkinConfigPath("def");
        if (*c.breakAfter) {
            rig.chrome.After(c.breakAfter, [&root, cfg] { root.Remove(cfg); });
        } else {
            root.Remove(cfg);
        }
        const SkinThemeResult r = ApplySkinTheme("profiles/default.cfg", false, rig.pages, rig.chrome, rig.log);
        EXPECT_EQ(r.failed, c.step);
        rig.events.TakeLog();
        std::vector<std::string> tail = c.tail;
        tail.push_back("log :::CRITICAL ERROR: Previous function return error. Run MainExit");
        const auto list = Without(rig.events.list, {"chrome AddPicture", "chrome AddButton"});
        ASSERT_GE(list.size(), tail.size());
        EXPECT_EQ(std::vector<std::string>(list.end() - tail.size(), list.end()), tail) << SkinStepName(c.step);
        // The pages were written before the layout was read; nothing follows a failure.
        EXPECT_NE(std::find(list.begin(), list.end(), "pages PrepareUserList def/list.css"), list.end());
        EXPECT_EQ(std::find(list.begin(), list.end(), "chrome FinishLayout"), list.end());
        EXPECT_EQ(std::find(list.begin(), list.end(), "pages ShowMainPage"), list.end());
    }
}

TEST(SkinTheme, StoredWindowIsRaisedToTheSkinSize) {
    SkinMainElements m;
    m.width = 340;
    m.height = 480;
    const WindowParams kept = RaiseToSkinMinimum({10, 10, 600, 400}, m);
    EXPECT_EQ(kept.bottom, 600);
    EXPECT_EQ(kept.right, 400);
    const WindowParams raised = RaiseToSkinMinimum({20, 30, 300, 200}, m);
    EXPECT_EQ(raised.top, 20);
    EXPECT_EQ(raised.left, 30);
    EXPECT_EQ(raised.bottom, 480);
    EXPECT_EQ(raised.right, 340);
}

}  // namespace zc
