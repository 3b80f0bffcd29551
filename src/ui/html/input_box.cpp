#include "ui/html/input_box.h"

#include "base/text_helpers.h"

namespace zc {

std::string PictureMarkup(const std::string& path) { return "[IMG]" + ReplaceAll(path, " ", "%20") + "[/IMG]"; }

std::string FileLinkMarkup(const std::string& path) { return "[URL]" + path + "[/URL]"; }

}  // namespace zc
