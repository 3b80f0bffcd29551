#include "ui/html/smiles_page.h"

#include <filesystem>

#include "base/debug_log.h"
#include "platform/html_view.h"
#include "ui/html/skin_theme.h"
#include "ui/html/smile_alias.h"
#include "ui/html/user_list_page.h"

namespace zc {

namespace {
bool FileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}
}  // namespace

std::string SmilesPage(const SmileAliasTable& table, const std::string& programFolder, const std::string& theme,
                       const std::string& styleSheet) {
    std::string page = "<html><head><title>Zelto Chat</title>";
    page += kTargetSchemaMeta;
    page += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">";
    page += StyleSheetLink(programFolder, theme, styleSheet);
    page += "</head>";
    page += kListPageScript;
    page += "<span class=\"TEXT_SMILES\">";
    for (const SmileAliasTable::Pair& pair : table.Pairs()) {
        if (pair.IsCategory()) {
            page += "<span class=\"category\">" + pair.second + "</span>";
        } else if (FileExists(SmileFile(programFolder, pair.second))) {
            // Every alias of a picture gets its own image, so each can be picked.
            page += "<img class=\"smiles\" src=\"" + SmilePictureUrl(programFolder, pair.second) +
                    "\" align=\"baseline\" title=\"" + pair.first + "\" border=0>&nbsp;";
        }
    }
    page += "</span>";
    page += "</body></html>";
    return page;
}

bool SetSmilesList(HtmlView* view, const std::string& page, const DebugLog& log) {
    log.Write(":::SetSmileList...");
    const bool ok = view && view->WritePage(page);
    log.Write(ok ? ":::SetSmilesList...OK" : ":::SetSmilesList...FALSE");
    return ok;
}

}  // namespace zc
