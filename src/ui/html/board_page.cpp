#include "ui/html/board_page.h"
#include "ui/html/skin_theme.h"

#include "ui/html/markup.h"
#include "ui/html/user_list_page.h"

namespace zc {

std::string BoardPage(const std::string& programFolder, const std::string& theme, const std::string& boardStyle,
                      const std::array<std::string, 4>& captions, const std::string& entries, const std::string& tab) {
    std::string page = "<html><head>";
    page += std::string(kTargetSchemaMeta) + "\n";
    page += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">\n";
    page += "<title>Zelto Chat</title>";
    page += StyleSheetLink(programFolder, theme, boardStyle);
    page += "</head><body>";
    page += "<script language=\"JavaScript\">\n"
            "dom = (document.getElementById)? true : false;\n"
            "ie4 = (document.all && !dom)? true : false;\n"
            "function putElem(elemId) { "
            "if (dom) document.getElementById(elemId).style.display = \"block\";"
            "else if (ie4) document.all[elemId].style.display = \"block\";}\n"
            "function show_focus(elemId) { "
            "document.getElementById(1).className='catname';"
            "document.getElementById(2).className='catname';"
            "document.getElementById(3).className='catname';"
            "document.getElementById(4).className='catname';"
            "document.getElementById(elemId).className='catnamefocus';"
            "}"
            "function removeElem(elemId) { "
            "if (dom) document.getElementById(elemId).style.display = \"none\";"
            "else if (ie4) document.all[elemId].style.display = \"none\";}\n"
            "function show_s(hID) {"
            "if (hID==1)\t{show_focus(1); putElem('10'); removeElem('20'); removeElem('30');removeElem('40');}"
            "if (hID==2)\t{show_focus(2); putElem('20'); removeElem('10'); removeElem('30');removeElem('40');}"
            "if (hID==3)\t{show_focus(3); putElem('30'); removeElem('10'); removeElem('20');removeElem('40');}"
            "if (hID==4)\t{show_focus(4); putElem('40'); removeElem('10'); removeElem('20');removeElem('30');}"
            "}"
            "function ccopy(str){if (document.body.createTextRange) {"
            "var BodyRange = document.selection;"
            "var rng = BodyRange.createRange();"
            "rng.execCommand('Copy'); "
            "}}\n"
            "</script>\n";
    page += "<table width=\"100%\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\" align=\"center\" ID=\"Table1\">\n";
    page += "<tr align=\"center\">\n";
    for (int k = 1; k <= 4; ++k) {
        const std::string d = std::to_string(k);
        page += "<td OnClick=\"javascript:show_s(" + d + ");\" id=\"" + d + "\" class=\"catname\">" +
                captions[static_cast<size_t>(k - 1)] + "</td>\n";
    }
    page += "</tr></table>\n";
    page += "<table width=\"100%\" border=\"0\" align=\"center\" ID=\"Table2\">\n";
    // The entries come linked, each when it was built: the page around them is all that is left.
    page = ChatUrlLinker(page) + entries + "</tr></table>";
    // The picked id comes from the page itself; only a tab digit may reach the script.
    const std::string shown = (tab.size() == 1 && tab[0] >= '1' && tab[0] <= '4') ? tab : "1";
    page += "<script language=\"JavaScript\">show_s(" + shown + ");</script>";
    page += "</body></html>";
    return page;
}

}  // namespace zc
