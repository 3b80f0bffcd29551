#include "ui/html/history_day_page.h"

#include "services/history.h"
#include "ui/html/earlier_lines.h"

namespace zc {

std::string HistoryDayPage(const std::string& heading, const HistoryDay& day, const std::string& cutNote) {
    std::string page = kHistoryCharsetLine;
    page += "<h3>" + EscapeVisibleText(heading) + "</h3>\n";
    if (day.cut) page += "<p><i>" + EscapeVisibleText(cutNote) + "</i></p>\n";
    for (const std::string& written : day.written) {
        page += written;
        page += "\n<br>";
    }
    return page;
}

}  // namespace zc
