#include "ui/html/input_box.h"

namespace zc {

// The path stays as it is: the picture is shown only when a file of exactly that name exists.
std::string PictureMarkup(const std::string& path) { return "[IMG]" + path + "[/IMG]"; }

std::string FileLinkMarkup(const std::string& path) {
    // A network path links as it stands; a bare local path would be shown as a web address
    // ("http:///home/..."), which opens nothing.
    if (path.rfind("\\\\", 0) == 0) return "[URL]" + path + "[/URL]";
    return "[URL]file://" + path + "[/URL]";
}

}  // namespace zc
