#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "relay/relay_config.h"

namespace zc::relay {
namespace {

TEST(RelayConfig, FileLinesAreReadAndEachBadOneIsNamedByItsLine) {
    RelayConfig config;
    const std::vector<std::string> errors = ReadConfigText(
        "# comment\n"
        "  port = 9100  \r\n"
        "\n"
        "bind=127.0.0.2\n"
        "echo = no\n"
        "max-per-address = 0\n"   // 6: out of range
        "greeting-timeout = 5\n"
        "listen 9000\n"           // 8: no '='
        "prot = 1\n"              // 9: a typo
        "mqtt = mqtts://broker\n"  // 10: not in this version
        "; last\n"
        "quiet-timeout = 30",     // no final newline
        config);
    EXPECT_EQ(errors, (std::vector<std::string>{
                          "line 6: bad max-per-address '0': expected a number from 1 to 1000000",
                          "line 8: expected 'key = value', found 'listen 9000'",
                          "line 9: unknown option 'prot'",
                          "line 10: 'mqtt' is not available in this version of zeltorelay",
                      }));
    EXPECT_EQ(config.port, 9100);
    EXPECT_EQ(config.bindAddress, "127.0.0.2");
    EXPECT_FALSE(config.echo);
    EXPECT_EQ(config.maxPerAddress, 16u);  // the refused value left the default
    EXPECT_EQ(config.greetingTimeout, std::chrono::seconds(5));
    EXPECT_EQ(config.quietTimeout, std::chrono::seconds(30));
    EXPECT_EQ(DescribeConfig(config),
              "port = 9100\nbind = 127.0.0.2\necho = no\nmax-clients = 10000\nmax-per-address = 16\n"
              "greeting-timeout = 5\nquiet-timeout = 30\nnat = no\nmulticast = no\n");
}

TEST(RelayConfig, CommandLineOverridesTheFileAndEveryErrorIsReported) {
    const std::string path = ::testing::TempDir() + "relay_config_test.conf";
    std::ofstream(path) << "port = 9100\necho = yes\nmax-clients = 50\n";
    const char* argv[] = {"zeltorelay", "--config", path.c_str(), "--check", "--port=9200", "--max-clients", "60"};
    CommandLine commandLine = ParseCommandLine(7, argv);
    EXPECT_TRUE(commandLine.check);
    RelayConfig config;
    EXPECT_TRUE(LoadConfig(commandLine, config).empty());
    EXPECT_EQ(config.port, 9200);
    EXPECT_EQ(config.maxClients, 60u);
    EXPECT_TRUE(config.echo);  // from the file, not named on the command line

    // A named file must exist; bad options are all listed, not only the first.
    const char* bad[] = {"zeltorelay", "--config", "/nonexistent/relay.conf", "--echo=maybe", "--bind", "host"};
    config = RelayConfig{};
    const std::vector<std::string> errors = LoadConfig(ParseCommandLine(6, bad), config);
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[0].rfind("cannot read configuration file /nonexistent/relay.conf", 0), 0u);
    EXPECT_EQ(errors[1], "option --echo takes no value");
    EXPECT_EQ(errors[2], "bad bind address 'host': expected an IPv4 address");
    std::remove(path.c_str());
}

}  // namespace
}  // namespace zc::relay
