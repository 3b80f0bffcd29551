#include "gui/web/page_dump.h"

#include <filesystem>
#include <fstream>

#include "gui/web/web_view_factory.h"

namespace zc {

void DumpPages(const WebViewFactory& views, const std::string& dir) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    for (const auto& [role, view] : views.Live()) {
        const std::string html = view->CurrentDocument();
        const std::string path = dir + "/" + RoleFileName(role) + ".html";
        const std::string temp = path + ".tmp";
        std::ofstream(temp, std::ios::binary | std::ios::trunc) << html;
        std::filesystem::rename(temp, path, ec);
    }
}

}  // namespace zc
