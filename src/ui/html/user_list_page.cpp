#include "ui/html/user_list_page.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "base/cp1251_case.h"
#include "base/file_url.h"
#include "base/html_entity.h"
#include "base/settings.h"
#include "net/user_roster.h"
#include "platform/html_view.h"
#include "services/avatar_files.h"
#include "services/user_groups.h"
#include "ui/html/skin_theme.h"

namespace zc {

const char kListPageScript[] =
    "<body onload=\"onLoad();\">"
    "<script language=\"JavaScript\">"
    "function onLoad()"
    "{"
    "var Objs = document.all;"
    "for (i = 0; i < Objs.length; i++)"
    "if (Objs(i).tagName != 'INPUT' && Objs(i).tagName != 'A')"
    "Objs(i).style.cursor = 'default';"
    "document.onselectstart = onSelect1;"
    "}"
    "function onSelect1()"
    "{"
    "if (window.event.srcElement.tagName !='INPUT')"
    "{"
    "window.event.returnValue = false;\n"
    "window.event.cancelBubble = true;"
    "}}"
    "</script>";

std::string ShortenText(const std::string& text, bool cut) {
    if (!cut) return text;
    // A character reference is one character: the cut never splits one.
    size_t at = 0;
    std::uint32_t cp = 0;
    for (int shown = 0; shown < 17 && at < text.size(); ++shown) {
        const size_t reference = text[at] == '&' ? DecodeHtmlEntity(text, at, cp) : 0;
        at += reference ? reference : 1;
    }
    return at < text.size() ? text.substr(0, at) + "..." : text;
}

std::string UserListShell(const std::string& programFolder, const std::string& theme, const std::string& listStyle) {
    std::string page = "<html><head><title>Zelto Chat</title>";
    page += kTargetSchemaMeta;
    page += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">";
    page += StyleSheetLink(programFolder, theme, listStyle);
    page += "</head>";
    page += kListPageScript;
    page += "\n<span id=\"LIST_TEXT\"></span>\n";
    page += "</body></html>";
    return page;
}

bool PrepareUserList(HtmlView* view, const std::string& programFolder, const std::string& theme,
                     const std::string& listStyle) {
    return view && view->WritePage(UserListShell(programFolder, theme, listStyle));
}

namespace {

const std::string& ShownName(const CUserRecord& r) { return r.displayName.empty() ? r.nickname : r.displayName; }

bool FileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

// A peer's text shown as text, whatever it holds. Character references stay, so a character
// the code page lacks ("&#128512;") still shows as itself.
std::string AsText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    std::uint32_t cp = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) continue;
        switch (c) {
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '&': out += DecodeHtmlEntity(text, i, cp) ? "&" : "&amp;"; break;
            default: out += c;
        }
    }
    return out;
}


// Texts as peers sent them (the cleaned ones made for the chat lines would turn into markup
// here); the local user's own texts were never cleaned.
const std::string& PlainName(const CUserRecord& r, bool own) {
    return own || r.sentName.empty() ? r.nickname : r.sentName;
}

const std::string& PlainModeText(const CUserRecord& r, bool own) {
    return own || r.sentModeText.empty() ? r.modeText : r.sentModeText;
}

// A name two users share is shown with the identity after it.
std::string PlainDisplayName(const CUserRecord& r, bool own) {
    const size_t n = r.nickname.size();
    const bool doubled = r.displayName.size() > n && r.displayName.compare(0, n, r.nickname) == 0;
    return PlainName(r, own) + (doubled ? r.displayName.substr(n) : "");
}

