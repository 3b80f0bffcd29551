#pragma once
#include <string>

#include "cli/chat_line_text.h"

namespace zc {

// Standard output of the terminal client: whole lines, each written at once, so a script
// reading the pipe sees every line as soon as it exists. Colours only on a terminal.
class Console {
public:
    Console(int fd, bool colour) : fd_(fd), colour_(colour) {}
    // Colours when fd is a terminal, unless NO_COLOR is set or TERM is "dumb".
    static bool WantsColour(int fd);

    void Line(const std::string& utf8, LineStyle style = LineStyle::Plain);
    // The client's own remarks, marked so they cannot be taken for chat lines.
    void Note(const std::string& utf8) { Line("-- " + utf8); }
    bool Colour() const { return colour_; }

private:
    int fd_;
    bool colour_;
};

}  // namespace zc
