#include "services/board_entries.h"

#include <array>
#include <vector>

#include "base/text_helpers.h"
#include "services/board_store.h"

namespace zc {

std::string BuildBoardEntries(const BoardEntryFormat& f) {
    std::array<std::string, 4> rows;
    std::vector<std::string> lines;
    for (const std::string& name : BoardFileNames()) {
        const std::string path = std::string(kBoardFolder) + "/" + name;
        if (!CheckBoardExpiry(f.clock, path, f.defaultDays)) continue;
        if (!ReadBoardLines(path, lines)) break;  // what was read so far is shown
        int category = 4;
        std::string author, date, body;
        for (size_t i = 0; i < lines.size(); ++i) {
            const bool hasNext = i + 1 < lines.size();
            if (lines[i] == "<MessageCategory>" && hasNext) {
                category = ParseInt(lines[i + 1]);
                if (category < 1 || category > 4) category = 4;
            } else if (lines[i] == "<UserName>" && hasNext) {
                author = f.convert(lines[i + 1]);
            } else if (lines[i] == "<MessageDate>" && hasNext) {
                date = "<span class=\"time\">" + f.convert(lines[i + 1]) + "</span><br>";
            } else if (lines[i] == "<MessageBody>") {
                for (size_t j = i + 1; j < lines.size(); ++j) body += f.markup(f.convert(lines[j])) + "<br>";
                break;
            }
        }
        const std::string colour = f.colour(author);
        std::string entry =
            "<table height=1 width=\"100%\" border=0><tr valign=top><td width=10% nowrap>" + date + f.nameSpan(author) +
            "<br>" + "</td><td>" + "<table align=right border=\"0\" cellspacing=\"0\" cellpadding=\"0\">" +
            "<tr><td id=\"" + kBoardWirePrefix + name + "\" title=\"" + f.deleteTitle +
            "\" class=\"deletemessage\" scope=\"row\">X</td></tr></table>" +
            (colour.empty() ? "<span class=\"message\">" : "<span class=\"message\" style=\"color:" + colour + "\">") +
            body + "</span><br><br>" + "</td></tr></table>\n";
        rows[static_cast<size_t>(category - 1)].insert(0, entry);
    }
    std::string html;
    for (int k = 1; k <= 4; ++k)
        html +=
            "<tr id=\"" + std::to_string(k * 10) + "\"><td><br>" + rows[static_cast<size_t>(k - 1)] + "</td></tr>\n";
    return html;
}

}  // namespace zc
