#include "app/link_policy.h"

#include <gtest/gtest.h>

namespace zc {

TEST(LinkPolicy, WebAndMailOpenFilesOpenTheirFolderTheRestNothing) {
    EXPECT_EQ(LinkToOpen("http://example.invalid/a?x=1&y=2"), "http://example.invalid/a?x=1&y=2");
    EXPECT_EQ(LinkToOpen("HTTPS://example.invalid/"), "HTTPS://example.invalid/");
    EXPECT_EQ(LinkToOpen("ftp://ftp.files.net/pub"), "ftp://ftp.files.net/pub");
    EXPECT_EQ(LinkToOpen("mailto:a@b.c"), "mailto:a@b.c");
    // A peer's file is shown in its folder, never started.
    EXPECT_EQ(LinkToOpen("file:///home/me/Downloads/run.desktop"), "file:///home/me/Downloads/");
    EXPECT_EQ(LinkToOpen("file:///tmp/evil.sh"), "file:///tmp/");
    EXPECT_EQ(LinkToOpen("/srv/pics/cat.png"), "file:///srv/pics/");
    EXPECT_EQ(LinkToOpen("\\\\srv\\share\\setup.exe"), "smb://srv/share/");
    for (const char* never : {"javascript:alert(1)", "data:text/html,x", "vbscript:x", "file://", "run.sh",
                              "\\\\srv", "smb://srv/share/x.exe"})
        EXPECT_EQ(LinkToOpen(never), "") << never;
}

}  // namespace zc
