#include "app/print_settings.h"

#include "base/settings.h"
#include "base/text_helpers.h"
#include "net/net_settings.h"

namespace zc {
namespace {

class Lines {
public:
    explicit Lines(std::string prefix) : prefix_(std::move(prefix)) {}
    Lines& Add(const std::string& key, const std::string& value) {
        out_ += prefix_ + key + "=" + value + "\n";
        return *this;
    }
    Lines& Add(const std::string& key, int value) { return Add(key, std::to_string(value)); }
    Lines& Flag(const std::string& key, bool value) { return Add(key, value ? "1" : "0"); }
    const std::string& Text() const { return out_; }

private:
    std::string prefix_, out_;
};

}  // namespace

std::string PrintSettings(const SystemNames& names) {
    const GlobalSettings g = ReadGlobalSettings();
    Lines global("zeltochat.ini/GLOBAL/");
    global.Add("PROFILE", g.profileName)
        .Flag("ALLOWMULTIAPP", g.allowMultiApp)
        .Flag("AUTOSTART", g.autostart)
        .Flag("SHOWTIME", g.showTime)
        .Add("APPEAL", g.appeal)
        .Flag("ECHO", g.echo)
        .Add("FLASHICON", g.flashIcon)
        .Add("REFRESHLIST", g.refreshList)
        .Flag("NOSMILESSTARTUP", g.noSmilesStartup)
        .Flag("DONOTSHOWIMAGE", !g.showImages)
        .Flag("ALLOWPROCCES", g.allowProcessList)
        .Flag("DEBUGIP", g.debugIp)
        .Flag("DEBUGCOMMAND", g.debugCommand)
        .Add("LANGUAGE", g.languageName)
        .Add("HK_MODE1", g.hotKeys.mode1)
        .Add("HK_MODE2", g.hotKeys.mode2)
        .Add("HK_MODE3", g.hotKeys.mode3)
        .Add("HK_MODE4", g.hotKeys.mode4)
        .Add("HK_REFRESHLIST", g.hotKeys.refreshList)
        .Add("HK_TRANSLATE", g.hotKeys.translate)
        .Add("HK_OPENSMILESLIST", g.hotKeys.openSmilesList);

    LocalUser u;
    u.profileFile = g.profileName + ".cfg";
    ReadProfileParams(u.ProfilePath(), names, u);
    u.soundOn = ReadSoundOn(u.ProfilePath());
    const SkinChoice skin = ReadSkinChoice(u.ProfilePath());
    Lines profile("profile/GLOBAL/");
    profile.Add("MODE", u.mode)
        .Flag("LOOKMODE", u.lookMode)
        .Flag("DONOTSORTBYNAME", u.doNotSortByName)
        .Flag("DONTSHOWACTIVEWND", u.doNotShowActiveWindow)
        .Add("TIMESTAMP", u.timeStampFormat)
        .Add("LIMITMAXMESSAGE", u.lineLimit)
        .Flag("ALLOWSENDDESKTOP", u.allowSendDesktop)
        .Flag("DISABLESMILES", u.disableSmiles)
        .Add("BOARDMESSAGETIMELIFE", u.boardMessageLife)
        .Flag("SOUNDON", u.soundOn)
        .Add("MAXAVATARSIZE", u.maxAvatarSize)
        .Add("SKINSTHEME", skin.theme)
        .Add("SKINSTYLETEXT", skin.textStyle);
    Lines info("profile/INFO/");
    info.Add("CHATNAME", u.nickname).Add("AVATAR", u.avatarFile);

    const CNetSettings n = ReadNetSettings(u.ProfilePath());
    Lines net("profile/NETWORK/");
    net.Add("INTERFACE", n.interfaceAddr)
        .Add("NAME", n.name)
        .Add("PORT", n.port)
        .Flag("SERVERUSE", n.useServer != 0)
        .Add("TTL", n.ttl)
        .Add("MULTICASTGROUP", n.group)
        .Add("SERVER", n.server)
        .Add("SERVERPORT", n.serverPort)
        .Add("FTPORT", n.filePort)
        // As the key would be written; bad entries are left out.
        .Add("GATEWAYS", JoinTexts(n.gateways, ","));

    const WindowParams w = ReadWindowParams();
    Lines param("main.ini/PARAM/");
    param.Add("T", w.top).Add("L", w.left).Add("B", w.bottom).Add("R", w.right);

    return global.Text() + profile.Text() + info.Text() + net.Text() + param.Text();
}

}  // namespace zc
