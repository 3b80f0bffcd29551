#include <gtest/gtest.h>

#include "net/answer_pacer.h"
#include "net/commands.h"
#include "net/line_pacer.h"

namespace zc {

TEST(LinePacer, ALongFloodIsToldEachMinuteAndWhenItEnds) {
    LinePacer lines;
    std::int64_t now = 0;
    // A person's pace: every line shown.
    for (int i = 0; i < 30; ++i, now += 1000) EXPECT_TRUE(lines.Allow("10.0.0.2", "Bob", now));
    EXPECT_EQ(lines.TimerDelay(now), -1);

    // 150 s at ten lines a second from another address; the timer is followed as the chat would.
    size_t shown = 0, told = 0;
    std::vector<std::int64_t> reports;
    std::int64_t timerAt = -1;
    auto runTimer = [&] {
        if (timerAt < 0 || timerAt > now) return;
        timerAt = -1;
        for (const LinePacer::Report& r : lines.TakeDue(now)) {
            EXPECT_EQ(r.source, "10.0.0.66");
            EXPECT_EQ(r.name, "Mallory");
            told += r.held;
            reports.push_back(now);
        }
        if (std::int64_t d = lines.TimerDelay(now); d > 0) timerAt = now + d;
    };
    const std::int64_t start = now;
    for (; now < start + 150000; now += 100) {
        runTimer();
        if (lines.Allow("10.0.0.66", "Mallory", now)) ++shown;
        else if (std::int64_t d = lines.TimerDelay(now); d > 0) timerAt = now + d;
    }
    const std::int64_t end = now;
    for (int i = 0; i < 700; ++i, now += 100) runTimer();
    EXPECT_EQ(told, lines.HeldTotal());
    EXPECT_EQ(shown + told, 1500u);
    EXPECT_NEAR(static_cast<double>(shown), 150 + LinePacer::kBurst, 2);
    ASSERT_EQ(reports.size(), 3u);  // at one minute, at two, and once it was over
    EXPECT_GE(reports[1] - reports[0], LinePacer::kReportEveryMs);
    EXPECT_GE(reports[2] - reports[1], LinePacer::kReportEveryMs);
    EXPECT_LE(reports[2], end + LinePacer::kReportEveryMs);
}

TEST(AnswerPacer, AFloodGetsATrickleOthersKeepTheirShareAndOurOwnSendingTheReserve) {
    AnswerPacer pacer;
    using V = AnswerPacer::Verdict;
    size_t bytes = 0;
    for (std::int64_t t = 0; t < 10000; ++t)
        if (pacer.Answer("10.0.0.66", AnswerKind::Card, 1024, t) == V::Send) bytes += 1024;
    EXPECT_LE(bytes, AnswerPacer::kCardBytes + 10 * AnswerPacer::kCardBytesPerSecond);
    EXPECT_EQ(pacer.Answer("10.0.0.2", AnswerKind::Card, 1024, 10000), V::Send);

    pacer.Sent(static_cast<size_t>(AnswerPacer::kTotalBytes - AnswerPacer::kReservedBytes), 10000);
    EXPECT_EQ(pacer.Answer("10.0.0.3", AnswerKind::Card, 1024, 10000), V::Refused);
    EXPECT_EQ(pacer.Answer("10.0.0.3", AnswerKind::Card, 1024, 12000), V::Send);

    // Thousands of addresses: the state stays bounded and they share what is left.
    for (int i = 0; i < 5000; ++i)
        pacer.Answer("10.1." + std::to_string(i / 256) + "." + std::to_string(i % 256), AnswerKind::Card, 100, 20000);
    EXPECT_LE(pacer.Sources(), AnswerPacer::kMaxSources + 1);
}

}  // namespace zc
