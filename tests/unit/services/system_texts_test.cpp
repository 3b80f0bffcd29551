#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "services/system_texts.h"
#include "support/temp_root.h"

namespace zc {
using namespace zc::test;

TEST(SystemTexts, ProcessListFromAProcTree) {
    TempRoot root(false);
    mkdir("proc", 0755);
    auto process = [&](const std::string& pid, const std::string& comm, const char* exe) {
        mkdir(("proc/" + pid).c_str(), 0755);
        root.Write("proc/" + pid + "/comm", comm);
        if (exe) {
            ASSERT_EQ(symlink(exe, ("proc/" + pid + "/exe").c_str()), 0);
        }
    };
    process("1", "systemd\n", "/usr/lib/systemd/systemd");
    process("100", "kthreadd\n", nullptr);                            // kernel thread: no executable
    process("20", "Web Content\n", "/usr/lib/firefox-esr/firefox-esr");  // the file's name, not the thread's
    process("3", "old\n", "/opt/tool (deleted)");
    process("7", "evil\nfake\x1b[31m\n", nullptr);  // a process may name itself anything
    mkdir("proc/self", 0755);
    mkdir("proc/12a", 0755);
    root.Write("proc/42", "not a folder");

    EXPECT_EQ(ProcessListText("proc"), "\nsystemd\ntool\nevilfake[31m\nfirefox-esr\nkthreadd\n");
    // Whole lines only when the text must stay short.
    EXPECT_EQ(ProcessListText("proc", 14), "\nsystemd\ntool\n");
    EXPECT_EQ(ProcessListText("no-such-proc"), "Error process list");

    const std::string own = ProcessListText();
    EXPECT_EQ(own.front(), '\n');
    EXPECT_NE(own.find("\nzunit_tests\n"), std::string::npos) << own;
}

TEST(SystemTexts, MemoryText) {
    EXPECT_EQ(MemoryText("MemTotal:         524288 kB\nMemFree:           10000 kB\nMemAvailable:     131072 kB\n"),
              "RAM 128/512 MB (75%)");
    // Older kernels have no MemAvailable: the free memory stands in.
    EXPECT_EQ(MemoryText("MemFree: 262144 kB\nMemTotal: 1048576 kB\n"), "RAM 256/1024 MB (75%)");
    // A key is matched whole, not as the start of a longer one.
    EXPECT_EQ(MemoryText("MemTotalX: 9 kB\nMemTotal: 2097152 kB\nMemAvailable: 2097152 kB\n"), "RAM 2048/2048 MB (0%)");
    EXPECT_EQ(MemoryText(""), "RAM 0/0 MB (0%)");
    EXPECT_EQ(MemoryText("MemTotal: 1024 kB\nMemAvailable: 4096 kB\n"), "RAM 1/1 MB (0%)");
    EXPECT_EQ(MemoryText("MemTotal: 99999999999999999999999999 kB\n").substr(0, 4), "RAM ");
    EXPECT_TRUE(MemoryText().starts_with("RAM "));
}

TEST(SystemTexts, OsText) {
    const char* debian = "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nNAME=\"Debian GNU/Linux\"\n"
                         "VERSION_ID=\"12\"\nVERSION=\"12 (bookworm)\"\nID=debian\n";
    EXPECT_EQ(OsText(debian, "6.1.0-18-amd64", "#1 SMP PREEMPT_DYNAMIC Debian 6.1.76-1 (2024-02-01)"),
              "Debian GNU/Linux 12 (bookworm) 6.1.0-18-amd64 (Build 1)\n");
    EXPECT_EQ(OsText("NAME='Arch \\\"Linux\\\"'\nVERSION_ID=rolling\n", "6.7.4-arch1-1", "#47-Ubuntu"),
              "Arch \"Linux\" rolling 6.7.4-arch1-1 (Build 47)\n");
    // Nothing known: still the described form, and no line breaks smuggled in from the files.
    EXPECT_EQ(OsText("", "", ""), "Linux (Build 0)\n");
    EXPECT_EQ(OsText("NAME=X\x07Y\n", "5\n6", "#x"), "XY 56 (Build 0)\n");
    const std::string own = OsText();
    EXPECT_TRUE(own.ends_with(")\n")) << own;
    EXPECT_NE(own.find(" (Build "), std::string::npos);
}

}  // namespace zc