std::string RecordRows(const CUserRecord& r, const UserListContext& ctx, bool grouped) {
    const std::string s = std::to_string(ctx.user.maxAvatarSize);
    const std::string avatarFile = AvatarFilePath(ctx.programFolder, r.avatar);
    // Encoded, the name can hold quotes or "#" and still name its file; the title shows it as text.
    const std::string src = PercentEncodedPath(avatarFile), avatar = AsText(r.avatar);
    const bool own = r.id == ctx.ownId;
    const std::string id = AsText(r.id), name = AsText(PlainName(r, own));
    const std::string& plainMode = PlainModeText(r, own);
    const std::string mode = AsText(plainMode);

    std::string picture;
    if (r.avatar.size() >= 2 && !avatarFile.empty() && FileExists(avatarFile)) {
        if (own) {
            picture = "<img class=\"myimage\" width=\"" + s + "\" height=\"" + s + "\" src=\"" + src + "\" title=\"" +
                      avatar + "\" id=\"" + name + "\">";
        } else {
            picture = grouped ? "<img class=\"userimage\" width=" + s + " height=" + s
                              : "<img class=userimage width=" + s + " height=" + s;
            picture += " src=\"" + src + "\" id=\"" + id + "\" title=\"IP " + AsText(r.ip) + "\n" + ctx.avatarLabel +
                       " " + avatar + "\">";
        }
    }
    // A user without a picture has no picture cell: the name and mode span the picture column,
    // which would otherwise stay empty beside them, as wide as the others' pictures.
    const std::string cell = picture.empty() ? "<td colspan=2" : "<td";
    std::string html = "<tr>";
    if (!picture.empty()) html += "<td rowspan=2 width=" + s + ">" + picture + "&nbsp;</td>";

    if (own) html += cell + " valign=\"middle\" class=myname title=\"" + mode + "\">" + name + "</td>";
    else if (grouped)
        html += cell + " valign=\"middle\" class=username id=\"" + id + "\">" + AsText(PlainDisplayName(r, own)) + "</td>";
    else html += cell + " class=username id=\"" + id + "\" title=\"" + mode + "\">" + name + "</td>";

    html += "<tr>" + cell + " height=1 title=\"" + mode + " \">";
    html += r.active ? "<font class=chatmodefocus>" : "<font class=chatmode>";
    // Cut the text, then escape it: a cut escaped text could end inside an entity.
    html += AsText(ShortenText(plainMode, true)) + "&nbsp;</font>";
    html += "</td></tr>";
    return html;
}

}  // namespace

std::string UserListTable(const UserListContext& ctx) {
    const std::vector<CUserRecord>& entries = ctx.roster.Entries();
    std::vector<const CUserRecord*> shown;
    shown.reserve(entries.size());
    for (const CUserRecord& r : entries) shown.push_back(&r);
    if (!ctx.user.doNotSortByName)
        std::stable_sort(shown.begin(), shown.end(), [](const CUserRecord* a, const CUserRecord* b) {
            return Cp1251NameLess(ShownName(*a), ShownName(*b));
        });

    std::string html = "<table width=100% height=1 border=0 cellpadding=0 cellspacing=0>";
    const std::vector<std::string>& groups = ctx.roster.GroupNames();
    if (ctx.user.pageMode == PageMode::Conference || !ctx.user.groupsOn) {
        for (const CUserRecord* r : shown) html += RecordRows(*r, ctx, false);
    } else {
        for (size_t g = 0; g < groups.size(); ++g) {
            html += "<tr><td colspan=\"2\" class=\"groupname\">" + groups[g] + "</td></tr>";
            for (const CUserRecord* r : shown) {
                const bool valid = r->group >= 0 && static_cast<size_t>(r->group) < groups.size();
                if (static_cast<size_t>(valid ? r->group : 0) == g) html += RecordRows(*r, ctx, true);
            }
        }
    }
    html += "</table>";
    return html;
}

bool RefreshUserList(const SetElementHtml& setInner, const UserListContext& ctx) {
    if (!setInner) return false;
    return setInner("LIST_TEXT", UserListTable(ctx));
}

bool RefreshUserList(HtmlView* view, const UserListContext& ctx) {
    if (!view) return false;
    return RefreshUserList(
        [view](const std::string& id, const std::string& html) { return view->SetInnerHtmlById(id, html); }, ctx);
}

bool AssignGroup(CUserRoster& roster, const std::string& profilePath, const std::string& picked, int n) {
    if (picked.size() <= 1) return false;
    const size_t count = roster.GroupNames().size();
    if (n > static_cast<int>(count)) n = 1;
    // A list page picks the identity (the element id), a chat page the shown name; the member
    // key is made of the nickname either way, which is what the group lookups read.
    const CUserRecord* record = roster.Find(picked);
    if (!record) {
        const std::string id = roster.IdOfName(picked);
        if (!id.empty()) record = roster.Find(id);
    }
    std::string nickname = picked;
    if (record) {
        nickname = record->nickname;
        roster.SetGroup(record->id, n);
    }
    WriteMemberGroup(profilePath, nickname, n, count);
    return true;
}

}  // namespace zc
