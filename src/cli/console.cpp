#include "cli/console.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zc {

bool Console::WantsColour(int fd) {
    if (!::isatty(fd)) return false;
    const char* noColour = std::getenv("NO_COLOR");
    if (noColour && *noColour) return false;
    const char* term = std::getenv("TERM");
    return !(term && std::strcmp(term, "dumb") == 0);
}

static const char* Sgr(LineStyle style) {
    switch (style) {
        case LineStyle::Own: return "\033[1m";
        case LineStyle::Private: return "\033[35m";
        case LineStyle::Alert: return "\033[31m";
        case LineStyle::Notice: return "\033[33m";
        case LineStyle::Presence: return "\033[32m";
        case LineStyle::Sound: return "\033[36m";
        case LineStyle::Plain: break;
    }
    return nullptr;
}

void Console::Line(const std::string& utf8, LineStyle style) {
    std::string out;
    const char* sgr = colour_ ? Sgr(style) : nullptr;
    if (sgr) out = sgr + utf8 + "\033[0m\n";
    else out = utf8 + "\n";
    size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::write(fd_, out.data() + done, out.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return;  // nobody reads any more; the chat goes on regardless
        }
    }
}

}  // namespace zc
