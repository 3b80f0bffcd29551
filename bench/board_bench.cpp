// What one new board message costs with 1,000 stored: the page entries built from every file
// (read, converted, linked again), beside the index that converts only the new file.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/message_text.h"
#include "services/board_entries.h"
#include "services/board_store.h"
#include "support/fakes.h"
#include "ui/html/markup.h"

namespace {

constexpr int kStored = 1000;

std::string Record(int created) {
    const std::string t = std::to_string(created);
    std::string body;
    while (body.size() < 300) body += "Selling a bike, see www.example.org or mail me. ";
    return "<TimeLife>\n2592000\n</TimeLife>\n<CreateTime>\n" + t + "\n</CreateTime>\n<MessageCategory>\n" +
           std::to_string(1 + created % 4) + "\n<UserName>\nBob\n<IP>\n10.0.0.2\n<MessageDate>\n08-12-2025 10:00\n" +
           "<MessageBody>\n" + body;
}

// A board folder of its own, filled once for every run.
void Prepare() {
    static bool done = false;
    if (done) return;
    char dir[] = "/tmp/zc-board-bench-XXXXXX";
    std::filesystem::current_path(mkdtemp(dir));
    for (int i = 0; i < kStored; ++i) zc::WriteBoardFile(std::to_string(1765000000 + i) + ".mes", Record(1765000000 + i));
    done = true;
}

zc::test::FakeClock clock_(1765188000);

zc::BoardEntryFormat Format(bool linkEach) {
    return {clock_,
            30,
            [](const std::string& s) { return zc::MessageTextSanitizer(s, true, true); },
            [](const std::string& s) { return s; },
            [](const std::string& n) { return "<span class=\"username\">&lt;" + n + "&gt;</span>"; },
            [](const std::string&) { return std::string(); },
            "Delete",
            linkEach ? zc::ChatUrlLinker : nullptr,
            linkEach ? "bench" : ""};
}

// One post: a new file comes and the oldest goes, so the board keeps its size.
int oldest = 1765000000, next = 1765000000 + kStored;
void NewPost() {
    std::error_code ec;
    std::filesystem::remove("board/" + std::to_string(oldest++) + ".mes", ec);
    zc::WriteBoardFile(std::to_string(next) + ".mes", Record(next));
    ++next;
}

void BM_PostWholeRebuild(benchmark::State& state) {
    Prepare();
    const zc::BoardEntryFormat f = Format(false);
    for (auto _ : state) {
        NewPost();
        benchmark::DoNotOptimize(zc::ChatUrlLinker(zc::BuildBoardEntries(f)));
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_PostIndexed(benchmark::State& state) {
    Prepare();
    const zc::BoardEntryFormat f = Format(true);
    zc::BoardIndex index;
    index.Entries(f);
    for (auto _ : state) {
        NewPost();
        benchmark::DoNotOptimize(index.Entries(f));
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_PostWholeRebuild);
BENCHMARK(BM_PostIndexed);

}  // namespace

BENCHMARK_MAIN();
