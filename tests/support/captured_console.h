#pragma once
// The terminal client's output, written to a file the test reads back.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/console.h"

namespace zc::test {

struct CapturedConsole {
    CapturedConsole() : file(std::tmpfile()), console(fileno(file), false) {}
    ~CapturedConsole() { std::fclose(file); }
    CapturedConsole(const CapturedConsole&) = delete;
    CapturedConsole& operator=(const CapturedConsole&) = delete;

    std::string Text() const {
        std::string out;
        std::rewind(file);
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) out.append(buffer, n);
        std::fseek(file, 0, SEEK_END);
        return out;
    }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        const std::string text = Text();
        for (size_t start = 0, nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
            lines.push_back(text.substr(start, nl - start));
        return lines;
    }

    FILE* file;
    Console console;
};

}  // namespace zc::test
