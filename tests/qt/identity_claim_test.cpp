// Identity claims between processes, as copies of the chat on one machine make them.
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "qt/posix_system_facts.h"
#include "support/temp_root.h"

namespace zc {
namespace {

// Another copy: claims id in dir, says so through the pipe, holds it until told to end.
pid_t OtherCopyHolding(const std::string& dir, const std::string& id, int& tellEnd) {
    int ready[2], end[2];
    if (::pipe(ready) != 0 || ::pipe(end) != 0) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        PosixSystemFacts facts(dir);
        const char ok = facts.ClaimIdentity(id) ? 'y' : 'n';
        [[maybe_unused]] ssize_t n = ::write(ready[1], &ok, 1);
        char byte;
        n = ::read(end[0], &byte, 1);
        ::_exit(0);
    }
    char ok = 0;
    if (::read(ready[0], &ok, 1) != 1 || ok != 'y') return -1;
    ::close(ready[0]);
    ::close(ready[1]);
    ::close(end[0]);
    tellEnd = end[1];
    return pid;
}

}  // namespace

TEST(IdentityClaim, HeldByOneRunningCopyAtATimeAndFreedWhenItEnds) {
    test::TempRoot root(false);
    const std::string dir = root.Path() + "locks";
    std::filesystem::create_directory(dir);
    int tellEnd = -1;
    const pid_t other = OtherCopyHolding(dir, "001A2B3C4D5E", tellEnd);
    ASSERT_GT(other, 0);

    PosixSystemFacts facts(dir);
    EXPECT_FALSE(facts.ClaimIdentity("001A2B3C4D5E"));
    EXPECT_TRUE(facts.ClaimIdentity("021A2B3C4D5F"));
    EXPECT_TRUE(facts.ClaimIdentity("021A2B3C4D5F"));  // again: it is ours

    ASSERT_EQ(::write(tellEnd, "x", 1), 1);
    int status = 0;
    ASSERT_EQ(::waitpid(other, &status, 0), other);
    EXPECT_TRUE(facts.ClaimIdentity("001A2B3C4D5E"));

    // What we hold is free for the next copy once we let go.
    facts.ReleaseIdentities();
    const pid_t next = OtherCopyHolding(dir, "021A2B3C4D5F", tellEnd);
    ASSERT_GT(next, 0);
    ASSERT_EQ(::write(tellEnd, "x", 1), 1);
    ::waitpid(next, &status, 0);

    // An identity is a plain word, never a path.
    EXPECT_FALSE(facts.ClaimIdentity("../../etc/passwd"));
    EXPECT_FALSE(facts.ClaimIdentity(""));
    // A link planted under a lock name is not followed.
    std::string ns;
    for (char c : std::filesystem::read_symlink("/proc/self/ns/net").string())
        if (c >= '0' && c <= '9') ns += c;
    std::filesystem::create_symlink(root.Path() + "target", dir + "/zeltochat-id-" + ns + "-0A0B0C0D0E0F.lock");
    facts.ClaimIdentity("0A0B0C0D0E0F");
    EXPECT_FALSE(std::filesystem::exists(root.Path() + "target"));
}

}  // namespace zc
