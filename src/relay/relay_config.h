#pragma once
// The relay's options, from the command line and from a `key = value` file whose keys are the
// long options without their dashes. The command line wins over the file.
#include <string>
#include <string_view>
#include <vector>

#include "relay/relay_server.h"

namespace zc::relay {

inline constexpr char kDefaultConfigPath[] = "/etc/zeltochat/relay.conf";

// Sets the option NAME (no dashes). `hasValue` is false for a bare flag on the command line.
// Returns why the option or its value is refused, or "" when it was taken.
std::string SetOption(RelayConfig& config, std::string_view name, std::string_view value, bool hasValue);

// Whether --NAME on the command line is followed by a value.
bool OptionTakesValue(std::string_view name);

// Reads `key = value` lines into `config`. Blank lines and lines starting with '#' or ';' are
// skipped. Each refused line gives one message "line N: ...".
std::vector<std::string> ReadConfigText(std::string_view text, RelayConfig& config);

// What the relay would run with, as lines of the configuration file.
std::string DescribeConfig(const RelayConfig& config);

// An option as given on the command line, name without dashes.
struct GivenOption {
    std::string name;
    std::string value;
    bool hasValue = false;
};

struct CommandLine {
    bool help = false;
    bool check = false;                                        // validate, print, and exit
    std::string configPath;                                    // --config, else the default
    bool configGiven = false;                                  // the file must then exist
    std::vector<GivenOption> options;                          // applied in order
    std::vector<std::string> errors;
};

CommandLine ParseCommandLine(int argc, const char* const* argv);

// Fills `config` from the configuration file, then from the command line's options. Returns
// every problem found, file ones as "FILE:N: ...", so --check can list them all at once.
std::vector<std::string> LoadConfig(const CommandLine& commandLine, RelayConfig& config);

}  // namespace zc::relay
